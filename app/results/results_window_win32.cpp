#include "results_window_win32.h"

#include <windowsx.h>

#include "app/results/deletion_win32.h"
#include "app/results/file_info_win32.h"
#include "app/results/hard_links_win32.h"
#include "app/results/results_commands_win32.h"
#include "app/options/options.h"
#include "app/results/selection_win32.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/ui_handles.h"
#include "common/ui/help.h"
#include "common/messagebox.h"
#include "common/text.h"
#include "common/ui/toolbar.h"
#include "app/options/shortcuts.h"
#include "common/win32/wide.h"
#include "resources/VarnokScan/resource.h"

bool TallyLive = false;
unique_accelerators ResultsAcceleratorTable;

// --- TTREEVIEW ---------------------------------------------------------------

void TTREEVIEW::AttachTo(HWND control) {
    Handle = control;
    ItemMask = TVIF_TEXT;
}

bool TTREEVIEW::get(HTREEITEM item, UINT mask, TVITEMA& record) {
    record.hItem = item;
    record.mask = mask;
    return item && SendMessageA(Handle, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record)) != FALSE;
}

bool TTREEVIEW::set(TVITEMA& record) {
    return record.hItem && SendMessageA(Handle, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&record)) != FALSE;
}

int32_t TTREEVIEW::GetImage(HTREEITEM item) {
    TVITEMA r{};
    if (get(item, TVIF_IMAGE, r)) return r.iImage;
    Error(kModuleID, 1);
    return -1;
}

void TTREEVIEW::SetImage(HTREEITEM item, int32_t image) {
    TVITEMA r{};
    r.hItem = item;
    r.mask = TVIF_IMAGE;
    r.iImage = image;
    if (!set(r)) Error(kModuleID, 2);
}

LPARAM TTREEVIEW::GetParam(HTREEITEM item) {
    TVITEMA r{};
    if (get(item, TVIF_PARAM, r)) return r.lParam;
    Error(kModuleID, 3);
    return -1;
}

void TTREEVIEW::SetParam(HTREEITEM item, LPARAM param) {
    TVITEMA r{};
    r.hItem = item;
    r.mask = TVIF_PARAM;
    r.lParam = param;
    if (!set(r)) Error(kModuleID, 4);
}

int32_t TTREEVIEW::GetSelectedImage(HTREEITEM item) {
    TVITEMA r{};
    if (get(item, TVIF_SELECTEDIMAGE, r)) return r.iSelectedImage;
    Error(kModuleID, 5);
    return -1;
}

void TTREEVIEW::SetSelectedImage(HTREEITEM item, int32_t image) {
    TVITEMA r{};
    r.hItem = item;
    r.mask = TVIF_SELECTEDIMAGE;
    r.iSelectedImage = image;
    if (!set(r)) Error(kModuleID, 6);
}

bool TTREEVIEW::IsBold(HTREEITEM item) {
    TVITEMA r{};
    r.stateMask = TVIS_BOLD;
    if (get(item, TVIF_STATE, r)) return (r.state & TVIS_BOLD) != 0;
    Error(kModuleID, 7);
    return false;
}

void TTREEVIEW::SetBold(HTREEITEM item, bool on) {
    TVITEMA r{};
    r.hItem = item;
    r.mask = TVIF_STATE;
    r.state = on ? TVIS_BOLD : 0;
    r.stateMask = TVIS_BOLD;
    if (!set(r)) Error(kModuleID, 8);
}

// Texts go to and from the tree wide, in UTF-8 here: a name shows as itself
// whatever the code page.
std::string TTREEVIEW::GetText(HTREEITEM item) {
    // A file's text is its full path, which may pass 255 characters.
    std::wstring text(1024, L'\0');
    TVITEMW r{};
    r.hItem = item;
    r.mask = TVIF_TEXT;
    r.pszText = text.data();
    r.cchTextMax = static_cast<int>(text.size());
    if (item && SendMessageW(Handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&r))) return Utf8(text.c_str());
    Error(kModuleID, 9);
    return {};
}

void TTREEVIEW::SetText(HTREEITEM item, const std::string& text) {
    std::wstring wide = Wide(text);
    TVITEMW r{};
    r.hItem = item;
    r.mask = TVIF_TEXT;
    r.pszText = wide.data();
    if (!item || !SendMessageW(Handle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&r))) Error(kModuleID, 10);
}

HTREEITEM TTREEVIEW::InsertItem(const std::string& text, int32_t image, int32_t selectedImage, LPARAM param) {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW in{};
    in.hParent = InsertParent;
    in.hInsertAfter = InsertAfter ? InsertAfter : TVI_LAST;
    in.item.mask = ItemMask | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    in.item.state = ItemState;
    in.item.stateMask = ItemStateMask;
    in.item.pszText = wide.data();
    in.item.iImage = image;
    in.item.iSelectedImage = selectedImage;
    in.item.lParam = param;
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&in)));
}

HTREEITEM TTREEVIEW::Root() const { return TreeView_GetRoot(Handle); }
HTREEITEM TTREEVIEW::FirstChild(HTREEITEM item) const { return TreeView_GetChild(Handle, item); }
HTREEITEM TTREEVIEW::NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(Handle, item); }
HTREEITEM TTREEVIEW::Focused() const { return TreeView_GetSelection(Handle); }

HTREEITEM TTREEVIEW::ItemAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    ScreenToClient(Handle, &hit.pt);
    HTREEITEM item = TreeView_HitTest(Handle, &hit);
    // Anywhere on a row counts: its text, picture, indent or the blank beyond it.
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT | TVHT_ONITEMBUTTON)) ? item : nullptr;
}

void TTREEVIEW::SetImageList(HIMAGELIST list) { TreeView_SetImageList(Handle, list, TVSIL_NORMAL); }

bool TTREEVIEW::DeleteItem(HTREEITEM item) {
    for (HTREEITEM child = FirstChild(item); child;) {
        HTREEITEM next = NextSibling(child);
        if (!DeleteItem(child)) return false;
        child = next;
    }
    return TreeView_DeleteItem(Handle, item) != FALSE;
}

// --- TRESVIEW ----------------------------------------------------------------

TRESVIEW::TRESVIEW(HWND tree, HWND statusBar, TRESULTS& Results, TFILELIST& FileList) {
    AttachTo(tree);
    OwnerWindow = tree;
    StatusBar = statusBar;
    Fill(Results, FileList);
}

TRESVIEW::~TRESVIEW() = default;

void TRESVIEW::Fill(TRESULTS& Results, TFILELIST& FileList) {
    WaitCursor wait;
    // Drawn once, when every item is in.
    SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
    TallyLive = false;
    for (Tally& t : Tallies) t = {};
    int i = 0;
    const int count = Results.Count();
    while (i <= count - 1) {
        SetParent(TVI_ROOT);
        const int32_t g = Results[i]->Group;
        const HTREEITEM group = InsertItem(Results.GroupLabel(g, FileList), 3, 3, -1);
        SetParent(group);
        where_[group] = nodes_.size();
        nodes_.push_back({group, nullptr, false, 3});
        while (i <= count - 1 && Results[i]->Group == g) {
            if (TFILEINFO* f = Results.EntryFile(FileList, i)) {
                const int32_t image = FileList.IsProtected(*f) ? kProtectedImage : 0;
                const HTREEITEM item = InsertItem(f->FullPath(), image, image, reinterpret_cast<LPARAM>(f));
                where_[item] = nodes_.size();
                nodes_.push_back({item, f, false, image});
                Tallies[TallyAll].Files += 1;
                Tallies[TallyAll].Bytes += f->Size;
            }
            ++i;
        }
    }
    SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle, nullptr, TRUE);
    TallyLive = true;
}

TFILEINFO* TRESVIEW::FileOf(HTREEITEM item) {
    LPARAM p = GetParam(item);
    return p == -1 || p == 0 ? nullptr : reinterpret_cast<TFILEINFO*>(p);
}

TRESVIEW::Node* TRESVIEW::node(HTREEITEM item) {
    const auto at = where_.find(item);
    return at == where_.end() ? nullptr : &nodes_[at->second];
}

void TRESVIEW::setSelected(Node& n, bool on) {
    // A protected copy is never selected, so no command can reach it.
    if (!n.file || n.bold == on || (on && n.image == kProtectedImage)) return;
    SetBold(n.item, on);
    n.bold = on;
    const int sign = on ? 1 : -1;
    SetTallyBytes(TallySel, Tallies[TallySel].Bytes + sign * n.file->Size);
    SetTallyFiles(TallySel, Tallies[TallySel].Files + sign);
}

void TRESVIEW::setMarked(Node& n, bool on) {
    if (!n.file || n.image != (on ? 0 : 1)) return;
    TVITEMA r{};
    r.hItem = n.item;
    r.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    r.iImage = r.iSelectedImage = on ? 1 : 0;
    if (!set(r)) Error(kModuleID, 2);
    n.image = r.iImage;
    const int sign = on ? 1 : -1;
    SetTallyBytes(TallyDel, Tallies[TallyDel].Bytes + sign * n.file->Size);
    SetTallyFiles(TallyDel, Tallies[TallyDel].Files + sign);
}

void TRESVIEW::Select(HTREEITEM item) {
    if (Node* n = node(item)) setSelected(*n, true);
}

void TRESVIEW::Unselect(HTREEITEM item) {
    if (Node* n = node(item)) setSelected(*n, false);
}

void TRESVIEW::ToggleSelect(HTREEITEM item) {
    if (Node* n = node(item)) setSelected(*n, !n->bold);
}

void TRESVIEW::Mark(HTREEITEM item) {
    if (Node* n = node(item)) setMarked(*n, true);
}

void TRESVIEW::Unmark(HTREEITEM item) {
    if (Node* n = node(item)) setMarked(*n, false);
}

void TRESVIEW::MarkIfSelected(HTREEITEM item) {
    if (Node* n = node(item); n && n->bold) setMarked(*n, true);
}

void TRESVIEW::UnmarkIfSelected(HTREEITEM item) {
    if (Node* n = node(item); n && n->bold) setMarked(*n, false);
}

std::vector<std::pair<HTREEITEM, std::vector<TRESVIEW::Node>>> TRESVIEW::Groups() const {
    std::vector<std::pair<HTREEITEM, std::vector<Node>>> groups;
    for (const Node& n : nodes_) {
        if (!n.item) continue;
        if (!n.file)
            groups.push_back({n.item, {}});
        else if (!groups.empty())
            groups.back().second.push_back(n);
    }
    return groups;
}

bool TRESVIEW::IsProtected(HTREEITEM item) {
    const Node* n = node(item);
    return n && n->image == kProtectedImage;
}

void TRESVIEW::ForAllFiles(Operation operation) {
    for (size_t k = 0; k < nodes_.size(); ++k)
        if (nodes_[k].item && nodes_[k].file) (this->*operation)(nodes_[k].item);
}

TRESVIEW::Batch::Batch(TRESVIEW& view) : view_(view), outer_(view.batches_++ == 0 && TallyLive) {
    if (!outer_) return;
    TallyLive = false;
    SendMessageA(view_.Handle, WM_SETREDRAW, FALSE, 0);
}

TRESVIEW::Batch::~Batch() {
    --view_.batches_;
    if (!outer_) return;
    SendMessageA(view_.Handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view_.Handle, nullptr, TRUE);
    TallyLive = true;
    for (int k = TallyAll; k <= TallyDel; ++k) view_.WriteTally(k);
}

void TRESVIEW::WriteTally(int k) {
    const std::string text =
        SizeText(Tallies[k].Bytes) + " bytes in " + std::to_string(Tallies[k].Files) + " files";
    SendMessageA(StatusBar, SB_SETTEXTA, static_cast<WPARAM>(2 * k + 1), reinterpret_cast<LPARAM>(text.c_str()));
}

void TRESVIEW::SetTallyBytes(int k, int64_t bytes) {
    Tallies[k].Bytes = bytes;
    if (TallyLive) WriteTally(k);
}

void TRESVIEW::SetTallyFiles(int k, int32_t files) {
    Tallies[k].Files = files;
    if (TallyLive) WriteTally(k);
}

bool TRESVIEW::FileData(HTREEITEM item, platform::FindData& record, std::string& folder) {
    if (!item) return false;
    const TFILEINFO* f = FileOf(item);
    if (!f) return false;
    record.Name = f->Name();
    record.RealName = f->RealName();
    record.ShortName = f->ShortName();
    record.Size = f->Size;
    record.Attributes = f->Attributes;
    record.Created = f->Created;
    record.Written = f->Written;
    record.Accessed = f->Accessed;
    folder = f->FolderPath();
    return true;
}

void TRESVIEW::ToggleAt(int x, int y) {
    if (HTREEITEM item = ItemAt(x, y)) ToggleSelect(item);
}

bool TRESVIEW::DeleteItem(HTREEITEM item) {
    if (TFILEINFO* f = FileOf(item)) f->Deleted = true;
    if (const auto at = where_.find(item); at != where_.end()) {
        nodes_[at->second].item = nullptr;
        where_.erase(at);
    }
    return TTREEVIEW::DeleteItem(item);
}

// --- the window --------------------------------------------------------------

namespace {

TRESVIEW* currentView = nullptr;

// The help topic of each later command (F1 on its line of the menu).
DWORD helpOfCommand(int command) {
    switch (command) {
    case IDC_OPEN_FOLDER: return IDH_OPEN_FOLDER;
    case IDC_SAVE_LIST: return IDH_SAVE_LIST;
    case IDC_LINK_MARKED: return IDH_LINK_MARKED;
    }
    return 0;
}

// The window's keys reach it through its modal loop's message filter: the
// dialog manager's loop translates no accelerators of its own.
HWND keysWindow = nullptr;
HHOOK keysHook = nullptr;

LRESULT CALLBACK translateResultsKeys(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    // The menu key and Shift+F10 on the tree open the commands' menu here,
    // pressed and released as one: not every system makes a menu request of them.
    if (code == MSGF_DIALOGBOX && keysWindow && msg && msg->hwnd == GetDlgItem(keysWindow, IDC_RESULTS_TREE) &&
        msg->message >= WM_KEYDOWN && msg->message <= WM_SYSKEYUP &&
        (msg->wParam == VK_APPS || (msg->wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0))) {
        if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)
            SendMessageW(keysWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg->hwnd), -1);
        return 1;
    }
    if (code == MSGF_DIALOGBOX && keysWindow && ResultsAcceleratorTable && msg &&
        (msg->hwnd == keysWindow || IsChild(keysWindow, msg->hwnd)) &&
        TranslateAcceleratorA(keysWindow, ResultsAcceleratorTable.get(), msg))
        return 1;
    return CallNextHookEx(keysHook, code, wParam, lParam);
}

struct ResultsInput {
    TRESULTS* results;
    TFILELIST* files;
};

class ResultsDialog : public Dialog {
public:
    ResultsDialog(TRESULTS& results, TFILELIST& files) : input_{&results, &files} {}
    ~ResultsDialog() override {
        if (currentView == view_.get()) currentView = nullptr;
        stopKeys();
    }
    void Run(HWND owner) { Dialog::Run(owner, IDD_RESULTS); }

private:
    HWND tree() const { return item(IDC_RESULTS_TREE); }

    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override {
        // While a deletion runs (its boxes pump messages), the window takes
        // no command: nothing may change or close the view under it.
        if (deleting_ && (message == WM_COMMAND || message == WM_NOTIFY || message == WM_CONTEXTMENU ||
                          message == WM_HELP))
            return TRUE;
        if (message == WM_HELP) {
            const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
            if (const DWORD topic = info->iContextType == HELPINFO_MENUITEM ? helpOfCommand(info->iCtrlId) : 0) {
                ShowContextHelp(handle(), topic);
                return TRUE;
            }
        }
        return Dialog::Dispatch(message, wParam, lParam);
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SIZE:
            Layout();
            return TRUE;
        case WM_CONTEXTMENU:
            if (view_ && reinterpret_cast<HWND>(wParam) == tree()) {
                // The right button selects; the menu key and Shift+F10 open the commands' menu.
                if (lParam == -1)
                    CommandsMenu();
                else
                    view_->ToggleAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_NCDESTROY:
            stopKeys();
            return FALSE;
        }
        return FALSE;
    }

    void stopKeys() {
        if (keysWindow != handle() || !keysHook) return;
        UnhookWindowsHookEx(keysHook);
        keysHook = nullptr;
        keysWindow = nullptr;
    }

    // Below the focused line (at the tree's corner without one), as the system's own lists place it.
    void CommandsMenu() {
        HMENU menu = CreatePopupMenu();
        const HTREEITEM focused = view_->Focused();
        const UINT onFile = focused && view_->FileOf(focused) ? MF_ENABLED : MF_GRAYED;
        auto add = [&](int command, const char* text, UINT state) {
            std::string line = text;
            if (const ShortcutEntry* key = ShortcutOfCommand(static_cast<uint16_t>(command)); key && key->key)
                line += "\t" + ShortcutText(*key);
            AppendMenuA(menu, MF_STRING | state, static_cast<UINT_PTR>(command), line.c_str());
        };
        add(IDC_OPEN_FOLDER, "Open containing folder", onFile);
        add(IDC_SAVE_LIST, "Save the list as CSV...", MF_ENABLED);
        add(IDC_LINK_MARKED, "Replace marked files by hard links...",
            view_->Tallies[TallyDel].Files > 0 ? MF_ENABLED : MF_GRAYED);
        POINT at{0, 0};
        RECT line{};
        if (focused && TreeView_GetItemRect(tree(), focused, &line, TRUE)) at = {line.left, line.bottom};
        ClientToScreen(tree(), &at);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle(), nullptr);
        DestroyMenu(menu);
    }

    void OnHelp() override {
        if (view_) ShowContextHelp(handle(), IDH_RESULTS);
    }

    bool OnInit() override {
        const HWND dialog = handle();
        status_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", dialog, IDC_STATUS_BAR);
        RECT outer{};
        GetWindowRect(dialog, &outer);
        const int t = (outer.right - outer.left) / 3;
        const int q = t / 4;
        int edges[6] = {q, t, t + q, 2 * t, 2 * t + q, 3 * t};
        SendMessageA(status_, SB_SETPARTS, 6, reinterpret_cast<LPARAM>(edges));
        const char* labels[3] = {"All :", "Sel :", "Del :"};
        for (int k = 0; k < 3; ++k)
            SendMessageA(status_, SB_SETTEXTA, static_cast<WPARAM>(2 * k) | SBT_POPOUT,
                         reinterpret_cast<LPARAM>(labels[k]));
        ShowNamesInAnyScript(tree());
        view_ = std::make_unique<TRESVIEW>(tree(), status_, *input_.results, *input_.files);
        currentView = view_.get();
        images_.reset(ImageList_Create(16, 16, ILC_COLOR4, 5, 0));
        for (UINT id : {IDB_FILE, IDB_MARKED, IDB_UNUSED, IDB_GROUP, IDB_PROTECTED}) {
            unique_gdi_object picture(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
            ImageList_Add(images_.get(), static_cast<HBITMAP>(picture.get()), nullptr);
        }
        view_->SetImageList(images_.get());
        // The later commands come after the first nine entries, from a strip of their own.
        toolbar_ = CreateButtonToolbar(dialog, IDC_TOOLBAR, {{IDB_RESULTS_TOOLBAR, 7}, {IDB_RESULTS_TOOLBAR_MORE, 3}},
                                       {{0, 0, 200}, {IDC_RUN_RULE, 0}, {0, 0, 0}, {IDC_MARK, 1}, {IDC_UNMARK, 2},
                                        {0, 0, 0}, {IDC_DELETE_MARKED, 3}, {0, 0, 0}, {IDC_FILE_INFO, 4},
                                        {IDC_HELP_BUTTON, 5}, {0, 0, 0}, {IDC_OPEN_FOLDER, 7}, {IDC_SAVE_LIST, 8},
                                        {IDC_LINK_MARKED, 9}});
        HWND rules = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 200,
                                     175, toolbar_, reinterpret_cast<HMENU>(IDC_RULE_LIST), GetModuleHandleA(nullptr),
                                     nullptr);
        SendMessageA(rules, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
        FillComboFromStrings(toolbar_, IDC_RULE_LIST, IDS_RULE_FIRST);
        SendMessageA(rules, CB_SETCURSEL, 0, 0);
        for (int k = 0; k < 3; ++k) view_->WriteTally(k);
        Layout();
        SetWindowContextHelpId(dialog, IDH_RESULTS);
        if (!keysHook) {
            keysWindow = dialog;
            keysHook = SetWindowsHookExA(WH_MSGFILTER, translateResultsKeys, nullptr, GetCurrentThreadId());
        }
        return true;
    }

    void Layout() {
        if (!toolbar_ || !status_) return;
        RECT client{};
        GetClientRect(handle(), &client);
        SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        SendMessageA(status_, WM_SIZE, 0, 0);
        RECT bar{}, status{};
        GetWindowRect(toolbar_, &bar);
        GetWindowRect(status_, &status);
        const int top = bar.bottom - bar.top;
        const int bottom = client.bottom - (status.bottom - status.top);
        MoveWindow(tree(), 0, top, client.right, bottom > top ? bottom - top : 0, TRUE);
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (Dialog::OnCommand(id, code, control)) return true;
        if (!view_) return false;  // closing after a deletion
        switch (id) {
        case IDC_RUN_RULE: {
            const LRESULT rule = SendDlgItemMessageA(toolbar_, IDC_RULE_LIST, CB_GETCURSEL, 0, 0);
            if (rule != CB_ERR) {
                TRESVIEW::Batch batch(*view_);
                RunRule(*view_, static_cast<int>(rule));
            }
            return TRUE;
        }
        case IDC_MARK: {
            TRESVIEW::Batch batch(*view_);
            view_->ForAllFiles(&TRESVIEW::MarkIfSelected);
            return TRUE;
        }
        case IDC_UNMARK: {
            TRESVIEW::Batch batch(*view_);
            view_->ForAllFiles(&TRESVIEW::UnmarkIfSelected);
            return TRUE;
        }
        case IDC_DELETE_MARKED:
            deleting_ = true;
            if (!DeleteCommand(handle(), *view_)) {
                deleting_ = false;
                return true;
            }
            deleting_ = false;
            input_.results->Purge(*input_.files);
            if (currentView == view_.get()) currentView = nullptr;
            view_.reset();
            End(0);
            return true;
        case IDOK:
            // Enter, which the tree leaves to the window: on a file, its
            // information, as the info button shows it.
            if (GetFocus() != tree()) return true;
            [[fallthrough]];
        case IDC_FILE_INFO: {
            platform::FindData record;
            std::string folder;
            if (view_->FileData(view_->Focused(), record, folder)) ShowFileInfo(handle(), record, folder);
            return true;
        }
        case IDC_OPEN_FOLDER:
            if (const HTREEITEM focused = view_->Focused())
                if (const TFILEINFO* file = view_->FileOf(focused)) OpenContainingFolder(handle(), *file);
            return true;
        case IDC_SAVE_LIST:
            SaveListCommand(handle(), *view_);
            return true;
        case IDC_LINK_MARKED:
            deleting_ = true;  // its boxes wait for the user: nothing may change the view meanwhile
            LinkMarkedCommand(handle(), *view_);
            deleting_ = false;
            return true;
        }
        return false;
    }

    INT_PTR OnNotify(NMHDR* header) override {
        if (!view_) return FALSE;
        if (header->idFrom == IDC_RESULTS_TREE && header->code == TVN_KEYDOWN) {
            if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_SPACE) {
                if (HTREEITEM focused = view_->Focused()) view_->ToggleSelect(focused);
                SetWindowLongPtrA(handle(), DWLP_MSGRESULT, 1);
                return TRUE;
            }
            return FALSE;
        }
        if (header->code == TTN_NEEDTEXTA) {
            int stringId = 0;
            switch (header->idFrom) {
            case IDC_RUN_RULE: stringId = IDS_TIP_RUN_RULE; break;
            case IDC_MARK: stringId = IDS_TIP_MARK; break;
            case IDC_UNMARK: stringId = IDS_TIP_UNMARK; break;
            case IDC_DELETE_MARKED: stringId = IDS_TIP_DELETE_MARKED; break;
            case IDC_HELP_BUTTON: stringId = IDS_TIP_RESULTS_HELP; break;
            case IDC_FILE_INFO: stringId = IDS_TIP_FILE_INFO; break;
            case IDC_OPEN_FOLDER: stringId = IDS_TIP_OPEN_FOLDER; break;
            case IDC_SAVE_LIST: stringId = IDS_TIP_SAVE_LIST; break;
            case IDC_LINK_MARKED: stringId = IDS_TIP_LINK_MARKED; break;
            }
            tip_ = stringId ? LoadStr(static_cast<UINT>(stringId)) : std::string();
            reinterpret_cast<TOOLTIPTEXTA*>(header)->lpszText = const_cast<char*>(tip_.c_str());
            return TRUE;
        }
        return FALSE;
    }

    ResultsInput input_;
    HWND status_ = nullptr;
    HWND toolbar_ = nullptr;
    unique_image_list images_;
    std::unique_ptr<TRESVIEW> view_;
    std::string tip_;
    bool deleting_ = false;
};

}  // namespace

void ResultsWindow(HWND owner, TRESULTS& Results, TFILELIST& FileList) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    ResultsDialog(Results, FileList).Run(owner);
}

TRESVIEW* CurrentResultsView() { return currentView; }
