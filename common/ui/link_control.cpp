#include "common/ui/link_control.h"

#include <cstring>
#include <optional>

#include "common/messagebox.h"
#include "common/ui/shell_open.h"
#include "common/win32/unique_handle.h"

namespace {

const char kClassName[] = "LinkControl";
const char kCommand[] = "cmd";
const char kAddress[] = "lnk";
const char kHovered[] = "mouseover";
const char kPressed[] = "pressover";
const char kSized[] = "sizeconv";
// The font its holder gave it (WM_SETFONT) and the underlined copy made of it.
const char kFont[] = "linkfont";
const char kUnderlinedFont[] = "linkfontu";

void removeProperty(HWND window, const char* name) {
    if (HANDLE block = RemovePropA(window, name)) GlobalFree(block);
}

void setProperty(HWND window, const char* name, const void* value, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return;
    if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, value, size);
        GlobalUnlock(block);
    }
    removeProperty(window, name);
    if (!SetPropA(window, name, block)) GlobalFree(block);
}

// The block's bytes, none when the property is absent.
std::optional<std::string> getProperty(HWND window, const char* name) {
    HANDLE block = GetPropA(window, name);
    if (!block) return std::nullopt;
    std::string value;
    if (const void* bytes = GlobalLock(block)) {
        value.assign(static_cast<const char*>(bytes), GlobalSize(block));
        GlobalUnlock(block);
    }
    return value;
}

void setFlag(HWND window, const char* name, bool on) {
    const char value = on ? 1 : 0;
    setProperty(window, name, &value, 1);
}

bool flag(HWND window, const char* name) {
    auto value = getProperty(window, name);
    return value && !value->empty() && (*value)[0] != 0;
}

std::optional<WORD> command(HWND window) {
    auto value = getProperty(window, kCommand);
    if (!value || value->size() < sizeof(WORD)) return std::nullopt;
    WORD id;
    std::memcpy(&id, value->data(), sizeof id);
    return id;
}

std::optional<std::string> address(HWND window) {
    auto value = getProperty(window, kAddress);
    if (value) value->resize(std::strlen(value->c_str()));
    return value;
}

// The idle and the hovered font: those of the dialog that holds the link, so
// it matches its labels at any DPI; the system's sans serif until one is given.
HFONT font(HWND window, bool underlined) {
    if (HANDLE given = GetPropA(window, underlined ? kUnderlinedFont : kFont)) return static_cast<HFONT>(given);
    static unique_gdi_object fonts[2];
    unique_gdi_object& slot = fonts[underlined ? 1 : 0];
    if (!slot) {
        LOGFONTA description{};
        description.lfPitchAndFamily = FF_SWISS;
        description.lfUnderline = underlined ? TRUE : FALSE;
        slot.reset(CreateFontIndirectA(&description));
    }
    return static_cast<HFONT>(slot.get());
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void setFont(HWND window, HFONT given, bool redraw) {
    if (HANDLE made = RemovePropA(window, kUnderlinedFont)) DeleteObject(made);
    RemovePropA(window, kFont);
    LOGFONTA description{};
    if (given && GetObjectA(given, sizeof description, &description) == sizeof description) {
        description.lfUnderline = TRUE;
        if (HFONT underlined = CreateFontIndirectA(&description)) {
            SetPropA(window, kFont, given);
            if (!SetPropA(window, kUnderlinedFont, underlined)) DeleteObject(underlined);
        }
    }
    setFlag(window, kSized, false);
    if (redraw) InvalidateRect(window, nullptr, TRUE);
}

void sizeToText(HWND window) {
    window_dc dc(window);
    HGDIOBJ previous = SelectObject(dc.get(), font(window, true));
    RECT measured{};
    std::string text = windowText(window);
    DrawTextA(dc.get(), text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc.get(), previous);
    SetWindowPos(window, nullptr, 0, 0, measured.right - measured.left, measured.bottom - measured.top,
                 SWP_NOMOVE | SWP_NOOWNERZORDER);
    setFlag(window, kSized, true);
}

void paint(HWND window) {
    if (!flag(window, kSized)) sizeToText(window);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    const bool link = GetPropA(window, kAddress) != nullptr;
    const bool commands = GetPropA(window, kCommand) != nullptr;
    SetTextColor(dc, link ? RGB(0, 0, 255) : commands ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, font(window, flag(window, kHovered)));
    RECT client;
    GetClientRect(window, &client);
    std::string text = windowText(window);
    DrawTextA(dc, text.c_str(), -1, &client, DT_SINGLELINE);
    SelectObject(dc, previous);
    EndPaint(window, &ps);
}

void click(HWND window) {
    HWND parent = GetParent(window);
    auto id = command(window);
    auto target = address(window);
    if (id && !target) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(*id, 0), 0);
    } else if (target && !id) {
        INT_PTR result = ShellOpen(parent, *target, SW_SHOWDEFAULT);
        if (result <= 32) ShowMessageBox(parent, ShellOpenErrorText(result), "Error!", mb::kIconHand);
    }
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        setFlag(window, kHovered, false);
        setFlag(window, kPressed, false);
        setFlag(window, kSized, false);
        break;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_MOUSEMOVE:
        if (!flag(window, kHovered)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            setFlag(window, kHovered, true);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        break;
    case WM_MOUSELEAVE:
        setFlag(window, kHovered, false);
        setFlag(window, kPressed, false);
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        break;
    case WM_LBUTTONDOWN:
        setFlag(window, kPressed, true);
        return 0;
    case WM_LBUTTONUP:
        if (flag(window, kPressed)) {
            // Cleared first: the click may close the window that holds the control.
            setFlag(window, kPressed, false);
            click(window);
        }
        return 0;
    case WM_SETFONT:
        setFont(window, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetPropA(window, kFont));
    case WM_NCDESTROY:
        setFont(window, nullptr, false);
        for (const char* name : {kCommand, kAddress, kHovered, kPressed, kSized}) removeProperty(window, name);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterLinkControl(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    if (GetClassInfoA(instance, kClassName, &windowClass)) return true;
    windowClass.style = CS_PARENTDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_HAND);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

void SetLinkCommand(HWND control, WORD id) { setProperty(control, kCommand, &id, sizeof id); }

void SetLinkAddress(HWND control, const std::string& target) {
    setProperty(control, kAddress, target.c_str(), target.size() + 1);
}

bool LinkHovered(HWND control) { return flag(control, kHovered); }
bool LinkPressed(HWND control) { return flag(control, kPressed); }
bool LinkSized(HWND control) { return flag(control, kSized); }
