#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local long allocations = 0;
}

#if defined(__GNUC__) && !defined(__clang__)
// GCC may match the free() below against an inlined new expression and warn; both sides of
// this allocator are malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
// Code that allocates with the nothrow form frees with the plain delete below, so the two
// must come from the same allocator (under AddressSanitizer, which brings its own, too).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

long zamp::test::allocationsOnThisThread() { return allocations; }
