// A downloaded package is checked field by field before any file is written:
// walk it, index it, unpack every file and build what its signature covers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "update/package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto update = TUPDATEDATA::Create(std::vector<uint8_t>(data, data + size));
    if (!update || !update->Index()) return 0;
    std::vector<uint8_t> out;
    for (size_t i = 0; i < update->Count(); ++i) {
        // The library accepts files of up to 256 MiB (kMaxPackageBytes);
        // filling buffers that large for every input would only slow the
        // fuzzer down, and 16 MiB already reaches every branch of Unpack.
        if (update->Entry(i).unpackedSize > (16u << 20)) continue;
        // The applier writes out.size() bytes as the recorded file.
        if (update->Unpack(i, out) && out.size() != update->Entry(i).unpackedSize) __builtin_trap();
    }
    // A signature entry is never larger than a signature can be, and the
    // signed message is exactly the pieces that are hashed.
    if (auto signature = update->SignatureEntry(); signature && update->Entry(*signature).unpackedSize > kMaxSignatureBytes)
        __builtin_trap();
    size_t hashed = 0;
    update->ForEachSignedPiece(1, [&](std::string_view piece) { hashed += piece.size(); });
    if (update->SignedMessage(1).size() != hashed) __builtin_trap();
    return 0;
}
