#pragma once
// Building blocks of the vectorised kernels (for the codec's own sources):
// the vector types, conversions the compiler lowers well, and the dispatch
// that runs a kernel compiled for the chosen instruction set.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "imaging/jpeg/JpegSimd.h"

// Helpers of a kernel are inlined into each variant, so that every variant is
// compiled as a whole for its instruction set.
#define JPEG_KERNEL [[gnu::always_inline]] inline

#if defined(__x86_64__) || defined(__i386__)
#define JPEG_AVX2_VARIANTS 1
#else
#define JPEG_AVX2_VARIANTS 0
#endif

namespace jpeg {

// The instruction sets a kernel is compiled for. With AVX2 the compiler
// turns lane shuffles into a few instructions; for the portable variant it
// spells them out lane by lane, so there lanes move through memory instead.
struct Avx2Isa {
  static constexpr bool kShuffles = true;
};
struct PortableIsa {
  static constexpr bool kShuffles = false;
};

// Lanes of a and b (numbered on from a's lanes into b's) picked by Index.
template <class Isa, class Out, int... Index, class In>
JPEG_KERNEL Out Shuffle(In a, In b) {
  if constexpr (Isa::kShuffles) {
    return __builtin_shufflevector(a, b, Index...);
  } else {
    using Lane = std::remove_cv_t<std::remove_reference_t<decltype(a[0])>>;
    constexpr std::size_t kLanes = sizeof(In) / sizeof(Lane);
    Lane lanes[2 * kLanes];
    std::memcpy(lanes, &a, sizeof(a));
    std::memcpy(lanes + kLanes, &b, sizeof(b));
    Lane picked[sizeof...(Index)];
    std::size_t i = 0;
    ((picked[i++] = lanes[Index]), ...);
    Out out;
    std::memcpy(&out, picked, sizeof(out));
    return out;
  }
}

// Vectors of the compiler's vector extension used by the kernels.
typedef std::uint8_t Bytes8 __attribute__((vector_size(8)));
typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));
typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));
typedef std::int16_t Words8 __attribute__((vector_size(16)));
typedef std::int16_t Words16 __attribute__((vector_size(32)));
typedef std::int32_t Ints8 __attribute__((vector_size(32)));

// Lanes clamped to 0..255 by shifts and masks (comparisons of vectors wider
// than the hardware's compile to lane-by-lane code).
template <class V>
JPEG_KERNEL V ClampLanesToBytes(V v) {
  constexpr int kSignBit = static_cast<int>(sizeof(v[0])) * 8 - 1;
  v &= ~(v >> kSignBit);
  const V high = (255 - v) >> kSignBit;
  return (v & ~high) | (high & 255);
}

// The first eight bytes widened to 32-bit lanes (through 16 bits: a direct
// conversion compiles to lane-by-lane moves).
template <class Isa>
JPEG_KERNEL Ints8 WidenLow8(Bytes16 v) {
  const Words16 words = __builtin_convertvector(v, Words16);
  return __builtin_convertvector((Shuffle<Isa, Words8, 0, 1, 2, 3, 4, 5, 6, 7>(words, words)), Ints8);
}

// Eight bytes from memory widened to 32-bit lanes.
template <class Isa>
JPEG_KERNEL Ints8 LoadWiden8(const std::uint8_t* p) {
  typedef std::uint64_t Quads2 __attribute__((vector_size(16)));
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return WidenLow8<Isa>(reinterpret_cast<Bytes16>(Quads2{word, 0}));
}

// The low byte of each 32-bit lane.
template <class Isa>
JPEG_KERNEL Bytes8 NarrowToBytes(Ints8 v) {
  const Bytes32 bytes = reinterpret_cast<Bytes32>(v);
  return Shuffle<Isa, Bytes8, 0, 4, 8, 12, 16, 20, 24, 28>(bytes, bytes);
}

#if JPEG_AVX2_VARIANTS
template <auto Kernel, class... Args>
__attribute__((target("avx2"))) void RunAvx2(Args... args) {
  Kernel(args...);
}
#endif

// Runs the variant of a kernel (a JPEG_KERNEL function) for the chosen level.
template <auto Avx2Kernel, auto PortableKernel, class... Args>
JPEG_KERNEL void Dispatch(Args... args) {
#if JPEG_AVX2_VARIANTS
  if (SimdLevel() == TsdSimdLevel::Avx2) {
    RunAvx2<Avx2Kernel>(args...);
    return;
  }
#endif
  PortableKernel(args...);
}

}  // namespace jpeg

// Dispatch of a kernel template whose last parameter is the instruction set.
#define JPEG_DISPATCH(kernel, ...) jpeg::Dispatch<kernel<jpeg::Avx2Isa>, kernel<jpeg::PortableIsa>>(__VA_ARGS__)
