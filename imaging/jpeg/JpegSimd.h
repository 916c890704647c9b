#pragma once
// Runtime choice between the portable code of the codec's hot loops and
// variants of the same code compiled for AVX2. Both variants compute the same
// integers; the AVX2 one only runs on a processor that has the instructions.

namespace jpeg {

enum class TsdSimdLevel { Portable, Avx2 };

// The best level the processor supports, by the raster library's feature
// detection.
TsdSimdLevel BestSimdLevel();
// The level the hot loops use: the best one unless a lower one was asked for.
TsdSimdLevel SimdLevel();
// Asks for a level (tests compare the variants); the processor's best is the limit.
void SetSimdLevel(TsdSimdLevel level);

}  // namespace jpeg
