#include "app/shell/options_dialog_win32.h"

#include <commctrl.h>

#include "app/options/options.h"
#include "app/scan/masks.h"
#include "app/shell/settings_win32.h"
#include "common/messagebox.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/win32/remembered_place.h"
#include "resources/VarnokScan/resource.h"

namespace {

class OptionsWindow : public Dialog {
public:
    bool Run(HWND owner) { return Dialog::Run(owner, IDD_OPTIONS) == IDC_OK_BUTTON; }

private:
    // A track bar over the rectangle of a hidden placeholder.
    HWND createTrackBar(int placeholderId) {
        RECT r{};
        GetWindowRect(item(placeholderId), &r);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
        HWND bar = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, handle(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(kMinBufferUnits, kMaxBufferUnits));
        return bar;
    }

    static int32_t position(HWND bar) { return static_cast<int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0)); }

    void showSize(HWND bar) {
        const int32_t units = position(bar);
        if (units == 0) return;
        SetItemText(handle(), bar == standard_ ? IDC_OPT_STANDARD_TEXT : IDC_OPT_ADVANCED_TEXT, BufferSizeText(units));
    }

    void enableAdvanced(bool on) {
        EnableWindow(advanced_, on);
        EnableWindow(item(IDC_OPT_ADVANCED_LABEL), on);
        EnableWindow(item(IDC_OPT_ADVANCED_TEXT), on);
    }

    void enableUndoKinds(bool on) {
        EnableWindow(item(IDC_OPT_SIMPLE_UNDO), on);
        EnableWindow(item(IDC_OPT_ENHANCED_UNDO), on);
    }

    bool OnInit() override {
        standard_ = createTrackBar(IDC_OPT_STANDARD_PLACE);
        advanced_ = createTrackBar(IDC_OPT_ADVANCED_PLACE);
        // The dialog shows the stored options; until OK the ones in use stay as they are.
        const OptionValues inUse = CurrentOptions();
        const bool dialect = UnixWildcards;
        LoadSettings();
        const bool storedDialect = UnixWildcards;
        const OptionValues stored = CurrentOptions();
        RestoreOptions(inUse);
        SetUnixWildcards(dialect);

        SendMessageA(standard_, TBM_SETPOS, TRUE, stored.standartBufferSize);
        SendMessageA(advanced_, TBM_SETPOS, TRUE, stored.advancedBufferSize);
        enableAdvanced(stored.enableAdvanced);
        SetCheck(handle(), IDC_OPT_SIMPLE_UNDO, !stored.enhancedUndo);
        SetCheck(handle(), IDC_OPT_ENHANCED_UNDO, stored.enhancedUndo);
        enableUndoKinds(stored.createUndo);
        SetCheck(handle(), IDC_OPT_ADVANCED, stored.enableAdvanced);
        SetCheck(handle(), IDC_OPT_KEEP_LAST, stored.notDeleteLastCopy);
        SetCheck(handle(), IDC_OPT_UNDO, stored.createUndo);
        SetCheck(handle(), IDC_OPT_WARN_INTERNET, stored.warnInternet);
        SetCheck(handle(), IDC_OPT_UNIX, storedDialect);
        SetItemText(handle(), IDC_OPT_SKIP_SMALLER, std::to_string(stored.skipSmallerThan));
        SendMessageA(item(IDC_OPT_SKIP_SMALLER), EM_LIMITTEXT, 10, 0);
        SetCheck(handle(), IDC_OPT_SKIP_EMPTY, stored.skipEmptyFiles);
        SetCheck(handle(), IDC_OPT_RECYCLE, stored.useRecycleBin);
        SetCheck(handle(), IDC_OPT_REMEMBER, stored.rememberContents);
        showSize(standard_);
        showSize(advanced_);
        SetWindowContextHelpId(handle(), IDH_OPTIONS);
        for (int id : {IDC_OPT_SKIP_SMALLER, IDC_OPT_SKIP_EMPTY}) SetWindowContextHelpId(item(id), IDH_SIZE_FLOOR);
        SetWindowContextHelpId(item(IDC_OPT_RECYCLE), IDH_RECYCLE_BIN);
        for (int id : {IDC_OPT_REMEMBER, IDC_OPT_FORGET}) SetWindowContextHelpId(item(id), IDH_REMEMBER);
        return true;
    }

    INT_PTR OnMessage(UINT message, WPARAM, LPARAM lParam) override {
        if (message != WM_HSCROLL) return FALSE;
        const HWND bar = reinterpret_cast<HWND>(lParam);
        if (bar == standard_ || bar == advanced_) showSize(bar);
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDC_OPT_ADVANCED:
            enableAdvanced(IsChecked(handle(), IDC_OPT_ADVANCED));
            return true;
        case IDC_OPT_UNDO:
            enableUndoKinds(IsChecked(handle(), IDC_OPT_UNDO));
            return true;
        case IDC_OPT_FORGET:
            forget();
            return true;
        case IDC_OK_BUTTON: {
            int32_t floor = 0;
            if (!ParseSkipSmallerThan(GetItemText(handle(), IDC_OPT_SKIP_SMALLER), floor)) {
                ShowMessageBox(handle(), "Please enter the size as a number of bytes, from 0 to 2147483647.", "Error",
                               mb::kIconHand);
                SetFocus(item(IDC_OPT_SKIP_SMALLER));
                SendMessageA(item(IDC_OPT_SKIP_SMALLER), EM_SETSEL, 0, -1);
                return true;
            }
            const OptionValues before = CurrentOptions();
            const bool dialect = UnixWildcards;
            lStandartBufferSize = position(standard_);
            lAdvancedBufferSize = position(advanced_);
            bEnableAdvanced = IsChecked(handle(), IDC_OPT_ADVANCED);
            bNotDeleteLastCopy = IsChecked(handle(), IDC_OPT_KEEP_LAST);
            bCreateUndo = IsChecked(handle(), IDC_OPT_UNDO);
            bEnhancedUndo = IsChecked(handle(), IDC_OPT_ENHANCED_UNDO);
            bWarnInternet = IsChecked(handle(), IDC_OPT_WARN_INTERNET);
            SetUnixWildcards(IsChecked(handle(), IDC_OPT_UNIX));
            bUnixWildCard = UnixWildcards;
            lSkipSmallerThan = floor;
            bSkipEmptyFiles = IsChecked(handle(), IDC_OPT_SKIP_EMPTY);
            bUseRecycleBin = IsChecked(handle(), IDC_OPT_RECYCLE);
            bRememberContents = IsChecked(handle(), IDC_OPT_REMEMBER);
            if (!SaveSettings()) {
                // Nothing was stored: the options in use stay, and so does the dialog.
                RestoreOptions(before);
                SetUnixWildcards(dialect);
                ShowMessageBox(handle(), "Can not save the options: the program's registry key can not be opened.",
                               "Error", mb::kIconHand);
                return true;
            }
            End(IDC_OK_BUTTON);
            return true;
        }
        }
        return Dialog::OnCommand(id, code, control);
    }

    // At once, whatever OK or Cancel does after: the store is the user's to
    // clear, and a search with the option on starts a new one.
    void forget() {
        bool kept = false;
        const std::string store = RememberedContentsPath();
        const bool found = !store.empty() && ForgetRememberedContents(store, &kept);
        if (kept)
            ShowMessageBoxUtf8(handle(),
                               "What files hold could not be forgotten: another program is using " +
                                   store + ". Please try again when it has ended.",
                               "Error", mb::kIconHand);
        else if (found)
            ShowMessageBox(handle(), "What earlier searches remembered of files is forgotten.", "Information",
                           mb::kIconInformation);
        else
            ShowMessageBox(handle(), "Nothing is remembered of files: there was nothing to forget.", "Information",
                           mb::kIconInformation);
    }

    HWND standard_ = nullptr;
    HWND advanced_ = nullptr;
};

}  // namespace

bool OptionsDialog(HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    return OptionsWindow().Run(owner);
}
