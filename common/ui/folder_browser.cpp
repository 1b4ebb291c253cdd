#include "common/ui/folder_browser.h"

#include <shlobj.h>
#include <commctrl.h>

#include <utility>

#include "common/messagebox.h"
#include "common/platform.h"
#include "common/ui/ui_handles.h"
#include "common/win32/wide.h"

UINT FolderBrowserFlags = 0x30;

namespace {

FolderBrowser& replacement() {
    static FolderBrowser browser;
    return browser;
}

struct BrowseState {
    std::string start;     // selected when the browser opens
    std::string accepted;  // a typed name the user chose to create
    bool typedAccepted = false;
};

// Creates a folder and any missing folders above it.
void createFolderPath(const std::string& path) {
    std::string partial;
    for (size_t at = 0; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '\\' || path[at] == '/') {
            if (!partial.empty() && partial.back() != ':') CreateDirectoryW(SystemPath(partial).c_str(), nullptr);
        }
        if (at < path.size()) partial += path[at];
    }
}

const char* const kStartProperty = "VarnokBrowseStart";
constexpr UINT_PTR kSelectTimer = 0x5653;

void selectStart(HWND browser, const std::string& start) {
    const std::wstring folder = Wide(start);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
}

// Under load Wine's browser can refuse the selection while it is still
// filling its tree, and it fills the tree again when a folder in it changes.
void CALLBACK retrySelection(HWND browser, UINT, UINT_PTR id, DWORD) {
    const auto* start = static_cast<const std::string*>(GetPropA(browser, kStartProperty));
    if (!start) {
        KillTimer(browser, id);
        return;
    }
    // While nothing is selected (the tree not filled yet, or filled again
    // when a folder beside it changed), the start folder is selected again;
    // once the user picks one, there is a selection and this does nothing.
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    if (tree && !SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) selectStart(browser, *start);
}

int CALLBACK browseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    auto* state = reinterpret_cast<BrowseState*>(data);
    if (message == BFFM_INITIALIZED && !state->start.empty()) {
        selectStart(browser, state->start);
        SetPropA(browser, kStartProperty, &state->start);
        SetTimer(browser, kSelectTimer, 100, retrySelection);
    } else if (message == BFFM_VALIDATEFAILEDW) {
        const std::string typed = Utf8(reinterpret_cast<const wchar_t*>(lParam));
        if (!AcceptTypedFolder(browser, typed)) return 1;  // keep the browser open
        state->accepted = typed;
        state->typedAccepted = true;
    }
    return 0;
}

bool systemBrowseForFolder(HWND owner, const std::string& title, std::string& path) {
    BrowseState state;
    state.start = path;
    if (!state.start.empty() && state.start.back() == '\\') state.start.pop_back();
    ComApartment com;
    // Wide, so that any folder is chosen by its own name.
    const std::wstring wideTitle = Wide(platform::fromAnsi(title));
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = FolderBrowserFlags;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    unique_co_memory<ITEMIDLIST> chosen(SHBrowseForFolderW(&info));
    bool ok = false;
    std::string result;
    if (state.typedAccepted) {
        result = state.accepted;
        ok = true;
    } else if (chosen) {
        wchar_t folder[MAX_PATH] = {};
        if (SHGetPathFromIDListW(chosen.get(), folder)) {
            result = Utf8(folder);
            ok = true;
        }
    }
    if (!ok) return false;
    if (result.empty() || result.back() != '\\') result += '\\';
    path = result;
    return true;
}

}  // namespace

bool AcceptTypedFolder(HWND browser, const std::string& typed) {
    if (ShowMessageBoxUtf8(browser, "Folder " + typed + " not exist. Create?", "Please accept...",
                           mb::kYesNo | mb::kIconQuestion) != mb::kIdYes)
        return false;
    // The user was asked "Create?" and said yes, so the folder is made; if
    // that fails the typed name is still the answer and simply yields no files.
    createFolderPath(typed);
    return true;
}

bool BrowseForFolder(HWND owner, const std::string& title, std::string& path) {
    if (const auto& browser = replacement()) return browser(owner, title, path);
    return systemBrowseForFolder(owner, title, path);
}

FolderBrowser SetFolderBrowser(FolderBrowser browser) { return std::exchange(replacement(), std::move(browser)); }
