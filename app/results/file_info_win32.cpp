#include "file_info_win32.h"

#include <shellapi.h>

#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/text.h"
#include "common/win32/wide.h"
#include "resources/VarnokScan/resource.h"

namespace {

// Shows a copy of the record's fields; the record itself is never touched.
class FileInfoDialog : public Dialog {
public:
    FileInfoDialog(const platform::FindData& record, const std::string& folder) : record_(record), folder_(folder) {}
    void Run(HWND owner) { Dialog::Run(owner, IDD_FILE_INFO); }

private:
    bool OnInit() override {
        const HWND dialog = handle();
        // The file's own name and folder, whatever the code page spells.
        for (int id : {IDC_INFO_NAME, IDC_INFO_LOCATION}) ShowNamesInAnyScript(GetDlgItem(dialog, id));
        SetDlgItemTextW(dialog, IDC_INFO_NAME, Wide(realName()).c_str());
        SetDlgItemTextW(dialog, IDC_INFO_LOCATION, Wide(folder_).c_str());
        const std::pair<int, uint32_t> boxes[] = {{IDC_INFO_ARCHIVE, 0x20},  {IDC_INFO_COMPRESSED, 0x800},
                                                  {IDC_INFO_HIDDEN, 0x2},    {IDC_INFO_READONLY, 0x1},
                                                  {IDC_INFO_SYSTEM, 0x4},    {IDC_INFO_TEMPORARY, 0x100}};
        for (auto [id, bit] : boxes) SetCheck(dialog, id, (record_.Attributes & bit) != 0);
        SetItemNumber(dialog, IDC_INFO_SIZE, record_.Size);
        SetItemText(dialog, IDC_INFO_CREATED, DateTimeText(record_.Created));
        SetItemText(dialog, IDC_INFO_WRITTEN, DateTimeText(record_.Written));
        SetItemText(dialog, IDC_INFO_ACCESSED, DateTimeText(record_.Accessed));
        SetWindowContextHelpId(dialog, IDH_FILE_INFO);
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDC_INFO_OPEN: {
            const std::wstring path = Wide(folder_ + "\\" + realName());
            ShellExecuteW(handle(), L"open", path.c_str(), L"", L"", SW_SHOWNORMAL);
            return true;
        }
        case IDC_OK_BUTTON:
            End(IDC_OK_BUTTON);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    // A record made from a name alone has it in the code page.
    std::string realName() const { return record_.RealName.empty() ? platform::fromAnsi(record_.Name) : record_.RealName; }

    platform::FindData record_;
    std::string folder_;
};

}  // namespace

void ShowFileInfo(HWND owner, const platform::FindData& record, const std::string& folder) {
    FileInfoDialog(record, folder).Run(owner);
}
