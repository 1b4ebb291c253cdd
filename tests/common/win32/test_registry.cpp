// The product key in the test run's own Wine prefix, read back with the
// system's calls so that stored types and bytes are checked, not just round trips.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/options/options.h"
#include "app/shell/settings_win32.h"
#include "common/product.h"
#include "common/win32/registry.h"
#include "tests/support/message_recorder.h"
#include "tests/support/registry_fixture_win32.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace std::string_literals;

// A registry object that records its errors instead of acting on them.
struct RecordingRegistry : TMYREGISTRY {
    explicit RecordingRegistry(const std::string& path = product::kRegistryKey) { opened = open(HKEY_CURRENT_USER, path); }
    void Error(uint16_t ModuleID, uint16_t ErrorID) override { errors.push_back(ModuleID * 0x10000u + ErrorID); }
    bool opened;
    std::vector<unsigned> errors;
};

using Registry = RegistryFixture;

TEST_F(Registry, AMissingKeyIsCreatedEmpty) {
    EXPECT_FALSE(KeyExists());
    auto registry = TMYTMPREG::Create();
    ASSERT_NE(registry, nullptr);
    EXPECT_TRUE(KeyExists());
    DWORD values = 99;
    RegQueryInfoKeyA(registry->Registry().CurrentKey(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                     nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 0u);
}

TEST_F(Registry, BothSpellingsOfTheKeyPathOpenTheSameKey) {
    auto plain = TMYREGISTRY::Create(HKEY_CURRENT_USER, "Software\\Varnok Com.\\Varnok Scan");
    auto leading = TMYREGISTRY::Create(HKEY_CURRENT_USER, "\\Software\\Varnok Com.\\Varnok Scan");
    ASSERT_TRUE(plain && leading);
    plain->WriteInteger("lTest", 42);
    EXPECT_EQ(leading->ReadInteger("lTest"), 42);
    leading->WriteInteger("\\lOther", 7);  // value names lose one leading backslash too
    EXPECT_EQ(RawDword("lOther"), 7u);
}

TEST_F(Registry, TypedValuesAndTheirErrorIds) {
    RecordingRegistry registry;
    ASSERT_TRUE(registry.opened);
    SetRaw("sText", REG_SZ, "hello\0"s);
    SetRaw("bBlob", REG_BINARY, "\x01\x02\x03"s);
    EXPECT_EQ(registry.ReadString("sText"), "hello");
    EXPECT_EQ(registry.ReadString("missing"), "");
    EXPECT_EQ(registry.ReadInteger("missing"), 0);
    EXPECT_EQ(registry.ReadInteger("sText"), 0);  // wrong type
    char blob[3] = {};
    registry.ReadBinaryData("bBlob", blob, 3);
    EXPECT_EQ(std::string(blob, 3), "\x01\x02\x03");
    char small[2] = {'x', 'y'};
    registry.ReadBinaryData("bBlob", small, 2);  // does not fit: untouched
    EXPECT_EQ(std::string(small, 2), "xy");
    registry.WriteBinaryData("bOut", "\x09\x08", 2);
    EXPECT_EQ(Raw("bOut").type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Raw("bOut").data, "\x09\x08");
    EXPECT_EQ(registry.errors, (std::vector<unsigned>{0x09450002, 0x09450004, 0x09450004, 0x09450007}));
}

TEST_F(Registry, TMYREGISTRYFailureAsksForReinstallAndEndsTheProgram) {
    auto registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    ASSERT_NE(registry, nullptr);
    MessageRecorder messages;
    std::vector<unsigned> ends;
    auto previous = SetProgramEndHandler([&](unsigned code) { ends.push_back(code); });
    EXPECT_EQ(registry->ReadInteger("bNotThere"), 0);
    SetProgramEndHandler(previous);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Please re-install Varnok Scan program!");
    EXPECT_EQ(messages.shown[0].caption, "Error!");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_ICONHAND));
    EXPECT_EQ(messages.shown[0].owner, nullptr);
    EXPECT_EQ(ends.size(), 1u);
}

TEST_F(Registry, WithoutAnEndingInstalledTheFailureReachesTheCaller) {
    // As inside a DLL: the message is shown, and the process goes on.
    auto registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    ASSERT_NE(registry, nullptr);
    MessageRecorder messages;
    auto previous = SetProgramEndHandler(nullptr);
    EXPECT_EQ(registry->ReadInteger("bNotThere"), 0);
    EXPECT_EQ(registry->ReadString("sNotThere"), "");
    SetProgramEndHandler(previous);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(Registry, TMYTMPREGOnlyNotesTheFailure) {
    auto registry = TMYTMPREG::Create();
    ASSERT_NE(registry, nullptr);
    MessageRecorder messages;
    EXPECT_FALSE(registry->Failed);
    registry->WriteInteger("lFine", 1);
    EXPECT_FALSE(registry->Failed);
    EXPECT_EQ(registry->ReadInteger("lNotThere"), 0);
    EXPECT_TRUE(registry->Failed);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Registry, StringListsUpTo16000BytesStayInTheKey) {
    RecordingRegistry registry;
    for (size_t size : {16000u, 16001u}) {
        RemoveDatFile("slFoldersToScan");
        StringList list = ListOfEncodedSize(size);
        registry.WriteStrings("slFoldersToScan", list);
        RawValue value = Raw("slFoldersToScan");
        if (size == 16000) {
            EXPECT_EQ(value.type, static_cast<DWORD>(REG_MULTI_SZ));
            EXPECT_EQ(value.data, EncodeStringList(list));
            EXPECT_FALSE(FileExists(DatFile("slFoldersToScan")));
        } else {
            EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD));
            EXPECT_EQ(RawDword("slFoldersToScan"), 16001u);
            EXPECT_EQ(ReadWholeFile(DatFile("slFoldersToScan")), EncodeStringList(list));
        }
        StringList back;
        EXPECT_TRUE(registry.ReadStrings("slFoldersToScan", back));
        EXPECT_EQ(back, list);
    }
    EXPECT_TRUE(registry.errors.empty());
}

TEST_F(Registry, AListOfOnlyEmptyStringsIsOneZeroByte) {
    RecordingRegistry registry;
    registry.WriteStrings("slIncludedFiles", {"", "", ""});
    EXPECT_EQ(Raw("slIncludedFiles").type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(Raw("slIncludedFiles").data, "\0"s);
    StringList back = {"already"};
    EXPECT_TRUE(registry.ReadStrings("slIncludedFiles", back));
    EXPECT_EQ(back, (StringList{"already"}));
    registry.WriteStrings("slExcludedFiles", {});
    EXPECT_EQ(Raw("slExcludedFiles").data, "\0\0"s);
}

TEST_F(Registry, ReadStringsRefusesOtherTypesAndBrokenFiles) {
    RecordingRegistry registry;
    SetRaw("slText", REG_SZ, "C:\\\0"s);
    StringList list = {"kept"};
    EXPECT_FALSE(registry.ReadStrings("slText", list));
    EXPECT_FALSE(registry.ReadStrings("slMissing", list));
    // A list file that is missing, or shorter than the registry records.
    DWORD size = 20000;
    SetRaw("slGone", REG_DWORD, std::string(reinterpret_cast<char*>(&size), 4));
    EXPECT_FALSE(registry.ReadStrings("slGone", list));
    SetRaw("slShort", REG_DWORD, std::string(reinterpret_cast<char*>(&size), 4));
    { std::FILE* f = std::fopen(DatFile("slShort").c_str(), "wb"); std::fputs("C:\\a\\", f); std::fputc(0, f); std::fclose(f); }
    EXPECT_FALSE(registry.ReadStrings("slShort", list));
    RemoveDatFile("slShort");
    EXPECT_EQ(list, (StringList{"kept"}));
    EXPECT_EQ(registry.errors, (std::vector<unsigned>{0x0945000B, 0x09450009, 0x0945000A, 0x0945000A}));
}

// A list's size value is a number like any other: its failures carry the
// number routines' error ids.
TEST_F(Registry, AListsSizeValueFailsWithTheNumberRoutinesIds) {
    RecordingRegistry registry;
    SetRaw("slBadSize", REG_DWORD, "\x20\x4E"s);  // a REG_DWORD of two bytes
    StringList list;
    EXPECT_FALSE(registry.ReadStrings("slBadSize", list));
    // The key goes away under the open object: the size cannot be written.
    RegDeleteKeyA(HKEY_CURRENT_USER, product::kRegistryKey);
    registry.WriteStrings("slFoldersToScan", ListOfEncodedSize(16001));
    RemoveDatFile("slFoldersToScan");
    EXPECT_EQ(registry.errors, (std::vector<unsigned>{0x09450004, 0x09450003}));
}

// A list file that cannot be written reaches the caller; the program goes on.
TEST_F(Registry, AListFileThatCannotBeWrittenReachesTheCaller) {
    RecordingRegistry registry;
    RemoveDatFile("slFoldersToScan");
    ASSERT_TRUE(CreateDirectoryA(DatFile("slFoldersToScan").c_str(), nullptr));
    bool thrown = false;
    try {
        registry.WriteStrings("slFoldersToScan", ListOfEncodedSize(16001));
    } catch (const ListFileError& e) {
        thrown = true;
        EXPECT_EQ(std::string(e.what()).rfind("Can not write file " + DatFile("slFoldersToScan") + " Error code : ", 0),
                  0u);
    }
    RemoveDirectoryA(DatFile("slFoldersToScan").c_str());
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(registry.errors.empty());
}

TEST_F(Registry, SettingsStoreBooleansAsOneOrZero) {
    InstallDefaults();
    SetRawDword("bEnableAdvanced", 2);
    SetRawDword("bCreateUndo", 0);
    ASSERT_TRUE(LoadSettings());
    EXPECT_TRUE(bEnableAdvanced);
    EXPECT_FALSE(bCreateUndo);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Raw("bEnableAdvanced").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RawDword("bEnableAdvanced"), 1u);
    EXPECT_EQ(RawDword("bCreateUndo"), 0u);
    EXPECT_EQ(RawDword("lStandartBufferSize"), 128u);
}

TEST_F(Registry, BufferSizesTheOptionsCouldNotSetAreCorrected) {
    struct Case {
        DWORD stored;
        int32_t loaded;
    };
    const Case cases[] = {{0, 128}, {0xFFFFFFFF, 128}, {2049, 128}, {1, 1}, {2048, 2048}, {64, 64}};
    for (const Case& c : cases) {
        InstallDefaults();
        SetRawDword("lStandartBufferSize", c.stored);
        SetRawDword("lAdvancedBufferSize", c.stored);
        ASSERT_TRUE(LoadSettings());
        EXPECT_EQ(lStandartBufferSize, c.loaded) << c.stored;
        EXPECT_EQ(lAdvancedBufferSize, c.loaded == 128 ? 32 : c.loaded) << c.stored;
    }
}

TEST_F(Registry, FoldersAndMasksRoundTripAndDropEmptyEntries) {
    InstallDefaults();
    slFoldersToScan = {"C:\\Data\\", "", "D:\\"};
    slIncludedFiles = {"*.txt"};
    slExcludedFiles = {};
    ASSERT_TRUE(SaveFolders());
    ASSERT_TRUE(SaveMasks());
    slFoldersToScan = {"stale"};
    slIncludedFiles = {"stale"};
    ASSERT_TRUE(LoadFolders());
    ASSERT_TRUE(LoadMasks());
    EXPECT_EQ(slFoldersToScan, (StringList{"C:\\Data\\", "D:\\"}));
    EXPECT_EQ(slIncludedFiles, (StringList{"*.txt"}));
    EXPECT_TRUE(slExcludedFiles.empty());
}

TEST_F(Registry, LoadAppPathAlwaysEndsWithABackslash) {
    struct Case {
        const char* stored;
        const char* loaded;
    };
    for (const Case& c : {Case{"C:\\Program Files\\Varnok", "C:\\Program Files\\Varnok\\"}, Case{"C:\\V\\", "C:\\V\\"},
                          Case{"", "\\"}}) {
        SetRaw("PathToApp", REG_SZ, std::string(c.stored) + '\0');
        LoadAppPath();
        EXPECT_EQ(AppPath, c.loaded);
    }
}

}  // namespace
