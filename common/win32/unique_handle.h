// Move-only owners for Win32 handles, so that nothing closes one by hand.
#pragma once

#include <windows.h>

#include <utility>

template <class Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    ~unique_handle() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    // Closes the current handle (if any) and reports whether closing succeeded.
    bool reset(pointer value = Traits::invalid()) noexcept {
        bool ok = true;
        if (value_ != Traits::invalid()) ok = Traits::close(value_);
        value_ = value;
        return ok;
    }

private:
    pointer value_ = Traits::invalid();
};

struct file_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool close(pointer h) noexcept { return CloseHandle(h) != FALSE; }
};

struct kernel_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return CloseHandle(h) != FALSE; }
};

struct find_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool close(pointer h) noexcept { return FindClose(h) != FALSE; }
};

struct registry_key_traits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return RegCloseKey(h) == ERROR_SUCCESS; }
};

struct gdi_object_traits {
    using pointer = HGDIOBJ;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return DeleteObject(h) != FALSE; }
};

struct accelerator_traits {
    using pointer = HACCEL;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return DestroyAcceleratorTable(h) != FALSE; }
};

struct module_traits {
    using pointer = HMODULE;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return FreeLibrary(h) != FALSE; }
};

// A device context made by CreateDC or CreateCompatibleDC.
struct dc_traits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static bool close(pointer h) noexcept { return DeleteDC(h) != FALSE; }
};

using unique_file = unique_handle<file_handle_traits>;
using unique_kernel_handle = unique_handle<kernel_handle_traits>;
using unique_find = unique_handle<find_handle_traits>;
using unique_hkey = unique_handle<registry_key_traits>;
using unique_gdi_object = unique_handle<gdi_object_traits>;
using unique_accelerators = unique_handle<accelerator_traits>;
using unique_module = unique_handle<module_traits>;
using unique_dc = unique_handle<dc_traits>;

// A window's own device context (GetDC), given back to the window it came from.
class window_dc {
public:
    explicit window_dc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~window_dc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};
