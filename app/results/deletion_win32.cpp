#include "deletion_win32.h"

#include <shlobj.h>

#include <cstdio>
#include <set>
#include <vector>
#include <utility>

#include "app/results/deletion_plan.h"
#include "app/results/recycle_bin_win32.h"
#include "app/scan/progress_window_win32.h"
#include "common/files.h"
#include "common/ui/dialog.h"
#include "app/results/undo_file.h"
#include "app/options/options.h"
#include "common/messagebox.h"
#include "common/ui/save_dialog.h"
#include "common/text.h"
#include "common/win32/module.h"
#include "common/win32/unique_handle.h"
#include "resources/VarnokScan/resource.h"

DWORD DeletionProgressDelayMs = 500;

namespace {

const char* const kErrorCaption = "This is error message! I am sorry...";

// The undo file of one command. Every text is written and flushed whole
// before the deletion it undoes; a write that fails is taken back, reported
// once with the system's error code, and nothing more is deleted.
class UndoFile {
public:
    explicit UndoFile(HWND owner) : owner_(owner) {}

    bool create(const std::string& path) {
        path_ = path;
        handle_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_) return fail(GetLastError());
        return true;
    }

    // text is already in the OEM code page. Unless report, a text that
    // cannot be written is only taken back: the caller tries otherwise.
    bool write(const std::string& text, bool report = true) {
        if (failed_) return false;
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(handle_.get(), zero, &mark_, FILE_CURRENT)) return fail(GetLastError());
        DWORD written = 0;
        if (!WriteFile(handle_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            !FlushFileBuffers(handle_.get())) {
            const DWORD error = GetLastError();
            unwrite();
            return report ? fail(error) : false;
        }
        if (written != text.size()) {
            unwrite();
            return report ? fail(ERROR_DISK_FULL) : false;
        }
        return true;
    }

    // Takes back the last text written: no entry stays for a file that was
    // not deleted, and a cut entry never stays at all.
    void unwrite() { keepWritten(0); }
    // Keeps only the first bytes of the last text written.
    void keepWritten(size_t bytes) {
        LARGE_INTEGER end = mark_;
        end.QuadPart += static_cast<LONGLONG>(bytes);
        if (SetFilePointerEx(handle_.get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(handle_.get());
        FlushFileBuffers(handle_.get());
    }

    bool close() {
        if (handle_ && !handle_.reset() && !failed_) return fail(GetLastError());
        return !failed_;
    }

    bool failed() const { return failed_; }

private:
    bool fail(DWORD error) {
        if (!failed_)
            ShowMessageBox(owner_, "Can not write undo file " + path_ + " Error code : " + std::to_string(error),
                           kErrorCaption, mb::kIconHand);
        failed_ = true;
        return false;
    }

    HWND owner_;
    std::string path_;
    unique_file handle_;
    LARGE_INTEGER mark_{};
    bool failed_ = false;
};

struct DeletionState {
    HWND owner;            // every box of the deletion is owned by the results window
    UndoFile* undo;        // null when no undo file is written
    int32_t counter = 1;   // numbers the enhanced entries across groups
    int32_t deleted = 0;   // files that went
    // With the Recycle Bin on, marked files it can not take: deleted for good
    // as the user agreed, or kept.
    std::set<HTREEITEM> forGood{}, spared{};
};

// The progress of a deletion that takes more than a moment: how many of the
// marked files were dealt with, and Stop!, which deletes no further file. It
// runs on the deleting thread, its messages taken between two files; the
// results window waits meanwhile, as under a modal box.
class DeletionProgress : public Dialog {
public:
    DeletionProgress(HWND owner, HWND tree, int32_t total)
        : owner_(owner), tree_(tree), total_(total), started_(GetTickCount()) {}
    ~DeletionProgress() override {
        if (!handle()) return;
        bar_.reset();
        EnableWindow(owner_, TRUE);
        DestroyWindow(handle());
    }

    // After each marked file, deleted or kept.
    void step() {
        ++done_;
        const DWORD now = GetTickCount();
        if (!handle()) {
            if (now - started_ < DeletionProgressDelayMs || failedToShow_) return;
            if (!Create(owner_, IDD_DELETING)) {
                failedToShow_ = true;
                return;
            }
            bar_ = std::make_unique<TPROGRESSBAR>(handle(), IDC_DELETING_BAR);
            ShowWindow(handle(), SW_SHOW);
            shown_ = treeShown_ = now - 1000;
        }
        EnableWindow(owner_, FALSE);  // a box about a file may have given it back
        if (now - shown_ >= 100 || done_ >= total_) {
            shown_ = now;
            const std::string text = std::to_string(done_) + " of " + std::to_string(total_) + " marked files";
            SetDlgItemTextA(handle(), IDC_DELETING_TEXT, text.c_str());
            bar_->SetPercent(total_ > 0 ? 100.0 * done_ / total_ : 100.0);
        }
        // The tree is not drawn while the command changes it; once a second it
        // shows what is left (drawing it costs about as much as deleting a
        // few hundred files).
        if (now - treeShown_ >= 1000) {
            treeShown_ = now;
            SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(tree_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
        }
        MSG message;
        while (handle() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (!IsDialogMessageA(handle(), &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }
    bool stopped() const { return stopped_; }

protected:
    // Stop!, Esc and the close box.
    void OnCancel() override { stopped_ = true; }

private:
    HWND owner_;
    HWND tree_;
    int32_t total_;
    int32_t done_ = 0;
    DWORD started_;
    DWORD shown_ = 0;
    DWORD treeShown_ = 0;
    bool stopped_ = false;
    bool failedToShow_ = false;
    std::unique_ptr<TPROGRESSBAR> bar_;
};

void keepAndReport(HWND owner, const std::string& path, const std::string& why) {
    ShowMessageBoxUtf8(owner, "Can not delete file " + path + " because " + why, kErrorCaption, mb::kIconHand);
}

// The files about to be deleted, a batch at a time: their undo entries are
// written and flushed together, then the files deleted in order. Every entry
// is on disk before its file goes, and none stays for a file that did not go
// (the file is cut back to the entries of the files deleted, and the rest are
// written anew, numbered as if the one that stayed had never been marked).
class DeletionBatch {
public:
    static constexpr size_t kMostFiles = 256;

    DeletionBatch(TRESVIEW& view, DeletionState& state, DeletionProgress& progress)
        : view_(view), state_(state), progress_(progress) {}

    // group: the member's group node; recycle: to the Recycle Bin, not for
    // good. False once nothing more may be deleted.
    bool add(HTREEITEM node, HTREEITEM group, const std::string& keptPath, bool recycle) {
        pending_.push_back({node, group, keptPath, recycle});
        return pending_.size() < kMostFiles || flush();
    }

    bool flush() {
        while (!pending_.empty()) {
            if (state_.undo && state_.undo->failed()) return false;
            // Once the undo file's volume could not take a whole batch, entries
            // go one at a time: the deletion stops before the file whose entry
            // does not fit, not before the whole batch. A batch goes one way:
            // to the Recycle Bin, or for good.
            size_t take = oneAtATime_ ? 1 : pending_.size();
            for (size_t k = 1; k < take; ++k)
                if (pending_[k].recycle != pending_[0].recycle) take = k;
            std::vector<size_t> all(take);
            for (size_t k = 0; k < take; ++k) all[k] = k;
            std::vector<size_t> ends;  // where each entry ends in text
            const std::string text = entries(all, ends);
            if (state_.undo && !state_.undo->write(text, take == 1)) {
                if (take == 1) return false;  // told to the user; nothing more is deleted
                oneAtATime_ = true;
                continue;
            }
            if (pending_[0].recycle) {
                if (progress_.stopped()) {
                    if (state_.undo) state_.undo->keepWritten(0);
                    pending_.clear();
                    return false;
                }
                recycle(take);
                continue;
            }
            size_t done = 0;
            bool stayed = false;
            for (; done < take && !progress_.stopped(); ++done) {
                const Pending& p = pending_[done];
                TFILEINFO* file = view_.FileOf(p.node);
                file->Close();
                stayed = !DeleteFileForced(file->AccessPath(), state_.owner);
                progress_.step();
                if (stayed) break;
                went(p);
            }
            if (done == take) {
                pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(take));
                continue;
            }
            // The file that stayed (or the first the user stopped before): its
            // entry and those after it go; after a file that stayed the rest go on.
            if (state_.undo) state_.undo->keepWritten(done == 0 ? 0 : ends[done - 1]);
            if (!stayed) {
                pending_.clear();
                return false;
            }
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(done) + 1);
        }
        return true;
    }

private:
    struct Pending {
        HTREEITEM node;
        HTREEITEM group;
        std::string keptPath;
        bool recycle;
    };

    // The undo entries of the pending files at these places, numbered and
    // marked first in their group as if every one of them went.
    std::string entries(const std::vector<size_t>& places, std::vector<size_t>& ends) {
        std::string text;
        if (!state_.undo) return text;
        int32_t counter = state_.counter;
        std::set<HTREEITEM> begun = started_;
        for (size_t k : places) {
            const Pending& p = pending_[k];
            const bool first = begun.insert(p.group).second;
            std::string entry;
            UndoFileText(UndoEntry(bEnhancedUndo, p.keptPath, view_.FileOf(p.node)->FullPath(), counter++, first),
                         entry);
            text += entry;
            ends.push_back(text.size());
        }
        return text;
    }

    void went(const Pending& p) {
        if (state_.undo) ++state_.counter;
        ++state_.deleted;
        started_.insert(p.group);
        view_.DeleteItem(p.node);
    }

    // The first take pending files, their entries written, to the Recycle Bin
    // in one shell operation. Which went is seen on disk: a file still there
    // is reported and its entry taken back (the others' written anew, as if it
    // had never been marked). Whatever went can be put back from the bin.
    void recycle(size_t take) {
        std::vector<std::string> paths;
        for (size_t k = 0; k < take; ++k) {
            TFILEINFO* file = view_.FileOf(pending_[k].node);
            file->Close();
            paths.push_back(file->AccessPath());
        }
        RecycleFiles(state_.owner, paths);
        std::vector<size_t> gone;
        for (size_t k = 0; k < take; ++k) {
            progress_.step();
            if (!platform::exists(paths[k])) gone.push_back(k);
        }
        if (state_.undo && gone.size() < take) {
            state_.undo->keepWritten(0);
            std::vector<size_t> ends;
            state_.undo->write(entries(gone, ends));
        }
        std::vector<std::string> stayed;
        for (size_t k = 0, g = 0; k < take; ++k) {
            if (g < gone.size() && gone[g] == k) {
                went(pending_[k]);
                ++g;
            } else {
                stayed.push_back(view_.FileOf(pending_[k].node)->FullPath());
            }
        }
        // One box for the batch, however many stayed.
        if (stayed.size() == 1) keepAndReport(state_.owner, stayed[0], "the Recycle Bin did not take it.");
        if (stayed.size() > 1)
            ShowMessageBoxUtf8(state_.owner,
                               std::to_string(stayed.size()) +
                                   " files were not deleted: the Recycle Bin did not take them. The first is " +
                                   stayed[0],
                               kErrorCaption, mb::kIconHand);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(take));
    }
    TRESVIEW& view_;
    DeletionState& state_;
    DeletionProgress& progress_;
    std::vector<Pending> pending_;
    std::set<HTREEITEM> started_;  // groups with a file deleted: their next entry is not the first
    bool oneAtATime_ = false;
};

// Queues the members to delete; true when fewer than two members were left
// unmarked or spared (the group node goes once its files have).
bool DeleteGroup(TRESVIEW& view, HTREEITEM group, const std::vector<TRESVIEW::Node>& nodes, DeletionBatch& batch,
                 DeletionState& state, DeletionProgress& progress) {
    std::vector<HTREEITEM> members;
    std::vector<bool> marked;
    for (const TRESVIEW::Node& node : nodes) {
        members.push_back(node.item);
        // A file the user kept from being deleted for good counts as not marked.
        marked.push_back(node.image == 1 && !state.spared.count(node.item));
    }
    // The undo file restores every deleted copy from one kept copy: one whose
    // path it can hold, where any kept copy's path will do.
    std::vector<bool> restorable;
    if (state.undo)
        for (const TRESVIEW::Node& node : nodes) restorable.push_back(node.file && UndoCanReadFrom(node.file->AccessPath()));
    const GroupPlan plan = PlanGroupDeletion(marked, bNotDeleteLastCopy, restorable);
    const TFILEINFO* kept = plan.source >= 0 ? view.FileOf(members[static_cast<size_t>(plan.source)]) : nullptr;
    const std::string keptPath = kept ? kept->AccessPath() : "";
    int keptCount = 0;
    for (size_t k = 0; k < members.size(); ++k) {
        if (plan.actions[k] != MemberAction::Delete) {
            ++keptCount;
            continue;
        }
        const TFILEINFO* file = view.FileOf(members[k]);
        if (!file) continue;
        if (progress.stopped()) break;
        // The copy that stays must still be there and still the same, or the
        // deletion would lose the only data.
        if (bNotDeleteLastCopy && !IdenticalCopies(file->AccessPath(), keptPath)) {
            keepAndReport(state.owner, file->FullPath(),
                          "its kept copy " + (kept ? kept->FullPath() : "") + " is missing or differs from it now.");
            progress.step();
            continue;
        }
        if (state.undo && !UndoCanRestore(keptPath, file->FullPath())) {
            keepAndReport(state.owner, file->FullPath(),
                          UndoCanReadFrom(keptPath) ? "the undo file can not hold its path."
                                                    : "the undo file can not hold the path of its kept copy " +
                                                          (kept ? kept->FullPath() : "") + ".");
            progress.step();
            continue;
        }
        if (!batch.add(members[k], group, keptPath, bUseRecycleBin && !state.forGood.count(members[k]))) break;
    }
    return keptCount < 2;
}

// With the Recycle Bin on, no file is deleted for good unasked: the marked
// files it can not take are found first, and the user asked once about all
// of them. False for Cancel.
bool AskAboutFilesTheBinCanNotTake(TRESVIEW& view, DeletionState& state) {
    RecycleBinCheck bin;
    std::vector<const TRESVIEW::Node*> outside;
    for (const TRESVIEW::Node& node : view.Nodes())
        if (node.item && node.file && node.image == 1 && !bin.takes(node.file->AccessPath())) outside.push_back(&node);
    if (outside.empty()) return true;
    // A box holds 255 characters: the count, the causes and the choices, no path.
    const std::string question =
        std::to_string(outside.size()) +
        " marked file(s) can not go to the Recycle Bin (a network or removable drive, a bin that deletes at once, a "
        "path too long) and would be deleted for good.\rYes: delete them for good. No: keep them. Cancel: delete "
        "nothing.";
    const int answer = ShowMessageBox(view.OwnerWindow, question, "Please confirm...",
                                      mb::kYesNoCancel | mb::kIconExclamation);
    if (answer != mb::kIdYes && answer != mb::kIdNo) return false;
    for (const TRESVIEW::Node* node : outside) (answer == mb::kIdYes ? state.forGood : state.spared).insert(node->item);
    return true;
}

bool DeleteMarked(TRESVIEW& view, DeletionState& state) {
    const Tally& del = view.Tallies[TallyDel];
    if (del.Files <= 0) return false;
    const std::string question = "You are marked to delete " + std::to_string(del.Files) +
                                 " file(s) with total size " + SizeText(del.Bytes) +
                                 "bytes. Are you shure to delete these files?";
    if (ShowMessageBox(view.OwnerWindow, question, "Please confirm...",
                       mb::kYesNoCancel | mb::kIconExclamation | mb::kHelp) != mb::kIdYes)
        return false;
    if (bUseRecycleBin && !AskAboutFilesTheBinCanNotTake(view, state)) return true;  // nothing deleted, marks kept
    TRESVIEW::Batch drawing(view);
    DeletionProgress progress(state.owner, view.Handle, del.Files);
    DeletionBatch batch(view, state, progress);
    std::vector<HTREEITEM> emptied;
    // The groups and their members as the view holds them before anything goes.
    for (const auto& [group, members] : view.Groups()) {
        if (DeleteGroup(view, group, members, batch, state, progress)) emptied.push_back(group);
        // Without a working undo file nothing more is deleted.
        if ((state.undo && state.undo->failed()) || progress.stopped()) break;
    }
    batch.flush();
    // A group leaves the results when fewer than two of its files are left:
    // a file kept back (refused, or that could not be deleted) still counts,
    // so the user still sees both copies and can try again.
    for (HTREEITEM group : emptied) {
        int left = 0;
        for (HTREEITEM f = view.FirstChild(group); f && left < 2; f = view.NextSibling(f)) ++left;
        if (left < 2) view.DeleteItem(group);
    }
    return true;
}

}  // namespace

bool ChooseUndoFile(HWND owner, std::string& path) {
    using namespace std::string_literals;
    return ChooseSaveFile(owner, {"Undo bat files (*.bat)\0*.bat\0All files (*.*)\0*.*\0\0"s, "bat"}, path);
}

std::string VersionText() {
    const std::optional<FileVersion> version = ReadFileVersion();
    if (!version) return "Unknown version!";
    char text[64];
    std::snprintf(text, sizeof text, "Version %d.%2.2d Build %d", version->major, version->minor, version->release);
    return text;
}

std::string UndoScriptText() {
    return ResourceBytes(IDR_UNDO_SCRIPT, RT_UNDO_SCRIPT);
}

namespace {

// The folder the save dialog opens in, handed to it in full with a name no
// file there has yet: the current folder (the dialog moves there after each
// save) when it can be named, else the user's documents. Given a folder it
// cannot open, the dialog opens one it remembers, where the name was never
// checked, and a second deletion would be offered the first one's undo file.
std::string undoFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string folder = n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
    if (folder.empty() || !platform::isFolder(platform::fromAnsi(folder))) {
        folder.clear();
        if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, buffer))) folder = buffer;
    }
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

bool DeleteCommand(HWND window, TRESVIEW& view) {
    if (view.Tallies[TallyDel].Files == 0) return true;
    std::string path;
    UndoFile undo(window);
    DeletionState state{window, bCreateUndo ? &undo : nullptr};
    if (bCreateUndo) {
        path = undoFolder();
        path += UnusedUndoName(path);
        if (!ChooseUndoFile(window, path)) return true;
        const UndoTexts texts{VersionText(), DateTimeText(ProgramStartTime), UndoScriptText()};
        std::string header;  // a date text the OEM code page lacks only shows as "?"
        UndoFileText(platform::fromAnsi(UndoHeader(bEnhancedUndo, texts)), header);
        // A file that cannot be written stops the command before anything is deleted.
        if (!undo.create(path) || !undo.write(header)) {
            undo.close();
            return true;
        }
    }
    const bool confirmed = DeleteMarked(view, state);
    // Every marked file kept back: nothing changed, so the user keeps the
    // window with its marks to mend the cause, and no undo file without an
    // entry is left to be mistaken for one that restores something.
    if (confirmed && state.deleted == 0) {
        undo.close();
        if (bCreateUndo) DeleteFileA(path.c_str());
        return false;
    }
    if (bCreateUndo) {
        std::string footer;
        UndoFileText(platform::fromAnsi(UndoFooter(bEnhancedUndo)), footer);
        undo.write(footer);
        undo.close();
    }
    return true;
}
