#include "common/win32/module.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "resources/VarnokScan/resource.h"

TEST(Module, AnswersForTheProgramAndForAnotherModule) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(UpperStr(ModuleFileName(kernel).substr(ModuleFileName(kernel).rfind('\\') + 1)), "KERNEL32.DLL");
    const std::string program = ModuleFileName();
    EXPECT_EQ(ProgramFolder(), program.substr(0, program.rfind('\\') + 1));
    EXPECT_TRUE(ReadFileVersion(kernel).has_value()) << "a system DLL has a version resource";
    EXPECT_EQ(LoadStr(IDS_TIP_SHORTCUT_HELP), "Call help.");
    EXPECT_EQ(LoadStr(IDS_TIP_SHORTCUT_HELP, kernel), "") << "another module's table is not the program's";
    EXPECT_EQ(ResourceBytes(IDR_UNDO_SCRIPT, RT_UNDO_SCRIPT).substr(0, 1), "@");
    EXPECT_EQ(ResourceBytes(IDR_UNDO_SCRIPT, RT_UNDO_SCRIPT, kernel), "");
}
