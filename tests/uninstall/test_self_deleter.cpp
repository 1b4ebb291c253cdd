// The batch file that removes the uninstaller: paths cmd.exe reads as they are.
#include <gtest/gtest.h>

#include "uninstall/self_deleter.h"

TEST(SelfDeleter, EveryPathIsQuotedWithItsPercentSignsDoubled) {
    const std::string text = SelfDeleterText("C:\\Program Files\\Varnok 100% & Co\\Uninstall.exe", "C:\\temp 50%^(x)\\");
    for (const char* line : {"del /f \"C:\\Program Files\\Varnok 100%% & Co\\Uninstall.exe\"\r\n",
                             "if not exist \"C:\\Program Files\\Varnok 100%% & Co\\Uninstall.exe\" goto Removed\r\n",
                             "rmdir \"C:\\Program Files\\Varnok 100%% & Co\"\r\n",
                             "del \"C:\\temp 50%%^(x)\\UnInstalVarnokScan.bat\"\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("100% "), std::string::npos);
}
