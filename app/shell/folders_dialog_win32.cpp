#include "folders_dialog_win32.h"

#include <utility>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/folder_tree.h"
#include "common/files.h"
#include "common/ui/folder_browser.h"
#include "app/options/options.h"
#include "app/shell/settings_win32.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/messagebox.h"
#include "common/win32/registry.h"
#include "common/text.h"
#include "common/win32/wide.h"
#include "resources/VarnokScan/resource.h"

namespace {

HWND listBox(HWND dialog) { return GetDlgItem(dialog, IDC_FOLDER_LIST); }

int entryCount(HWND dialog) { return static_cast<int>(SendMessageA(listBox(dialog), LB_GETCOUNT, 0, 0)); }

// A protected folder shows with this before its path (no path begins so).
const char kProtectedMark[] = "(protected) ";

// The line as the list shows it (wide messages: each folder by its own name).
std::string line(HWND dialog, int index) {
    LRESULT length = SendMessageW(listBox(dialog), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = SendMessageW(listBox(dialog), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length == LB_ERR ? 0 : static_cast<size_t>(length));
    return Utf8(text);
}

bool isProtected(HWND dialog, int index) { return line(dialog, index).starts_with(kProtectedMark); }

// The folder of a line, without its mark.
std::string entry(HWND dialog, int index) {
    std::string text = line(dialog, index);
    return text.starts_with(kProtectedMark) ? text.substr(sizeof kProtectedMark - 1) : text;
}

void addEntry(HWND dialog, const std::string& folder, bool guarded = false) {
    const std::wstring text = Wide((guarded ? kProtectedMark : "") + folder);
    SendMessageW(listBox(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void setProtected(HWND dialog, int index, bool guarded) {
    if (index < 0 || isProtected(dialog, index) == guarded) return;
    const std::wstring text = Wide((guarded ? kProtectedMark : "") + entry(dialog, index));
    SendMessageW(listBox(dialog), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(listBox(dialog), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(listBox(dialog), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Case is ignored as the file system ignores it, in every script.
bool sameFolder(const std::string& a, const std::string& b) { return platform::upperUtf8(a) == platform::upperUtf8(b); }

std::string notKeptText(const std::string& folder) {
    return "The folder " + folder +
           " can not be kept in the folder list: this system's code page can not spell its name, and it has no short "
           "name.";
}

class FoldersDialogWindow : public Dialog {
public:
    bool Run(HWND owner) { return Dialog::Run(owner, IDD_FOLDERS) == IDC_OK_BUTTON; }

private:
    bool OnInit() override {
        // The dialog always starts from the stored list, not from unsaved edits.
        LoadFolders();
        ShowNamesInAnyScript(listBox(handle()));
        for (const std::string& folder : slFoldersToScan) addEntry(handle(), folder, IsProtectedFolder(folder));
        // OK stores the list without them: the user hears of each first.
        for (const std::string& folder : slFoldersLeftOut) AddFolder(handle(), folder);
        SetWindowContextHelpId(handle(), IDH_FOLDERS);
        SetWindowContextHelpId(item(IDC_FOLDER_PROTECTED), IDH_PROTECTED);
        ShowProtection();
        return true;
    }

    // The box tells about the selected folder, and is off without one.
    void ShowProtection() {
        const int current = selected();
        EnableWindow(item(IDC_FOLDER_PROTECTED), current >= 0);
        CheckDlgButton(handle(), IDC_FOLDER_PROTECTED,
                       current >= 0 && isProtected(handle(), current) ? BST_CHECKED : BST_UNCHECKED);
    }

    int selected() const { return static_cast<int>(SendMessageA(listBox(handle()), LB_GETCURSEL, 0, 0)); }

    bool ask(const std::string& text) const {
        return ShowMessageBoxUtf8(handle(), text, "Question", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
    }

    bool OnCommand(int id, int code, HWND control) override {
        const HWND dialog = handle();
        std::string path;
        const int current = selected();
        switch (id) {
        case IDC_FOLDER_LIST:
            if (code == LBN_SELCHANGE) ShowProtection();
            return true;
        case IDC_FOLDER_PROTECTED:
            setProtected(dialog, current, IsDlgButtonChecked(dialog, IDC_FOLDER_PROTECTED) == BST_CHECKED);
            ShowProtection();
            return true;
        case IDC_ADD_TREE:
            if (BrowseForFolder(dialog, "Select root folder tree for adding to scanning list.", path)) {
                WaitCursor wait;
                AddTree(dialog, path);
            }
            return true;
        case IDC_ADD_FOLDER:
            if (BrowseForFolder(dialog, "Select folder for adding to scanning list.", path)) {
                WaitCursor wait;
                AddFolder(dialog, path);
            }
            return true;
        // Edit and both removes need an entry; without a selection they do nothing.
        case IDC_EDIT_FOLDER:
            if (current < 0) return true;
            path = entry(dialog, current);
            if (BrowseForFolder(dialog, "Edit folder", path)) {
                WaitCursor wait;
                if (SystemLength(path) > kMaxFolderEntry || StoredFolderEntry(path).empty()) {
                    AddFolder(dialog, path);  // refused and told; the entry stays as it was
                    return true;
                }
                SendMessageA(listBox(dialog), LB_DELETESTRING, static_cast<WPARAM>(current), 0);
                AddFolder(dialog, path);
            }
            ShowProtection();
            return true;
        case IDC_REMOVE_TREE:
            if (current < 0) return true;
            if (ask("Do you wish remove folder tree " + entry(dialog, current) + " from list?")) {
                WaitCursor wait;
                RemoveTree(dialog, entry(dialog, current));
            }
            ShowProtection();
            return true;
        case IDC_REMOVE_FOLDER:
            if (current < 0) return true;
            if (ask("Do you wish remove folder " + entry(dialog, current) + " from list?"))
                SendMessageA(listBox(dialog), LB_DELETESTRING, static_cast<WPARAM>(current), 0);
            ShowProtection();
            return true;
        case IDC_OK_BUTTON: {
            WaitCursor wait;
            std::vector<std::string> folders, guarded;
            for (int k = 0; k < entryCount(dialog); ++k) {
                folders.push_back(entry(dialog, k));
                if (isProtected(dialog, k)) guarded.push_back(folders.back());
            }
            std::vector<std::string> previous = std::exchange(slFoldersToScan, std::move(folders));
            std::vector<std::string> previousGuarded = std::exchange(slProtectedFolders, std::move(guarded));
            std::vector<std::string> notKept;
            try {
                SaveFolders(&notKept);
            } catch (const ListFileError& e) {
                // Nothing was saved: the dialog stays open with the user's edits.
                slFoldersToScan = std::move(previous);
                slProtectedFolders = std::move(previousGuarded);
                ShowMessageBox(dialog, e.what(), "This is error message! I am sorry...", mb::kIconHand);
                return true;
            }
            // Entries another program wrote: scanned until the program ends.
            for (const std::string& folder : notKept) ShowMessageBoxUtf8(dialog, notKeptText(folder), "Error", mb::kIconHand);
            End(IDC_OK_BUTTON);
            return true;
        }
        }
        return Dialog::OnCommand(id, code, control);
    }
};

}  // namespace

bool AddFolder(HWND dialog, const std::string& path, bool quiet) {
    if (SystemLength(path) > kMaxFolderEntry) {
        // A longer entry would come back cut on the next start, naming another folder.
        if (!quiet)
            ShowMessageBoxUtf8(dialog,
                               "This folder can not be scanned: its path is longer than 255 characters. " + path,
                               "Error", mb::kIconHand);
        return false;
    }
    // Older versions read the list in the code page: a folder it cannot spell
    // is kept by its 8.3 path, and without one it is not taken at all, rather
    // than lost from the list at the next start.
    if (StoredFolderEntry(path).empty()) {
        if (!quiet) ShowMessageBoxUtf8(dialog, notKeptText(path), "Error", mb::kIconHand);
        return false;
    }
    for (int k = 0; k < entryCount(dialog); ++k)
        if (sameFolder(entry(dialog, k), path)) return true;
    addEntry(dialog, path);
    return true;
}

void AddTree(HWND dialog, const std::string& path) {
    std::string root = path;
    if (root.empty() || root.back() != '\\') root += '\\';
    if (!AddFolder(dialog, root)) return;
    int unspelt = 0;
    const int leftOut = ForEachFolderInTree(root, [dialog, &root, &unspelt](const std::string& folder) {
        if (folder != root && !AddFolder(dialog, folder, true)) ++unspelt;
    });
    const auto tell = [dialog](int count, const char* why) {
        if (count > 0)
            ShowMessageBox(dialog, std::to_string(count) + " folder(s) of this tree were not added: " + why, "Error",
                           mb::kIconHand);
    };
    tell(leftOut, "the program can not name them in a path of at most 255 characters.");
    tell(unspelt,
         "this system's code page can not spell their names, and they have no short names, so the folder list could "
         "not keep them.");
}

void RemoveTree(HWND dialog, const std::string& root) {
    for (int k = entryCount(dialog) - 1; k >= 0; --k)
        if (sameFolder(entry(dialog, k).substr(0, root.size()), root))
            SendMessageA(listBox(dialog), LB_DELETESTRING, static_cast<WPARAM>(k), 0);
}

bool FoldersDialog(HWND owner) { return FoldersDialogWindow().Run(owner); }
