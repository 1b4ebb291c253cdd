#include "remembered.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>

#include "common/platform.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace {

// The file: a header, then each volume's serial and count of files
// followed by its files' records, ascending by file number. The checksum
// covers everything after the header.
constexpr char kMagic[8] = {'V', 'a', 'r', 'n', 'o', 'k', 'R', 'm'};
constexpr uint32_t kVersion = 2;
struct Header {
    char magic[8];
    uint32_t version;
    uint32_t volumes;
    uint64_t files;
    uint64_t seed;  // of every digest in it
    uint64_t checksum;
};
struct VolumeHeader {
    uint32_t serial;
    uint32_t files;
};
static_assert(sizeof(Header) == 40 && sizeof(VolumeHeader) == 8 && sizeof(TREMEMBERED::TRECORD) == 48);
constexpr size_t kLargest =
    sizeof(Header) + TREMEMBERED::kMaxVolumes * sizeof(VolumeHeader) + TREMEMBERED::kMaxFiles * sizeof(TREMEMBERED::TRECORD);

TDIGEST fromXxh(const XXH128_hash_t& h) { return {h.low64, h.high64}; }

}  // namespace

TDIGEST ContentDigest(const void* data, size_t count, uint64_t seed) {
    return fromXxh(XXH3_128bits_withSeed(data, count, seed));
}

TDIGESTING::TDIGESTING(uint64_t seed) : state_(XXH3_createState()) {
    if (!state_) throw std::bad_alloc();
    XXH3_128bits_reset_withSeed(static_cast<XXH3_state_t*>(state_), seed);
}

uint64_t TREMEMBERED::newSeed() {
    std::random_device random;
    return (static_cast<uint64_t>(random()) << 32) ^ random();
}
TDIGESTING::~TDIGESTING() { XXH3_freeState(static_cast<XXH3_state_t*>(state_)); }
void TDIGESTING::Add(const void* data, size_t count) { XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), data, count); }
TDIGEST TDIGESTING::Result() const { return fromXxh(XXH3_128bits_digest(static_cast<XXH3_state_t*>(state_))); }

TREMEMBERED::TLOAD TREMEMBERED::Load(const std::string& path) {
    volumes_.clear();
    records_.clear();
    slots_.clear();
    used_.clear();
    added_.clear();
    unchangedAt_.clear();
    seed_ = newSeed();  // what a store that is not read held is never asked again
    SetAside = false;
    std::string bytes;
    if (!platform::readWholeFile(path, bytes, kLargest)) {
        if (!platform::exists(path)) return TLOAD::Missing;
        bytes.clear();  // too large or unreadable: no store of ours either
    }
    // Whatever is wrong with it, nothing of it is used.
    const auto setAside = [&] {
        volumes_.clear();
        records_.clear();
        SetAside = true;
        if (!platform::replaceFile(path, path + ".bad")) platform::removeFile(path);
        return TLOAD::SetAside;
    };
    Header header{};
    if (bytes.size() < sizeof header) return setAside();
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.version != kVersion ||
        header.volumes > kMaxVolumes || header.files > kMaxFiles ||
        bytes.size() != sizeof header + header.volumes * sizeof(VolumeHeader) + header.files * sizeof(TRECORD) ||
        XXH3_64bits(bytes.data() + sizeof header, bytes.size() - sizeof header) != header.checksum)
        return setAside();
    records_.resize(static_cast<size_t>(header.files));
    const char* at = bytes.data() + sizeof header;
    size_t filled = 0;
    for (uint32_t v = 0; v < header.volumes; ++v) {
        VolumeHeader volume{};
        std::memcpy(&volume, at, sizeof volume);
        at += sizeof volume;
        if (volume.files > records_.size() - filled) return setAside();
        std::memcpy(static_cast<void*>(records_.data() + filled), at, volume.files * sizeof(TRECORD));
        at += volume.files * sizeof(TRECORD);
        volumes_.push_back({volume.serial, filled, filled + volume.files});
        filled += volume.files;
        // Looked up by halving: out of order is no file this program wrote.
        for (size_t k = volumes_.back().First + 1; k < filled; ++k)
            if (records_[k - 1].Index >= records_[k].Index) return setAside();
    }
    if (filled != records_.size()) return setAside();
    seed_ = header.seed;
    std::string().swap(bytes);  // given back before the index takes its memory
    size_t slots = 16;
    while (slots < records_.size() * 2) slots *= 2;
    shift_ = 64 - std::countr_zero(slots);
    slots_.assign(slots, 0);
    for (const TVOLUME& v : volumes_)
        for (size_t k = v.First; k < v.End; ++k) {
            size_t s = slotOf(v.Serial, records_[k].Index);
            while (slots_[s]) s = (s + 1) & (slots - 1);
            slots_[s] = static_cast<uint32_t>(k + 1);
        }
    used_.assign(records_.size(), false);
    unchangedAt_ = path;
    return TLOAD::Loaded;
}

size_t TREMEMBERED::slotOf(uint32_t volume, uint64_t index) const {
    return static_cast<size_t>(((index ^ (uint64_t{volume} << 32 | volume)) * 0x9E3779B97F4A7C15ull) >> shift_);
}

TREMEMBERED::TRECORD* TREMEMBERED::locate(uint32_t volume, uint64_t index, size_t* at) {
    const TVOLUME* v = nullptr;
    for (const TVOLUME& candidate : volumes_)
        if (candidate.Serial == volume) v = &candidate;
    if (!v || slots_.empty()) return nullptr;
    for (size_t s = slotOf(volume, index); slots_[s]; s = (s + 1) & (slots_.size() - 1)) {
        const size_t k = slots_[s] - 1;
        if (records_[k].Index != index || k < v->First || k >= v->End) continue;
        if (at) *at = k;
        return &records_[k];
    }
    return nullptr;
}

void TREMEMBERED::Prefetch(const TREMEMBEREDKEY& key, int stage) const {
    if (slots_.empty()) return;
    const size_t s = slotOf(key.Volume, key.Index);
    if (stage == 0)
        __builtin_prefetch(&slots_[s]);
    else if (slots_[s])
        __builtin_prefetch(&records_[slots_[s] - 1]);
}

const TDIGEST* TREMEMBERED::Find(const TREMEMBEREDKEY& key) {
    size_t at = 0;
    TRECORD* r = locate(key.Volume, key.Index, &at);
    if (!r || r->Size != key.Size || r->Written != key.Written || r->Changed != key.Changed) return nullptr;
    used_[at] = true;
    return &r->Digest;
}

void TREMEMBERED::Remember(const TREMEMBEREDKEY& key, const TDIGEST& digest) {
    const TRECORD record{key.Index, key.Size, key.Written, key.Changed, digest};
    size_t at = 0;
    if (TRECORD* r = locate(key.Volume, key.Index, &at)) {
        if (std::memcmp(r, &record, sizeof record) != 0) unchangedAt_.clear();
        *r = record;
        used_[at] = true;
    } else {
        added_.emplace_back(key.Volume, record);
        unchangedAt_.clear();
    }
}

bool TREMEMBERED::Save(const std::string& path) const {
    if (!unchangedAt_.empty() && unchangedAt_ == path && platform::exists(path)) return true;
    // Every record by volume and file number; what this search met goes
    // first when there are more than the file may hold.
    struct Entry {
        uint32_t volume;
        bool used;
        const TRECORD* record;
    };
    std::vector<Entry> entries;
    entries.reserve(Count());
    for (const TVOLUME& v : volumes_)
        for (size_t k = v.First; k < v.End; ++k) entries.push_back({v.Serial, used_[k], &records_[k]});
    for (const auto& [volume, record] : added_) entries.push_back({volume, true, &record});
    // Two names of one file remembered twice: the later stands.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.volume != b.volume ? a.volume < b.volume : a.record->Index < b.record->Index;
    });
    // In place: a second list of a million entries would be 16 MB more.
    std::vector<Entry>& kept = entries;
    size_t count = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
        const Entry e = entries[k];
        if (count > 0 && kept[count - 1].volume == e.volume && kept[count - 1].record->Index == e.record->Index)
            kept[count - 1] = e;
        else
            kept[count++] = e;
    }
    kept.resize(count);
    if (kept.size() > kMaxFiles) {
        std::stable_partition(kept.begin(), kept.end(), [](const Entry& e) { return e.used; });
        kept.resize(kMaxFiles);
        std::sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) {
            return a.volume != b.volume ? a.volume < b.volume : a.record->Index < b.record->Index;
        });
    }
    std::string bytes(sizeof(Header), '\0');
    bytes.reserve(sizeof(Header) + kept.size() * sizeof(TRECORD) + 64);
    uint32_t volumes = 0;
    for (size_t k = 0; k < kept.size();) {
        size_t end = k;
        while (end < kept.size() && kept[end].volume == kept[k].volume) ++end;
        if (volumes == kMaxVolumes) break;  // the rest would make a file no search reads
        ++volumes;
        const VolumeHeader volume{kept[k].volume, static_cast<uint32_t>(end - k)};
        bytes.append(reinterpret_cast<const char*>(&volume), sizeof volume);
        for (; k < end; ++k) bytes.append(reinterpret_cast<const char*>(kept[k].record), sizeof(TRECORD));
    }
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kVersion;
    header.volumes = volumes;
    header.files = (bytes.size() - sizeof header - volumes * sizeof(VolumeHeader)) / sizeof(TRECORD);
    header.seed = seed_;
    header.checksum = XXH3_64bits(bytes.data() + sizeof header, bytes.size() - sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    // A name no other search writes at the same moment.
    std::random_device random;
    const std::string fresh = path + "." + std::to_string(random()) + ".new";
    if (!platform::writeWholeFile(fresh, bytes.data(), bytes.size()) || !platform::replaceFile(fresh, path)) {
        platform::removeFile(fresh);
        return false;
    }
    return true;
}

std::string RememberedSetAsideText() {
    return "What earlier searches remembered of files was damaged and was set aside; this search read the files "
           "instead.";
}
