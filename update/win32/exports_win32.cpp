// update.dll's eight exports: stdcall, texts as short strings (a length byte
// and up to 255 ANSI characters), a short-string result written into the
// caller's 256-byte buffer passed first, booleans as one byte.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "common/text.h"
#include "update/dates.h"
#include "update/win32/get_update_win32.h"
#include "update/win32/last_update_win32.h"
#include "update/win32/module_win32.h"
#include "update/win32/offer_win32.h"

namespace {

HINSTANCE updateModule = nullptr;
HMODULE richEdit = nullptr;

std::string fromShort(const unsigned char* text) {
    return text ? std::string(reinterpret_cast<const char*>(text) + 1, text[0]) : std::string();
}

void toShort(unsigned char* out, const std::string& text) {
    if (!out) return;
    const size_t length = std::min<size_t>(text.size(), 255);
    out[0] = static_cast<unsigned char>(length);
    std::memcpy(out + 1, text.data(), length);
}

// The dialogs' controls, loaded when a dialog is first needed rather than
// inside the loader's lock.
void prepareDialogs() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!richEdit) richEdit = LoadLibraryA("riched32.dll");
}

}  // namespace

HINSTANCE UpdateModule() { return updateModule; }

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        updateModule = instance;
        DisableThreadLibraryCalls(instance);
        LoadDateTimeFormats();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && richEdit) {
        FreeLibrary(richEdit);
    }
    return TRUE;
}

__declspec(dllexport) double __stdcall GetLastUpdate(const unsigned char* product) {
    return ReadLastUpdate(fromShort(product));
}

__declspec(dllexport) double __stdcall GetLastCommonUpdate() { return ReadLastCommonUpdate(); }

__declspec(dllexport) uint8_t __stdcall SetLastUpdate(const unsigned char* product, double date) {
    return WriteLastUpdate(fromShort(product), date) ? 1 : 0;
}

__declspec(dllexport) void __stdcall DateToUpDate(unsigned char* result, double date) {
    toShort(result, ::DateToUpDate(date));
}

__declspec(dllexport) double __stdcall UpDateToDate(const unsigned char* text) {
    return ::UpDateToDate(fromShort(text));
}

__declspec(dllexport) uint8_t
    __stdcall GetUpdate(const unsigned char* product, int32_t number, void** data, int32_t* size) {
    prepareDialogs();
    return DownloadUpdate(fromShort(product), number, data, size) ? 1 : 0;
}

// The restarted program records the update it was just given; a date that
// names no day records nothing.
__declspec(dllexport) uint8_t __stdcall SecondStage(const unsigned char* product, const unsigned char* dateText) {
    const double date = ::UpDateToDate(fromShort(dateText));
    return date != 0 && WriteLastUpdate(fromShort(product), date) ? 1 : 0;
}

__declspec(dllexport) uint8_t __stdcall ShowReadMe(HWND owner) {
    prepareDialogs();
    return OfferUpdate(owner) ? 1 : 0;
}

}  // extern "C"
