// What the program calls in update.dll (bound by ordinal): the exports'
// stdcall signatures, texts as short strings.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>

using ShortString = unsigned char[256];

extern "C" {
__declspec(dllimport) double __stdcall GetLastUpdate(const unsigned char* product);
__declspec(dllimport) double __stdcall GetLastCommonUpdate();
__declspec(dllimport) uint8_t __stdcall SetLastUpdate(const unsigned char* product, double date);
__declspec(dllimport) void __stdcall DateToUpDate(unsigned char* result, double date);
__declspec(dllimport) double __stdcall UpDateToDate(const unsigned char* text);
__declspec(dllimport) uint8_t
    __stdcall GetUpdate(const unsigned char* product, int32_t number, void** data, int32_t* size);
__declspec(dllimport) uint8_t __stdcall SecondStage(const unsigned char* product, const unsigned char* dateText);
__declspec(dllimport) uint8_t __stdcall ShowReadMe(HWND owner);
}

// A text as a short string (cut to 255 characters).
struct Short {
    explicit Short(const std::string& text) {
        const size_t length = text.size() < 255 ? text.size() : 255;
        bytes[0] = static_cast<unsigned char>(length);
        for (size_t i = 0; i < length; ++i) bytes[i + 1] = static_cast<unsigned char>(text[i]);
    }
    operator const unsigned char*() const { return bytes; }
    ShortString bytes{};
};

inline std::string FromShort(const ShortString& text) {
    return std::string(reinterpret_cast<const char*>(text) + 1, text[0]);
}
#endif
