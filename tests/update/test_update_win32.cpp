// update.dll through its exports, bound by ordinal as the program binds them,
// talking to a local server on 127.0.0.1; its boxes are the real ones,
// answered as a user would.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "applier/placement_win32.h"
#include "tests/support/box_answerer_win32.h"
#include "tests/support/build_paths_win32.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/package_builder.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/update_server_win32.h"
#include "update/update_api.h"

namespace {

const char kProductKey[] = "Software\\Varnok Com.\\Varnok scan";
const char kAutoUpdateKey[] = "Software\\Varnok Com.\\AutoUpdate";

const char kList[] =
    "UpdateID:##Varnok scan 1.1\r\n"
    "TotalSize:##150000\r\n"
    "Last:##15-03-2004\r\n"
    "Version:##1.1##build 7\r\n"
    "15-03-2004##Fixed<p>more\r\n";

// This build's edition asks for its own package; the x86 edition's request is
// the one it always made.
#ifdef _WIN64
const char kEdition[] = "x64", kOtherEdition[] = "x86", kArchQuery[] = "&arch=x64";
#else
const char kEdition[] = "x86", kOtherEdition[] = "x64", kArchQuery[] = "";
#endif

std::string fixture(const char* name) { return ReadWholeFile(BuildFile(std::string("tests/update-fixtures/") + name)); }

std::string sized(const std::string& package) {
    char head[16];
    std::snprintf(head, sizeof head, "%010u", static_cast<unsigned>(package.size()));
    return head + package;
}

// A date in the user's short date format, as the library shows it.
std::string shown(double date) {
    ShortString text{};
    DateToUpDate(text, date);
    return FromShort(text);
}

void pressOk(HWND window) { PostMessageA(window, WM_COMMAND, IDOK, 0); }

// The library's copies of old files in the temporary folder ("upd*.tmp").
std::vector<std::string> tempBackups() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((std::string(temp) + "upd*.tmp").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do found.push_back(data.cFileName);
        while (FindNextFileA(search, &data));
        FindClose(search);
    }
    return found;
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        // Installed where its folder name has a blank, as under Program Files.
        setFolder(install.makeFolder("Varnok Scan"));
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com."); }

    static void setFolder(const std::string& folder) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "PathToApp", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
        RegCloseKey(key);
    }
    // The stored 8 bytes of a date value, as reg.exe lists them.
    static std::string regLine(const char* key) {
        const ProcessResult run = RunProcess(std::string("reg.exe query \"HKCU\\") + key + "\" /v LastAppliedUpdate");
        const size_t at = run.output.find("LastAppliedUpdate");
        return at == std::string::npos ? "" : run.output.substr(at, run.output.find('\n', at) - at);
    }
    static bool getUpdate(int32_t& size) {
        void* data = reinterpret_cast<void*>(1);
        const bool handed = GetUpdate(Short("Varnok scan"), 1, &data, &size) != 0;
        EXPECT_EQ(data, nullptr) << "the package is released before the call returns";
        return handed;
    }

    std::string at(const std::string& name) const { return install.path("Varnok Scan\\" + name); }
    // The program as installed: the stand-in, the library and an older applier.
    void installStandIn() {
        CopyFileA(BuildFile("tests/update_test_host.exe").c_str(), at("host.exe").c_str(), FALSE);
        CopyFileA(BuildFile("tests/update.dll").c_str(), at("update.dll").c_str(), FALSE);
        install.write("Varnok Scan/Swaplet.exe", "the applier before this update");
        install.write("Varnok Scan/docs/news.txt", "old news");
        install.write("Varnok Scan/Swaplet.exe.txt", "old note");
    }
    TempFolder install;
};

}  // namespace

TEST_F(UpdateTest, DatesAreStoredAsEightBytesPerProductAndInCommon) {
    EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 0.0);
    EXPECT_EQ(GetLastCommonUpdate(), 0.0);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Varnok Com.\\AutoUpdate\\Varnok scan", 0, KEY_READ, &key),
              ERROR_SUCCESS)
        << "reading creates the key";
    RegCloseKey(key);

    EXPECT_EQ(SecondStage(Short("Varnok scan"), Short("15-03-2004")), 1);
    EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 38061.0);
    EXPECT_EQ(GetLastCommonUpdate(), 38061.0);
    EXPECT_EQ(regLine("Software\\Varnok Com.\\AutoUpdate\\Varnok scan"), regLine(kAutoUpdateKey));
    EXPECT_NE(regLine(kAutoUpdateKey).find("REG_BINARY"), std::string::npos);
    EXPECT_NE(regLine(kAutoUpdateKey).find("00000000A095E240"), std::string::npos) << regLine(kAutoUpdateKey);

    EXPECT_EQ(SetLastUpdate(Short("Varnok scan"), 38000.75), 1);
    EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 38000.0);
    EXPECT_EQ(SecondStage(Short("Varnok scan"), Short("31-02-2004")), 0) << "no such day: nothing recorded";
    EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 38000.0);

    EXPECT_EQ(UpDateToDate(Short("abc15x03y2004")), 38061.0);
    unsigned char result[260];
    std::memset(result, 0x5A, sizeof result);
    DateToUpDate(result, 38061.0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(result) + 1, result[0]), shown(38061.0));
    EXPECT_EQ(result[256], 0x5A) << "nothing written past the caller's 256 bytes";
}

TEST_F(UpdateTest, TheOfferShowsTheListAndLaterDownloadsNothing) {
    LocalUpdateServer server([](const std::string&) { return LocalUpdateServer::Answer{{kList}, {}}; });
    UpdateServerSetting setting(server.address());
    ModalDriver driver("Update", [](HWND offer) {
        EXPECT_EQ(ModalDriver::ControlText(offer, 1005), shown(0));
        EXPECT_EQ(ModalDriver::ControlText(offer, 1006), shown(38061));
        EXPECT_EQ(ModalDriver::ControlText(offer, 1007), "146Kbytes");
        const std::string history = ModalDriver::ControlText(offer, 1000);
        EXPECT_NE(history.find("Recent changes on Varnok scan 1.1"), std::string::npos) << history;
        EXPECT_NE(history.find("Version:\t1.1\tbuild 7"), std::string::npos) << history;
        EXPECT_NE(history.find(shown(38061) + "\tFixed"), std::string::npos) << history;
        PostMessageA(offer, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ShowReadMe(nullptr), 0);
    EXPECT_TRUE(driver.found());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET http://127.0.0.1/cgi-bin/update_dir.pl?prog=1&date=30-12-1899&common=30-12-1899");
}

TEST_F(UpdateTest, ListAnswersThatMakeNoOffer) {
    struct Case {
        const char* what;
        std::string answer;
        const char* box;  // caption of the box shown, none: no box
    };
    const Case cases[] = {
        {"the latest version", "EMPTY", "Congratulation"},
        {"no answer at all", "", "Error"},
        {"no size", "Last:##15-03-2004\r\n", nullptr},
    };
    for (const Case& c : cases) {
        LocalUpdateServer server([&](const std::string&) { return LocalUpdateServer::Answer{{c.answer}, {}}; });
        UpdateServerSetting setting(server.address());
        std::string text;
        ModalDriver driver(
            c.box ? c.box : "no box expected",
            [&](HWND box) {
                text = ModalDriver::ControlText(box, 0xFFFF);
                pressOk(box);
            },
            30);
        EXPECT_EQ(ShowReadMe(nullptr), 0) << c.what;
        EXPECT_EQ(driver.found(), c.box != nullptr) << c.what;
        if (c.box && std::string(c.box) == "Congratulation") {
            EXPECT_EQ(text, "You already have latest version of Varnok scan!");
        }
    }
}

TEST_F(UpdateTest, PackagesThatCannotBeAppliedWriteNothing) {
    const std::string good = fixture("small.upd");
    std::string altered = good;
    altered[altered.size() / 2] ^= 0x01;
    struct Case {
        const char* what;
        std::vector<std::string> pieces;
        std::vector<const char*> boxes;
        double installed = 0;  // the date of the update already applied, 0 for none
        bool notNewer = false;
        bool recordedAbove = false;  // the folder recorded holds the program's folder
    };
    const double fixtureDate = 72759;  // 15-03-2099
    const Case cases[] = {
        {"a length of 0", {"0000000000"}, {"Error"}},
        {"ten blanks", {"          " + good}, {"Error..."}},
        {"gigabytes announced", {"9000000000" + good}, {"Error..."}},
        {"closed early", {sized(good).substr(0, 10 + good.size() / 2)}, {"Error"}},
        {"altered on the way", {sized(altered)}, {"Error"}},
        {"not signed", {sized(fixture("unsigned.upd"))}, {"Error"}},
        {"not newer than the one installed", {sized(good)}, {"Error"}, fixtureDate, true},
        {"signed, but older than this build, on a fresh installation", {sized(fixture("old.upd"))}, {"Error"}, 0,
         true},
        {"for a program not run from its folder", {sized(good)}, {"Error"}},
        {"for a folder recorded above the program's", {sized(good)}, {"Error"}, 0, false, true},
    };
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string above = program;
    above.erase(above.rfind('\\'));
    above.erase(above.rfind('\\') + 1);  // the build folder, which holds tests\\ with this program
    for (const Case& c : cases) {
        setFolder(c.recordedAbove ? above : at(""));
        SetLastUpdate(Short("Varnok scan"), c.installed);
        LocalUpdateServer server([&](const std::string&) { return LocalUpdateServer::Answer{c.pieces, {}}; });
        UpdateServerSetting setting(server.address());
        std::vector<ModalStep> steps;
        std::vector<std::string> texts;
        for (const char* caption : c.boxes)
            steps.push_back({caption, [&](HWND box) {
                                 texts.push_back(ModalDriver::ControlText(box, 0xFFFF));
                                 pressOk(box);
                             }});
        ModalDriver driver(steps);
        int32_t size = -1;
        EXPECT_FALSE(getUpdate(size)) << c.what;
        EXPECT_TRUE(driver.found()) << c.what << ": " << driver.stepsDone();
        EXPECT_FALSE(FileExists(at("Swaplet.exe"))) << c.what;
        EXPECT_FALSE(FileExists(at("docs\\news.txt"))) << c.what;
        for (const std::string& text : texts) EXPECT_FALSE(text.empty()) << c.what;
        if (c.notNewer) {
            ASSERT_FALSE(texts.empty()) << c.what;
            EXPECT_NE(texts.back().find("not newer"), std::string::npos) << c.what << ": " << texts.back();
        }
    }
}

TEST_F(UpdateTest, AStopDuringTheDownloadEndsItSilently) {
    const std::string package = sized(fixture("full.upd"));
    LocalUpdateServer server([&](const std::string&) {
        return LocalUpdateServer::Answer{
            {package.substr(0, 1500), package.substr(1500, 1500), package.substr(3000)}, [](size_t k) {
                if (k != 1) return;
                // The user presses "Stop!" while the package is on its way.
                for (int tick = 0; tick < 100; ++tick) {
                    if (HWND progress = FindWindowA(nullptr, "Please wait while update proccessing...")) {
                        SendMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
                        break;
                    }
                    Sleep(50);
                }
                Sleep(200);
            }};
    });
    UpdateServerSetting setting(server.address());
    ModalDriver driver(
        "any box", [](HWND box) { pressOk(box); }, 30);
    int32_t size = -1;
    EXPECT_FALSE(getUpdate(size));
    EXPECT_FALSE(driver.found()) << "a stop is no error";
    EXPECT_FALSE(FileExists(at("Swaplet.exe")));
}

// The signature entry's recorded size is not signed: one of 250 MiB is refused
// before any memory is taken for it.
TEST_F(UpdateTest, AHugeSignatureEntryIsRefusedWithoutTakingItsMemory) {
    PackageLayout layout;
    layout.date = "15-03-2099";
    layout.files = {{"docs\\news.txt", "news"}, {"update.sig", std::string(256, 's')}};
    layout.sizes = {"0000000004", "0262144000"};
    const std::string package = sized(BuildPackage(layout));
    LocalUpdateServer server([&](const std::string&) { return LocalUpdateServer::Answer{{package}, {}}; });
    UpdateServerSetting setting(server.address());
    std::string text;
    ModalDriver driver("Error", [&](HWND box) {
        text = ModalDriver::ControlText(box, 0xFFFF);
        pressOk(box);
    });
    int32_t size = -1;
    EXPECT_FALSE(getUpdate(size));
    EXPECT_NE(text.find("not signed by Varnok Com."), std::string::npos) << text;
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    EXPECT_LT(memory.PeakWorkingSetSize, 100u << 20);
    EXPECT_FALSE(FileExists(at("docs\\news.txt")));
}

// A large package that is not ours costs its own size while it arrives, not
// a second copy besides (a buffer grown by doubling holds both as it moves).
TEST_F(UpdateTest, ALargePackageIsReceivedWithoutASecondCopy) {
    constexpr size_t kSize = 24u << 20;  // doubling holds 16 MiB and 24 MiB at once as it moves
    std::string package = "0025165824";
    package.reserve(package.size() + kSize);
    package.append(kSize, 'x');
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    LocalUpdateServer server([&](const std::string&) {
        LocalUpdateServer::Answer answer;
        answer.pieces.push_back(std::move(package));  // sent as it is, never copied
        return answer;
    });
    UpdateServerSetting setting(server.address());
    ModalDriver driver(
        "any box", [](HWND box) { pressOk(box); }, 30);
    int32_t size = -1;
    EXPECT_FALSE(getUpdate(size));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PeakWorkingSetSize - before.PeakWorkingSetSize, kSize + (8u << 20));
}

// A server that announces a large package and then sends nothing, holding
// the connection: "Stop!" ends the call at once, with no memory taken for
// what never came and nothing written.
TEST_F(UpdateTest, StopEndsTheCallWhileTheServerIsSilent) {
    const std::string package = fixture("small.upd");
    std::atomic<bool> released{false};
    LocalUpdateServer server([&](const std::string&) {
        return LocalUpdateServer::Answer{{"0209715200" + package.substr(0, 100), package.substr(100)}, [&](size_t) {
                                             for (int tick = 0; tick < 100; ++tick) {
                                                 if (HWND progress =
                                                         FindWindowA(nullptr, "Please wait while update proccessing...")) {
                                                     SendMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
                                                     break;
                                                 }
                                                 Sleep(50);
                                             }
                                             // Silent, the connection held, until the test is done.
                                             for (int tick = 0; tick < 600 && !released; ++tick) Sleep(50);
                                         }};
    });
    UpdateServerSetting setting(server.address());
    ModalDriver driver(
        "any box", [](HWND box) { pressOk(box); }, 30);
    int32_t size = -1;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(getUpdate(size));
    const DWORD took = GetTickCount() - start;
    released = true;
    EXPECT_LT(took, 10000u) << "the call waited for the server (it holds the connection 30 s)";
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    EXPECT_LT(memory.PeakWorkingSetSize, 100u << 20) << "200 MiB were announced, 100 bytes came";
    EXPECT_FALSE(driver.found()) << "a stop is no error";
    EXPECT_FALSE(FileExists(at("docs\\news.txt")));
}

// The whole chain, as a user goes through it, for an update that brings a
// new applier: placed whole, or not placed because a file is held open. The
// old applier comes back unless the update is placed, and its copy in the
// temporary folder never stays.
TEST_F(UpdateTest, FromOfferToRestartThroughTheApplier) {
    const std::string package = sized(fixture("full.upd"));
    const std::string news = ReadWholeFile(BuildFile("tests/update-fixtures/full/docs/news.txt"));
    for (const bool held : {true, false}) {
        SCOPED_TRACE(held ? "a file held open" : "placed whole");
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Varnok Com.");
        setFolder(at(""));
        LocalUpdateServer server([&](const std::string& request) {
            return LocalUpdateServer::Answer{{request.find("update_dir.pl") != std::string::npos ? kList : package}, {}};
        });
        UpdateServerSetting setting(server.address());
        installStandIn();
        DeleteFileA(at("restarted.txt").c_str());
        HANDLE holder = held ? CreateFileA(at("docs\\news.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        const size_t backupsBefore = tempBackups().size();

        // The applier tells why the update is offered again.
        BoxAnswerer boxes(held ? std::vector<BoxAnswerer::Step>{{"Error", IDOK}} : std::vector<BoxAnswerer::Step>{});
        RunProcess("\"" + at("host.exe") + "\" offer", 240000);
        EXPECT_EQ(ReadWholeFile(at("first-stage.txt")), "1 1 " + std::to_string(package.size() - 10));
        for (int tick = 0; tick < 300 && !FileExists(at("restarted.txt")); ++tick) Sleep(100);
        Sleep(300);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        if (held) {
            EXPECT_EQ(ReadWholeFile(at("restarted.txt")), "started without an update");
            EXPECT_EQ(ReadWholeFile(at("docs\\news.txt")), "old news");
            EXPECT_EQ(ReadWholeFile(at("Swaplet.exe")), "the applier before this update");
            // Named like the applier, they are not it: they go back with the rest.
            EXPECT_EQ(ReadWholeFile(at("Swaplet.exe.txt")), "old note");
            EXPECT_FALSE(FileExists(at("docs\\swaplet.exe")));
            EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 0.0);
            const std::vector<std::string> texts = boxes.join();
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_NE(texts[0].find("update was not applied"), std::string::npos) << texts[0];
        } else {
            EXPECT_EQ(ReadWholeFile(at("restarted.txt")), "15-03-2099 1");
            EXPECT_EQ(ReadWholeFile(at("docs\\news.txt")), news);
            EXPECT_EQ(ReadWholeFile(at("Swaplet.exe.txt")), news);
            EXPECT_EQ(ReadWholeFile(at("docs\\swaplet.exe")), news);
            EXPECT_EQ(ReadWholeFile(at("Swaplet.exe")), ReadWholeFile(BuildFile("applier/Swaplet.exe")));
            EXPECT_FALSE(FileExists(at("update.sig")));
            EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 72759.0);
            EXPECT_EQ(GetLastCommonUpdate(), 72759.0);
            EXPECT_NE(regLine("Software\\Varnok Com.\\AutoUpdate\\Varnok scan").find("REG_BINARY"), std::string::npos);
            const std::vector<std::string> requests = server.requests();
            ASSERT_EQ(requests.size(), 2u);
            EXPECT_EQ(requests[1], std::string("GET http://127.0.0.1/cgi-bin/update_run.pl?prog=1&date=30-12-1899&"
                                               "common=30-12-1899") +
                                       kArchQuery);
        }
        EXPECT_EQ(tempBackups().size(), backupsBefore) << "the old applier's copy stays in the temporary folder";
    }
}

// The whole update as the maker built it, signed, but for the other edition:
// offered and received as any other, it is refused before a byte is written.
// Nothing in the installation folder changes, no copy is left in the
// temporary folder, and the applier is never started.
TEST_F(UpdateTest, AnUpdateForTheOtherEditionIsRefusedBeforeAnyWrite) {
    const std::string package = sized(fixture("other-edition.upd"));
    LocalUpdateServer server([&](const std::string& request) {
        return LocalUpdateServer::Answer{{request.find("update_dir.pl") != std::string::npos ? kList : package}, {}};
    });
    UpdateServerSetting setting(server.address());
    installStandIn();
    // Every file of the installation but the stand-in's own note of what it did.
    const auto files = [&] {
        std::map<std::string, std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(install.root() / "Varnok Scan"))
            if (entry.is_regular_file() && entry.path().filename() != "first-stage.txt")
                found[entry.path().string()] = ReadWholeFile(entry.path().string());
        return found;
    };
    const auto before = files();
    const std::vector<std::string> backupsBefore = tempBackups();

    BoxAnswerer boxes({{"Error", IDOK}});
    RunProcess("\"" + at("host.exe") + "\" offer", 240000);
    EXPECT_EQ(boxes.join(), std::vector<std::string>{std::string("The received update is for the ") + kOtherEdition +
                                                     " edition of Varnok scan, and this is the " + kEdition +
                                                     " edition. It was not applied; nothing was changed on your "
                                                     "computer."});
    EXPECT_EQ(ReadWholeFile(at("first-stage.txt")), "1 0 " + std::to_string(package.size() - 10));
    Sleep(1500);  // time for an applier that should not run to show itself
    EXPECT_EQ(files(), before);
    EXPECT_FALSE(FileExists(at("restarted.txt"))) << "the applier ran and restarted the program";
    EXPECT_EQ(tempBackups(), backupsBefore);
    EXPECT_EQ(GetLastUpdate(Short("Varnok scan")), 0.0);
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], std::string("GET http://127.0.0.1/cgi-bin/update_run.pl?prog=1&date=30-12-1899&"
                                       "common=30-12-1899") +
                               kArchQuery);
}

// A connection the server's machine refuses is one failure: the user is told
// it once, by the socket's own words, for the offer and for the download alike.
TEST_F(UpdateTest, ARefusedConnectionShowsOneBox) {
    uint16_t port = 0;
    {
        LocalUpdateServer closed([](const std::string&) { return LocalUpdateServer::Answer{}; });
        port = closed.port();
    }  // nothing listens there any more
    UpdateServerSetting setting("127.0.0.1:" + std::to_string(port));
    for (const bool offer : {true, false}) {
        SCOPED_TRACE(offer ? "the offer" : "the download");
        std::vector<std::string> texts;
        const auto answer = [&](HWND box) {
            texts.push_back(ModalDriver::ControlText(box, 0xFFFF));
            pressOk(box);
        };
        ModalDriver driver({{"Error", answer}, {"Error", answer}}, 40);
        int32_t size = -1;
        EXPECT_FALSE(offer ? ShowReadMe(nullptr) != 0 : getUpdate(size));
        ASSERT_EQ(texts.size(), 1u) << (texts.size() > 1 ? texts[1] : "");
        EXPECT_NE(texts[0].find("forcefully rejected"), std::string::npos) << texts[0];
    }
}

// Copies of old files that an update stopped with left in the temporary
// folder go when the program or the next update starts; one still in use, and
// files only named alike, stay.
TEST_F(UpdateTest, CopiesAnUpdateLeftInTheTemporaryFolderGoAtTheNextStart) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    // Only copies an update recorded are its own: another program's updBEE1.tmp stays.
    const std::string left = std::string(temp) + "updBEEF.tmp", inUse = std::string(temp) + "updBEE0.tmp",
                      alike = std::string(temp) + "updBEE1.tmp";
    installStandIn();
    LocalUpdateServer server([](const std::string&) { return LocalUpdateServer::Answer{{"0000000000"}, {}}; });
    UpdateServerSetting setting(server.address());
    const std::function<void()> starts[] = {
        [&] { RunProcess("\"" + at("host.exe") + "\""); },
        [&] {
            ModalDriver driver("Error", [](HWND box) { pressOk(box); });
            int32_t size = -1;
            getUpdate(size);
        },
    };
    for (const auto& start : starts) {
        for (const std::string& path : {left, inUse, alike}) std::ofstream(path) << "an old file";
        RecordUpdateCopy(left);
        RecordUpdateCopy(inUse);
        HANDLE held = CreateFileA(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        start();
        CloseHandle(held);
        EXPECT_FALSE(FileExists(left));
        EXPECT_TRUE(FileExists(inUse));
        EXPECT_TRUE(FileExists(alike));
        for (const std::string& path : {left, inUse, alike}) DeleteFileA(path.c_str());
    }
}
