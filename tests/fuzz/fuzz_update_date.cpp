// Date texts come from the server and the command line; entry names and the
// installation folder decide where an update writes. The input is the date
// text, and also a path and a folder split at its first zero byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/dates.h"
#include "update/names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double date = UpDateToDate(text);
    const std::string wire = WireDate(date);
    DateToUpDate(date);
    // Requests and packages carry the wire form and are read back with
    // UpDateToDate: a day that does not survive the trip is a wrong update.
    if (date != 0 && UpDateToDate(wire) != date) __builtin_trap();

    const size_t zero = text.find('\0');
    const std::string_view path = text.substr(0, zero);
    const std::string_view folder = zero == std::string_view::npos ? std::string_view() : text.substr(zero + 1);
    IsSafeEntryName(path);
    IsInsideFolder(path, folder);
    return 0;
}
