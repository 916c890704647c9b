#pragma once
// Runtime choice between the portable code of the codec's hot loops and
// variants of the same code compiled for AVX2. Both variants compute the same
// integers; the AVX2 one only runs on a processor that has the instructions.

namespace jpeg {

enum class TsdSimdLevel { Portable, Avx2 };

// The best level the processor supports.
TsdSimdLevel BestSimdLevel();
// The level the hot loops use: the best one unless a lower one was asked for.
TsdSimdLevel SimdLevel();
// Asks for a level (tests compare the variants); the processor's best is the limit.
void SetSimdLevel(TsdSimdLevel level);

}  // namespace jpeg

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
