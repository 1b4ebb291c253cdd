#include "record_pool.h"

#include <mutex>
#include <new>
#include <vector>

namespace record_pool {
namespace {

constexpr size_t kSlab = 1 << 20;
constexpr size_t kGrain = 8;  // every size is rounded up to this, for alignment
constexpr size_t kLargest = 1024;

// The records of one size: slabs carved in turn, records given back linked
// through their first bytes. When the last record of a size is gone (results
// cleared, a new search), its slabs go back to the system.
struct Pool {
    std::vector<char*> slabs;
    size_t carved = kSlab;  // in the newest slab
    void* free = nullptr;
    size_t live = 0;
};

struct Pools {
    std::mutex lock;
    Pool bySize[kLargest / kGrain + 1];
};
Pools& pools() {
    static Pools* p = new Pools;  // outlives every record, whatever is destroyed first
    return *p;
}

size_t rounded(size_t size) { return (size + kGrain - 1) & ~(kGrain - 1); }

}  // namespace

// Under AddressSanitizer every block comes from the heap, so that each is
// still watched on its own.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

void* take(size_t size) {
    size = rounded(size);
    if (size > kLargest || !kPooled) return ::operator new(size);
    Pools& all = pools();
    std::lock_guard<std::mutex> guard(all.lock);
    Pool& pool = all.bySize[size / kGrain];
    void* record;
    if (pool.free) {
        record = pool.free;
        pool.free = *static_cast<void**>(record);
    } else {
        if (pool.carved + size > kSlab) {
            pool.slabs.reserve(pool.slabs.size() + 1);  // may throw before the slab is taken
            pool.slabs.push_back(static_cast<char*>(::operator new(kSlab)));
            pool.carved = 0;
        }
        record = pool.slabs.back() + pool.carved;
        pool.carved += size;
    }
    ++pool.live;
    return record;
}

void give(void* record, size_t size) {
    if (!record) return;
    size = rounded(size);
    if (size > kLargest || !kPooled) {
        ::operator delete(record);
        return;
    }
    Pools& all = pools();
    std::lock_guard<std::mutex> guard(all.lock);
    Pool& pool = all.bySize[size / kGrain];
    if (--pool.live == 0) {
        for (char* slab : pool.slabs) ::operator delete(slab);
        std::vector<char*>().swap(pool.slabs);
        pool.carved = kSlab;
        pool.free = nullptr;
        return;
    }
    *static_cast<void**>(record) = pool.free;
    pool.free = record;
}

}  // namespace record_pool
