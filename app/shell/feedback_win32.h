// The feedback form and handing its address to the user's browser.
#pragma once

#include <windows.h>

#include <string>

// Runs the form; when the user sends, hands the address on with SendToSite.
void FeedbackForm(HWND owner);
// Asks first when the Internet warning is on, then opens the address with the
// shell; a failure to open it is reported.
void SendToSite(const std::string& address);
