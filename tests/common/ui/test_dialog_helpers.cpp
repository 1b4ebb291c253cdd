#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/ui/dialog_helpers.h"
#include "common/win32/unique_handle.h"

namespace {

// A plain top-level window to hold the controls under test.
class HelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 10, 10, 400, 300, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    HWND child(const char* cls, DWORD style, int id, int x = 0, int y = 0, int w = 100, int h = 20) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }

    HWND parent = nullptr;
};

TEST_F(HelperTest, IsCheckedOnlyForAFullCheck) {
    child("BUTTON", BS_AUTO3STATE, 10);
    struct Case {
        WPARAM state;
        bool checked;
    };
    for (const Case& c : {Case{BST_UNCHECKED, false}, Case{BST_CHECKED, true}, Case{BST_INDETERMINATE, false}}) {
        SendDlgItemMessageA(parent, 10, BM_SETCHECK, c.state, 0);
        EXPECT_EQ(IsChecked(parent, 10), c.checked) << c.state;
    }
    SetCheck(parent, 10, true);
    EXPECT_EQ(SendDlgItemMessageA(parent, 10, BM_GETCHECK, 0, 0), BST_CHECKED);
    SetCheck(parent, 10, false);
    EXPECT_EQ(SendDlgItemMessageA(parent, 10, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(HelperTest, TextsNumbersAndRectangles) {
    child("EDIT", 0, 11, 15, 25, 120, 22);
    SetItemText(parent, 11, "hello");
    EXPECT_EQ(GetItemText(parent, 11), "hello");
    SetItemNumber(parent, 11, 5000000000LL);
    EXPECT_EQ(GetItemText(parent, 11), "5000000000");
    ItemRect r = GetItemRect(parent, 11);
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 25);
    EXPECT_EQ(r.width, 120);
    EXPECT_EQ(r.height, 22);
}

TEST_F(HelperTest, FillComboStopsAtTheFirstMissingString) {
    HWND combo = child("COMBOBOX", CBS_DROPDOWN, 12, 0, 0, 100, 200);
    FillComboFromStrings(parent, 12, 7);  // no string 7
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    FillComboFromStrings(parent, 12, 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(LoadStr(3), "Text files");
    EXPECT_EQ(LoadStr(21), "*.arj,*.zip,*.rar,*.ha,*.lzh,*.ice,*.pak,*.cab");
    EXPECT_EQ(LoadStr(7), "");
}

TEST_F(HelperTest, StatusBarText) {
    HWND bar = child(STATUSCLASSNAMEA, 0, 800);
    int edges[] = {50, 100, -1};
    SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    SetStatusText(parent, 800, 1, "Sel :");
    SetStatusText(bar, 2, "0 bytes");
    char text[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Sel :");
    SendMessageA(bar, SB_GETTEXTA, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "0 bytes");
}

struct Visits {
    std::vector<std::string> names;
};

void record(HWND tree, HTREEITEM item, void* context) {
    char text[64] = {};
    TVITEMA r{};
    r.pszText = text;
    r.cchTextMax = sizeof text;
    GetTreeItem(tree, item, TVIF_TEXT, r);
    static_cast<Visits*>(context)->names.push_back(text);
}

TEST_F(HelperTest, TreeWalksVisitTheSecondLevelOnly) {
    HWND tree = child(WC_TREEVIEWA, 0, 196, 0, 0, 200, 200);
    Visits none;
    ForEachTreeChild(tree, record, &none);
    EXPECT_TRUE(none.names.empty());

    auto add = [&](HTREEITEM parentItem, const char* text, int image) {
        TVINSERTSTRUCTA in{};
        in.hParent = parentItem;
        in.hInsertAfter = TVI_LAST;
        in.item.mask = TVIF_TEXT | TVIF_IMAGE;
        in.item.pszText = const_cast<char*>(text);
        in.item.iImage = image;
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
    };
    HTREEITEM g1 = add(TVI_ROOT, "group 1", 3);
    add(TVI_ROOT, "empty group", 3);
    Visits onlyGroups;
    ForEachTreeChild(tree, record, &onlyGroups);
    EXPECT_TRUE(onlyGroups.names.empty());

    HTREEITEM a = add(g1, "a", 0);
    add(g1, "b", 2);
    HTREEITEM g3 = add(TVI_ROOT, "group 3", 3);
    add(g3, "c", 2);
    SetTreeItemState(tree, a, TVIS_BOLD, TVIS_BOLD);

    Visits all, bold, image2;
    ForEachTreeChild(tree, record, &all);
    ForEachBoldTreeChild(tree, record, &bold);
    ForEachTreeChildWithImage(tree, record, &image2);
    EXPECT_EQ(all.names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(bold.names, (std::vector<std::string>{"a"}));
    EXPECT_EQ(image2.names, (std::vector<std::string>{"b", "c"}));

    TVITEMA r{};
    EXPECT_FALSE(GetTreeItem(tree, nullptr, TVIF_STATE, r));
}

}  // namespace
