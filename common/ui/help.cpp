#include "common/ui/help.h"

#include <utility>

#include "common/platform.h"
#include "common/win32/module.h"
#include "common/win32/wide.h"
#include "help_pages.h"

namespace {

// HtmlHelpW's commands (htmlhelp.h is not part of every toolchain).
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kDisplayToc = 0x0001;    // HH_DISPLAY_TOC
constexpr UINT kDisplayIndex = 0x0002;  // HH_DISPLAY_INDEX

HtmlHelpCall& replacement() {
    static HtmlHelpCall call;
    return call;
}

std::string besideProgram(const char* extension) {
    std::string file = ModuleFileName();
    auto dot = file.rfind('.');
    auto slash = file.rfind('\\');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
    return file + extension;
}

bool onWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Wine's winhlp32 shows WinHelp files; Windows since Vista has no viewer
// (its winhlp32.exe only says so).
bool winHelpViewer() { return onWine() || LOBYTE(LOWORD(GetVersion())) < 6; }

// HTML Help, loaded when first asked for: no import the program cannot start without.
bool htmlHelp(HWND window, const std::string& page, UINT command) {
    const std::wstring file = Wide(platform::fromAnsi(HtmlHelpFilePath()));
    const std::wstring target = page.empty() ? file : file + L"::/" + Wide(page);
    if (const auto& call = replacement()) {
        call(window, target, command);
        return true;
    }
    if (winHelpViewer() || GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    using HtmlHelpW = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
    static HMODULE library = LoadLibraryA("hhctrl.ocx");
    static const auto function =
        library ? reinterpret_cast<HtmlHelpW>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW"))) : nullptr;
    if (!function) return false;
    function(window, target.c_str(), command, 0);
    return true;
}

void winHelp(HWND window, UINT command, ULONG_PTR data) { WinHelpA(window, HelpFilePath().c_str(), command, data); }

}  // namespace

std::string HelpFilePath() { return besideProgram(".hlp"); }
std::string HtmlHelpFilePath() { return besideProgram(".chm"); }

std::string HelpPageOf(DWORD contextId) {
    for (const HelpPage& page : kHelpPages)
        if (page.id == contextId) return page.page;
    return {};
}

void ShowContextHelp(HWND window, DWORD contextId) {
    // An id without a page of its own opens the first one, as WinHelp does.
    std::string page = HelpPageOf(contextId);
    if (page.empty()) page = HelpPageOf(0);
    if (!htmlHelp(window, page, kDisplayTopic)) winHelp(window, HELP_CONTEXT, contextId);
}

void ShowHelpContents(HWND window) {
    if (!htmlHelp(window, "", kDisplayToc)) winHelp(window, HELP_CONTENTS, 0);
}

void ShowHelpIndex(HWND window) {
    if (htmlHelp(window, "", kDisplayIndex)) return;
    // Wine's winhlp32 does not open its search on HELP_KEY; HELP_FINDER opens the contents.
    if (onWine())
        winHelp(window, HELP_FINDER, 0);
    else
        winHelp(window, HELP_KEY, reinterpret_cast<ULONG_PTR>(""));
}

void ShowHelpOnHelp(HWND window) {
    // HTML Help has no help on itself, and Wine's winhlp32 waits for good on
    // HELP_HELPONHELP (it has no help file of its own): the help's own page on
    // using it (under the Help menu command's id).
    constexpr DWORD kUsingHelp = 162;
    if (htmlHelp(window, HelpPageOf(kUsingHelp), kDisplayTopic)) return;
    if (onWine())
        winHelp(window, HELP_CONTEXT, kUsingHelp);
    else
        winHelp(window, HELP_HELPONHELP, 0);
}

HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call) { return std::exchange(replacement(), std::move(call)); }

bool AnsweredElsewhere(const HELPINFO* info) {
    return info && info->hItemHandle &&
           platform::boxHelpAnswered(GetAncestor(static_cast<HWND>(info->hItemHandle), GA_ROOT));
}
