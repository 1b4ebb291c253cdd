// The offer dialog: what the update server has, and whether to take it.
#pragma once

#include <windows.h>

#include <string>

// True when the user chose "Download and apply updates...".
bool OfferUpdate(HWND owner);

// "Can not receive data from <server>! ..."
std::string CannotReceiveText();
