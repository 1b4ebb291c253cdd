// The stream through which the update library hands the new files to the
// applier: records of a target path and its content, an empty path, the
// command that restarts the program, and the program's process id. Numbers
// are 32-bit little-endian; texts are one length byte and that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/package.h"

// Appends a short string; false (nothing appended) for a text over 255 bytes.
bool AppendShortString(std::string& out, std::string_view text);
void AppendNumber(std::string& out, uint32_t value);

// Where the applier reads from: Read fills up to size bytes and returns how
// many it got; fewer means the stream ended or broke.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual size_t Read(void* buffer, size_t size) = 0;
};

// One length byte and that many bytes; empty for a short read or length 0.
std::string ReadShortString(ByteSource& source);

// One received file.
struct TNEWFILEDATA {
    std::vector<uint8_t> data;
    std::string path;  // empty: the end of the files

    // Reads one record; none when its size or data do not arrive whole, or
    // its size passes limit. The data are taken as they come, so a size the
    // stream does not back up costs no memory.
    static std::unique_ptr<TNEWFILEDATA> Create(ByteSource& source, uint32_t limit = kMaxPackageBytes);
};

struct HandOverStream {
    std::vector<std::unique_ptr<TNEWFILEDATA>> files;
    std::string restart;
    uint32_t processId = 0;
};

// The whole stream; none when it breaks before the process id, when its
// files together pass maxTotal bytes (one update's worth, by default), or when
// it brings more files than a package can hold: a stream of many large files,
// or of millions of empty ones, would otherwise take all memory.
std::optional<HandOverStream> ReadHandOver(ByteSource& source, uint32_t maxTotal = kMaxPackageBytes);

// The machine a program or library is built for: the Machine field of a PE
// image (0x014c x86, 0x8664 x64); none when the bytes are no PE image.
std::optional<uint16_t> ImageMachine(const std::vector<uint8_t>& bytes);
// The edition a machine's programs belong to; empty for any other machine.
std::string_view MachineEdition(uint16_t machine);

// A ByteSource over bytes in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    size_t Read(void* buffer, size_t size) override;

private:
    std::string_view bytes_;
};
