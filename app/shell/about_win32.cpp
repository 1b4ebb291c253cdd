#include "app/shell/about_win32.h"

#include "app/shell/update_command_win32.h"
#include "app/shell/version_info.h"
#include "common/product.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/link_control.h"
#include "common/win32/module.h"
#include "common/win32/unique_handle.h"
#include "resources/VarnokScan/resource.h"

namespace {

class AboutWindow : public Dialog {
public:
    bool Run(HWND owner) { return Dialog::Run(owner, IDD_ABOUT) != -1; }

private:
    HWND child(const char* className, const std::string& text, int left, int top, int width, int height, DWORD style) {
        return CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                               handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    // A label and, 50 pixels to its right, its link; top counts from the frame's height.
    // The pixels are those of a 96-DPI screen, grown with the dialog on a finer one.
    void addLink(const char* label, int top, const std::string& text, const std::string& address) {
        const ItemRect frame = GetItemRect(handle(), IDC_ABOUT_PICTURE);
        const int y = frame.height + ScaledPixels(top);
        // The label is wider than its word: it must not paint over the link beside it.
        HWND caption = child("STATIC", label, frame.left, y, ScaledPixels(150), ScaledPixels(14),
                             SS_LEFTNOWORDWRAP | WS_CLIPSIBLINGS);
        SendMessageA(caption, WM_SETFONT, SendMessageA(handle(), WM_GETFONT, 0, 0), FALSE);
        HWND link = child("LinkControl", text, frame.left + ScaledPixels(50), y, ScaledPixels(280), ScaledPixels(10), 0);
        SendMessageA(link, WM_SETFONT, SendMessageA(handle(), WM_GETFONT, 0, 0), FALSE);
        SetLinkAddress(link, address);
    }

    bool OnInit() override {
        SetItemText(handle(), IDC_ABOUT_VERSION, VersionText());
        SetItemText(handle(), IDC_ABOUT_RELEASED, "Released " + ReleaseDateText());
        SetItemText(handle(), IDC_ABOUT_UPDATES, UpdatesEstablishedText());
        SetWindowContextHelpId(handle(), IDH_ABOUT);
        addLink("Web:", 23, product::kMakerWebAddress, product::kMakerWebAddress);
        addLink("E-mail:", 42, product::kSupportMail, std::string("mailto:") + product::kSupportMail);
        return true;
    }

    void paintPicture() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle(), &ps);
        const ItemRect frame = GetItemRect(handle(), IDC_ABOUT_PICTURE);
        unique_gdi_object picture(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT)));
        unique_dc memory(CreateCompatibleDC(dc));
        if (picture && memory) {
            HGDIOBJ previous = SelectObject(memory.get(), picture.get());
            BitBlt(dc, frame.left, frame.top, frame.width, frame.height, memory.get(), 0, 0, SRCCOPY);
            SelectObject(memory.get(), previous);
        }
        EndPaint(handle(), &ps);
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDC_OK_BUTTON) {
            End(IDC_OK_BUTTON);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    INT_PTR OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != WM_PAINT) return FALSE;
        paintPicture();
        return TRUE;
    }
};

}  // namespace

void ReadVersionInfo(const std::string& path) {
    ProgramVersion = VersionInfo{};
    const VersionResource resource(path);
    const VS_FIXEDFILEINFO* fixed = resource.Fixed();
    if (!fixed) return;
    ProgramVersion.fileMajor = HIWORD(fixed->dwFileVersionMS);
    ProgramVersion.fileMinor = LOWORD(fixed->dwFileVersionMS);
    ProgramVersion.fileBuild = HIWORD(fixed->dwFileVersionLS);
    ProgramVersion.productMajor = HIWORD(fixed->dwProductVersionMS);
    ProgramVersion.productMinor = LOWORD(fixed->dwProductVersionMS);
    ProgramVersion.productBuild = HIWORD(fixed->dwProductVersionLS);
    if (auto date = resource.Value("\\StringFileInfo\\040904e4\\ReleaseDate"))
        ProgramVersion.releaseDate = ParseReleaseDate(*date);
    ProgramVersion.read = true;
}

bool AboutBox(HWND owner) { return AboutWindow().Run(owner); }
