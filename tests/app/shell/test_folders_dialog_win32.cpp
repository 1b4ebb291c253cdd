// The folders dialog driven in-process as a user would: buttons pressed,
// the folder browser and questions answered, the list box read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>

#include "app/scan/catalogue.h"
#include "app/scan/detection.h"
#include "common/product.h"
#include "common/ui/folder_browser.h"
#include "common/win32/wide.h"
#include "app/shell/folders_dialog_win32.h"
#include "app/options/options.h"
#include "app/shell/settings_win32.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"
#include "tests/support/temp_folder.h"

namespace {

const char* const kCaption = "Please select folders for scanning...";

class FoldersDialogTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        InstallDefaults();
        previous = SetFolderBrowser([this](HWND, const std::string& title, std::string& path) {
            titles.push_back(title);
            startPaths.push_back(path);
            if (answers.empty()) return false;
            path = answers.front();
            answers.pop_front();
            return true;
        });
    }
    void TearDown() override {
        SetFolderBrowser(previous);
        RegistryFixture::TearDown();
    }

    static std::vector<std::string> listed(HWND dialog) {
        std::vector<std::string> out;
        HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int k = 0; k < n; ++k) {
            char text[512] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }

    static void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    static void select(HWND dialog, const std::string& entry) {
        HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
        int index = static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(entry.c_str())));
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    // Opens the dialog, lets act drive it, and returns whether the user confirmed.
    bool run(const std::function<void(HWND)>& act) {
        ModalDriver driver(kCaption, act);
        const bool result = FoldersDialog(nullptr);
        EXPECT_TRUE(driver.found());
        EXPECT_FALSE(driver.timedOut());
        return result;
    }

    std::deque<std::string> answers;
    std::vector<std::string> titles, startPaths;
    FolderBrowser previous;
};

TEST_F(FoldersDialogTest, AddingATreeTakesVisibleSubfoldersDepthFirst) {
    TempFolder tree;
    tree.makeFolder("Data/A");
    tree.makeFolder("Data/B/C");
    std::string hidden = tree.makeFolder("Data/Hidden");
    tree.makeFolder("Data/Hidden/Inner");
    tree.makeFolder("Data/.dot");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string root = tree.path("Data") + "\\";
    answers = {root};
    std::vector<std::string> seen;
    bool result = run([&](HWND dialog) {
        press(dialog, IDC_ADD_TREE);
        seen = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(titles, (std::vector<std::string>{"Select root folder tree for adding to scanning list."}));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], root);
    // A and B in the order the folder search gives them, each followed by its subfolders.
    std::vector<std::string> expectedAB = {root + "A\\", root + "B\\", root + "B\\C\\"};
    std::vector<std::string> expectedBA = {root + "B\\", root + "B\\C\\", root + "A\\"};
    std::vector<std::string> rest(seen.begin() + 1, seen.end());
    EXPECT_TRUE(rest == expectedAB || rest == expectedBA);
}

TEST_F(FoldersDialogTest, AFolderDifferingOnlyInCaseIsNotAddedTwice) {
    answers = {"C:\\Data\\", "c:\\DATA\\", "C:\\Other\\"};
    std::vector<std::string> seen;
    run([&](HWND dialog) {
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_ADD_FOLDER);
        seen = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Data\\", "C:\\Other\\"}));
    EXPECT_EQ(titles[0], "Select folder for adding to scanning list.");
}

TEST_F(FoldersDialogTest, RemovingATreeKeepsFoldersThatOnlyStartAlike) {
    slFoldersToScan = {"C:\\Data\\", "C:\\Data\\A\\", "c:\\data\\B\\", "C:\\Database\\", "D:\\Other\\"};
    SaveFolders();
    slFoldersToScan.clear();
    MessageRecorder messages({mb::kIdYes});
    std::vector<std::string> seen;
    run([&](HWND dialog) {
        select(dialog, "C:\\Data\\");
        press(dialog, IDC_REMOVE_TREE);
        seen = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Database\\", "D:\\Other\\"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Do you wish remove folder tree C:\\Data\\ from list?");
    EXPECT_EQ(messages.shown[0].caption, "Question");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(FoldersDialogTest, RemoveAndEditOneFolder) {
    slFoldersToScan = {"C:\\One\\", "C:\\Two\\", "C:\\Three\\"};
    SaveFolders();
    MessageRecorder messages({mb::kIdNo, mb::kIdYes});
    answers = {"E:\\Edited\\"};
    std::vector<std::string> afterNo, afterYes, afterEdit;
    run([&](HWND dialog) {
        select(dialog, "C:\\Two\\");
        press(dialog, IDC_REMOVE_FOLDER);
        afterNo = listed(dialog);
        press(dialog, IDC_REMOVE_FOLDER);
        afterYes = listed(dialog);
        select(dialog, "C:\\Three\\");
        press(dialog, IDC_EDIT_FOLDER);
        afterEdit = listed(dialog);
        SendMessageA(GetDlgItem(dialog, IDC_FOLDER_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        press(dialog, IDC_REMOVE_FOLDER);  // nothing selected: nothing asked, nothing removed
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(afterNo.size(), 3u);
    EXPECT_EQ(afterYes, (std::vector<std::string>{"C:\\One\\", "C:\\Three\\"}));
    EXPECT_EQ(afterEdit, (std::vector<std::string>{"C:\\One\\", "E:\\Edited\\"}));
    EXPECT_EQ(startPaths.back(), "C:\\Three\\");
    EXPECT_EQ(titles.back(), "Edit folder");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Do you wish remove folder C:\\Two\\ from list?");
}

TEST_F(FoldersDialogTest, OkStoresTheListAndCancelStoresNothing) {
    slFoldersToScan = {"C:\\Kept\\"};
    SaveFolders();
    const RawValue before = Raw("slFoldersToScan");

    answers = {"C:\\New\\"};
    bool result = run([&](HWND dialog) {
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(Raw("slFoldersToScan").data, before.data);
    EXPECT_EQ(slFoldersToScan, (std::vector<std::string>{"C:\\Kept\\"}));

    answers = {"C:\\New\\"};
    result = run([&](HWND dialog) {
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_OK_BUTTON);
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(slFoldersToScan, (std::vector<std::string>{"C:\\Kept\\", "C:\\New\\"}));
    EXPECT_EQ(Raw("slFoldersToScan").type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(Raw("slFoldersToScan").data, std::string("C:\\Kept\\\0C:\\New\\\0\0", 18));
}

TEST_F(FoldersDialogTest, EscAndTheCloseBoxCancel) {
    for (bool closeBox : {false, true}) {
        answers = {"C:\\Never\\"};
        bool result = run([&](HWND dialog) {
            press(dialog, IDC_ADD_FOLDER);
            if (closeBox)
                SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(result);
        EXPECT_FALSE(KeyExists() && Raw("slFoldersToScan").data.find("Never") != std::string::npos);
    }
}

// A list too large for the key whose file cannot be written: the user is
// told, and the dialog stays open with every entry they made.
TEST_F(FoldersDialogTest, AListThatCannotBeSavedKeepsTheEdits) {
    RemoveDatFile("slFoldersToScan");
    ASSERT_TRUE(CreateDirectoryA(DatFile("slFoldersToScan").c_str(), nullptr));
    const StringList many = ListOfEncodedSize(16001);
    MessageRecorder messages;
    std::vector<std::string> shownAfter;
    run([&](HWND dialog) {
        for (const std::string& folder : many)
            SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        press(dialog, IDC_OK_BUTTON);
        shownAfter = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    RemoveDirectoryA(DatFile("slFoldersToScan").c_str());
    EXPECT_EQ(shownAfter.size(), many.size());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Can not write file ", 0), 0u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].caption, "This is error message! I am sorry...");
    EXPECT_TRUE(slFoldersToScan.empty());  // the stored list, unchanged
}

// A folder named in letters the code page lacks is kept by the 8.3 path older
// versions read too, and comes back by its own name after a restart; without
// 8.3 names it is refused, and the user told. An entry another program wrote
// wide in such letters is scanned with the others, never instead of them.
TEST_F(FoldersDialogTest, FoldersInAnyScriptAreKeptOrRefusedAndNeverStopTheScan) {
    TempFolder tree;
    const std::string japanese = tree.entry() + "\u65E5\u672C\u8A9E\\";
    tree.writeExact(std::filesystem::path(L"\x65e5\x672c\x8a9e") / L"a.txt", "pair 1");
    tree.write("plain/a.txt", "pair 1");
    tree.write("plain/b.txt", "pair 2");
    tree.write("other/b.txt", "pair 2");

    answers = {japanese};
    EXPECT_TRUE(run([&](HWND dialog) {
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_OK_BUTTON);
    }));
    EXPECT_EQ(Raw("slFoldersToScan").data.find('?'), std::string::npos);
    slFoldersToScan.clear();
    ASSERT_TRUE(LoadFolders());
    EXPECT_EQ(slFoldersToScan, (std::vector<std::string>{japanese}));

    platform::setShortNamesReported(false);
    answers = {japanese};
    MessageRecorder messages;
    std::vector<std::string> shown;
    run([&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, LB_RESETCONTENT, 0, 0);
        press(dialog, IDC_ADD_FOLDER);
        shown = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    platform::setShortNamesReported(true);
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("The folder " + japanese + " can not be kept", 0), 0u) << messages.shown[0].text;

    const std::wstring written = Wide(japanese) + L'\0' + Wide(tree.path("plain")) + L'\0' + Wide(tree.path("other")) + L'\0' + L'\0';
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, product::kRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, L"slFoldersToScan", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(written.data()),
                   static_cast<DWORD>(written.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    ASSERT_TRUE(LoadFolders());
    EXPECT_EQ(slFoldersToScan, (std::vector<std::string>{japanese, tree.path("plain"), tree.path("other")}));
    std::unique_ptr<TFILELIST> list;
    ASSERT_TRUE(CollectFiles(list));
    EXPECT_EQ(list->Count(), 4);
    EXPECT_EQ(FindDuplicates(*list)->Count(), 4);  // two pairs
}

// A protected list too long for the registry whose file did not come along
// (the program moved without it): the folders load, the user is told what
// became of the protection, and the program goes on.
TEST_F(FoldersDialogTest, AProtectedListThatCannotBeReadCostsItsProtectionNotTheStart) {
    SetRawDword("slProtectedFolders", 20000);
    RemoveDatFile("slProtectedFolders");
    slProtectedFolders = {"C:\\Was\\"};
    MessageRecorder messages;
    EXPECT_TRUE(LoadFolders());
    EXPECT_TRUE(slProtectedFolders.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Warning!");
    EXPECT_EQ(messages.shown[0].text.rfind("The list of protected folders could not be read", 0), 0u) << messages.shown[0].text;
}

// An entry longer than 255 characters would come back cut, naming another folder.
TEST_F(FoldersDialogTest, FoldersPast255CharactersAreRefused) {
    TempFolder tree;
    const std::string deep = tree.makeFolder(std::string(250 - tree.entry().size(), 'd') + "/" + std::string(20, 'e'));
    answers = {deep, tree.entry()};
    MessageRecorder messages;
    std::vector<std::string> entries;
    run([&](HWND dialog) {
        press(dialog, IDC_ADD_FOLDER);
        press(dialog, IDC_ADD_TREE);
        entries = listed(dialog);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text.rfind("This folder can not be scanned: its path is longer than 255 characters.", 0),
              0u);
    EXPECT_EQ(messages.shown[1].text, "1 folder(s) of this tree were not added: the program can not name them in a "
                                      "path of at most 255 characters.");
    EXPECT_EQ(entries.size(), 2u);  // the root and the folder within 255 characters
    for (const std::string& e : entries) EXPECT_LE(e.size(), 255u) << e;
}

}  // namespace

namespace {

// Protection is the box under the list: shown as a mark on the line, stored
// apart from the folder list, which stays as an older version reads it.
TEST_F(FoldersDialogTest, AProtectedFolderIsMarkedStoredApartAndKeptThroughRemoval) {
    slFoldersToScan = {"C:\\Kept\\", "C:\\Loose\\", "C:\\Gone\\"};
    SaveFolders();
    const RawValue folders = Raw("slFoldersToScan");
    EXPECT_EQ(Raw("slProtectedFolders").type, static_cast<DWORD>(REG_NONE));  // not written until used
    std::vector<std::string> shown;
    bool offWithoutSelection = false;
    MessageRecorder messages({mb::kIdYes});
    EXPECT_TRUE(run([&](HWND dialog) {
        offWithoutSelection = !IsWindowEnabled(GetDlgItem(dialog, IDC_FOLDER_PROTECTED));
        for (const char* entry : {"C:\\Kept\\", "C:\\Gone\\"}) {
            select(dialog, entry);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_LIST, LBN_SELCHANGE), 0);
            SendDlgItemMessageA(dialog, IDC_FOLDER_PROTECTED, BM_CLICK, 0, 0);
        }
        press(dialog, IDC_REMOVE_FOLDER);  // the protected C:\Gone\ leaves, protection and all
        press(dialog, IDC_OK_BUTTON);
    }));
    EXPECT_TRUE(offWithoutSelection);
    EXPECT_EQ(slFoldersToScan, (std::vector<std::string>{"C:\\Kept\\", "C:\\Loose\\"}));
    EXPECT_EQ(slProtectedFolders, (std::vector<std::string>{"C:\\Kept\\"}));
    EXPECT_EQ(Raw("slFoldersToScan").data, std::string("C:\\Kept\\\0C:\\Loose\\\0\0", 20));
    EXPECT_EQ(Raw("slProtectedFolders").data, std::string("C:\\Kept\\\0\0", 10));
    slProtectedFolders.clear();
    bool checked = false;
    run([&](HWND dialog) {
        shown = listed(dialog);
        select(dialog, "(protected) C:\\Kept\\");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_LIST, LBN_SELCHANGE), 0);
        checked = IsDlgButtonChecked(dialog, IDC_FOLDER_PROTECTED) == BST_CHECKED;
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(shown, (std::vector<std::string>{"(protected) C:\\Kept\\", "C:\\Loose\\"}));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(IsProtectedFolder("c:\\kept"));
    EXPECT_FALSE(IsProtectedFolder("C:\\Loose\\"));
}

}  // namespace
