// The Win32 side of the common library: the system's error texts, the real
// message box, and forced deletion against Windows' own refusals.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/files.h"
#include "common/messagebox.h"
#include "common/win32/syserror.h"
#include "common/text.h"
#include "common/win32/unique_handle.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(SysErrorText, GivesTheSystemWordingWithItsLineBreak) {
    std::string text = SysErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find("not found"), std::string::npos) << text;
    EXPECT_LE(SysErrorText(ERROR_ACCESS_DENIED).size(), 255u);
}

TEST(SysErrorText, UnknownCodeGivesAnEmptyText) {
    EXPECT_EQ(SysErrorText(0x2FFFFFFF), "");
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(SysErrorText(0x2FFFFFFF, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST(SysErrorText, InsertsStayAsTheyAre) {
    // "%1 is not a valid Win32 application." has an insert and no arguments
    std::string text = SysErrorText(ERROR_BAD_EXE_FORMAT);
    EXPECT_NE(text.find("%1"), std::string::npos) << text;
}

TEST(SysErrorText, CallersBufferIsFilledUpToItsSize) {
    std::string whole = SysErrorText(ERROR_FILE_NOT_FOUND);
    char buffer[6];
    size_t n = SysErrorText(ERROR_FILE_NOT_FOUND, buffer, sizeof buffer);
    EXPECT_LE(n, 5u);
    EXPECT_EQ(std::string(buffer), whole.substr(0, n));
    char large[1024];
    EXPECT_EQ(SysErrorText(ERROR_FILE_NOT_FOUND, large, sizeof large), whole.size());
    EXPECT_EQ(SysErrorText(ERROR_FILE_NOT_FOUND, nullptr, 0), 0u);
}

TEST(RealMessageBox, ShowsTextAndCaptionAndReturnsTheButtonPressed) {
    std::string seenText;
    ModalDriver driver("Question", [&](HWND box) {
        seenText = ModalDriver::ControlText(box, 0xFFFF);
        SendMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    });
    int answer = ShowMessageBox(nullptr, "Do you really want to leave?", "Question", mb::kYesNo | mb::kIconQuestion);
    EXPECT_TRUE(driver.found());
    EXPECT_FALSE(driver.timedOut());
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seenText, "Do you really want to leave?");
}

TEST(RealMessageBox, InternalErrorBoxShowsThreeLines) {
    std::string seenText;
    ModalDriver driver("Error!", [&](HWND box) {
        seenText = ModalDriver::ControlText(box, 0xFFFF);
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    TERRORCLASS object;
    object.Error(0x945, 2);
    EXPECT_TRUE(driver.found());
    EXPECT_NE(seenText.find("Module ID : 0945 Error ID : 0002"), std::string::npos) << seenText;
}

TEST(MessageStyles, MatchTheSystemValues) {
    EXPECT_EQ(mb::kIconHand, static_cast<uint32_t>(MB_ICONHAND));
    EXPECT_EQ(mb::kYesNoCancel | mb::kIconExclamation | mb::kHelp,
              static_cast<uint32_t>(MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_HELP));
    EXPECT_EQ(mb::kTaskModal | mb::kIconInformation, static_cast<uint32_t>(MB_TASKMODAL | MB_ICONINFORMATION));
    EXPECT_EQ(mb::kIdYes, IDYES);
    EXPECT_EQ(mb::kIdNo, IDNO);
}

TEST(DeleteFileForced, ClearsHiddenSystemAndReadOnly) {
    TempFolder folder;
    std::string path = folder.write("all-three.txt", "x");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    MessageRecorder messages;
    EXPECT_TRUE(DeleteFileForced(path));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DeleteFileForced, AFileInUseIsReportedWithTheSharingError) {
    TempFolder folder;
    std::string path = folder.write("in-use.txt", "x");
    unique_file holder(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    MessageRecorder messages;
    EXPECT_FALSE(DeleteFileForced(path));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Can not delete file " + path + " Error code : 32");
    EXPECT_EQ(messages.shown[0].caption, "This is error message! I am sorry...");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_ICONHAND));
    holder.reset();
    EXPECT_TRUE(FileExists(path));
}

TEST(DeleteFileForced, ARealBoxReportsTheFailure) {
    TempFolder folder;
    std::string path = folder.path("missing.txt");
    std::string seenText;
    ModalDriver driver("This is error message! I am sorry...", [&](HWND box) {
        seenText = ModalDriver::ControlText(box, 0xFFFF);
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_FALSE(DeleteFileForced(path));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(seenText, "Can not delete file " + path + " Error code : 2");
}

}  // namespace
