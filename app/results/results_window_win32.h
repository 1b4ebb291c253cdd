// The results window: every duplicate group as a node of a two-level tree,
// files selected (bold) and marked for removal (image 1), with running tallies.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/results.h"
#include "common/errors.h"
#include "common/win32/unique_handle.h"

// A wrapper around one tree-view control; failures are reported through
// Error(0x1C9B, n) and give a neutral answer.
class TTREEVIEW : public TERRORCLASS {
public:
    static constexpr uint16_t kModuleID = 0x1C9B;

    void AttachTo(HWND control);
    int32_t GetImage(HTREEITEM item);
    void SetImage(HTREEITEM item, int32_t image);
    LPARAM GetParam(HTREEITEM item);
    void SetParam(HTREEITEM item, LPARAM param);
    int32_t GetSelectedImage(HTREEITEM item);
    void SetSelectedImage(HTREEITEM item, int32_t image);
    bool IsBold(HTREEITEM item);
    void SetBold(HTREEITEM item, bool on);
    std::string GetText(HTREEITEM item);
    void SetText(HTREEITEM item, const std::string& text);
    HTREEITEM InsertItem(const std::string& text, int32_t image, int32_t selectedImage, LPARAM param);
    void SetParent(HTREEITEM item) { InsertParent = item; }
    HTREEITEM Root() const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    HTREEITEM Focused() const;
    // The item under a screen point, or null.
    HTREEITEM ItemAt(int x, int y) const;
    void SetImageList(HIMAGELIST list);
    virtual bool DeleteItem(HTREEITEM item);

    HWND Handle = nullptr;
    HTREEITEM InsertParent = TVI_ROOT;
    HTREEITEM InsertAfter = nullptr;
    UINT ItemMask = TVIF_TEXT;
    UINT ItemState = 0;
    UINT ItemStateMask = 0;

protected:
    bool get(HTREEITEM item, UINT mask, TVITEMA& record);
    bool set(TVITEMA& record);
};

enum TallyKind { TallyAll = 0, TallySel = 1, TallyDel = 2 };

struct Tally {
    int64_t Bytes = 0;
    int32_t Files = 0;
};

// Whether a tally change rewrites the status bar at once (not while filling).
extern bool TallyLive;

class TRESVIEW : public TTREEVIEW {
public:
    using Operation = void (TRESVIEW::*)(HTREEITEM);

    // Attaches to the tree and fills it from the results.
    TRESVIEW(HWND tree, HWND statusBar, TRESULTS& Results, TFILELIST& FileList);
    ~TRESVIEW() override;

    void Select(HTREEITEM item);
    void Unselect(HTREEITEM item);
    void ToggleSelect(HTREEITEM item);
    void Mark(HTREEITEM item);
    void Unmark(HTREEITEM item);
    void MarkIfSelected(HTREEITEM item);
    void UnmarkIfSelected(HTREEITEM item);
    // Every file item, in tree order.
    void ForAllFiles(Operation operation);

    // Each item as the rules, marking and deleting see it, kept beside the
    // tree in its order: asking the tree costs a search of all its items
    // under Wine. Items deleted from the tree are left out (item null).
    struct Node {
        HTREEITEM item;
        TFILEINFO* file;  // null for a group
        bool bold;        // selected
        int32_t image;    // 1: marked; 4: in a protected folder, never selected or marked
    };
    static constexpr int32_t kProtectedImage = 4;
    const std::vector<Node>& Nodes() const { return nodes_; }
    // The groups as the view holds them now: each group node with its file
    // nodes, in tree order (what a command works through, group by group).
    std::vector<std::pair<HTREEITEM, std::vector<Node>>> Groups() const;
    // Whether the item is a file in a protected folder.
    bool IsProtected(HTREEITEM item);

    // One command's changes to many items: the tree is drawn and the tallies
    // written once, when the last batch of the command ends.
    class Batch {
    public:
        explicit Batch(TRESVIEW& view);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TRESVIEW& view_;
        bool outer_;
    };

    void WriteTally(int k);
    void SetTallyBytes(int k, int64_t bytes);
    void SetTallyFiles(int k, int32_t files);
    // A copy of the file's recorded fields and its folder; false for a group node.
    bool FileData(HTREEITEM item, platform::FindData& record, std::string& folder);
    void ToggleAt(int x, int y);
    bool DeleteItem(HTREEITEM item) override;

    // The file of a file node, or null for a group node.
    TFILEINFO* FileOf(HTREEITEM item);

    HWND OwnerWindow = nullptr;
    HWND StatusBar = nullptr;
    Tally Tallies[3];

private:
    void Fill(TRESULTS& Results, TFILELIST& FileList);
    Node* node(HTREEITEM item);  // null for an item not in the view
    void setSelected(Node& node, bool on);
    void setMarked(Node& node, bool on);
    int batches_ = 0;
    std::vector<Node> nodes_;
    std::unordered_map<HTREEITEM, size_t> where_;
};

// The keys of the window's later commands, translated while it is open.
extern unique_accelerators ResultsAcceleratorTable;

// Opens the results window on the results; returns when it closes.
void ResultsWindow(HWND owner, TRESULTS& Results, TFILELIST& FileList);

// The view of the open results window (for tests and the commands of later steps).
TRESVIEW* CurrentResultsView();
