// Owners for handles of the common controls, beside the system's in unique_handle.h.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "common/win32/unique_handle.h"

struct image_list_traits {
    using pointer = HIMAGELIST;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return ImageList_Destroy(h) != FALSE; }
};

using unique_image_list = unique_handle<image_list_traits>;

// Memory the shell hands over, such as the folder browser's item list.
template <class T>
struct co_memory_traits {
    using pointer = T*;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer p) noexcept {
        CoTaskMemFree(p);
        return true;
    }
};
template <class T>
using unique_co_memory = unique_handle<co_memory_traits<T>>;

// COM on this thread for as long as it lives, when it could be started.
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};
