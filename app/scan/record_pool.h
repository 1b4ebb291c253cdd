// Room for the many small records of a search (one per file listed, one per
// copy found), taken from the system in slabs of 1 MiB: a record costs its
// own size, not its size and the heap's bookkeeping besides. Once every
// record of a size is gone (results cleared, a new search), its slabs go back
// to the system; until then a record given back is used again.
#pragma once

#include <cstddef>

namespace record_pool {

// Memory for one record of `size` bytes (at most 1 KiB), and its return.
// Under AddressSanitizer every record comes from the heap, so that each is
// still watched on its own.
void* take(size_t size);
void give(void* record, size_t size);

}  // namespace record_pool

// Gives a class its records from the pool.
#define VARNOK_POOLED_RECORD                                                           \
    static void* operator new(size_t size) { return record_pool::take(size); }       \
    static void operator delete(void* p, size_t size) { record_pool::give(p, size); }
