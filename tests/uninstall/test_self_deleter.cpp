// The batch file that removes the uninstaller: paths cmd.exe reads as they are.
#include <gtest/gtest.h>

#include "uninstall/self_deleter.h"

TEST(SelfDeleter, FiveLinesWithEveryPathQuotedAndItsPercentSignsDoubled) {
    EXPECT_EQ(SelfDeleterText("C:\\Program Files\\Varnok 100% & Co\\Uninstall.exe", "C:\\temp 50%^(x)\\"),
              ":ContWait\r\n"
              "del /f \"C:\\Program Files\\Varnok 100%% & Co\\Uninstall.exe\"\r\n"
              "if exist \"C:\\Program Files\\Varnok 100%% & Co\\Uninstall.exe\" goto ContWait\r\n"
              "rmdir \"C:\\Program Files\\Varnok 100%% & Co\"\r\n"
              "del \"C:\\temp 50%%^(x)\\UnInstalVarnokScan.bat\"\r\n");
}
