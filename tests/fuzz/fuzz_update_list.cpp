// The update server's answer is whatever arrives over the network.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/update_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadUpdateList(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
