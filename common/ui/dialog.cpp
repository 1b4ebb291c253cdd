#include "common/ui/dialog.h"

#include <exception>

#include "common/messagebox.h"
#include "common/ui/help.h"

Dialog::~Dialog() {
    // A modeless window still up when its object goes must not call into it.
    if (handle_) SetWindowLongPtrA(handle_, DWLP_USER, 0);
}

INT_PTR Dialog::Run(HWND owner, const char* name) {
    return DialogBoxParamA(module_ ? module_ : GetModuleHandleA(nullptr), name, owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::Create(HWND owner, const char* name) {
    return CreateDialogParamA(module_ ? module_ : GetModuleHandleA(nullptr), name, owner, procedure,
                              reinterpret_cast<LPARAM>(this));
}

void Dialog::RunMessages() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Once the window is gone only the quit message is still to come.
        if (!handle_ || !IsDialogMessageA(handle_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

bool Dialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDCANCEL:
    case IDC_CANCEL_BUTTON:
        OnCancel();
        return true;
    case IDC_HELP_BUTTON:
        OnHelp();
        return true;
    }
    return false;
}

void Dialog::OnHelp() {
    if (DWORD id = GetWindowContextHelpId(handle_)) ShowContextHelp(handle_, id);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_HELP: {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (AnsweredElsewhere(info)) return TRUE;
        // A control with a topic of its own (a setting added later) opens that one.
        const HWND control = info->iContextType == HELPINFO_WINDOW ? static_cast<HWND>(info->hItemHandle) : nullptr;
        const DWORD own = control && control != handle_ && IsChild(handle_, control) ? GetWindowContextHelpId(control) : 0;
        if (own)
            ShowContextHelp(handle_, own);
        else
            OnHelp();
        return TRUE;
    }
    case WM_CHAR:
        if (wParam != VK_ESCAPE) break;
        OnCancel();
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE) break;
        OnCancel();
        return TRUE;
    }
    return OnMessage(message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->handle_ = window;
        SetWindowLongPtrA(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!self) return FALSE;
    // No exception may unwind through the system's dialog manager.
    try {
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, DWLP_USER, 0);
            self->OnMessage(message, wParam, lParam);
            self->handle_ = nullptr;
            return FALSE;
        }
        if (message == WM_INITDIALOG) return self->OnInit() ? TRUE : FALSE;
        return self->Dispatch(message, wParam, lParam);
    } catch (const std::exception& e) {
        ShowMessageBox(window, e.what(), "Error", mb::kIconHand);
    } catch (...) {
        ShowMessageBox(window, "An unexpected error occurred.", "Error", mb::kIconHand);
    }
    return FALSE;
}
