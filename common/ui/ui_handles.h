// Owners for handles of the common controls, beside the system's in unique_handle.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "common/win32/unique_handle.h"

struct image_list_traits {
    using pointer = HIMAGELIST;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return ImageList_Destroy(h) != FALSE; }
};

using unique_image_list = unique_handle<image_list_traits>;
