#include "file_info_win32.h"

#include <shellapi.h>

#include "common/ui/dialog_helpers.h"
#include "common/text.h"
#include "resources/VarnokScan/resource.h"

namespace {

// The copy lives here for the dialog's lifetime; the record itself is never touched.
struct Shown {
    platform::FindData record;
    std::string folder;
};
Shown shown;

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        const platform::FindData& r = shown.record;
        SetItemText(dialog, IDC_INFO_NAME, r.Name);
        SetItemText(dialog, IDC_INFO_LOCATION, shown.folder);
        const std::pair<int, uint32_t> boxes[] = {{IDC_INFO_ARCHIVE, 0x20},  {IDC_INFO_COMPRESSED, 0x800},
                                                  {IDC_INFO_HIDDEN, 0x2},    {IDC_INFO_READONLY, 0x1},
                                                  {IDC_INFO_SYSTEM, 0x4},    {IDC_INFO_TEMPORARY, 0x100}};
        for (auto [id, bit] : boxes) SetCheck(dialog, id, (r.Attributes & bit) != 0);
        SetItemNumber(dialog, IDC_INFO_SIZE, r.Size);
        SetItemText(dialog, IDC_INFO_CREATED, DateTimeText(r.Created));
        SetItemText(dialog, IDC_INFO_WRITTEN, DateTimeText(r.Written));
        SetItemText(dialog, IDC_INFO_ACCESSED, DateTimeText(r.Accessed));
        return TRUE;
    }
    if (DefaultDialogCommands(dialog, message, wParam)) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_INFO_OPEN: {
        const std::string path = shown.folder + "\\" + shown.record.Name;
        ShellExecuteA(dialog, "open", path.c_str(), "", "", SW_SHOWNORMAL);
        return TRUE;
    }
    case IDC_OK_BUTTON:
        EndDialog(dialog, IDC_OK_BUTTON);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void ShowFileInfo(HWND owner, const platform::FindData& record, const std::string& folder) {
    shown = {record, folder};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILE_INFO), owner, procedure, 0);
}
