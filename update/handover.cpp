#include "update/handover.h"

#include <algorithm>
#include <cstring>

#include "update/package.h"

bool AppendShortString(std::string& out, std::string_view text) {
    if (text.size() > 255) return false;
    out += static_cast<char>(text.size());
    out += text;
    return true;
}

void AppendNumber(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

namespace {

bool readNumber(ByteSource& source, uint32_t& value) {
    unsigned char bytes[4];
    if (source.Read(bytes, 4) != 4) return false;
    value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

}  // namespace

std::string ReadShortString(ByteSource& source) {
    unsigned char length = 0;
    if (source.Read(&length, 1) != 1 || length == 0) return {};
    std::string text(length, '\0');
    if (source.Read(text.data(), length) != length) return {};
    return text;
}

std::unique_ptr<TNEWFILEDATA> TNEWFILEDATA::Create(ByteSource& source, uint32_t limit) {
    auto record = std::make_unique<TNEWFILEDATA>();
    record->path = ReadShortString(source);
    if (record->path.empty()) return record;
    uint32_t size = 0;
    if (!readNumber(source, size) || size > limit) return nullptr;
    constexpr size_t kPiece = 1 << 16;
    while (record->data.size() < size) {
        const size_t have = record->data.size();
        const size_t piece = std::min<size_t>(kPiece, size - have);
        record->data.resize(have + piece);
        if (source.Read(record->data.data() + have, piece) != piece) return nullptr;
    }
    return record;
}

std::optional<HandOverStream> ReadHandOver(ByteSource& source, uint32_t maxTotal) {
    HandOverStream stream;
    uint32_t left = maxTotal;
    for (;;) {
        std::unique_ptr<TNEWFILEDATA> record = TNEWFILEDATA::Create(source, left);
        if (!record) return std::nullopt;
        if (record->path.empty()) break;
        // Empty files cost nothing against the bytes, but each costs a record:
        // no stream brings more files than a package can hold.
        if (stream.files.size() == kMaxPackageEntries) return std::nullopt;
        left -= static_cast<uint32_t>(record->data.size());
        stream.files.push_back(std::move(record));
    }
    stream.restart = ReadShortString(source);
    if (!readNumber(source, stream.processId)) return std::nullopt;
    return stream;
}

std::optional<uint16_t> ImageMachine(const std::vector<uint8_t>& bytes) {
    // The DOS header's "MZ", at 0x3C where the PE header starts, there "PE\0\0" and the machine.
    constexpr size_t kHeaderAt = 0x3C, kDosHeader = 0x40, kSignatureAndMachine = 6;
    if (bytes.size() < kDosHeader || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
    const uint32_t at = bytes[kHeaderAt] | (bytes[kHeaderAt + 1] << 8) | (bytes[kHeaderAt + 2] << 16) |
                        (static_cast<uint32_t>(bytes[kHeaderAt + 3]) << 24);
    if (at > bytes.size() - kSignatureAndMachine) return std::nullopt;
    if (bytes[at] != 'P' || bytes[at + 1] != 'E' || bytes[at + 2] != 0 || bytes[at + 3] != 0) return std::nullopt;
    return static_cast<uint16_t>(bytes[at + 4] | (bytes[at + 5] << 8));
}

std::string_view MachineEdition(uint16_t machine) {
    switch (machine) {
    case 0x014C:
        return kEditionX86;
    case 0x8664:
        return kEditionX64;
    }
    return {};
}

size_t MemorySource::Read(void* buffer, size_t size) {
    const size_t n = std::min(size, bytes_.size());
    if (n) std::memcpy(buffer, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return n;
}
