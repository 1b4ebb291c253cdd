#include "deletion_win32.h"

#include <commdlg.h>

#include <cstdio>
#include <utility>

#include "app/results/deletion_plan.h"
#include "app/results/undo_file.h"
#include "app/shell/settings.h"
#include "common/messagebox.h"
#include "common/text.h"
#include "common/unique_handle.h"

namespace {

UndoFileChooser& replacement() {
    static UndoFileChooser chooser;
    return chooser;
}

const char* const kErrorCaption = "This is error message! I am sorry...";

// The undo file of one command. A write that fails is reported once; the
// caller then stops before deleting anything more.
class UndoFile {
public:
    bool create(const std::string& path) {
        path_ = path;
        handle_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_) return fail();
        return true;
    }

    bool write(const std::string& text) {
        if (failed_) return false;
        DWORD written = 0;
        if (!WriteFile(handle_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(handle_.get()))
            return fail();
        return true;
    }

    bool close() {
        if (handle_ && !handle_.reset() && !failed_) return fail();
        return !failed_;
    }

    bool failed() const { return failed_; }

private:
    bool fail() {
        if (!failed_)
            ShowMessageBox(nullptr, "Can not write undo file " + path_ + " Error code : " + std::to_string(GetLastError()),
                           kErrorCaption, mb::kIconHand);
        failed_ = true;
        return false;
    }

    std::string path_;
    unique_file handle_;
    bool failed_ = false;
};

// Deletes one member; true when the file is gone.
bool DeleteOneFile(TRESVIEW& view, HTREEITEM node) {
    const std::string path = view.GetText(node);
    if (!DeleteFileForced(path)) return false;
    if (bCreateUndo && view.UndoList) view.UndoList->push_back(path);
    view.DeleteItem(node);
    return true;
}

void WriteGroupEntries(TRESVIEW& view, UndoFile* undo, const std::string& keptPath, int32_t& counter) {
    if (!bCreateUndo) return;
    if (undo && view.UndoList) undo->write(UndoGroupEntries(bEnhancedUndo, keptPath, *view.UndoList, counter));
    view.UndoList.reset();
}

// True when fewer than two members were left unmarked or spared.
bool DeleteGroup(TRESVIEW& view, HTREEITEM firstChild, UndoFile* undo, int32_t& counter) {
    if (bCreateUndo) view.UndoList = std::make_unique<std::vector<std::string>>();
    std::vector<HTREEITEM> members;
    std::vector<bool> marked;
    for (HTREEITEM m = firstChild; m; m = view.NextSibling(m)) {
        members.push_back(m);
        marked.push_back(view.GetImage(m) == 1);
    }
    const GroupPlan plan = PlanGroupDeletion(marked, bNotDeleteLastCopy);
    const std::string keptPath = plan.source >= 0 ? view.GetText(members[static_cast<size_t>(plan.source)]) : "";
    int keptCount = 0;
    for (size_t k = 0; k < members.size(); ++k) {
        if (plan.actions[k] != MemberAction::Delete) {
            ++keptCount;
            continue;
        }
        // The copy that stays must still be there and still the same, or the
        // deletion would lose the only data.
        const std::string path = view.GetText(members[k]);
        if (bNotDeleteLastCopy && !IdenticalCopies(path, keptPath)) {
            ShowMessageBox(view.OwnerWindow,
                           "Can not delete file " + path + " because its kept copy " + keptPath +
                               " is missing or differs from it now.",
                           kErrorCaption, mb::kIconHand);
            continue;
        }
        DeleteOneFile(view, members[k]);
    }
    WriteGroupEntries(view, undo, keptPath, counter);
    return keptCount < 2;
}

bool DeleteMarked(TRESVIEW& view, UndoFile* undo) {
    const Tally& del = view.Tallies[TallyDel];
    if (del.Files <= 0) return false;
    const std::string question = "You are marked to delete " + std::to_string(del.Files) +
                                 " file(s) with total size " + SizeText(del.Bytes) +
                                 "bytes. Are you shure to delete these files?";
    if (ShowMessageBox(view.OwnerWindow, question, "Please confirm...",
                       mb::kYesNoCancel | mb::kIconExclamation | mb::kHelp) != mb::kIdYes)
        return false;
    int32_t counter = 1;
    for (HTREEITEM group = view.Root(); group;) {
        const HTREEITEM next = view.NextSibling(group);
        if (DeleteGroup(view, view.FirstChild(group), undo, counter)) view.DeleteItem(group);
        // Without a working undo file nothing more is deleted.
        if (undo && undo->failed()) break;
        group = next;
    }
    return true;
}

bool systemChooseUndoFile(HWND owner, std::string& path) {
    char file[MAX_PATH] = {};
    lstrcpynA(file, path.c_str(), MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Undo bat files (*.bat)\0*.bat\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = "bat";
    // Overwriting a file the user already has is asked about first.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&ofn)) return false;
    path = file;
    return true;
}

}  // namespace

bool ChooseUndoFile(HWND owner, std::string& path) {
    if (const auto& chooser = replacement()) return chooser(owner, path);
    return systemChooseUndoFile(owner, path);
}

UndoFileChooser SetUndoFileChooser(UndoFileChooser chooser) { return std::exchange(replacement(), std::move(chooser)); }

std::string VersionText() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(module, &handle);
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(module, 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return "Unknown version!";
    char text[64];
    std::snprintf(text, sizeof text, "Version %d.%2.2d Build %d", HIWORD(info->dwFileVersionMS),
                  LOWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionLS));
    return text;
}

std::string UndoScriptText() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(104), MAKEINTRESOURCEA(1002));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : std::string();
}

bool DeleteCommand(HWND window, TRESVIEW& view) {
    if (view.Tallies[TallyDel].Files == 0) return true;
    UndoFile undo;
    if (bCreateUndo) {
        std::string path = DefaultUndoName();
        if (!ChooseUndoFile(window, path)) return true;
        const UndoTexts texts{platform::environment("COMSPEC"), VersionText(), DateTimeText(ProgramStartTime),
                              UndoScriptText()};
        // A file that cannot be written stops the command before anything is deleted.
        if (!undo.create(path) || !undo.write(UndoHeader(bEnhancedUndo, texts))) {
            undo.close();
            return true;
        }
    }
    DeleteMarked(view, bCreateUndo ? &undo : nullptr);
    if (bCreateUndo) {
        undo.write(UndoFooter(bEnhancedUndo));
        undo.close();
    }
    return true;
}
