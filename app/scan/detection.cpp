#include "detection.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <new>
#include <optional>
#include <random>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

const TFILEINFO& fileOf(const TLISTITEM* item) { return *static_cast<const TFILEINFO*>(item); }

template <class T>
int descending(const T& a, const T& b) {
    return a > b ? -1 : a < b ? 1 : 0;
}

// Later first, to the second; weekday and milliseconds do not count.
int laterFirst(const TPACKEDTIME& a, const TPACKEDTIME& b) { return descending(a.Key(), b.Key()); }

int nameDescending(std::string_view a, std::string_view b) {
    // Bytes compare unsigned; a name that is a prefix of another comes after it.
    const size_t n = std::min(a.size(), b.size());
    if (int c = std::memcmp(a.data(), b.data(), n)) return c > 0 ? -1 : 1;
    return descending(a.size(), b.size());
}

}  // namespace

int StandardOrder(const TLISTITEM* x, const TLISTITEM* y) {
    const TFILEINFO& a = fileOf(x);
    const TFILEINFO& b = fileOf(y);
    if (int c = descending(a.Size, b.Size)) return c;
    if (int c = nameDescending(a.Name(), b.Name())) return c;
    if (int c = descending(a.Attributes, b.Attributes)) return c;
    if (int c = laterFirst(a.Created, b.Created)) return c;
    if (int c = laterFirst(a.Written, b.Written)) return c;
    if (int c = laterFirst(a.Accessed, b.Accessed)) return c;
    return descending(a.FolderIndex, b.FolderIndex);
}

int AdvancedOrder(const TLISTITEM* x, const TLISTITEM* y) {
    const TFILEINFO& a = fileOf(x);
    const TFILEINFO& b = fileOf(y);
    if (int c = descending(a.Size, b.Size)) return c;
    return descending(a.Checksum, b.Checksum);
}

void PruneCatalogue(TFILELIST& FileList) {
    const int count = FileList.Count();
    if (count < 4) return;
    const TFILEINFO* previous = FileList[0];
    for (int k = 1; k < count - 2; ++k) {
        const TFILEINFO& file = *FileList[k];
        const TFILEINFO& next = *FileList[k + 1];
        bool hasMatch;
        if (file.HasChecksum && file.Checksum != previous->Checksum && file.Checksum != next.Checksum)
            hasMatch = false;
        else
            hasMatch = file.Size == previous->Size || file.Size == next.Size;
        if (hasMatch)
            previous = &file;
        else
            FileList.Delete(k);
    }
    FileList.Pack();
}

// --- reading each byte once ------------------------------------------------
//
// The comparison phase gives what comparing every reference with every later
// file of its size would give, but reads the files of one size (of one size
// and checksum in advanced mode) together: block by block, in lockstep, a set
// of files is split wherever their contents part, and a file left alone is
// read no further. No reference is read again for every candidate, and a
// byte is read twice only where a set outgrows the open-file budget and its
// blocks the round's memory (see TDETECTIONLIMITS).

TDETECTIONLIMITS DetectionLimits;
int32_t RememberedSettleSeconds = 2;
int64_t BytesReadAgain = 0;

namespace {

// A round of a large class reads this little of each file first: most files
// part there, and blocks so small are always kept, however many differ.
constexpr int32_t kSmallestBlock = 32;
constexpr int32_t kAlwaysKept = 64;
// What a round may read of each file of a set too large to keep open that
// read alike so far: larger windows mean fewer opens, and memory for the
// block read and the one kept.
constexpr int64_t kLargestWindow = 8 << 20;
// Below this a round does not shrink further when memory is short: the scan stops instead.
constexpr int64_t kLeastRoundMemory = 256 << 10;

// A digest of a whole block (the XXH64 construction: four lanes, so the
// processor works on them side by side) decides which part a block may
// belong to; the bytes then decide. Its seed is new every run, so no tree
// can be made whose blocks all meet in one part.
constexpr uint64_t kP1 = 0x9E3779B185EBCA87ull, kP2 = 0xC2B2AE3D27D4EB4Full, kP3 = 0x165667B19E3779F9ull,
                   kP4 = 0x85EBCA77C2B2AE63ull, kP5 = 0x27D4EB2F165667C5ull;
inline uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline uint64_t lane(uint64_t acc, uint64_t input) { return rotl(acc + input * kP2, 31) * kP1; }
inline uint64_t merge(uint64_t h, uint64_t v) { return (h ^ lane(0, v)) * kP1 + kP4; }

const uint64_t kDigestSeed = [] {
    std::random_device device;
    return (static_cast<uint64_t>(device()) << 32) ^ device() ^ reinterpret_cast<uintptr_t>(&device);
}();

uint64_t blockDigest(const uint8_t* p, size_t count) {
    const uint8_t* const end = p + count;
    const uint64_t seed = kDigestSeed;
    uint64_t h;
    if (count >= 32) {
        uint64_t v1 = seed + kP1 + kP2, v2 = seed + kP2, v3 = seed, v4 = seed - kP1;
        for (; p + 32 <= end; p += 32) {
            v1 = lane(v1, load64(p));
            v2 = lane(v2, load64(p + 8));
            v3 = lane(v3, load64(p + 16));
            v4 = lane(v4, load64(p + 24));
        }
        h = rotl(v1, 1) + rotl(v2, 7) + rotl(v3, 12) + rotl(v4, 18);
        h = merge(merge(merge(merge(h, v1), v2), v3), v4);
    } else {
        h = seed + kP5;
    }
    h += count;
    for (; p + 8 <= end; p += 8) h = rotl(h ^ lane(0, load64(p)), 27) * kP1 + kP4;
    for (; p < end; ++p) h = rotl(h ^ (*p * kP5), 11) * kP1;
    h ^= h >> 33;
    h *= kP2;
    h ^= h >> 29;
    h *= kP3;
    return h ^ (h >> 32);
}

class ClassReader {
public:
    // Reads the files [first, end) of the catalogue.
    ClassReader(TFILELIST& files, int first, int end)
        : files_(files), first_(first), positions_(static_cast<size_t>(end - first), 0) {}
    ~ClassReader() {
        for (TFILEINFO* f : open_) f->Close();
    }

    // Reads count bytes of file index at position, a piece of at most
    // pieceSize at a time; the number read (fewer at the end) or -1.
    int32_t readAt(int index, int64_t position, uint8_t* buffer, int32_t count, int32_t pieceSize) {
        TFILEINFO& f = *files_[index];
        int64_t& at = positions_[static_cast<size_t>(index - first_)];
        if (!f.IsOpen) {
            if (open_.size() >= std::max<size_t>(1, DetectionLimits.OpenFiles)) closeOldest();
            if (!f.Open()) return -1;
            open_.push_back(&f);
            at = 0;
        }
        if (at != position) {
            if (!f.Seek(position)) return -1;
            at = position;
        }
        int32_t total = 0;
        while (total < count) {
            const int32_t want = std::min(pieceSize, count - total);
            const int32_t got = f.ReadData(buffer + total, want);
            if (got < 0) return -1;
            total += got;
            at += got;
            if (got < want) break;
        }
        return total;
    }

    void close(int index) {
        TFILEINFO* f = files_[index];
        f->Close();
        open_.erase(std::remove(open_.begin(), open_.end(), f), open_.end());
    }

private:
    void closeOldest() {
        open_.front()->Close();
        open_.pop_front();
    }

    TFILELIST& files_;
    std::deque<TFILEINFO*> open_;
    int first_;
    std::vector<int64_t> positions_;  // where each open file stands
};

struct Subset {
    std::vector<int> members;  // catalogue indices, ascending
    int64_t position;
    int growth;  // rounds in a row that found all its files alike
};

// The contents one round tells apart: the first member of each, its block
// (kept in one arena while the round's memory lasts), how many share it.
struct Part {
    uint64_t key;     // where it is filed: its digest, or 0 in a round of two files
    uint64_t digest;  // of the block its members were compared with, when it is not kept
    int first;        // its reference: the member every other was compared with
    int firstSlot;    // the reference's place in the round, and the last member's
    int lastSlot;
    int count;
    int64_t kept;  // offset of its block in the arena, or -1
    bool reread;   // its reference was read again for a newcomer
};

// What the rounds of every class reuse, so memory is taken once.
struct Scratch {
    struct {
        std::vector<uint8_t> block;
        std::vector<uint8_t> again;  // a block read a second time
        std::vector<uint8_t> arena;
        std::vector<Part> parts;
        std::vector<int> partOf;      // per member of the round: its part, or -1
        std::vector<int> nextInPart;  // per member of the round: the next member of its part, or -1
        std::vector<int> hashSlots;   // open addressing over parts by key
    } rounds;
    int64_t memoryCap = INT64_MAX;  // lowered when the system could not give a round its memory
    // With a store of what files hold: the digest of each file read whole,
    // made as it is read (the file's part being read, in order, with the
    // bytes read so far), and what they came to.
    bool digesting = false;
    std::unordered_map<int, std::pair<int64_t, std::unique_ptr<TDIGESTING>>> partial;
    std::vector<std::pair<int, TDIGEST>> whole;
    std::vector<uint8_t> rest;  // the rest of a file read on for its digest
    uint64_t seed = 0;          // of the store's digests
    std::unordered_set<int> known;  // read for others, its digest remembered already
};

// A file read in pieces keeps its digest's state (576 bytes) while it goes
// on; past this many at once, the further files of a class are only compared.
constexpr size_t kMostDigesting = 8192;

// Adds a block just read to its file's digest.
void digestBlock(Scratch& scratch, int index, int64_t position, const uint8_t* bytes, int32_t count, bool last) {
    if (position == 0 && last) {
        if (scratch.known.count(index)) return;
        scratch.whole.emplace_back(index, ContentDigest(bytes, static_cast<size_t>(count), scratch.seed));
        return;
    }
    auto& partial = scratch.partial;
    if (position == 0) {
        if (scratch.known.count(index)) return;
        if (partial.size() >= kMostDigesting) return;
        auto& [fed, digest] = partial[index];
        digest = std::make_unique<TDIGESTING>(scratch.seed);
        digest->Add(bytes, static_cast<size_t>(count));
        fed = count;
        return;
    }
    const auto at = partial.find(index);
    if (at == partial.end()) return;
    auto& [fed, digest] = at->second;
    if (fed != position) {  // not read in order: no digest of the whole
        partial.erase(at);
        return;
    }
    digest->Add(bytes, static_cast<size_t>(count));
    fed += count;
    if (!last) return;
    scratch.whole.emplace_back(index, digest->Result());
    partial.erase(at);
}

// Past this a file that parts early is not read on: two films that differ
// at their first block would cost gigabytes once, to save a block or two of
// each at later searches.
constexpr int64_t kLargestReadOn = 64 << 20;

// A file that parted from the others of its size is read on to its end
// when what files hold is remembered: remembered whole, it is not opened by
// a later search, however many files of its size come and go.
void finishDigest(ClassReader& reader, Scratch& scratch, int index, int64_t size, int32_t bufferSize) {
    const auto at = scratch.partial.find(index);
    if (at == scratch.partial.end()) return;
    for (int64_t fed = at->second.first; fed < size && ScanRunning;) {
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(bufferSize, size - fed));
        const bool last = fed + count == size;
        if (scratch.rest.size() < static_cast<size_t>(count) + 1) scratch.rest.resize(static_cast<size_t>(count) + 1);
        // As in the rounds: the end asks for a byte more, and one that grew is not remembered.
        if (reader.readAt(index, fed, scratch.rest.data(), last ? count + 1 : count, bufferSize) != count) break;
        digestBlock(scratch, index, fed, scratch.rest.data(), count, last);
        fed += count;
    }
    scratch.partial.erase(index);  // gone already when it was read whole
    reader.close(index);
}

// Splits the files [first, end) of one size (only those listed in `only`,
// ascending, when given) into the sets of identical files, each in catalogue
// order. A file that cannot be opened or read, or whose length changes while
// it is read, is in no set.
std::vector<std::vector<int>> identicalSets(TFILELIST& files, int first, int end, int32_t bufferSize,
                                            Scratch& scratch, const std::vector<int>* only = nullptr) {
    std::vector<std::vector<int>> sets;
    const int64_t size = files[first]->Size;
    ClassReader reader(files, first, end);
    auto& [block, again, arena, parts, partOf, nextInPart, hashSlots] = scratch.rounds;
    std::vector<Subset> work;
    // In advanced mode the checksum pass may already have told the first
    // blocks apart: the comparison starts behind them. Not when digests are
    // made: they need every byte in order.
    bool told = bEnableAdvanced && !scratch.digesting && !only;
    for (int k = first; k < end && told; ++k) told = files[k]->FirstBlockPart >= 0;
    // Otherwise, in advanced mode, what the pass read is read again.
    const int64_t readBefore = bEnableAdvanced && !told ? std::min<int64_t>(size, BufferBytes(lAdvancedBufferSize)) : 0;
    if (told) {
        const int64_t behind = std::min<int64_t>(size, BufferBytes(lAdvancedBufferSize));
        std::map<int32_t, std::vector<int>> byPart;
        for (int k = first; k < end; ++k) byPart[files[k]->FirstBlockPart].push_back(k);
        for (auto part = byPart.rbegin(); part != byPart.rend(); ++part) {
            std::erase_if(part->second, [&](int k) { return files[k]->Changed; });
            if (part->second.size() < 2) continue;
            if (behind == size)
                sets.push_back(std::move(part->second));  // read whole by the pass
            else
                work.push_back({std::move(part->second), behind, 0});
        }
    } else if (only) {
        work.push_back({*only, 0, 0});
    } else {
        work.push_back({{}, 0, 0});
        for (int k = first; k < end; ++k) work.back().members.push_back(k);
    }

    while (!work.empty()) {
        // Stop answers within a class too: its sets are then given up whole.
        if (!ScanRunning) return {};
        Subset subset = std::move(work.back());
        work.pop_back();
        const int64_t left = size - subset.position;
        const int64_t members = static_cast<int64_t>(subset.members.size());
        const int64_t roundMemory = std::min(DetectionLimits.RoundMemory, scratch.memoryCap);
        // Files that all stay open are read at most a buffer at a time, and
        // no more than the round's memory holds if every block differs, so
        // every block stays at hand and none is read twice. Past the
        // open-file budget every round opens each file again, so once a round
        // found all alike the next reads as much as the round's memory holds.
        const bool allOpen = static_cast<size_t>(members) <= std::max<size_t>(1, DetectionLimits.OpenFiles);
        const int64_t expectedParts = allOpen || subset.growth == 0 ? members : 1;
        const int64_t window = std::clamp<int64_t>(roundMemory / expectedParts, kSmallestBlock, kLargestWindow);
        // A set too large to keep open reads what is left of a small file
        // whole, in the one open it gets: past the round's memory its block
        // is kept as a hash, and only the first file of a matching part is
        // opened again, instead of every file of a part that goes on.
        const int64_t piece = allOpen ? std::min<int64_t>(bufferSize, window)
                              : left <= bufferSize ? left
                                                   : window;
        const int32_t count = static_cast<int32_t>(std::min(left, piece));
        // The last round asks for one byte more: a file that grew is no copy.
        const int32_t asked = count == left ? count + 1 : count;
        if (block.size() < static_cast<size_t>(asked)) block.resize(static_cast<size_t>(asked));

        arena.clear();
        // Its whole budget at once: grown step by step it could take twice that.
        const size_t budget = static_cast<size_t>(roundMemory + int64_t{kAlwaysKept} * members);
        if (arena.capacity() < budget) {
            try {
                arena.reserve(budget);
            } catch (const std::bad_alloc&) {
                // A round that cannot have its memory works with less: the
                // blocks are smaller, or more of them kept as digests.
                if (roundMemory <= kLeastRoundMemory) throw;
                scratch.memoryCap = std::max(kLeastRoundMemory, roundMemory / 2);
                std::vector<uint8_t>().swap(arena);
                work.push_back(std::move(subset));
                continue;
            }
        }
        parts.clear();
        partOf.assign(subset.members.size(), -1);
        nextInPart.assign(subset.members.size(), -1);
        size_t slots = 16;
        while (slots < subset.members.size() + subset.members.size() / 2) slots *= 2;
        hashSlots.assign(slots, -1);
        // Past the round's memory a part keeps only the digest of its block,
        // and its reference is read again for a newcomer. It must read as it
        // did: one that reads otherwise changed, leaves the part, and the next
        // member that still reads so leads it, so every member is compared
        // with the same bytes. False when no member is left.
        const auto rereadReference = [&](Part& part) {
            for (; part.firstSlot >= 0; part.firstSlot = nextInPart[static_cast<size_t>(part.firstSlot)]) {
                part.first = subset.members[static_cast<size_t>(part.firstSlot)];
                if (again.size() < static_cast<size_t>(count)) again.resize(static_cast<size_t>(count));
                if (reader.readAt(part.first, subset.position, again.data(), count, bufferSize) == count) {
                    BytesReadAgain += count;
                    if (blockDigest(again.data(), static_cast<size_t>(count)) == part.digest) return part.reread = true;
                    files[part.first]->Changed = true;
                }
                reader.close(part.first);
                partOf[static_cast<size_t>(part.firstSlot)] = -1;
                --part.count;
            }
            return false;
        };
        for (size_t m = 0; m < subset.members.size(); ++m) {
            const int index = subset.members[m];
            if (reader.readAt(index, subset.position, block.data(), asked, bufferSize) != count) {
                reader.close(index);  // unreadable, shorter or longer than it was
                continue;
            }
            if (subset.position < readBefore) BytesReadAgain += std::min<int64_t>(count, readBefore - subset.position);
            if (scratch.digesting) digestBlock(scratch, index, subset.position, block.data(), count, count == left);
            const auto sameAs = [&](const Part& part) {
                return count == 0 || std::memcmp(arena.data() + part.kept, block.data(), static_cast<size_t>(count)) == 0;
            };
            std::optional<uint64_t> digest;
            const auto digestOfBlock = [&] {
                if (!digest) digest = blockDigest(block.data(), static_cast<size_t>(count));
                return *digest;
            };
            const auto keep = [&](Part& part, const std::vector<uint8_t>& bytes) {
                if (static_cast<int64_t>(arena.size()) + count > roundMemory && count > kAlwaysKept) return;
                part.kept = static_cast<int64_t>(arena.size());
                arena.insert(arena.end(), bytes.begin(), bytes.begin() + count);
            };
            // Which file each member is (for the second names of one file
            // among the copies) is learnt when it is closed.
            const auto join = [&](size_t p) {
                Part& part = parts[p];
                ++part.count;
                partOf[m] = static_cast<int>(p);
                nextInPart[static_cast<size_t>(part.lastSlot)] = static_cast<int>(m);
                part.lastSlot = static_cast<int>(m);
            };
            // Most rounds find all alike: the first part is tried before any digest is made.
            if (!parts.empty() && parts.front().kept >= 0 && sameAs(parts.front())) {
                join(0);
                continue;
            }
            const uint64_t key = members > 2 ? digestOfBlock() : 0;
            size_t slot = static_cast<size_t>(key) & (slots - 1);
            bool placed = false;
            for (; hashSlots[slot] >= 0; slot = (slot + 1) & (slots - 1)) {
                const auto p = static_cast<size_t>(hashSlots[slot]);
                Part& part = parts[p];
                if (part.key != key) continue;
                if (part.kept >= 0) {
                    if (sameAs(part)) {
                        join(p);
                        placed = true;
                        break;
                    }
                    continue;
                }
                if (part.digest != digestOfBlock()) continue;
                if (!rereadReference(part)) {
                    // Every member it had changed: this file leads it now.
                    part = {part.key, part.digest, index, static_cast<int>(m), static_cast<int>(m), 1, -1, false};
                    partOf[m] = static_cast<int>(p);
                    keep(part, block);
                    placed = true;
                    break;
                }
                if (count == 0 || std::memcmp(again.data(), block.data(), static_cast<size_t>(count)) == 0) {
                    keep(part, again);  // for the part's next members, while the memory lasts
                    join(p);
                    placed = true;
                    break;
                }
            }
            if (placed) continue;
            Part part{key, 0, index, static_cast<int>(m), static_cast<int>(m), 1, -1, false};
            keep(part, block);
            if (part.kept < 0) part.digest = digestOfBlock();
            hashSlots[slot] = static_cast<int>(parts.size());
            partOf[m] = static_cast<int>(parts.size());
            parts.push_back(part);
        }
        // A reference read again was compared at several moments: changed
        // since the first (a write, a rename over it), its members were still
        // each compared with bytes of the one digest, and keep together
        // without it.
        for (Part& part : parts) {
            if (!part.reread || part.count < 2) continue;
            if (files[part.first]->Unchanged()) continue;
            reader.close(part.first);
            partOf[static_cast<size_t>(part.firstSlot)] = -1;
            --part.count;
        }
        // Each part of two or more goes on, in catalogue order; later parts go
        // on the stack first, so sets come out in a steady order.
        const int growth = parts.size() == 1 ? subset.growth + 1 : 0;
        std::vector<std::vector<int>> next;  // the parts of two or more, by their first member
        for (Part& part : parts) {
            if (part.count < 2) continue;
            part.count = -static_cast<int>(next.size()) - 1;  // from now on: where its members go
            next.emplace_back();
        }
        for (size_t m = 0; m < subset.members.size(); ++m) {
            if (partOf[m] < 0) continue;
            const int goesTo = parts[static_cast<size_t>(partOf[m])].count;
            if (goesTo > 0) {
                if (size <= kLargestReadOn)
                    finishDigest(reader, scratch, subset.members[m], size, bufferSize);  // while it is open
                else
                    scratch.partial.erase(subset.members[m]);
            }
            if (goesTo > 0 || count == left) reader.close(subset.members[m]);
            if (goesTo < 0) next[static_cast<size_t>(-goesTo - 1)].push_back(subset.members[m]);
        }
        for (size_t p = next.size(); p-- > 0;) {
            // A file found changed when it was closed is no copy of anything.
            std::erase_if(next[p], [&](int k) { return files[k]->Changed; });
            if (next[p].size() < 2) continue;
            if (count == left)
                sets.push_back(std::move(next[p]));
            else
                work.push_back({std::move(next[p]), subset.position + count, growth});
        }
    }
    scratch.partial.clear();
    return sets;
}

// A search given a store of what files hold.
struct Remembering {
    TREMEMBERED& store;
    int64_t settled;  // a change time before this is no longer in the tick the search began in
    // Per listed folder, once asked: whether its volume keeps what a file
    // held knowable, and its serial. -1 not asked, 0 no, 1 yes.
    std::vector<std::pair<int8_t, uint32_t>> folders;
    const TFILELIST& list;
    std::unordered_map<uint64_t, bool> volumes;  // by the listing's volume number: whether it keeps them knowable

    // The volume of the file's folder where it keeps what files hold
    // knowable, asked once a folder (where the listing named the folder's
    // volume, once a volume); false where it does not.
    bool folderVolume(const TFILEINFO& file, uint32_t& volumeKey) {
        const auto at = static_cast<size_t>(file.FolderIndex);
        if (folders.size() <= at) folders.resize(at + 1, {-1, 0});
        auto& [known, serial] = folders[at];
        if (known < 0) {
            const uint64_t volume = at < list.FolderVolumes.size() ? list.FolderVolumes[at] : TFILELIST::kVolumeUnknown;
            if (volume == TFILELIST::kVolumeUnknown) {
                known = platform::remembersFiles(file.FolderPath() + "\\", serial) ? 1 : 0;
            } else {
                auto [answer, asked] = volumes.try_emplace(volume, false);
                if (asked) answer->second = platform::remembersFiles(file.FolderPath() + "\\", serial);
                known = answer->second ? 1 : 0;
                serial = static_cast<uint32_t>(volume ^ (volume >> 32));
            }
        }
        volumeKey = serial;
        return known > 0;
    }

    // The key a file is remembered under, false where it may not be.
    bool keyOf(TFILEINFO& file, TREMEMBEREDKEY& key) {
        platform::FileIdentity id;
        return !(file.Attributes & platform::kAttrReparsePoint) && file.CheckedIdentity(id) && keyFrom(file, id, key);
    }
    bool keyFrom(TFILEINFO& file, const platform::FileIdentity& id, TREMEMBEREDKEY& key) {
        // A link leads to a file on any volume, under that volume's numbers.
        if (file.Attributes & platform::kAttrReparsePoint) return false;
        // 0 and all ones are "no number of its own" (a ReFS file without a
        // unique 64-bit one): many files may answer so.
        if (id.index == 0 || id.index == ~uint64_t{0}) return false;
        if (id.volumeKnown)
            key.Volume = static_cast<uint32_t>(id.volume ^ (id.volume >> 32));
        else if (!folderVolume(file, key.Volume))
            return false;
        key.Index = id.index;
        key.Size = id.size;
        key.Written = id.written;
        key.Changed = id.changed;
        return true;
    }
};

// identicalSets with a store: a file whose key is unchanged is not read and
// goes by its remembered digest, and files of one digest are one set. The
// other files are compared as before, with one file of each digest read for
// them (the set it joins takes all that digest's files).
std::vector<std::vector<int>> rememberedSets(TFILELIST& files, int first, int end, int32_t bufferSize,
                                             Scratch& scratch, Remembering& remembering) {
    std::vector<std::pair<TDIGEST, int>> known;
    std::vector<int> read;
    // Every key of the class first, so that the store's memory for all of
    // them is fetched side by side, not one lookup after another.
    struct Asked {
        TREMEMBEREDKEY key;
        platform::FileIdentity peeked;
        bool keyed = false, wasPeeked = false;
    };
    std::vector<Asked> asked(static_cast<size_t>(end - first));
    // A store that knew nothing when loaded finds nothing: no file is asked.
    for (int k = first; k < end && remembering.store.Known() > 0; ++k) {
        Asked& a = asked[static_cast<size_t>(k - first)];
        // Where the listing told only which file it is, its size and times
        // are asked by name instead of opening it (on a volume that keeps
        // files' numbers: elsewhere that look is wasted); it is the file
        // remembered if the key is.
        uint32_t volume = 0;
        a.wasPeeked = files[k]->MayPeek() && remembering.folderVolume(*files[k], volume) &&
                      files[k]->PeekIdentity(a.peeked);
        a.keyed = a.wasPeeked ? remembering.keyFrom(*files[k], a.peeked, a.key) : remembering.keyOf(*files[k], a.key);
        if (a.keyed) remembering.store.Prefetch(a.key, 0);
    }
    for (const Asked& a : asked)
        if (a.keyed) remembering.store.Prefetch(a.key, 1);
    for (int k = first; k < end; ++k) {
        Asked& a = asked[static_cast<size_t>(k - first)];
        const TDIGEST* digest = a.keyed ? remembering.store.Find(a.key) : nullptr;
        if (digest && a.wasPeeked) files[k]->AdoptIdentity(a.peeked);
        if (digest)
            known.emplace_back(*digest, k);
        else
            read.push_back(k);
    }
    std::sort(known.begin(), known.end());
    // The files of each digest, ascending, and which digest a file read for them stands for.
    std::vector<std::vector<int>> byDigest;
    std::unordered_map<int, size_t> standsFor;
    for (size_t k = 0; k < known.size(); ++k) {
        if (k == 0 || known[k].first != known[k - 1].first) byDigest.emplace_back();
        byDigest.back().push_back(known[k].second);
    }
    std::vector<std::vector<int>> sets;
    if (!read.empty()) {
        for (size_t d = 0; d < byDigest.size(); ++d) {
            standsFor[byDigest[d].front()] = d;
            read.push_back(byDigest[d].front());
            scratch.known.insert(byDigest[d].front());
        }
        std::sort(read.begin(), read.end());
        if (read.size() >= 2) sets = identicalSets(files, first, end, bufferSize, scratch, &read);
        scratch.known.clear();
        if (!ScanRunning) return {};
    }
    std::vector<bool> joined(byDigest.size(), false);
    for (std::vector<int>& set : sets) {
        std::vector<int> whole = set;
        for (int k : set)
            if (const auto d = standsFor.find(k); d != standsFor.end() && !joined[d->second]) {
                joined[d->second] = true;
                whole.insert(whole.end(), byDigest[d->second].begin() + 1, byDigest[d->second].end());
            }
        std::sort(whole.begin(), whole.end());
        whole.erase(std::unique(whole.begin(), whole.end()), whole.end());
        set = std::move(whole);
    }
    for (size_t d = 0; d < byDigest.size(); ++d) {
        if (joined[d]) continue;
        // The one read for the others may have changed since it was listed.
        std::erase_if(byDigest[d], [&](int k) { return files[k]->Changed; });
        if (byDigest[d].size() >= 2) sets.push_back(std::move(byDigest[d]));
    }
    return sets;
}

// The checksum pass of advanced mode. Its first blocks are kept for a size
// whose files' blocks fit the round's memory together, so that files of that
// size are told apart by them at once and the comparison starts behind them
// instead of reading them again.
class FirstBlockPass {
public:
    FirstBlockPass(TFILELIST& files, int32_t blockSize)
        : files_(files), blockSize_(blockSize), block_(static_cast<size_t>(blockSize) + 1) {}

    void read(int i) {
        if (i >= sizeEnd_) startSize(i);
        TFILEINFO& f = *files_[i];
        f.FirstBlockPart = -1;
        if (!keeping_) {
            f.ReadFirstBlock(block_.data(), blockSize_);
            return;
        }
        const int32_t expected = static_cast<int32_t>(std::min<int64_t>(f.Size, blockSize_));
        if (!f.Open()) return;
        // A file whose length changed reads otherwise than listed; the
        // comparison then reads it from the start and finds that out. Read
        // whole here, it is asked for a byte more: one that grew is no copy.
        const int32_t asked = f.Size <= blockSize_ ? expected + 1 : blockSize_;
        if (f.ReadBlock(block_.data(), asked) == expected) {
            kept_.insert(kept_.end(), block_.begin(), block_.begin() + expected);
            keptFiles_.push_back(i);
        }
        f.Close();
    }

    // Numbers the different first blocks of the size read last.
    void finishSize() {
        const int32_t length = static_cast<int32_t>(std::min<int64_t>(sizeLength_, blockSize_));
        std::unordered_multimap<uint64_t, std::pair<size_t, int32_t>> seen;  // hash -> (kept block, part)
        for (size_t k = 0; k < keptFiles_.size(); ++k) {
            const uint8_t* bytes = kept_.data() + k * static_cast<size_t>(length);
            const uint64_t h = blockDigest(bytes, static_cast<size_t>(length));
            int32_t part = -1;
            for (auto [at, stop] = seen.equal_range(h); at != stop && part < 0; ++at)
                if (length == 0 ||
                    std::memcmp(kept_.data() + at->second.first * static_cast<size_t>(length), bytes,
                                static_cast<size_t>(length)) == 0)
                    part = at->second.second;
            if (part < 0) {
                part = nextPart_++;
                seen.emplace(h, std::make_pair(k, part));
            }
            files_[keptFiles_[k]]->FirstBlockPart = part;
        }
        kept_.clear();
        keptFiles_.clear();
    }

private:
    void startSize(int i) {
        finishSize();
        sizeEnd_ = i + 1;
        while (sizeEnd_ < files_.Count() && files_[sizeEnd_]->Size == files_[i]->Size) ++sizeEnd_;
        sizeLength_ = files_[i]->Size;
        const int64_t blocks = static_cast<int64_t>(sizeEnd_ - i) * std::min<int64_t>(sizeLength_, blockSize_);
        keeping_ = sizeEnd_ - i >= 2 &&
                   blocks <= std::max<int64_t>(DetectionLimits.RoundMemory, int64_t{kAlwaysKept} * (sizeEnd_ - i));
    }

    TFILELIST& files_;
    int32_t blockSize_;
    std::vector<uint8_t> block_;
    std::vector<uint8_t> kept_;
    std::vector<int> keptFiles_;
    int sizeEnd_ = 0;
    int64_t sizeLength_ = 0;
    bool keeping_ = false;
    int32_t nextPart_ = 0;
};

// The end of the run of files that a reference at first could be compared
// with: the same size, and in advanced mode the same checksum.
int classEnd(const TFILELIST& files, int first) {
    int end = first + 1;
    while (end < files.Count() && files[end]->Size == files[first]->Size &&
           (!bEnableAdvanced || files[end]->Checksum == files[first]->Checksum))
        ++end;
    return end;
}

// Adds the group whose reference is set.front(), as the pairwise loop would:
// the later files in catalogue order, then the reference. A second name of
// the reference or of a member drops out for good; of two names of one file
// the group keeps the one that protects it most, so a protected copy never
// passes for an unprotected one. Returns the members added besides the
// reference.
int32_t addGroup(TFILELIST& files, const std::vector<int>& set, TRESULTS& Results) {
    int reference = set.front();
    std::vector<int> added;
    for (size_t k = 1; k < set.size(); ++k) {
        TFILEINFO& candidate = *files[set[k]];
        if (candidate.Changed) continue;
        int* same = candidate.SameFileAs(*files[reference]) ? &reference : nullptr;
        for (size_t m = 0; m < added.size() && !same; ++m)
            if (files[added[m]]->SameFileAs(candidate)) same = &added[m];
        // Learning which file it is may be the look that finds it changed.
        if (candidate.Changed) {
            candidate.Alias = same != nullptr;
            continue;
        }
        if (same) {
            TFILEINFO& kept = *files[*same];
            if (files.ProtectionOf(candidate) > files.ProtectionOf(kept)) {
                kept.Alias = true;
                candidate.Grouped = kept.Grouped;
                kept.Grouped = false;
                *same = set[k];
            } else {
                candidate.Alias = true;
            }
            continue;
        }
        candidate.Grouped = true;
        added.push_back(set[k]);
    }
    if (added.empty()) return 0;
    Results.NewGroup();
    for (int member : added) Results.AddToGroup(member);
    Results.AddToGroup(reference);
    return static_cast<int32_t>(added.size());
}

}  // namespace

int64_t FreeableSpace(const TRESULTS& Results, const TFILELIST& FileList) {
    // A group is a run of entries with one number; empty slots are skipped.
    int64_t total = 0;
    int32_t group = 0;
    int64_t size = 0, members = 0;
    auto close = [&] {
        if (members > 0) total += size * (bNotDeleteLastCopy ? members - 1 : members);
    };
    for (int i = 0; i < Results.Count(); ++i) {
        const TRESULTITEM* item = Results[i];
        const TFILEINFO* file = item ? Results.EntryFile(FileList, i) : nullptr;
        if (!file) continue;
        if (members == 0 || item->Group != group) {
            close();
            group = item->Group;
            size = file->Size;
            members = 0;
        }
        ++members;
    }
    close();
    return total;
}

int32_t BufferBytes(int32_t units) { return std::clamp(units, kMinBufferUnits, kMaxBufferUnits) * 512; }

std::unique_ptr<TRESULTS> FindDuplicates(TFILELIST& FileList, ScanProgress* progress, TREMEMBERED* remembered) {
    auto Results = std::make_unique<TRESULTS>();
    FileList.LearnProtection();
    FileList.Sort(StandardOrder);
    PruneCatalogue(FileList);

    const int32_t folders = static_cast<int32_t>(FileList.Folders ? FileList.Folders->size() : slFoldersToScan.size());
    int count = FileList.Count();
    ScanRunning = true;
    if (progress) progress->Create(static_cast<int64_t>(count - 1) * 2);

    if (bEnableAdvanced) {
        FirstBlockPass pass(FileList, BufferBytes(lAdvancedBufferSize));
        for (int i = 0; i < count && ScanRunning; ++i) {
            pass.read(i);
            if (progress) progress->Step(folders, i, 0, 0, 0);
        }
        pass.finishSize();
        FileList.Sort(AdvancedOrder);
        PruneCatalogue(FileList);
        count = FileList.Count();
    }

    const int32_t bufferSize = BufferBytes(lStandartBufferSize);
    if (progress) progress->SetRemaining(count - 1);

    int32_t duplicates = 0;
    int64_t freeable = 0;
    // The sets of identical files of the class being compared, by their reference.
    std::map<int, std::vector<int>> setsByReference;
    int classEndIndex = 0;
    Scratch scratch;
    std::optional<Remembering> remembering;
    if (remembered) {
        remembering.emplace(Remembering{*remembered, platform::rawTimeSecondsAgo(RememberedSettleSeconds), {}, FileList, {}});
        scratch.digesting = true;
        scratch.seed = remembered->Seed();
        FileList.RememberedSetAside = remembered->SetAside;
    }
    for (int i = 0; i < count && ScanRunning; ++i) {
        if (i >= classEndIndex) {
            classEndIndex = classEnd(FileList, i);
            setsByReference.clear();
            if (classEndIndex - i >= 2)
                for (auto& set : remembering ? rememberedSets(FileList, i, classEndIndex, bufferSize, scratch, *remembering)
                                             : identicalSets(FileList, i, classEndIndex, bufferSize, scratch))
                    setsByReference[set.front()] = std::move(set);
        }
        const int groupStart = Results->Count();
        if (auto set = setsByReference.find(i); set != setsByReference.end())
            duplicates += addGroup(FileList, set->second, *Results);
        // Only the group just found adds to the freeable space of the groups before it.
        if (Results->Count() > groupStart) {
            const int64_t members = Results->Count() - groupStart;
            freeable += FileList[i]->Size * (bNotDeleteLastCopy ? members - 1 : members);
        }
        if (progress) progress->Step(folders, count, i, duplicates, freeable);
    }

    if (progress) progress->Destroy();
    ScanRunning = false;
    // What was read whole is remembered, unless it changed while it was read.
    if (remembering)
        for (const auto& [index, digest] : scratch.whole) {
            TFILEINFO& file = *FileList[index];
            TREMEMBEREDKEY key;
            if (!file.Changed && !file.Unreadable && remembering->keyOf(file, key) && key.Changed < remembering->settled)
                remembered->Remember(key, digest);
        }
    for (int i = 0; i < FileList.Count(); ++i) {
        const TFILEINFO& file = *FileList[i];
        if (file.Grouped) continue;
        if (file.Changed)
            ++FileList.FilesChanged;
        else if (file.Unreadable)
            ++FileList.FilesLeftOut;
    }
    return Results;
}
