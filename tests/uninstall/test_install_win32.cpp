// The installer and the uninstaller as a user runs them: silently installed
// into a folder of the test's own, then removed, with their boxes answered.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/win32/wide.h"
#include "tests/support/box_answerer_win32.h"
#include "tests/support/build_paths_win32.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "uninstall/self_deleter.h"

namespace {

const char kProductKey[] = "Software\\Varnok Com.\\Varnok Scan";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnok scan";
const char kAutoUpdateKey[] = "Software\\Varnok Com.\\AutoUpdate\\Varnok scan";
const char* const kSettings[] = {"bEnableAdvanced", "lAdvancedBufferSize", "lStandartBufferSize", "bNotDeleteLastCopy",
                                 "bCreateUndo",     "bEnhancedUndo",       "bWarnInternet",       "bUnixWildCard",
                                 "slFoldersToScan", "slIncludedFiles",     "slExcludedFiles",     "bRememberContents"};
const char* const kGroupItems[] = {"Varnok Scan (Trellane).lnk", "Varnok Scan Documentation.lnk",
                                   "Varnok Scan license agreement.lnk", "Uninstall Varnok Scan.lnk"};

// This edition's installer, beside the build's programs.
#ifdef _WIN64
const char kSetup[] = "installer/VarnokScanSetup-x64.exe";
#else
const char kSetup[] = "installer/VarnokScanSetup.exe";
#endif

// view: 0, or one of the machine's two views (KEY_WOW64_32KEY, KEY_WOW64_64KEY).
bool keyExists(HKEY root, const char* key, REGSAM view = 0) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

DWORD valueType(HKEY root, const char* key, const char* name) {
    DWORD type = REG_NONE;
    return SHGetValueA(root, key, name, &type, nullptr, nullptr) == ERROR_SUCCESS ? type : REG_NONE;
}

std::string stringValue(HKEY root, const char* key, const char* name, REGSAM view = 0) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return {};
    RegQueryValueExA(opened, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(opened);
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

DWORD dwordValue(const char* name) {
    DWORD value = 0, size = sizeof value;
    SHGetValueA(HKEY_CURRENT_USER, kProductKey, name, nullptr, &value, &size);
    return value;
}

// Where an installation goes when the user names no folder.
std::string defaultFolder() {
    char local[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
    return std::string(local) + "\\Programs\\Varnok Scan";
}

// The installed program, started as the Start menu starts it; ended by the
// destructor.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + folder + "\\VarnokScan.exe\"";
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                            &process_))
            return;
        for (int tick = 0; tick < 100 && !window; ++tick, Sleep(100)) window = FindWindowA("VarnokScan", nullptr);
    }
    ~RunningProgram() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    HWND window = nullptr;

private:
    PROCESS_INFORMATION process_{};
};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        std::error_code ignored;
        std::filesystem::remove_all(defaultFolder(), ignored);
    }
    void TearDown() override {
        SetEnvironmentVariableA("TEMP", savedTemp_.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        std::error_code ignored;
        std::filesystem::remove_all(group(), ignored);
    }

    // Installs silently into folder (which may hold blanks, "%" and "&").
    static void install(const std::string& folder) {
        const ProcessResult run = RunProcess("\"" + BuildFile(kSetup) + "\" /S /D=" + folder);
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
    // The user's settings and a folder list too long for the registry, which
    // lives beside the program in folder (relative to the test's root); the list.
    std::string keepSettingsAndList(const std::string& folder) {
        std::string list;
        for (int i = 0; i < 700; ++i) list += "C:\\Photos\\Holiday " + std::to_string(i) + "\\" + '\0';
        list += '\0';
        root.write(folder + "/slFoldersToScan.dat", list);
        const DWORD size = static_cast<DWORD>(list.size());
        SHSetValueA(HKEY_CURRENT_USER, kProductKey, "slFoldersToScan", REG_DWORD, &size, sizeof size);
        SHSetValueA(HKEY_CURRENT_USER, kProductKey, "lStandartBufferSize", REG_DWORD, "\x07\0\0\0", 4);
        return list;
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
                             "VarnokScan.htm", "VarnokScan.css", "VarnokScan.txt", "VarnokScan.hlp", "VarnokScan.cnt",
                             "VarnokScan.chm"})
        EXPECT_TRUE(FileExists(folder + "\\" + file)) << file;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), folder);
    for (const char* name : kSettings) {
        const DWORD expected = name[0] == 's' ? REG_MULTI_SZ : REG_DWORD;
        EXPECT_EQ(valueType(HKEY_CURRENT_USER, kProductKey, name), expected) << name;
    }
    DWORD buffer = 0, size = sizeof buffer;
    SHGetValueA(HKEY_CURRENT_USER, kProductKey, "lStandartBufferSize", nullptr, &buffer, &size);
    EXPECT_EQ(buffer, 7u);
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"), "Varnok Scan (Trellane)");
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"), "\"" + folder + "\\Uninstall.exe\"");
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayIcon"), folder + "\\VarnokScan.exe,0");
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), VARNOK_PROJECT_VERSION);
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "Publisher"), "Varnok Com.");
    for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"})
        EXPECT_EQ(valueType(HKEY_CURRENT_USER, kUninstallKey, name), static_cast<DWORD>(REG_DWORD)) << name;
    for (const char* item : kGroupItems) EXPECT_TRUE(FileExists(group() + item)) << item;
    // As the system's own tool lists them.
    const std::string listed = RunProcess(std::string("reg.exe query \"HKCU\\") + kProductKey + "\"").output;
    for (const char* line : {"PathToApp    REG_SZ    ", "slFoldersToScan    REG_MULTI_SZ",
                             "bShowTips    REG_DWORD    0x1", "lStandartBufferSize    REG_DWORD    0x7"})
        EXPECT_NE(listed.find(line), std::string::npos) << line << "\n" << listed;

    // The program starts from where it was installed.
    EXPECT_NE(RunningProgram(folder).window, nullptr);
}

TEST_F(InstallTest, NoChangesNothingAndYesRemovesEverythingEvenWithPercentAndAmpersandInThePaths) {
    const std::string folder = root.path("Varnok 100% & Co");
    useTemporaryFolder(root.path("temp 50%PATH% & more"));
    install(folder);
    SetFileAttributesA((folder + "\\tips.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((folder + "\\Uninstall.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    SHSetValueA(HKEY_CURRENT_USER, kAutoUpdateKey, "LastAppliedUpdate", REG_BINARY, "\0\0\0\0\xA0\x95\xE2\x40", 8);
    // What searches remembered, and a damaged store set aside beside it.
    const std::string remembered = defaultFolder().substr(0, defaultFolder().find("\\Programs\\")) + "\\Varnok Scan";
    CreateDirectoryA(remembered.c_str(), nullptr);
    for (const char* name : {"\\Remembered contents.dat", "\\Remembered contents.dat.bad"})
        std::ofstream(remembered + name) << "store";

    std::vector<std::string> texts = uninstall(folder, {{"Question...", IDNO}});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "You want to uninstall the program Varnok Scan (Trellane)?");
    EXPECT_TRUE(FileExists(folder + "\\VarnokScan.exe"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(FileExists(group() + kGroupItems[0]));

    // The recorded folder as the user may have typed it: the same folder.
    std::string typed = folder + "\\";
    CharUpperA(typed.data());
    SHSetValueA(HKEY_CURRENT_USER, kProductKey, "PathToApp", REG_SZ, typed.c_str(), static_cast<DWORD>(typed.size() + 1));
    texts = uninstall(folder, {{"Question...", IDYES}, {"Bye...", IDOK}});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "Varnok Scan (Trellane) sucessfully removed from yours PC!");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kAutoUpdateKey)) << "the update library's keys stay";
    EXPECT_TRUE(waitFor(gone, group(), 50)) << "the Start menu group";
    EXPECT_TRUE(waitFor(gone, folder, 150)) << "the folder, once the batch has run";
    EXPECT_TRUE(gone(remembered)) << "what searches remembered, with its folder";
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
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(FileExists(group() + kGroupItems[0]));
}

TEST_F(InstallTest, AnUpgradeGoesWhereTheUserInstalledAndKeepsSettingsAndLists) {
    const std::string folder = root.path("My Tools\\Varnok Scan");
    install(folder);
    const std::string list = keepSettingsAndList("My Tools/Varnok Scan");
    const DWORD size = static_cast<DWORD>(list.size());
    root.write("My Tools/Varnok Scan/tips.dat", "an older tips base");

    // As an update or the user does it: no folder named.
    const ProcessResult run = RunProcess("\"" + BuildFile(kSetup) + "\" /S");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(ReadWholeFile(folder + "\\tips.dat"), "an older tips base") << "the new files went elsewhere";
    EXPECT_FALSE(FileExists(defaultFolder() + "\\VarnokScan.exe"));
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), folder);
    EXPECT_EQ(ReadWholeFile(folder + "\\slFoldersToScan.dat"), list);
    EXPECT_EQ(dwordValue("slFoldersToScan"), size);
    EXPECT_EQ(dwordValue("lStandartBufferSize"), 7u);
    // It starts with its list: "Please re-install Varnok Scan program!" would
    // end it before its window.
    RunningProgram program(folder);
    EXPECT_NE(program.window, nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Error!"), nullptr);
}

// Every list the program keeps beside itself, the protected folders' too,
// comes along when an upgrade goes into another folder, and goes with the
// uninstall, which then leaves no folder behind.
TEST_F(InstallTest, ListsKeptBesideTheProgramFollowItIntoAnotherFolderAndGoWithIt) {
    install(root.path("Old Tools\\Varnok Scan"));
    const std::string list = keepSettingsAndList("Old Tools/Varnok Scan");
    std::string guarded;
    for (int i = 0; i < 500; ++i) guarded += "C:\\Photos\\Holiday " + std::to_string(i) + "\\" + '\0';
    guarded += '\0';
    root.write("Old Tools/Varnok Scan/slProtectedFolders.dat", guarded);
    const DWORD size = static_cast<DWORD>(guarded.size());
    SHSetValueA(HKEY_CURRENT_USER, kProductKey, "slProtectedFolders", REG_DWORD, &size, sizeof size);

    const std::string folder = root.path("New Tools\\Varnok Scan");
    useTemporaryFolder(root.path("temp"));
    install(folder);
    EXPECT_EQ(ReadWholeFile(folder + "\\slFoldersToScan.dat"), list);
    EXPECT_EQ(ReadWholeFile(folder + "\\slProtectedFolders.dat"), guarded);
    {
        RunningProgram program(folder);
        EXPECT_NE(program.window, nullptr);
        EXPECT_EQ(FindWindowA(nullptr, "Error!"), nullptr);
    }
    uninstall(folder, {{"Question...", IDYES}, {"Bye...", IDOK}});
    EXPECT_TRUE(waitFor(gone, folder, 150)) << "the folder, with every list in it";
}

// An update stopped while its files were put in place, then the program
// installed anew over it: the installation is what stays, not the record of
// the stopped update, which would have the next start undo it.
TEST_F(InstallTest, AnInstallationOverAStoppedUpdateIsWhatTheNextStartKeeps) {
    const std::string folder = root.path("Varnok Scan");
    install(folder);
    const std::string installed = ReadWholeFile(folder + "\\VarnokScan.exe");
    root.write("Varnok Scan/VarnokScan.exe.swaplet-old", "the program before the stopped update");
    root.write("Varnok Scan/Swaplet.placing", "restart \"" + folder + "\\VarnokScan.exe\"\r\nold " + folder +
                                                  "\\VarnokScan.exe\r\n");
    install(folder);
    {
        RunningProgram program(folder);
        EXPECT_NE(program.window, nullptr);
    }
    EXPECT_TRUE(ReadWholeFile(folder + "\\VarnokScan.exe") == installed) << "the program installed last";
    EXPECT_FALSE(FileExists(folder + "\\Swaplet.placing"));
}

// Runs a command line the code page cannot spell, as Explorer starts it; its exit code.
DWORD runWide(std::wstring command, const std::wstring& folder = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return GetLastError();
    DWORD code = WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// An installation whose folder the code page can no longer spell (moved, or
// the system's language changed since): the uninstaller still finds and
// removes every file of its own.
TEST_F(InstallTest, TheUninstallerFindsItsFilesInAFolderTheCodePageCannotSpell) {
    install(root.path("Varnok Scan"));
    const std::string folder = root.path("Varnok \xE5\xB7\xA5\xE5\x85\xB7");
    std::filesystem::copy(Wide(root.path("Varnok Scan")), Wide(folder));
    SHSetValueW(HKEY_CURRENT_USER, Wide(kProductKey).c_str(), L"PathToApp", REG_SZ, Wide(folder).c_str(),
                static_cast<DWORD>((Wide(folder).size() + 1) * sizeof(wchar_t)));
    ASSERT_TRUE(FileExists(folder + "\\VarnokScan.exe"));
    useTemporaryFolder(root.path("temp"));
    BoxAnswerer boxes({{"Question...", IDYES}, {"Bye...", IDOK}});
    EXPECT_EQ(runWide(L"\"" + Wide(folder) + L"\\Uninstall.exe\"", Wide(folder)), 0u);
    for (const char* name : {"VarnokScan.exe", "update.dll", "Swaplet.exe", "tips.dat", "VarnokScan.chm"})
        EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
}

#ifdef _WIN64
// The machine a program file was built for (0x014c x86, 0x8664 x64), 0 when unread.
WORD fileMachine(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 0x40) return 0;
    DWORD at = 0;
    std::memcpy(&at, bytes.data() + 0x3C, sizeof at);
    WORD machine = 0;
    if (bytes.size() < at + 6 || bytes.compare(at, 4, std::string("PE\0\0", 4)) != 0) return 0;
    std::memcpy(&machine, bytes.data() + at + 4, sizeof machine);
    return machine;
}

// Either edition's installer over the other's installation replaces the
// programs in place, in the folder the user chose, with one entry and the
// settings and lists kept; the program then starts with its list. Runs
// where this x64 suite can start 32-bit programs too (Wine with its 32-bit
// half, a 64-bit Windows).
TEST_F(InstallTest, EachEditionUpgradesTheOtherInPlaceWithOneEntryAndTheSettingsKept) {
    const std::string x86Setup = "\"" + OtherEditionFile("installer/VarnokScanSetup.exe") + "\"";
    const std::string x64Setup = "\"" + BuildFile(kSetup) + "\"";
    const std::string folder = root.path("My Tools\\Varnok 100% & co");
    ProcessResult run = RunProcess(x86Setup + " /S /D=" + folder);
    if (run.exitCode != 0 && !FileExists(folder + "\\VarnokScan.exe"))
        GTEST_SKIP() << "SKIPPED LOUDLY: the x86 installer cannot start here (" << run.output
                     << "); the x86 edition is checked in scripts/wine-vm";
    ASSERT_EQ(fileMachine(folder + "\\VarnokScan.exe"), IMAGE_FILE_MACHINE_I386);
    const std::string list = keepSettingsAndList("My Tools/Varnok 100% & co");
    for (const auto& [setup, machine] : {std::pair{x64Setup, WORD{IMAGE_FILE_MACHINE_AMD64}},
                                         std::pair{x86Setup, WORD{IMAGE_FILE_MACHINE_I386}},
                                         std::pair{x64Setup, WORD{IMAGE_FILE_MACHINE_AMD64}}}) {
        SCOPED_TRACE(machine == IMAGE_FILE_MACHINE_AMD64 ? "x64 over x86" : "x86 over x64");
        run = RunProcess(setup + " /S");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        for (const char* file : {"VarnokScan.exe", "update.dll", "Swaplet.exe", "Uninstall.exe"})
            EXPECT_EQ(fileMachine(folder + "\\" + file), machine) << file;
        EXPECT_FALSE(FileExists(defaultFolder() + "\\VarnokScan.exe")) << "a second copy";
        EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), folder);
        EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), folder);
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY));
        EXPECT_EQ(ReadWholeFile(folder + "\\slFoldersToScan.dat"), list);
        EXPECT_EQ(dwordValue("lStandartBufferSize"), 7u);
    }
    RunningProgram program(folder);
    EXPECT_NE(program.window, nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Error!"), nullptr);
}
#endif

// An earlier release installed for all users: Program Files, its entry under
// HKLM, its settings under the user's key naming its folder. Upgrading, the
// user is asked; OK removes it with its own uninstaller and installs into the
// user's folder with the settings and lists; Cancel changes nothing. Either
// way every copy left has its entry and an uninstaller that works.
TEST_F(InstallTest, AnUpgradeOverAnInstallationForAllUsersAsksAndLeavesNoCopyBehind) {
    useTemporaryFolder(root.path("temp"));
    // That release's installer was 32-bit: on 64-bit Windows its entry lies in
    // the machine's 32-bit view. Either view is found, by either edition.
    for (const auto& [answer, view] : {std::pair{IDCANCEL, KEY_WOW64_64KEY}, std::pair{IDOK, KEY_WOW64_32KEY}}) {
        SCOPED_TRACE(answer == IDOK ? "OK, 32-bit view" : "Cancel, 64-bit view");
        const std::string old = root.path("Program Files\\Varnok Scan");
        install(old);
        SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        HKEY entry = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, &entry,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const char* name : {"DisplayName", "UninstallString", "InstallLocation"}) {
            const std::string value = name[0] == 'D' ? "Varnok Scan (Trellane)"
                                      : name[0] == 'U' ? "\"" + old + "\\Uninstall.exe\""
                                                       : old;
            RegSetValueExA(entry, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        }
        RegCloseKey(entry);
        const std::string list = keepSettingsAndList("Program Files/Varnok Scan");
        const DWORD size = static_cast<DWORD>(list.size());

        BoxAnswerer boxes(answer == IDOK ? std::vector<BoxAnswerer::Step>{{"Varnok Scan (Trellane) Setup", IDOK},
                                                                          {"Question...", IDYES},
                                                                          {"Bye...", IDOK}}
                                         : std::vector<BoxAnswerer::Step>{{"Varnok Scan (Trellane) Setup", IDCANCEL}});
        const ProcessResult run = RunProcess("\"" + BuildFile(kSetup) + "\" /S", 120000);
        const std::vector<std::string> texts = boxes.join();
        ASSERT_FALSE(texts.empty());
        EXPECT_NE(texts[0].find("An older installation of Varnok Scan for all users is in\r\n" + old), std::string::npos)
            << texts[0];
        EXPECT_NE(texts[0].find(defaultFolder()), std::string::npos) << texts[0];

        const std::string kept = answer == IDOK ? defaultFolder() : old;
        EXPECT_EQ(run.exitCode, answer == IDOK ? 0 : 2) << run.output;
        EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), kept);
        EXPECT_EQ(ReadWholeFile(kept + "\\slFoldersToScan.dat"), list);
        EXPECT_EQ(dwordValue("slFoldersToScan"), size);
        EXPECT_EQ(dwordValue("lStandartBufferSize"), 7u);
        // One entry, for the copy that is left, naming its own uninstaller.
        if (answer == IDOK) {
            EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), kept);
            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey, view));
        } else {
            EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", view), kept);
            EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
        }
        EXPECT_TRUE(FileExists(kept + "\\Uninstall.exe"));
        if (answer == IDOK) {
            EXPECT_TRUE(waitFor(gone, old + "\\VarnokScan.exe", 600)) << "the older copy stayed";
            EXPECT_TRUE(FileExists(group() + "Varnok Scan (Trellane).lnk"));
            RunningProgram program(kept);
            EXPECT_NE(program.window, nullptr);
            EXPECT_EQ(FindWindowA(nullptr, "Error!"), nullptr);
        } else {
            EXPECT_TRUE(FileExists(old + "\\VarnokScan.exe"));
            EXPECT_FALSE(FileExists(defaultFolder() + "\\VarnokScan.exe"));
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, view, 0);
        }
    }
}

TEST_F(InstallTest, WithTheProgramRunningInstallAndUninstallChangeNothingAndSaySo) {
    const std::string folder = root.path("Varnok Scan");
    install(folder);
    root.write("Varnok Scan/tips.dat", "the tips as they were");
    RunningProgram program(folder);
    ASSERT_NE(program.window, nullptr);
    const std::string setup = "\"" + BuildFile(kSetup) + "\"";

    EXPECT_EQ(RunProcess(setup + " /S /D=" + folder).exitCode, 2) << "silently: it fails";
    {
        BoxAnswerer boxes({{"Varnok Scan (Trellane) Setup", IDCANCEL}});
        EXPECT_EQ(RunProcess(setup + " /D=" + folder).exitCode, 2) << "interactively: the user keeps it running";
        const std::vector<std::string> texts = boxes.join();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find("Varnok Scan (Trellane) is running."), std::string::npos) << texts[0];
    }
    const std::vector<std::string> texts = uninstall(folder, {{"Question...", IDYES}, {"Warning!", IDCANCEL}}, 2);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[1].find("Varnok Scan (Trellane) is running."), std::string::npos) << texts[1];

    EXPECT_EQ(ReadWholeFile(folder + "\\tips.dat"), "the tips as they were");
    EXPECT_TRUE(FileExists(folder + "\\VarnokScan.exe"));
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, kProductKey, "PathToApp"), folder);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(FileExists(group() + kGroupItems[0]));
}

TEST_F(InstallTest, TheUninstallerDeletesNothingOutsideItsOwnFolder) {
    const std::string folder = root.path("Varnok Scan");
    install(folder);
    // A recorded folder gone wrong, holding files named like the program's.
    const std::string elsewhere = root.makeFolder("Windows");
    for (const char* name : {"tips.dat", "update.dll", "VarnokScan.htm", "VarnokScan.exe"})
        root.write(std::string("Windows/") + name, "the system's own");
    SHSetValueA(HKEY_CURRENT_USER, kProductKey, "PathToApp", REG_SZ, elsewhere.c_str(),
                static_cast<DWORD>(elsewhere.size() + 1));

    const std::vector<std::string> texts = uninstall(folder, {{"Error...", IDOK}}, 2);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Nothing was removed."), std::string::npos) << texts[0];
    for (const char* name : {"tips.dat", "update.dll", "VarnokScan.htm", "VarnokScan.exe"}) {
        EXPECT_EQ(ReadWholeFile(elsewhere + name), "the system's own") << name;
        EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;
    }
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
}

TEST_F(InstallTest, AFileThatStaysIsReportedAndTheBatchGivesUpOnAnUninstallerItCannotDelete) {
    const std::string folder = root.path("Varnok Scan");
    useTemporaryFolder(root.path("temp"));
    install(folder);
    // A file the user has open.
    HANDLE tips = CreateFileA((folder + "\\tips.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    // Another copy, installed for the whole machine by an older installer: its entry is its own uninstaller's.
    const std::string other = "\"C:\\Program Files\\Varnok Scan\\Uninstall.exe\"";
    SHSetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", REG_SZ, other.c_str(),
                static_cast<DWORD>(other.size() + 1));
    const std::vector<std::string> texts = uninstall(
        folder, {{"Question...", IDYES}, {"This is error message! I am sorry...", IDOK}, {"Bye...", IDOK}}, 3);
    CloseHandle(tips);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2],
              "Varnok Scan (Trellane) sucessfully removed from yours PC! But some files and folder are keeped on hard "
              "disk...");
    EXPECT_TRUE(FileExists(folder + "\\tips.dat"));

    // The batch, as cmd.exe runs it, for an uninstaller it may not delete (a
    // second one open holds it): it gives up, leaves the file and deletes
    // itself. (Wine lets a running program's file be deleted: held here.)
    const std::string held = root.write("held\\Uninstall.exe", "a second uninstaller");
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::string temporary = root.path("temp\\");
    const std::string batch = root.write("temp\\UnInstalVarnokScan.bat", SelfDeleterText(held, temporary));
    const ProcessResult run = RunProcess("cmd.exe /c \"" + batch + "\"", 150000, temporary);
    CloseHandle(file);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(FileExists(held));
    EXPECT_FALSE(FileExists(batch));
}
