// The one way a dialog of the program is made: a class derived from Dialog,
// run through Dialog::Run (modal) or Dialog::Create (modeless), with named
// handlers. The object belongs to whoever runs it and outlives its window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/ui/dialog_ids.h"

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND handle() const { return handle_; }
    // Where the templates come from: the program's own file unless a DLL
    // shows dialogs of its own.
    void SetResourceModule(HINSTANCE module) { module_ = module; }
    HWND item(int id) const { return GetDlgItem(handle_, id); }

protected:
    // Shows the dialog from template resource name and returns the code it
    // ended with, or -1 when the system could not create it.
    INT_PTR Run(HWND owner, const char* name);
    INT_PTR Run(HWND owner, int id) { return Run(owner, MAKEINTRESOURCEA(id)); }
    // Creates it modeless; null when the system could not.
    HWND Create(HWND owner, const char* name);
    HWND Create(HWND owner, int id) { return Create(owner, MAKEINTRESOURCEA(id)); }
    // For a modeless dialog with a thread of its own: runs that thread's
    // messages, the dialog's keys included, until Close.
    void RunMessages();
    // Closes such a dialog from its own thread and ends RunMessages.
    void Close() {
        if (handle_) DestroyWindow(handle_);
        PostQuitMessage(0);
    }
    void End(INT_PTR code) { EndDialog(handle_, code); }

    // The answer to WM_INITDIALOG: true lets the system focus the first control.
    virtual bool OnInit() { return true; }
    // True when the command was handled.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual INT_PTR OnNotify(NMHDR*) { return FALSE; }
    // F1 and the help button: the window's context help, when it has an id.
    virtual void OnHelp();
    // Esc, the close box and Cancel; ends the dialog with 102 unless overridden.
    virtual void OnCancel() { End(IDC_CANCEL_BUTTON); }
    // Every other message; FALSE leaves it to the system.
    virtual INT_PTR OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }
    // Every message after WM_INITDIALOG comes through here first; a dialog that
    // must refuse messages for a while overrides it and calls the base.
    virtual INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
    HINSTANCE module_ = nullptr;
};
