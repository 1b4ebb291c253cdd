#include "update/win32/offer_win32.h"

#include "common/messagebox.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/win32/syserror.h"
#include "resources/update/resource.h"
#include "update/dates.h"
#include "update/update_list.h"
#include "update/win32/last_update_win32.h"
#include "update/win32/module_win32.h"
#include "update/win32/transport_win32.h"

namespace {

constexpr size_t kListCapacity = 63999;  // the answer's room, one byte kept for its end

class OfferWindow : public Dialog {
public:
    INT_PTR Run(HWND owner) {
        SetResourceModule(UpdateModule());
        return Dialog::Run(owner, IDD_OFFER);
    }

private:
    bool OnInit() override {
        const std::string product = "Varnok scan";
        const std::string request = UpdateListRequest(UpdateServer().host, 1, WireDate(ReadLastUpdate(product)),
                                                      WireDate(ReadLastCommonUpdate()));
        std::string answer;
        if (FetchTextWithProgress(request, answer, kListCapacity) < 1) {
            if (!FailureTold)
                ShowMessageBox(handle(), CannotReceiveText(), "Error", mb::kIconExclamation | mb::kSetForeground);
            End(IDCANCEL);
            return true;
        }
        const UpdateListView view = ReadUpdateList(answer);
        if (view.empty) {
            ShowMessageBox(handle(), "You already have latest version of Varnok scan!", "Congratulation", mb::kOk);
            End(IDCANCEL);
            return true;
        }
        SendDlgItemMessageA(handle(), IDC_OFFER_HISTORY, EM_REPLACESEL, FALSE,
                            reinterpret_cast<LPARAM>(view.shown.c_str()));
        if (view.totalSeen) SetItemText(handle(), IDC_OFFER_SIZE, view.totalSize);
        if (view.lastSeen) SetItemText(handle(), IDC_OFFER_AVAILABLE, view.lastDate);
        if (!view.complete()) {
            End(IDCANCEL);
            return true;
        }
        SetItemText(handle(), IDC_OFFER_INSTALLED, DateToUpDate(ReadLastUpdate(product)));
        SetWindowContextHelpId(handle(), IDH_OFFER);
        // The list is read, not selected: the focus starts on the offer's answer.
        SetFocus(item(IDOK));
        return false;
    }

    void OnCancel() override { End(IDCANCEL); }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDOK:
            End(IDOK);
            return true;
        case IDC_UPDATE_HELP: {
            // A help request for the whole dialog: the system hands it on to
            // the owner, whose help file has the topic.
            HELPINFO info{};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.hItemHandle = handle();
            info.dwContextId = IDH_OFFER;
            GetCursorPos(&info.MousePos);
            SendMessageA(handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            return true;
        }
        }
        return Dialog::OnCommand(id, code, control);
    }

    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_HELP) return FALSE;
        return Dialog::Dispatch(message, wParam, lParam);
    }
};

}  // namespace

std::string CannotReceiveText() {
    return "Can not receive data from " + UpdateServer().host +
           "! Connection with the Internet is probably lost, or other network problem...";
}

bool OfferUpdate(HWND owner) {
    const INT_PTR result = OfferWindow().Run(owner);
    if (result == IDOK) return true;
    if (result != IDCANCEL)
        ShowMessageBox(nullptr, SysErrorText(GetLastError()), "Error!", mb::kIconHand | mb::kSetForeground);
    return false;
}
