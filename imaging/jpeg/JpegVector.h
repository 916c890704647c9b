#pragma once
// Building blocks of the vectorised kernels (for the codec's own sources):
// the vector types, conversions the compiler lowers well, and the dispatch
// that runs a kernel compiled for the chosen instruction set.

#include <cstdint>
#include <cstring>

#include "imaging/jpeg/JpegSimd.h"

// Helpers of a kernel are inlined into each variant, so that every variant is
// compiled as a whole for its instruction set.
#define JPEG_KERNEL [[gnu::always_inline]] inline

#if defined(__x86_64__) || defined(__i386__)
#define JPEG_AVX2_VARIANTS 1
#define JPEG_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define JPEG_AVX2_VARIANTS 0
#endif

namespace jpeg {

// Vectors of the compiler's vector extension used by the kernels.
typedef std::uint8_t Bytes8 __attribute__((vector_size(8)));
typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));
typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));
typedef std::int16_t Words8 __attribute__((vector_size(16)));
typedef std::int16_t Words16 __attribute__((vector_size(32)));
typedef std::int32_t Ints8 __attribute__((vector_size(32)));

// The first eight bytes widened to 32-bit lanes (through 16 bits: a direct
// conversion compiles to lane-by-lane moves).
JPEG_KERNEL Ints8 WidenLow8(Bytes16 v) {
  const Words16 words = __builtin_convertvector(v, Words16);
  return __builtin_convertvector(__builtin_shufflevector(words, words, 0, 1, 2, 3, 4, 5, 6, 7), Ints8);
}

// Eight bytes from memory widened to 32-bit lanes.
JPEG_KERNEL Ints8 LoadWiden8(const std::uint8_t* p) {
  typedef std::uint64_t Quads2 __attribute__((vector_size(16)));
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return WidenLow8(reinterpret_cast<Bytes16>(Quads2{word, 0}));
}

// The low byte of each 32-bit lane.
JPEG_KERNEL Bytes8 NarrowToBytes(Ints8 v) {
  const Bytes32 bytes = reinterpret_cast<Bytes32>(v);
  return __builtin_shufflevector(bytes, bytes, 0, 4, 8, 12, 16, 20, 24, 28);
}

#if JPEG_AVX2_VARIANTS
template <auto Kernel, class... Args>
JPEG_TARGET_AVX2 void RunAvx2(Args... args) {
  Kernel(args...);
}
#endif

// Runs the kernel (a JPEG_KERNEL function) compiled for the chosen level.
template <auto Kernel, class... Args>
JPEG_KERNEL void Dispatch(Args... args) {
#if JPEG_AVX2_VARIANTS
  if (SimdLevel() == TsdSimdLevel::Avx2) {
    RunAvx2<Kernel>(args...);
    return;
  }
#endif
  Kernel(args...);
}

}  // namespace jpeg
