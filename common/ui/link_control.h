// "LinkControl": a line of text drawn as a link. A click either opens its
// address with the shell ("lnk") or sends its command to the parent ("cmd").
// Its state lives in window properties, each a small global memory block
// the control owns and frees when it goes.
#pragma once

#include <windows.h>

#include <string>

// Registers the class once a run; false when the system refused it.
bool RegisterLinkControl(HINSTANCE instance);

void SetLinkCommand(HWND control, WORD command);
void SetLinkAddress(HWND control, const std::string& address);

// The control's state, as the properties say.
bool LinkHovered(HWND control);
bool LinkPressed(HWND control);
bool LinkSized(HWND control);
