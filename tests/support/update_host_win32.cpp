// A stand-in for the program in the update tests. Started with "offer" it
// does what the program's Update... command does and accepts the offer
// itself; restarted with "/update:<date>" it records the update as the
// program does at start; "sleep <ms>" just stays a while. What happened is
// written into a file beside it.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "applier/placement_win32.h"
#include "update/update_api.h"

namespace {

std::string folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.rfind('\\') + 1);
}

void note(const char* file, const std::string& text) { std::ofstream(folder() + file) << text; }

// Presses "Download and apply updates..." and answers the backup question.
DWORD WINAPI accept(void*) {
    for (int tick = 0; tick < 600; ++tick) {
        if (HWND offer = FindWindowA(nullptr, "Update")) PostMessageA(offer, WM_COMMAND, IDOK, 0);
        if (HWND question = FindWindowA(nullptr, "Question")) PostMessageA(question, WM_COMMAND, IDOK, 0);
        Sleep(100);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // As the program starts: an update's placement cut short goes to the applier.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (HandCutPlacementToApplier(folder(), "\"" + std::string(self) + "\"")) return 0;
    RemoveLeftUpdateCopies();
    const std::string first = __argc > 1 ? __argv[1] : "";
    if (first == "offer") {
        CloseHandle(CreateThread(nullptr, 0, accept, nullptr, 0, nullptr));
        const bool offered = ShowReadMe(nullptr) != 0;
        void* data = nullptr;
        int32_t size = 0;
        const bool handed = offered && GetUpdate(Short("Varnok scan"), 1, &data, &size) != 0;
        note("first-stage.txt", std::to_string(offered) + " " + std::to_string(handed) + " " + std::to_string(size));
        return 0;
    }
    if (first.rfind("/update:", 0) == 0) {
        const std::string date = first.substr(8, 10);
        note("restarted.txt", date + " " + std::to_string(SecondStage(Short("Varnok scan"), Short(date))));
        return 0;
    }
    if (first == "sleep" && __argc > 2) Sleep(static_cast<DWORD>(std::atoi(__argv[2])));
    // Started again after an update that was not placed.
    if (first.empty()) note("restarted.txt", "started without an update");
    return 0;
}
