// Replaces the program's operator new and delete (this file is linked only
// into test programs). Every form goes to malloc and free, so the sanitizers
// see one kind of allocation.
#include "tests/support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace failing_allocation {
namespace {
std::atomic<bool> armed{false};
std::atomic<int64_t> left{0};
std::atomic<size_t> threshold{0};
std::atomic<int64_t> refusedCount{0};
}  // namespace

void start(int64_t allowed, size_t bytes) {
    left = allowed;
    threshold = bytes;
    refusedCount = 0;
    armed = true;
}
void stop() { armed = false; }
int64_t refused() { return refusedCount; }

}  // namespace failing_allocation

namespace {
void* allocate(size_t size) {
    using namespace failing_allocation;
    if (armed && left.fetch_sub(1) <= 0 && size >= threshold) {
        ++refusedCount;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}
void* allocateOrThrow(size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t size) { return allocateOrThrow(size); }
void* operator new[](size_t size) { return allocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
