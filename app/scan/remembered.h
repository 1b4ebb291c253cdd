// What earlier searches learnt of files' contents: a digest of each file
// read whole, kept under what copy and sync tools do not set back (the
// volume, the file's number, its size, last write and change time; the
// change time is the system's own natively, and on Windows only a program
// that asks for it by name sets it), so that a later search need not read
// a file that is still as it was. Deleting and linking compare bytes first
// all the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A 128-bit digest of a file's whole content (XXH3-128).
struct TDIGEST {
    uint64_t Low = 0, High = 0;
    friend bool operator==(const TDIGEST&, const TDIGEST&) = default;
    friend auto operator<=>(const TDIGEST&, const TDIGEST&) = default;
};
// Seeded with the store's own random number: digests that collide by
// construction (XXH3 has them for its plain form) cannot be made for a
// store whose seed is unknown.
TDIGEST ContentDigest(const void* data, size_t count, uint64_t seed);

// A digest made from a file's content piece by piece, in order.
class TDIGESTING {
public:
    explicit TDIGESTING(uint64_t seed);
    ~TDIGESTING();
    TDIGESTING(const TDIGESTING&) = delete;
    TDIGESTING& operator=(const TDIGESTING&) = delete;
    void Add(const void* data, size_t count);
    TDIGEST Result() const;

private:
    void* state_;
};

// Which file, and as what: a file whose key is unchanged holds what it held.
struct TREMEMBEREDKEY {
    uint32_t Volume = 0;  // the volume serial (the device natively), folded to 32 bits
    uint64_t Index = 0;   // the whole file number
    int64_t Size = 0;
    int64_t Written = 0;  // raw times, as the system gives them
    int64_t Changed = 0;
};

class TREMEMBERED {
public:
    // The file is read whole; one of more files than this is no store of ours.
    static constexpr size_t kMaxFiles = 4'000'000;
    static constexpr size_t kMaxVolumes = 65'536;

    enum class TLOAD { Loaded, Missing, SetAside };
    // A file that is truncated, of another version or damaged in any way is
    // moved aside (to path + ".bad") and nothing is remembered: it never
    // groups a file.
    TLOAD Load(const std::string& path);
    // Written whole to a name of its own, then moved over path: another
    // program reading it sees the old file or the new, and of two searches
    // saving at once the last wins. A store that learnt nothing since it
    // was loaded from path is not written again.
    bool Save(const std::string& path) const;

    // The digest remembered for the file as the key has it, or null.
    const TDIGEST* Find(const TREMEMBEREDKEY& key);
    // Asks the processor for what Find will touch: stage 0 the key's slot,
    // stage 1 (once stage 0 was asked for every key) its record.
    void Prefetch(const TREMEMBEREDKEY& key, int stage) const;
    void Remember(const TREMEMBEREDKEY& key, const TDIGEST& digest);
    size_t Count() const { return records_.size() + added_.size(); }
    // Files it knew when loaded: none, and no lookup can find anything.
    size_t Known() const { return records_.size(); }
    // The seed of its digests: the loaded store's, or a new one.
    uint64_t Seed() const { return seed_; }

    // The last Load set a damaged store aside (for the results' note).
    bool SetAside = false;

    // As the file holds a file: 48 bytes; the volume is named once for its files.
    struct TRECORD {
        uint64_t Index;
        int64_t Size, Written, Changed;
        TDIGEST Digest;
    };

private:
    struct TVOLUME {
        uint32_t Serial;
        size_t First, End;  // its records, ascending by file number
    };
    TRECORD* locate(uint32_t volume, uint64_t index, size_t* at = nullptr);
    size_t slotOf(uint32_t volume, uint64_t index) const;

    std::vector<TVOLUME> volumes_;
    std::vector<TRECORD> records_;
    // Open addressing over the records by volume and file number (each
    // slot a record's place + 1, 0 empty): a lookup touches a line or two,
    // where halving through the records touched a line a step.
    std::vector<uint32_t> slots_;
    int shift_ = 64;
    std::vector<bool> used_;  // per record: asked for or remembered by this search
    std::vector<std::pair<uint32_t, TRECORD>> added_;
    // The file this store was loaded from, while it still holds all of it.
    std::string unchangedAt_;
    uint64_t seed_ = newSeed();
    static uint64_t newSeed();
};

// The note for the results when a store was set aside.
std::string RememberedSetAsideText();
