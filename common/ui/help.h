// The program's help, written once and built as a WinHelp file and an HTML
// Help file, both named like the executable (".hlp", ".chm"). WinHelp opens
// the .hlp where a WinHelp viewer exists (Wine, Windows before Vista); on a
// Windows without one the .chm opens at the same topic in HTML Help.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

std::string HelpFilePath();  // the .hlp
std::string HtmlHelpFilePath();  // the .chm

// Opens the help on a context help identifier.
void ShowContextHelp(HWND window, DWORD contextId);
// Help, Index: the contents. Help, Topic search: the index. Help, Using help.
void ShowHelpContents(HWND window);
void ShowHelpIndex(HWND window);
void ShowHelpOnHelp(HWND window);

// The HTML Help page of a context id ("results.html"); empty for an unknown id.
std::string HelpPageOf(DWORD contextId);

// Stands in for HtmlHelpW (target "file.chm::/page.html" or "file.chm", an
// HH_ command); while one is set, help always takes the HTML Help route.
using HtmlHelpCall = std::function<void(HWND window, const std::wstring& target, UINT command)>;
HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call);

// A help request a message box answered itself, passed on to its owner as well.
bool AnsweredElsewhere(const HELPINFO* info);
