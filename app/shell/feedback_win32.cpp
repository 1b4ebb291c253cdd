#include "app/shell/feedback_win32.h"

#include <algorithm>
#include <array>

#include "app/options/options.h"
#include "app/shell/feedback.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/product.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/shell_open.h"
#include "common/win32/syserror.h"
#include "common/win32/unique_handle.h"
#include "resources/VarnokScan/resource.h"

namespace {

// While a border is dragged the form keeps at least this size, in pixels.
constexpr LONG kMinWidth = 394;
constexpr LONG kMinHeight = 240;

class FeedbackWindow : public Dialog {
public:
    // IDOK with address() set when the user sent, IDCANCEL when not, -1 when
    // the form could not be shown.
    INT_PTR Run(HWND owner) { return Dialog::Run(owner, IDD_FEEDBACK); }
    const std::string& address() const { return address_; }

private:
    // A control that follows the form's right and bottom edges.
    struct Anchor {
        int id;
        bool moves;  // keeps its size and moves (the buttons)
        bool followsBottom;
        LONG right = 0, bottom = 0;  // distances from the form's edges
    };
    std::array<Anchor, 7> anchors_{{{IDOK, true, true},
                                    {IDCANCEL, true, true},
                                    {IDC_HELP_BUTTON, true, true},
                                    {IDC_FEEDBACK_MESSAGE_GROUP, false, true},
                                    {IDC_FEEDBACK_MESSAGE, false, true},
                                    {IDC_FEEDBACK_NAME, false, false},
                                    {IDC_FEEDBACK_MAIL, false, false}}};
    std::string address_;

    bool OnInit() override {
        for (int id : {IDC_FEEDBACK_NAME, IDC_FEEDBACK_MAIL, IDC_FEEDBACK_MESSAGE}) SetItemText(handle(), id, "");
        for (int id : {IDC_FEEDBACK_NAME, IDC_FEEDBACK_MAIL})
            SendDlgItemMessageA(handle(), id, EM_LIMITTEXT, kMaxFeedbackField, 0);
        SetWindowContextHelpId(handle(), IDH_FEEDBACK);
        RECT form;
        GetWindowRect(handle(), &form);
        for (Anchor& anchor : anchors_) {
            RECT r;
            GetWindowRect(item(anchor.id), &r);
            anchor.right = form.right - r.right;
            anchor.bottom = form.bottom - r.bottom;
        }
        return true;
    }

    void layout() {
        RECT form;
        GetWindowRect(handle(), &form);
        for (const Anchor& anchor : anchors_) {
            HWND control = item(anchor.id);
            RECT r;
            GetWindowRect(control, &r);
            const LONG width = r.right - r.left, height = r.bottom - r.top;
            RECT placed = r;
            if (anchor.moves) {
                placed.right = form.right - anchor.right;
                placed.left = placed.right - width;
                placed.bottom = form.bottom - anchor.bottom;
                placed.top = placed.bottom - height;
            } else {
                placed.right = form.right - anchor.right;
                if (anchor.followsBottom) placed.bottom = form.bottom - anchor.bottom;
            }
            MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&placed), 2);
            SetWindowPos(control, nullptr, placed.left, placed.top, std::max<LONG>(placed.right - placed.left, 0),
                         std::max<LONG>(placed.bottom - placed.top, 0), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        InvalidateRect(handle(), nullptr, TRUE);
    }

    static void keepMinimum(WPARAM edge, RECT& r) {
        if (r.right - r.left < kMinWidth) {
            if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
                r.left = r.right - kMinWidth;
            else
                r.right = r.left + kMinWidth;
        }
        if (r.bottom - r.top < kMinHeight) {
            if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
                r.bottom = r.top + kMinHeight;
            else
                r.top = r.bottom - kMinHeight;
        }
    }

    static bool writePage(const std::string& path, const std::string& text) {
        unique_file file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        DWORD written = 0;
        return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size() && file.reset();
    }

    void send() {
        const std::string name = GetItemText(handle(), IDC_FEEDBACK_NAME);
        const std::string mail = GetItemText(handle(), IDC_FEEDBACK_MAIL);
        const std::string message = GetItemText(handle(), IDC_FEEDBACK_MESSAGE);
        if (const std::string refusal = FeedbackRefusal(name, mail, message); !refusal.empty()) {
            ShowMessageBox(handle(), refusal, "Feedback form check...", mb::kOk);
            return;
        }
        address_ = FeedbackAddress(name, mail, message);
        // Too long to hand to the shell: the browser gets a page of ours that
        // goes on to the address. A page that cannot be written keeps the form
        // open with everything typed.
        if (address_.size() > kMaxShellAddress) {
            const std::string page = platform::specialFolders().temp + "Varnok Com feedback.htm";
            if (!writePage(page, FeedbackPage(address_))) {
                ShowMessageBox(handle(),
                               "Can not write file " + page + " Error code : " + std::to_string(GetLastError()),
                               "Error", mb::kIconHand);
                return;
            }
            address_ = page;
        }
        End(IDOK);
    }

    void OnCancel() override { End(IDCANCEL); }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDOK) {
            send();
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SIZING:
            keepMinimum(wParam, *reinterpret_cast<RECT*>(lParam));
            return TRUE;
        case WM_SIZE:
            layout();
            return TRUE;
        }
        return FALSE;
    }
};

}  // namespace

void FeedbackForm(HWND owner) {
    FeedbackWindow form;
    const INT_PTR result = form.Run(owner);
    if (result == -1) {
        ShowMessageBox(owner, SysErrorText(GetLastError()), "Error", mb::kOk);
        return;
    }
    if (result == IDOK) SendToSite(form.address());
}

void SendToSite(const std::string& address) {
    if (bWarnInternet && ShowMessageBox(nullptr,
                                        std::string("Program is trying send data from your PC to ") +
                                            product::kMakerWebSite + " internet site.\rProceed?",
                                        "Warning!", mb::kYesNo | mb::kIconExclamation) != mb::kIdYes)
        return;
    if (ShellOpen(nullptr, address, SW_SHOWNORMAL) > 32) return;
    ShowMessageBox(nullptr,
                   std::string("Program can not connect to the Internet by itself. Please visit ") +
                       product::kMakerWebSite + " and send us your message from there.",
                   "Error on attempting to internet...", mb::kIconHand);
}
