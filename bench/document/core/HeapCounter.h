#pragma once
// Counts the bytes the process holds from the C heap (malloc and everything
// built on it: operator new, the bitmaps' pixels, FreeType, zlib), and the
// most it held since the last reset. Linked into one benchmark program only:
// it replaces the C library's allocation functions for the whole program.

#include <cstdint>

namespace bench {

std::int64_t HeapBytes();
std::int64_t HeapPeakBytes();
// The peak starts again from what is held now.
void ResetHeapPeak();

}  // namespace bench
