// The applier reads the hand-over stream from another process; a broken or
// lying stream must be refused, never read past or trusted for sizes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/handover.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    ReadHandOver(source);
    return 0;
}
