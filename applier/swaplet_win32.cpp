// Swaplet.exe: started by the update library with the read end of a pipe. It
// reads the new files, waits for the program to end, writes them and starts
// the program again with "/update:" and the update's date.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applier/placement_win32.h"
#include "common/messagebox.h"
#include "common/win32/module.h"
#include "common/win32/folders.h"
#include "common/win32/syserror.h"
#include "common/win32/unique_handle.h"
#include "resources/Swaplet/resource.h"
#include "update/handover.h"
#include "update/names.h"

namespace {

class PipeSource : public ByteSource {
public:
    explicit PipeSource(HANDLE pipe) : pipe_(pipe) {}
    size_t Read(void* buffer, size_t size) override {
        size_t done = 0;
        while (done < size) {
            DWORD got = 0;
            if (!ReadFile(pipe_, static_cast<char*>(buffer) + done, static_cast<DWORD>(size - done), &got, nullptr) ||
                got == 0) {
                ended_ = true;
                break;
            }
            done += got;
        }
        return done;
    }
    // The stream ended or could not be read at all (as opposed to being refused).
    bool ended() const { return ended_; }

private:
    HANDLE pipe_;
    bool ended_ = false;
};

void say(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A string of the applier's table in a box; -1 (no box) when it is missing.
int ShowTextBox(UINT id, const char* caption, uint32_t flags) {
    char text[1025] = {};
    if (LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text) <= 0) return -1;
    return ShowMessageBox(nullptr, text, caption, flags);
}

bool AskToClose() {
    if (ShowTextBox(IDS_CLOSE_PROGRAM, "Please...", mb::kRetryCancel | mb::kIconInformation) == mb::kIdCancel &&
        ShowTextBox(IDS_CANCEL_UPDATE, "Please...", mb::kYesNo | mb::kIconInformation) == mb::kIdNo)
        return false;
    return true;
}

bool WaitForProcess(DWORD id, bool (*ask)()) {
    unique_kernel_handle process(OpenProcess(PROCESS_QUERY_INFORMATION, TRUE, id));
    if (!process) return true;
    int count = 0;
    DWORD status = 0;
    while (GetExitCodeProcess(process.get(), &status) && status == STILL_ACTIVE) {
        Sleep(100);
        if (++count > 50) {
            if (!ask()) return false;
            count = 0;
        }
    }
    return true;
}

#ifdef _WIN64
constexpr uint16_t kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr uint16_t kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

// Written beside the old file, to be put in its place once every file of the
// update is written: a failed or short write replaces nothing. On disk before
// the journal names it, so a placement finished later finds it whole.
bool Stage(const TNEWFILEDATA& file) {
    // Folders the update brings along: inside the program's folder, as checked.
    MakeParentFolders(file.path);
    const std::string beside = file.path + kStaged;
    unique_file out(
        CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    const bool whole = file.data.empty() || (WriteFile(out.get(), file.data.data(),
                                                       static_cast<DWORD>(file.data.size()), &written, nullptr) &&
                                             written == file.data.size());
    return whole && FlushFileBuffers(out.get()) && out.reset();
}

bool move(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Unstage(const TNEWFILEDATA& file) { DeleteFileA((file.path + kStaged).c_str()); }

// The program as the restart command names it, quoted or not.
std::string programPath(const std::string& restart) {
    std::string program = restart.substr(0, restart.rfind(" /update:"));
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = program.substr(1, program.size() - 2);
    return program;
}

std::string programFolder(const std::string& restart) {
    const std::string program = programPath(restart);
    const size_t slash = program.rfind('\\');
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

// A path by its long names, so that a program started by its 8.3 path and
// the files named by the long one are seen in one folder. The part not yet
// there (a folder the update brings) is kept as it is.
std::string longForm(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::string(buffer, n);
    const size_t slash = path.find_last_of('\\', path.size() >= 2 ? path.size() - 2 : 0);
    if (slash == std::string::npos || slash < 2) return path;
    return longForm(path.substr(0, slash + 1)) + path.substr(slash + 1);
}

// The copy of the old applier the library made in the temporary folder
// ("upd*.tmp" there), and nothing else: it is moved over this program.
bool isApplierBackup(const std::string& path) {
    char temp[MAX_PATH] = {};
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH || path.size() <= n) return false;
    const std::string folder = longForm(temp), at = longForm(path.substr(0, path.rfind('\\') + 1));
    const std::string name = path.substr(path.rfind('\\') + 1);
    return lstrcmpiA(folder.c_str(), at.c_str()) == 0 && name.size() > 7 && _strnicmp(name.c_str(), "upd", 3) == 0 &&
           _stricmp(name.c_str() + name.size() - 4, ".tmp") == 0;
}

// This applier came with the update: unless the update is placed whole, the
// old one goes back in its place (this program's file moved aside, as a
// running program's file cannot be replaced but can be renamed). The copy
// in the temporary folder goes either way.
void settleApplier(const std::string& backup, bool applied) {
    if (backup.empty()) return;
    if (!applied) {
        const std::string self = ModuleFileName();
        if (move(self, self + kStaged) &&
            !MoveFileExA(backup.c_str(), self.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            move(self + kStaged, self);
    }
    DeleteFileA(backup.c_str());
}

// Starts the program again: with "/update:" when the update is in place, so
// it records it; without it when nothing was replaced, so it is offered again.
void restart(const std::string& command, bool applied) {
    std::string line = applied ? command : command.substr(0, command.rfind(" /update:"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        // "Error! " in the code page of the console the applier was written for (866).
        const std::string why = SysErrorText(GetLastError());
        say("\x8E\xE8\xA8\xA1\xAA\xA0! " + why + "\r\n");
        ShowMessageBox(nullptr, "Varnok Scan could not be started again (" + why + "). Please start it yourself.",
                       "Error", mb::kIconHand);
        return;
    }
    unique_kernel_handle started(process.hProcess), thread(process.hThread);
}

// The handle's number whole: a program holding many handles hands over one
// past 65,535, on either edition.
bool handleNumber(const char* text, HANDLE& handle) {
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*end || value > 0xFFFFFFFFull) return false;
    handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    return true;
}

// What the user is told when the update is not applied, or the program not
// started again; the same words go to the output, for whoever reads it.
void tell(const std::string& text) {
    say(text + "\r\n");
    ShowMessageBox(nullptr, text, "Error", mb::kIconHand);
}

const char kNotWhole[] =
    "The update of Varnok Scan did not arrive whole, so it was not applied; nothing was changed on your computer. "
    "Please update the program again.";
const char kTooMuch[] =
    "The update of Varnok Scan brings more files or more bytes than an update can hold, so it was not applied; "
    "nothing was changed on your computer.";
const char kNotPlaced[] =
    "Varnok Scan could not put the files of the update in place (one may be open in another program), so the update "
    "was not applied and the program is as it was. Please close other programs and update again.";
const char kJournalStays[] =
    "Varnok Scan could not finish an update that was stopped while its files were put in place: the record of it in "
    "the program's folder cannot be removed. Please install Varnok Scan anew.";

}  // namespace

// A windows program without a window: no console opens when the library starts
// it; what it has to say goes to a box, and to the output it was given, if any.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HANDLE pipe = nullptr;
    // The library names the old applier's copy third when this applier came with the update.
    if ((__argc != 2 && !(__argc == 3 && isApplierBackup(__argv[2]))) || !handleNumber(__argv[1], pipe)) {
        ShowTextBox(IDS_NOT_BY_HAND, "Sorry...", mb::kIconHand);
        return 1;
    }
    // What an earlier update that was not placed left of its applier.
    DeleteFileA((ModuleFileName() + kStaged).c_str());
    std::string backup = __argc == 3 ? std::string(__argv[2]) : std::string();
    // Held open while it may still be needed, so that no clearing of the
    // temporary folder takes it meanwhile.
    unique_file held(backup.empty() ? INVALID_HANDLE_VALUE
                                    : CreateFileA(backup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto settle = [&](bool applied) {
        held.reset();
        settleApplier(backup, applied);
    };
    std::optional<HandOverStream> stream;
    bool ended = false;
    {
        unique_kernel_handle reader(pipe);
        PipeSource source(reader.get());
        stream = ReadHandOver(source);
        ended = source.ended();
    }
    if (!stream) {
        // The program is still running: the library learnt of it too.
        settle(false);
        tell(ended ? kNotWhole : kTooMuch);
        return 0;
    }
    // Nothing is written when one file is refused. The program has ended for
    // the update: it comes back either way, and the user learns why the
    // update is offered again.
    const auto refuse = [&](const std::string& line, const std::string& box) {
        say(line + "\r\n");
        settle(false);
        if (WaitForProcess(stream->processId, AskToClose)) restart(stream->restart, false);
        ShowMessageBox(nullptr, box, "Error", mb::kIconHand);
        return 0;
    };
    // Every file goes into the program's own folder, or none does.
    std::string folder = longForm(programFolder(stream->restart));
    for (const auto& file : stream->files) {
        if (!IsInsideFolder(longForm(file->path), folder)) {
            const std::string refused = "Update refused: " + file->path + " is outside " + folder;
            return refuse(refused, refused + ".");
        }
    }
    // A program or library built for the other edition's machine could not
    // run beside this edition's files.
    for (const auto& file : stream->files) {
        if (const auto machine = ImageMachine(file->data); machine && *machine != kOwnMachine) {
            const std::string text = OtherEditionText(MachineEdition(*machine), MachineEdition(kOwnMachine));
            return refuse("Update refused: " + file->path + " is for another machine. " + text, text);
        }
    }
    if (!WaitForProcess(stream->processId, AskToClose)) {
        settle(false);
        return 0;
    }
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    // A placement an earlier applier was stopped in is finished or undone
    // first. Handed over by the program with no files, that is the whole
    // task: the program then starts as that applier would have started it.
    std::string restartCommand = stream->restart;
    const auto finished = FinishPlacement(folder);
    // A record that stays would hand every start of the program back here.
    if (PlacementCutShort(folder)) {
        settle(false);
        tell(kJournalStays);
        return 0;
    }
    if (finished && finished->placed && stream->files.empty() && !finished->restart.empty())
        restartCommand = finished->restart;
    bool staged = true;
    std::vector<std::string> paths;
    for (const auto& file : stream->files) {
        paths.push_back(file->path);
        if (!Stage(*file)) {
            staged = false;
            break;
        }
    }
    const bool placed = staged && PlaceAll(folder, paths, restartCommand, backup);
    for (const auto& file : stream->files) Unstage(*file);
    settle(placed);
    if (!placed) say("Error on updating file!\r\n");
    restart(restartCommand, placed);
    if (!placed) ShowMessageBox(nullptr, kNotPlaced, "Error", mb::kIconHand);
    return 0;
}
