// Counting heap allocations: a test program that links support/AllocationCounter.cpp has
// its global operator new replaced by one that counts the calls of each thread.
#pragma once

namespace zamp::test {

// Calls of operator new made so far on the calling thread.
long allocationsOnThisThread();

} // namespace zamp::test
