#include "shortcuts_win32.h"

#include <commctrl.h>

#include <vector>

#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/help.h"
#include "common/messagebox.h"
#include "common/product.h"
#include "common/win32/registry.h"
#include "common/win32/syserror.h"
#include "common/ui/toolbar.h"
#include "resources/VarnokScan/resource.h"

unique_accelerators AcceleratorTable;

void LoadShortcuts() {
    // Without the product key, or without a readable table, the defaults serve.
    Shortcuts = DefaultShortcuts();
    ResultsShortcuts = DefaultResultsShortcuts();
    if (auto registry = TMYTMPREG::Create()) {
        std::string bytes(kShortcutRows * sizeof(ShortcutEntry), '\0');
        DWORD read = registry->ReadBinaryData("ShortCuts", bytes.data(), static_cast<DWORD>(bytes.size()));
        if (registry->Failed || read != bytes.size() || !DecodeShortcuts(bytes, Shortcuts)) Shortcuts = DefaultShortcuts();
        registry->Failed = false;  // each value stands on its own: a missing one gives its defaults
        std::string more(64 * sizeof(ShortcutEntry), '\0');
        read = registry->ReadBinaryData("ShortCutsResults", more.data(), static_cast<DWORD>(more.size()));
        if (!registry->Failed) MergeShortcuts(more.substr(0, read), ResultsShortcuts);
    }
    BuildAccelerators();
}

void BuildAccelerators() {
    std::vector<ACCEL> accelerators;
    for (const ShortcutEntry& e : Shortcuts) accelerators.push_back({e.flags, e.key, e.command});
    AcceleratorTable.reset(CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size())));
    accelerators.clear();
    for (const ShortcutEntry& e : ResultsShortcuts) accelerators.push_back({e.flags, e.key, e.command});
    ResultsAcceleratorTable.reset(CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size())));
}

bool SaveShortcuts() {
    std::unique_ptr<TMYREGISTRY> registry;
    try {
        registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    } catch (const RegistryError&) {
    }
    if (!registry) return false;
    const std::string bytes = EncodeShortcuts(Shortcuts);
    registry->WriteBinaryData("ShortCuts", bytes.data(), static_cast<DWORD>(bytes.size()));
    const std::string more = EncodeShortcuts(ResultsShortcuts);
    registry->WriteBinaryData("ShortCutsResults", more.data(), static_cast<DWORD>(more.size()));
    return true;
}

bool CheckShortcutFree(HWND owner, size_t row, const ShortcutEntry& entry) {
    if (FindShortcutClash(row, entry) < 0) return true;
    ShowMessageBox(owner,
                   "Excuse, the combination of keys chosen you is already associated to other command. Please choose "
                   "other combination of keys, or press \"Cancel\" for exit.",
                   "Error", mb::kIconHand);
    return false;
}

namespace {

std::string actionName(size_t row) { return LoadStr(ShortcutActionNameId(row)); }

class EditShortcutDialog : public Dialog {
public:
    EditShortcutDialog(const std::string& name, ShortcutEntry& entry) : name_(name), entry_(entry) {}
    INT_PTR Run(HWND owner) { return Dialog::Run(owner, IDD_EDIT_SHORTCUT); }

private:
    bool OnInit() override {
        const HWND dialog = handle();
        SetItemText(dialog, IDC_ACTION_NAME, name_);
        SetCheck(dialog, IDC_KEY_CTRL, entry_.flags & kFControl);
        SetCheck(dialog, IDC_KEY_ALT, entry_.flags & kFAlt);
        SetCheck(dialog, IDC_KEY_SHIFT, entry_.flags & kFShift);
        for (const KeyName& k : KeyNames())
            SendDlgItemMessageA(dialog, IDC_KEY_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k.name));
        SendDlgItemMessageA(dialog, IDC_KEY_LIST, CB_SETCURSEL, static_cast<WPARAM>(KeyIndex(entry_.key)), 0);
        SetWindowContextHelpId(dialog, IDH_EDIT_SHORTCUT);
        return true;
    }

    void OnCancel() override { End(IDCANCEL); }

    bool OnCommand(int id, int code, HWND control) override {
        if (id != IDOK) return Dialog::OnCommand(id, code, control);
        const HWND dialog = handle();
        uint8_t flags = kFVirtKey;
        if (IsChecked(dialog, IDC_KEY_CTRL)) flags |= kFControl;
        if (IsChecked(dialog, IDC_KEY_ALT)) flags |= kFAlt;
        if (IsChecked(dialog, IDC_KEY_SHIFT)) flags |= kFShift;
        LRESULT chosen = SendDlgItemMessageA(dialog, IDC_KEY_LIST, CB_GETCURSEL, 0, 0);
        entry_.flags = flags;
        entry_.key = chosen >= 0 && chosen < static_cast<LRESULT>(kKeyNameCount)
                         ? KeyNames()[static_cast<size_t>(chosen)].code
                         : 0xFFFF;
        End(IDOK);
        return true;
    }

    std::string name_;
    ShortcutEntry& entry_;
};

class ShortcutsWindow : public Dialog {
public:
    ShortcutsWindow() : saved_(Shortcuts), savedResults_(ResultsShortcuts) {}
    bool Run(HWND owner) { return Dialog::Run(owner, IDD_SHORTCUTS) == IDOK; }

    // While a border is dragged the dialog stays at least 145 x 150 pixels.
    static void KeepMinimumSize(int edge, RECT& r) {
        if (r.right - r.left < 145) {
            if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
                r.left = r.right - 145;
            else
                r.right = r.left + 145;
        }
        if (r.bottom - r.top < 150) {
            if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
                r.bottom = r.top + 150;
            else
                r.top = r.bottom - 150;
        }
    }

private:
    HWND list() const { return item(IDC_SHORTCUT_LIST); }

    bool OnInit() override {
        toolbar_ = CreateButtonToolbar(handle(), IDC_TOOLBAR, IDB_SHORTCUTS_TOOLBAR, 6,
                                       {{IDC_SHORTCUT_EDIT, 0}, {IDC_SHORTCUT_CLEAR, 1}, {0, 0, 8}, {IDOK, 3},
                                        {IDCANCEL, 4}, {0, 0, 8}, {IDC_HELP_BUTTON, 5}});
        ListView_SetExtendedListViewStyle(list(), LVS_EX_FULLROWSELECT);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<char*>("Keyboard shortcut");
        SendMessageA(list(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        column.cx = 400;
        column.pszText = const_cast<char*>("Action");
        SendMessageA(list(), LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        ListView_SetItemCountEx(list(), kAllShortcutRows, 0);
        SetWindowContextHelpId(handle(), IDH_SHORTCUTS);
        Layout();
        return true;
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SIZE:
            Layout();
            return TRUE;
        case WM_SIZING:
            KeepMinimumSize(static_cast<int>(wParam), *reinterpret_cast<RECT*>(lParam));
            return TRUE;
        }
        return FALSE;
    }

    void Layout() {
        RECT client{};
        GetClientRect(handle(), &client);
        SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        RECT bar{};
        GetWindowRect(toolbar_, &bar);
        const int top = bar.bottom - bar.top;
        MoveWindow(list(), 0, top, client.right, client.bottom - top, TRUE);
    }

    int selectedRow() const { return static_cast<int>(SendMessageA(list(), LVM_GETSELECTIONMARK, 0, 0)); }

    void OnCancel() override {
        Shortcuts = saved_;
        ResultsShortcuts = savedResults_;
        End(IDCANCEL);
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDC_SHORTCUT_EDIT:
            Edit();
            return true;
        case IDC_SHORTCUT_CLEAR:
            Clear();
            return true;
        case IDOK:
            if (!SaveShortcuts()) {
                // Nothing was stored: the dialog stays open, so the user can try again or cancel.
                ShowMessageBox(handle(),
                               "Can not save the keyboard shortcuts: the program's registry key can not be opened.",
                               "Error", mb::kIconHand);
                return true;
            }
            BuildAccelerators();
            End(IDOK);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    void Edit() {
        const int row = selectedRow();
        if (row < 0 || row >= static_cast<int>(kAllShortcutRows)) {
            ShowMessageBox(handle(),
                           "Please, before a defining or editing a keyboard shortcut, choose the necessary command "
                           "from the list.",
                           "Sorry...", mb::kIconHand);
            return;
        }
        ShortcutEntry copy = ShortcutRow(static_cast<size_t>(row));
        for (;;) {
            if (!EditShortcut(handle(), actionName(static_cast<size_t>(row)), copy)) return;
            if (CheckShortcutFree(handle(), static_cast<size_t>(row), copy)) {
                ShortcutRow(static_cast<size_t>(row)) = copy;
                InvalidateRect(list(), nullptr, TRUE);
                return;
            }
        }
    }

    void Clear() {
        const int row = selectedRow();
        if (row < 0 || row >= static_cast<int>(kAllShortcutRows)) {
            ShowMessageBox(handle(),
                           "Please, before clearing a keyboard shortcut, choose the necessary command from the list.",
                           "Sorry...", mb::kIconHand);
            return;
        }
        ShortcutEntry& entry = ShortcutRow(static_cast<size_t>(row));
        if (entry.key == 0) return;
        const std::string question = "You want to remove assignment of a keys combination \"" + ShortcutText(entry) +
                                     "\" from operation \"" + actionName(static_cast<size_t>(row)) + "\"?\rRemove?";
        if (ShowMessageBox(handle(), question, "Question", mb::kYesNo | mb::kIconQuestion) != mb::kIdYes) return;
        entry.flags = 0;
        entry.key = 0;
        InvalidateRect(list(), nullptr, TRUE);
    }

    INT_PTR OnNotify(NMHDR* header) override {
        if (header->code == LVN_GETDISPINFOA && header->idFrom == IDC_SHORTCUT_LIST) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            const auto row = static_cast<size_t>(info->item.iItem);
            if ((info->item.mask & LVIF_TEXT) && row < kAllShortcutRows) {
                text_ = info->item.iSubItem == 0 ? ShortcutListText(ShortcutRow(row)) : actionName(row);
                lstrcpynA(info->item.pszText, text_.c_str(), info->item.cchTextMax);
            }
            return TRUE;
        }
        if (header->code == TTN_NEEDTEXTA) {
            auto* tip = reinterpret_cast<TOOLTIPTEXTA*>(header);
            int stringId = 0;
            switch (header->idFrom) {
            case IDC_SHORTCUT_EDIT: stringId = IDS_TIP_SHORTCUT_EDIT; break;
            case IDC_SHORTCUT_CLEAR: stringId = IDS_TIP_SHORTCUT_CLEAR; break;
            case IDOK: stringId = IDS_TIP_SHORTCUT_APPLY; break;
            case IDCANCEL: stringId = IDS_TIP_SHORTCUT_CANCEL; break;
            case IDC_HELP_BUTTON: stringId = IDS_TIP_SHORTCUT_HELP; break;
            }
            text_ = stringId ? LoadStr(static_cast<UINT>(stringId)) : std::string();
            tip->lpszText = const_cast<char*>(text_.c_str());
            return TRUE;
        }
        return FALSE;
    }

    HWND toolbar_ = nullptr;
    ShortcutTable saved_;
    ResultsShortcutTable savedResults_;
    std::string text_;
};

}  // namespace

bool EditShortcut(HWND owner, const std::string& name, ShortcutEntry& entry) {
    const INT_PTR result = EditShortcutDialog(name, entry).Run(owner);
    if (result == IDOK) return true;
    if (result != IDCANCEL) ShowMessageBox(owner, SysErrorText(GetLastError()), "Error", mb::kIconHand);
    return false;
}

bool ShortcutsDialog(HWND owner) { return ShortcutsWindow().Run(owner); }
