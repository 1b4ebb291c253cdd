// The installer and the uninstaller as a user runs them: silently installed
// into a folder of the test's own, then removed, with their boxes answered.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/box_answerer_win32.h"
#include "tests/support/build_paths_win32.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

const char kProductKey[] = "Software\\Varnok Com.\\Varnok Scan";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnok scan";
const char kAutoUpdateKey[] = "Software\\Varnok Com.\\AutoUpdate\\Varnok scan";
const char* const kSettings[] = {"bEnableAdvanced", "lAdvancedBufferSize", "lStandartBufferSize", "bNotDeleteLastCopy",
                                 "bCreateUndo",     "bEnhancedUndo",       "bWarnInternet",       "bUnixWildCard",
                                 "slFoldersToScan", "slIncludedFiles",     "slExcludedFiles"};
const char* const kGroupItems[] = {"Varnok Scan (Trellane).lnk", "Varnok Scan Documentation.lnk",
                                   "Varnok Scan license agreement.lnk", "Uninstall Varnok Scan.lnk"};

bool keyExists(HKEY root, const char* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

DWORD valueType(HKEY root, const char* key, const char* name) {
    DWORD type = REG_NONE;
    return SHGetValueA(root, key, name, &type, nullptr, nullptr) == ERROR_SUCCESS ? type : REG_NONE;
}

std::string stringValue(HKEY root, const char* key, const char* name) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    SHGetValueA(root, key, name, nullptr, text, &size);
    return text;
}

std::string group() {
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Varnok Scan\\";
}

bool waitFor(bool (*condition)(const std::string&), const std::string& path, int tenths) {
    for (int tick = 0; tick < tenths; ++tick) {
        if (condition(path)) return true;
        Sleep(100);
    }
    return condition(path);
}

bool gone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    void TearDown() override {
        SetEnvironmentVariableA("TEMP", savedTemp_.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        std::error_code ignored;
        std::filesystem::remove_all(group(), ignored);
    }

    // Installs silently into folder (which may hold blanks, "%" and "&").
    static void install(const std::string& folder) {
        const ProcessResult run = RunProcess("\"" + BuildFile("installer/VarnokScanSetup.exe") + "\" /S /D=" + folder);
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }
    // Runs the installed uninstaller from its own folder, answering its boxes.
    static std::vector<std::string> uninstall(const std::string& folder, std::vector<BoxAnswerer::Step> answers,
                                              int expectedCode = 0) {
        BoxAnswerer boxes(std::move(answers));
        const ProcessResult run = RunProcess("\"" + folder + "\\Uninstall.exe\"", 60000, folder);
        EXPECT_EQ(run.exitCode, expectedCode);
        return boxes.join();
    }
    // The temporary folder the uninstaller and its batch file get.
    void useTemporaryFolder(const std::string& folder) {
        char saved[MAX_PATH] = {};
        GetEnvironmentVariableA("TEMP", saved, MAX_PATH);
        savedTemp_ = saved;
        CreateDirectoryA(folder.c_str(), nullptr);
        SetEnvironmentVariableA("TEMP", folder.c_str());
    }

    TempFolder root;
    std::string savedTemp_;
};

}  // namespace

TEST_F(InstallTest, ASilentInstallLeavesTheProgramItsSettingsItsEntryAndItsGroup) {
    // A value the user has is kept.
    SHSetValueA(HKEY_CURRENT_USER, kProductKey, "lStandartBufferSize", REG_DWORD, "\x07\0\0\0", 4);
    const std::string folder = root.path("Varnok Scan");
    install(folder);
    for (const char* file : {"VarnokScan.exe", "update.dll", "Swaplet.exe", "Uninstall.exe", "tips.dat",
                             "VarnokScan.htm", "VarnokScan.css", "VarnokScan.txt"})
        EXPECT_TRUE(FileExists(folder + "\\" + file)) << file;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), folder);
    for (const char* name : kSettings) {
        const DWORD expected = name[0] == 's' ? REG_MULTI_SZ : REG_DWORD;
        EXPECT_EQ(valueType(HKEY_CURRENT_USER, kProductKey, name), expected) << name;
    }
    DWORD buffer = 0, size = sizeof buffer;
    SHGetValueA(HKEY_CURRENT_USER, kProductKey, "lStandartBufferSize", nullptr, &buffer, &size);
    EXPECT_EQ(buffer, 7u);
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Varnok Scan (Trellane)");
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + folder + "\\Uninstall.exe\"");
    for (const char* item : kGroupItems) EXPECT_TRUE(FileExists(group() + item)) << item;
    // As the system's own tool lists them.
    const std::string listed = RunProcess(std::string("reg.exe query \"HKCU\\") + kProductKey + "\"").output;
    for (const char* line : {"PathToApp    REG_SZ    ", "slFoldersToScan    REG_MULTI_SZ",
                             "bShowTips    REG_DWORD    0x1", "lStandartBufferSize    REG_DWORD    0x7"})
        EXPECT_NE(listed.find(line), std::string::npos) << line << "\n" << listed;

    // The program starts from where it was installed.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + folder + "\\VarnokScan.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &process));
    HWND window = nullptr;
    for (int tick = 0; tick < 100 && !window; ++tick, Sleep(100)) window = FindWindowA("VarnokScan", nullptr);
    EXPECT_NE(window, nullptr);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST_F(InstallTest, NoChangesNothingAndYesRemovesEverythingEvenWithPercentAndAmpersandInThePaths) {
    const std::string folder = root.path("Varnok 100% & Co");
    useTemporaryFolder(root.path("temp 50%PATH% & more"));
    install(folder);
    SetFileAttributesA((folder + "\\tips.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((folder + "\\Uninstall.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    SHSetValueA(HKEY_CURRENT_USER, kAutoUpdateKey, "LastAppliedUpdate", REG_BINARY, "\0\0\0\0\xA0\x95\xE2\x40", 8);

    std::vector<std::string> texts = uninstall(folder, {{"Question...", IDNO}});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "You want to uninstall the program Varnok Scan (Trellane)?");
    EXPECT_TRUE(FileExists(folder + "\\VarnokScan.exe"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(FileExists(group() + kGroupItems[0]));

    texts = uninstall(folder, {{"Question...", IDYES}, {"Bye...", IDOK}});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "Varnok Scan (Trellane) sucessfully removed from yours PC!");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kAutoUpdateKey)) << "the update library's keys stay";
    EXPECT_TRUE(waitFor(gone, group(), 50)) << "the Start menu group";
    EXPECT_TRUE(waitFor(gone, folder, 150)) << "the folder, once the batch has run";
    EXPECT_TRUE(waitFor(gone, root.path("temp 50%PATH% & more\\UnInstalVarnokScan.bat"), 50));
}

TEST_F(InstallTest, AFolderWithFilesOfTheUsersStaysAndTheBatchStillDeletesItself) {
    const std::string folder = root.path("Varnok Scan");
    useTemporaryFolder(root.path("temp"));
    install(folder);
    root.write("Varnok Scan/my notes.txt", "mine");
    uninstall(folder, {{"Question...", IDYES}, {"Bye...", IDOK}});
    EXPECT_TRUE(waitFor(gone, folder + "\\Uninstall.exe", 150));
    EXPECT_TRUE(waitFor(gone, root.path("temp\\UnInstalVarnokScan.bat"), 50));
    EXPECT_EQ(ReadWholeFile(folder + "\\my notes.txt"), "mine");
    EXPECT_FALSE(FileExists(folder + "\\VarnokScan.exe"));
}

TEST_F(InstallTest, WithoutARecordedFolderNothingIsTouched) {
    const std::string folder = root.path("Varnok Scan");
    install(folder);
    SHDeleteValueA(HKEY_CURRENT_USER, kProductKey, "PathToApp");
    const std::vector<std::string> texts = uninstall(folder, {{"Error...", IDOK}}, 1);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "Varnok Scan (Trellane) not found on your computer!");
    EXPECT_TRUE(FileExists(folder + "\\VarnokScan.exe"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(FileExists(group() + kGroupItems[0]));
}
