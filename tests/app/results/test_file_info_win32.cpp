#include <windows.h>

#include <gtest/gtest.h>

#include "app/results/file_info_win32.h"
#include "common/text.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/modal_driver_win32.h"

namespace {

TEST(FileInformation, ShowsWhatTheScanRecorded) {
    SetDateTimeFormats({"dd.MM.yyyy", "HH:mm:ss", "Am", "Pm"});
    platform::FindData record;
    record.Name = "report.doc";
    record.Size = 150000;
    record.Attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    record.Created = {2020, 1, 5, 3, 4, 5, 6, 0};
    record.Written = {2021, 11, 2, 30, 23, 59, 1, 0};
    record.Accessed = {2022, 12, 4, 31, 0, 0, 0, 0};
    std::vector<int> checked;
    std::string name, location, size, created, written, accessed;
    bool stillHiddenAfterClick = false, stillClearAfterClick = true;
    ModalDriver driver("File information", [&](HWND dialog) {
        for (int id = IDC_INFO_ARCHIVE; id <= IDC_INFO_TEMPORARY; ++id)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) checked.push_back(id);
        name = ModalDriver::ControlText(dialog, IDC_INFO_NAME);
        location = ModalDriver::ControlText(dialog, IDC_INFO_LOCATION);
        size = ModalDriver::ControlText(dialog, IDC_INFO_SIZE);
        created = ModalDriver::ControlText(dialog, IDC_INFO_CREATED);
        written = ModalDriver::ControlText(dialog, IDC_INFO_WRITTEN);
        accessed = ModalDriver::ControlText(dialog, IDC_INFO_ACCESSED);
        // The boxes only show: clicking them changes nothing.
        SendDlgItemMessageA(dialog, IDC_INFO_HIDDEN, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, IDC_INFO_ARCHIVE, BM_CLICK, 0, 0);
        stillHiddenAfterClick = IsDlgButtonChecked(dialog, IDC_INFO_HIDDEN) == BST_CHECKED;
        stillClearAfterClick = IsDlgButtonChecked(dialog, IDC_INFO_ARCHIVE) == BST_UNCHECKED;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShowFileInfo(nullptr, record, "C:");
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(checked, (std::vector<int>{IDC_INFO_HIDDEN, IDC_INFO_READONLY}));
    EXPECT_EQ(name, "report.doc");
    EXPECT_EQ(location, "C:");
    EXPECT_EQ(size, "150000");
    EXPECT_EQ(created, "03.01.2020 04:05:06");
    EXPECT_EQ(written, "30.11.2021 23:59:01");
    EXPECT_EQ(accessed, "31.12.2022 00:00:00");
    EXPECT_TRUE(stillHiddenAfterClick);
    EXPECT_TRUE(stillClearAfterClick);
    SetDateTimeFormats(DateTimeFormats{});
}

}  // namespace
