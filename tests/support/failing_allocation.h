// The program's allocations made to fail on demand, as they do when the
// address space runs out: large ones fail first, small ones still succeed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace failing_allocation {

// After `allowed` more allocations, every allocation of at least `bytes`
// bytes throws std::bad_alloc until stop().
void start(int64_t allowed, size_t bytes);
void stop();
// Allocations refused since start().
int64_t refused();

// Stops on leaving the scope, so a failed expectation never leaves it on.
struct Scope {
    Scope(int64_t allowed, size_t bytes) { start(allowed, bytes); }
    ~Scope() { stop(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

}  // namespace failing_allocation
