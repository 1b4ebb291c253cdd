// Times the real results window at scale under Wine: PAIRS pairs of small
// files in two folders (written under FOLDER), scanned, shown, a selection
// rule run, the selection marked, and the marked files deleted with an
// enhanced undo file. Prints one line of figures; asserts nothing.
// Usage: varnok-results-bench FOLDER PAIRS [RULE] (Smart! unless RULE is given)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/options/options.h"
#include "app/results/results_window_win32.h"
#include "app/results/selection.h"
#include "app/scan/catalogue.h"
#include "app/scan/detection.h"
#include "common/messagebox.h"
#include "common/ui/save_dialog.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/modal_driver_win32.h"

namespace {

using Clock = std::chrono::steady_clock;
long long millis(Clock::time_point from) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
}

void writeFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: varnok-results-bench FOLDER PAIRS [RULE]\n");
        return 2;
    }
    std::string root = argv[1];
    if (root.back() != '\\') root += '\\';
    const int pairs = std::atoi(argv[2]);
    const int rule = argc > 3 ? std::atoi(argv[3]) : RuleSmart;  // the selection rule's place in the list
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "a").c_str(), nullptr);
    CreateDirectoryA((root + "b").c_str(), nullptr);
    for (int k = 0; k < pairs; ++k) {
        const std::string content = "pair " + std::to_string(k) + std::string(static_cast<size_t>(k % 97), 'x');
        writeFile(root + "a\\f" + std::to_string(k) + ".txt", content);
        writeFile(root + "b\\f" + std::to_string(k) + ".txt", content);
    }

    slFoldersToScan = {root + "a\\", root + "b\\"};
    bCreateUndo = true;
    bEnhancedUndo = true;
    bNotDeleteLastCopy = true;
    auto started = Clock::now();
    std::unique_ptr<TFILELIST> files;
    CollectFiles(files);
    std::unique_ptr<TRESULTS> results = FindDuplicates(*files);
    const long long scanMs = millis(started);

    SetMessageBoxHandler([](WindowHandle, const std::string&, const std::string&, uint32_t) { return mb::kIdYes; });
    const std::string undo = root + "undo.bat";
    SetSaveFileChooser([&](HWND, const SaveFileRequest&, std::string& path) {
        path = undo;
        return true;
    });
    long long openMs = 0, ruleMs = 0, markMs = 0, deleteMs = 0;
    int32_t marked = 0;
    started = Clock::now();
    ModalDriver driver({{"Results of search of files - duplicates and clones...", [&](HWND dialog) {
                             openMs = millis(started);
                             HWND combo = GetDlgItem(GetDlgItem(dialog, IDC_TOOLBAR), IDC_RULE_LIST);
                             SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(rule), 0);
                             auto at = Clock::now();
                             SendMessageA(dialog, WM_COMMAND, IDC_RUN_RULE, 0);
                             ruleMs = millis(at);
                             at = Clock::now();
                             SendMessageA(dialog, WM_COMMAND, IDC_MARK, 0);
                             markMs = millis(at);
                             marked = CurrentResultsView()->Tallies[TallyDel].Files;
                             at = Clock::now();
                             SendMessageA(dialog, WM_COMMAND, IDC_DELETE_MARKED, 0);
                             deleteMs = millis(at);
                         }}},
                       6000);
    ResultsWindow(nullptr, *results, *files);
    std::printf("pairs=%d scan_ms=%lld open_ms=%lld rule_ms=%lld mark_ms=%lld deleted=%d delete_ms=%lld "
                "files_per_second=%lld\n",
                pairs, scanMs, openMs, ruleMs, markMs, marked, deleteMs,
                deleteMs > 0 ? marked * 1000LL / deleteMs : 0);
    return 0;
}
