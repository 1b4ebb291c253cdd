// The update library's own module, whose resources its dialogs come from.
#pragma once

#include <windows.h>

HINSTANCE UpdateModule();
