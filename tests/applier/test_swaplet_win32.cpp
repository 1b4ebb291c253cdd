// Swaplet as a program: started by hand, and fed hand-over streams through a
// real inherited pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "common/win32/unique_handle.h"
#include "tests/support/box_answerer_win32.h"
#include "tests/support/build_paths_win32.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "update/handover.h"

namespace {

struct Record {
    std::string path, content;
};

std::string stream(const std::vector<Record>& files, const std::string& restart, uint32_t processId) {
    std::string out;
    for (const Record& file : files) {
        AppendShortString(out, file.path);
        AppendNumber(out, static_cast<uint32_t>(file.content.size()));
        out += file.content;
    }
    out += '\0';
    AppendShortString(out, restart);
    AppendNumber(out, processId);
    return out;
}

// The start of a program built for a machine (0x014c x86, 0x8664 x64): a
// DOS header pointing at a PE header.
std::string imageFor(uint16_t machine) {
    std::string bytes(0x48, '\0');
    bytes[0] = 'M', bytes[1] = 'Z', bytes[0x3C] = 0x40;
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    bytes[0x44] = static_cast<char>(machine & 0xFF), bytes[0x45] = static_cast<char>(machine >> 8);
    return bytes;
}

#ifdef _WIN64
const uint16_t kOwnMachine = 0x8664, kOtherMachine = 0x014C;
#else
const uint16_t kOwnMachine = 0x014C, kOtherMachine = 0x8664;
#endif

// A process that has already ended: the program the applier waits for.
DWORD endedProcess() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + BuildFile("tests/update_test_host.exe") + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

// Starts Swaplet on a pipe holding bytes (written by a thread, as the library
// writes while the applier reads) and waits for it.
ProcessResult runSwaplet(const std::string& bytes) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 1024);
    unique_kernel_handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, 0);
    std::thread feed([&] {
        DWORD written = 0;
        for (size_t at = 0; at < bytes.size(); at += written)
            if (!WriteFile(writer.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr))
                break;
        writer.reset();
    });
    const ProcessResult result = RunProcess("\"" + BuildFile("applier/Swaplet.exe") + "\" " +
                                            std::to_string(reinterpret_cast<uintptr_t>(reader.get())));
    reader.reset();
    feed.join();
    return result;
}

class SwapletTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.makeFolder("Varnok Scan");
        // The stand-in program, restarted by the applier, notes how it was started.
        CopyFileA(BuildFile("tests/update_test_host.exe").c_str(), at("host.exe").c_str(), FALSE);
        CopyFileA(BuildFile("tests/update.dll").c_str(), at("update.dll").c_str(), FALSE);
    }
    // The program's path quoted, as the library writes it: its folder has a blank.
    std::string restart() const { return "\"" + at("host.exe") + "\" /update:15-03-2004"; }
    std::string at(const std::string& name) const { return folder.path("Varnok Scan\\" + name); }
    // The restarted program's note, waited for a while (it runs after the applier ends).
    // A restart that must not happen is given a second and a half to show itself.
    std::string restarted(int tenths = 100) const {
        for (int tick = 0; tick < tenths && !FileExists(at("restarted.txt")); ++tick) Sleep(100);
        Sleep(100);
        return FileExists(at("restarted.txt")) ? ReadWholeFile(at("restarted.txt")) : "";
    }
    TempFolder folder;
};

}  // namespace

TEST(Swaplet, StartedByHandItRefusesWithItsTextAndCode1) {
    for (const char* arguments : {"", " 12 13", " twelve"}) {
        BoxAnswerer boxes({{"Sorry...", IDOK}});
        const ProcessResult run = RunProcess("\"" + BuildFile("applier/Swaplet.exe") + "\"" + arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        const std::vector<std::string> texts = boxes.join();
        ASSERT_EQ(texts.size(), 1u) << arguments;
        EXPECT_EQ(texts[0].substr(0, 60), "This executable file is a part of system of updating of prog");
    }
}

TEST_F(SwapletTest, WritesTheFilesAfterTheProgramEndedAndRestartsIt) {
    folder.write("Varnok Scan/old.txt", "old content that is longer");
    const DWORD program = endedProcess();
    const ProcessResult run = runSwaplet(stream(
        {{at("old.txt"), "new"}, {at("empty.txt"), ""}, {at("sub.txt"), "sub"}, {at("tool.exe"), imageFor(kOwnMachine)}},
        restart(), program));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ReadWholeFile(at("old.txt")), "new");
    EXPECT_EQ(ReadWholeFile(at("tool.exe")), imageFor(kOwnMachine)) << "a program of its own edition is written";
    EXPECT_TRUE(FileExists(at("empty.txt")));
    EXPECT_EQ(ReadWholeFile(at("empty.txt")), "");
    EXPECT_EQ(restarted(), "15-03-2004 1");
}

TEST_F(SwapletTest, ABrokenOrHostileStreamWritesNothingAndTellsWhy) {
    folder.write("Varnok Scan/old.txt", "old");
    const DWORD program = endedProcess();
    const std::string whole = stream({{at("old.txt"), "new"}}, restart(), program);
    std::vector<Record> tooMany(1000, Record{at("old.txt"), ""});
    const std::string notWhole = "The update of Varnok Scan did not arrive whole";
    struct Case {
        const char* what;
        std::string bytes;
        const char* named;  // the file the box names, the program restarted; null: a broken stream
        std::string box = "Update refused: ";  // how the box begins
    };
    const Case cases[] = {
        {"cut in the data", whole.substr(0, whole.size() / 3), nullptr, notWhole},
        {"cut before the process id", whole.substr(0, whole.size() - 2), nullptr, notWhole},
        {"1000 files", stream(tooMany, restart(), program), nullptr,
         "The update of Varnok Scan brings more files or more bytes than an update can hold"},
        {"a file outside the program's folder",
         stream({{at("old.txt"), "new"}, {at("..\\evil.txt"), "evil"}}, restart(), program), "..\\evil.txt"},
        {"a file in another folder", stream({{"C:\\windows\\evil.txt", "evil"}}, restart(), program),
         "C:\\windows\\evil.txt"},
        {"a device under a superscript digit", stream({{at("old.txt"), "new"}, {at("COM\xB9"), "x"}}, restart(), program),
         "COM\xB9"},
        {"a program of the other edition",
         stream({{at("old.txt"), "new"}, {at("tool.exe"), imageFor(kOtherMachine)}}, restart(), program), "",
         "The received update is for the " + std::string(MachineEdition(kOtherMachine)) + " edition"},
    };
    for (const Case& c : cases) {
        DeleteFileA(at("restarted.txt").c_str());
        BoxAnswerer boxes({{"Error", IDOK}});
        const ProcessResult run = runSwaplet(c.bytes);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(ReadWholeFile(at("old.txt")), "old") << c.what;
        EXPECT_EQ(restarted(15), c.named ? "started without an update" : "") << c.what;
        const std::vector<std::string> texts = boxes.join();
        ASSERT_EQ(texts.size(), 1u) << c.what;
        EXPECT_EQ(texts[0].substr(0, c.box.size()), c.box) << c.what;
        if (c.named) {
            EXPECT_NE(texts[0].find(c.named), std::string::npos) << texts[0];
        }
    }
    EXPECT_FALSE(FileExists("C:\\windows\\evil.txt"));
    EXPECT_FALSE(FileExists(at("tool.exe")));
    // A handle that is no stream at all.
    BoxAnswerer boxes({{"Error", IDOK}});
    EXPECT_EQ(RunProcess("\"" + BuildFile("applier/Swaplet.exe") + "\" 4000000").exitCode, 0);
    const std::vector<std::string> texts = boxes.join();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].substr(0, notWhole.size()), notWhole);
}

// A program that holds many handles hands over a pipe numbered past 65,535.
TEST_F(SwapletTest, APipeNumberedPast16BitsIsReadWhole) {
    folder.write("Varnok Scan/old.txt", "old");
    std::vector<HANDLE> many;
    for (int i = 0; i < 20000; ++i) many.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const DWORD program = endedProcess();
    const ProcessResult run = runSwaplet(stream({{at("old.txt"), "new"}}, restart(), program));
    for (HANDLE handle : many) CloseHandle(handle);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(at("old.txt")), "new");
    EXPECT_EQ(restarted(), "15-03-2004 1");
}

// Started by its 8.3 path, the program is still in the folder the files name by the long one.
TEST_F(SwapletTest, AProgramStartedByItsShortPathIsUpdated) {
    folder.write("Varnok Scan/old.txt", "old");
    char shortHost[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(at("host.exe").c_str(), shortHost, MAX_PATH), 0u);
    ASSERT_EQ(std::string(shortHost).find("Varnok Scan"), std::string::npos) << shortHost;
    const DWORD program = endedProcess();
    const ProcessResult run =
        runSwaplet(stream({{at("old.txt"), "new"}}, std::string(shortHost) + " /update:15-03-2004", program));
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ReadWholeFile(at("old.txt")), "new");
    EXPECT_EQ(restarted(), "15-03-2004 1");
}

TEST_F(SwapletTest, AFileThatCannotBeWrittenReplacesNothingAndTheUpdateIsNotRecorded) {
    folder.write("Varnok Scan/first.txt", "old first");
    // Where the second file would be written first stands a folder.
    folder.makeFolder("Varnok Scan/second.txt.swaplet-new");
    const DWORD program = endedProcess();
    BoxAnswerer boxes({{"Error", IDOK}});
    const ProcessResult run =
        runSwaplet(stream({{at("first.txt"), "new first"}, {at("second.txt"), "new second"}}, restart(), program));
    EXPECT_EQ(run.output, "Error on updating file!\r\n");
    EXPECT_EQ(boxes.join().size(), 1u);
    EXPECT_EQ(ReadWholeFile(at("first.txt")), "old first");
    EXPECT_FALSE(FileExists(at("second.txt")));
    EXPECT_FALSE(FileExists(at("first.txt.swaplet-new")));
    EXPECT_EQ(restarted(15), "started without an update") << "so nothing is recorded";
}

// A file another program holds open cannot be replaced: the files put in
// place before it are taken back, and the program comes back as it was.
TEST_F(SwapletTest, AFileHeldOpenReplacesNothing) {
    folder.write("Varnok Scan/first.txt", "old first");
    folder.write("Varnok Scan/second.txt", "old second");
    HANDLE held = CreateFileA(at("second.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD program = endedProcess();
    BoxAnswerer boxes({{"Error", IDOK}});
    const ProcessResult run = runSwaplet(stream(
        {{at("first.txt"), "new first"}, {at("new.txt"), "brand new"}, {at("second.txt"), "new second"}}, restart(),
        program));
    CloseHandle(held);
    EXPECT_EQ(run.output, "Error on updating file!\r\n");
    const std::vector<std::string> texts = boxes.join();
    ASSERT_EQ(texts.size(), 1u) << "the user is told, not only the output no one reads";
    EXPECT_EQ(texts[0].substr(0, 53), "Varnok Scan could not put the files of the update in ");
    EXPECT_EQ(ReadWholeFile(at("first.txt")), "old first");
    EXPECT_EQ(ReadWholeFile(at("second.txt")), "old second");
    EXPECT_FALSE(FileExists(at("new.txt")));
    for (const char* left : {"first.txt.swaplet-old", "first.txt.swaplet-new", "second.txt.swaplet-new", "new.txt.swaplet-new"})
        EXPECT_FALSE(FileExists(at(left))) << left;
    EXPECT_EQ(restarted(15), "started without an update") << "so nothing is recorded";
}

TEST_F(SwapletTest, AFailedWriteKeepsTheOldContentAndStopsTheRest) {
    const char* volume = std::getenv("VARNOK_SMALL_VOLUME");
    if (!volume) GTEST_SKIP() << "no small volume on this machine";
    const std::string small = std::string(volume) + "\\";
    const std::string kept = small + "kept.txt", later = small + "later.txt";
    { std::ofstream(kept) << "old"; }
    const DWORD program = endedProcess();
    BoxAnswerer boxes({{"Error", IDOK}, {"Error", IDOK}});
    // The program named in the restart command is not there: its start fails too.
    const ProcessResult run = runSwaplet(stream({{kept, std::string(400000, 'x')}, {later, "later"}},
                                                small + "VarnokScan.exe /update:15-03-2004", program));
    EXPECT_EQ(ReadWholeFile(kept), "old");
    EXPECT_FALSE(FileExists(later));
    EXPECT_EQ(run.output.substr(0, 25), "Error on updating file!\r\n");
    EXPECT_NE(run.output.find("\x8E\xE8\xA8\xA1\xAA\xA0! "), std::string::npos);
    EXPECT_EQ(boxes.join().size(), 2u) << "the failed write and the failed start";
    DeleteFileA(kept.c_str());
}

TEST_F(SwapletTest, AProgramThatStaysOpenIsAskedToCloseAndTheUserMayGiveUp) {
    folder.write("Varnok Scan/old.txt", "old");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + BuildFile("tests/update_test_host.exe") + "\" sleep 30000";
    ASSERT_TRUE(
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    unique_kernel_handle running(process.hProcess), thread(process.hThread);
    BoxAnswerer boxes({{"Please...", IDRETRY}, {"Please...", IDCANCEL}, {"Please...", IDNO}});
    const ProcessResult run = runSwaplet(stream({{at("old.txt"), "new"}}, restart(), process.dwProcessId));
    TerminateProcess(running.get(), 0);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(at("old.txt")), "old");
    EXPECT_EQ(restarted(15), "");
    const std::vector<std::string> texts = boxes.join();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Please close program Varnok scan for her correct updating.");
    EXPECT_EQ(texts[2].substr(0, 60), "You really want to cancel updating of program Varnok scan? (");
}

// The applier ended hard (a power cut, Task Manager) at points of a placement:
// before the first file is replaced, halfway, and once all are but before the
// journal is gone. No file is ever missing; the program's next start has the
// applier finish or undo the placement, so that every file is old or every
// one new, and nothing of the placement is left.
TEST_F(SwapletTest, APlacementCutShortIsFinishedOrUndoneAtTheProgramsNextStart) {
    CopyFileA(BuildFile("applier/Swaplet.exe").c_str(), at("Swaplet.exe").c_str(), FALSE);
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt", "brand new.txt", "e.txt"};
    struct Case {
        int stopAfter;  // 0: the journal written; k: k files replaced; 7: the journal marked whole
        bool placed;
    };
    for (const Case c : {Case{0, false}, Case{3, false}, Case{7, true}}) {
        SCOPED_TRACE("stopped after step " + std::to_string(c.stopAfter));
        for (const std::string& name : names) {
            DeleteFileA(at(name).c_str());
            if (name != "brand new.txt") folder.write("Varnok Scan/" + name, "old " + name);
        }
        DeleteFileA(at("restarted.txt").c_str());
        std::vector<Record> files;
        for (const std::string& name : names) files.push_back({at(name), "new " + name});
        SetEnvironmentVariableA("VARNOK_SWAPLET_STOP_AFTER", std::to_string(c.stopAfter).c_str());
        const ProcessResult run = runSwaplet(stream(files, restart(), endedProcess()));
        SetEnvironmentVariableA("VARNOK_SWAPLET_STOP_AFTER", nullptr);
        EXPECT_EQ(run.exitCode, 9) << "the applier was not stopped";
        for (const std::string& name : names)
            EXPECT_TRUE(name == "brand new.txt" || FileExists(at(name))) << name << " is missing";

        RunProcess("\"" + at("host.exe") + "\"");
        EXPECT_EQ(restarted(), c.placed ? "15-03-2004 1" : "started without an update");
        for (const std::string& name : names) {
            if (!c.placed && name == "brand new.txt")
                EXPECT_FALSE(FileExists(at(name)));
            else
                EXPECT_EQ(ReadWholeFile(at(name)), (c.placed ? "new " : "old ") + name);
            EXPECT_FALSE(FileExists(at(name + ".swaplet-new"))) << name;
            EXPECT_FALSE(FileExists(at(name + ".swaplet-old"))) << name;
        }
        EXPECT_FALSE(FileExists(at("Swaplet.placing")));
        EXPECT_FALSE(FileExists(at("Swaplet.placed")));
    }
}
