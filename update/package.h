// An update package as the server sends it: N packed files, an index of
// their names, one record per file with its unpacked size, and the update's
// date. Every field is checked against the bytes that are really there: a
// package that does not add up is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest package or unpacked file an update may bring.
inline constexpr uint32_t kMaxPackageBytes = 256u << 20;
// The most files a package can name: its count is three digits.
inline constexpr size_t kMaxPackageEntries = 999;

// The entry that carries the maker's signature over all the others. Its
// recorded size is not signed, so it is held to a key's length (4096 bits at
// most) before anything is unpacked or hashed.
inline constexpr std::string_view kSignatureEntryName = "update.sig";
inline constexpr uint32_t kMaxSignatureBytes = 512;

// The program comes in two editions, 32-bit and 64-bit, and an update is for
// one of them: a 64-bit program cannot load a 32-bit library. A package names
// its edition in an entry of its own, signed like the files; one without it
// is for the x86 edition, as every package was before there were two.
inline constexpr std::string_view kEditionX86 = "x86";
inline constexpr std::string_view kEditionX64 = "x64";
inline constexpr std::string_view kEditionEntryName = "update.edition";

// The entries that speak about the package and are never written to disk:
// the signature and the edition.
bool IsPackageNote(std::string_view name);

// What the user is told of an update for another edition than their own
// (received empty: one this program does not know).
std::string OtherEditionText(std::string_view received, std::string_view own);

struct TUPDATEENTRY {
    size_t offset = 0;  // where the block's bytes start in the package
    uint32_t length = 0;
    uint32_t unpackedSize = 0;
    std::string name;
};

class TUPDATEDATA {
public:
    // Walks the blocks; none when a field does not convert or a block runs
    // past the end.
    static std::unique_ptr<TUPDATEDATA> Create(std::vector<uint8_t> package);

    // Reads the records, the names from the index and the date; false when
    // they do not fit, a size is out of range or a record's name is missing.
    bool Index();

    // Inflates entry i into exactly its unpacked size; false for anything else.
    bool Unpack(size_t i, std::vector<uint8_t>& out) const;

    size_t Count() const { return count_; }
    const TUPDATEENTRY& Entry(size_t i) const { return entries_[i]; }
    const std::string& Date() const { return date_; }
    std::string_view Block(size_t i) const;

    // The signature entry, if the package has one of a size a signature can have.
    std::optional<size_t> SignatureEntry() const;
    // The edition the package is for: kEditionX86 when it names none; empty
    // when its edition entry does not unpack or names neither edition.
    std::string Edition() const;
    // What the maker signed: the product it is for, the date, then every
    // other entry's name, unpacked size and packed bytes, in table order;
    // handed over piece by piece, the blocks where they lie in the package,
    // so hashing it copies nothing.
    void ForEachSignedPiece(int32_t product, const std::function<void(std::string_view)>& take) const;
    // The same pieces as one text.
    std::string SignedMessage(int32_t product) const;

private:
    explicit TUPDATEDATA(std::vector<uint8_t> package) : data_(std::move(package)) {}
    std::vector<uint8_t> data_;
    std::vector<TUPDATEENTRY> entries_;  // count_ + 1: the last is the index
    size_t count_ = 0;
    size_t trailer_ = 0;  // where the records begin, after the skipped field
    std::string date_;
};

// A fixed-width decimal field (leading blanks allowed, a sign, nothing after
// the digits); -1 when it does not convert.
int64_t PackageNumber(std::string_view field);
