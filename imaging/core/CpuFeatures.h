#pragma once
// Processor features that decide which variant of a pixel routine runs.
// Detection happens once, on first use.

#include <cstdint>

// Bit set of processor features; bit values are those of TCPUFeature below.
using TCPUFeatures = std::uint32_t;

enum TCPUFeature : TCPUFeatures {
  cfMMX = 1,
  cfExMMX = 2,
  cfSSE = 4,
  cfSSE2 = 8,
  cf3DNow = 16,
  cfEx3DNow = 32,
  // Not one of the classic six: 256-bit integer vectors with the operating
  // system saving their registers. Our widest variants need it.
  cfAVX2 = 64,
  // Fused multiply-add on the same vectors: exact remainders in one step.
  cfFMA = 128,
  // 512-bit vectors (foundation, bytes and words) with the operating system
  // saving their registers.
  cfAVX512 = 256,
};

namespace imaging {

// The features of this processor, detected on the first call.
TCPUFeatures CPUFeatures();

bool HasCPUFeature(TCPUFeature feature);

// The classic six from the raw identification registers, exposed so the rules
// can be checked against made-up processors. family is bits 8-11 of leaf 1 EAX;
// extendedLeaves is what leaf 0x80000000 returns in EAX (0 when unavailable).
TCPUFeatures FeaturesFromIdentification(std::uint32_t family, std::uint32_t standardEdx,
                                        std::uint32_t extendedLeaves, std::uint32_t extendedEdx);

}  // namespace imaging

// Marks a function compiled twice, for AVX2 and for any x86-64 processor,
// the variant picked by the loader. ThreadSanitizer instruments the picker,
// which runs before its runtime has started, so under it there is one
// variant.
#if defined(__SANITIZE_THREAD__)
#define LABEL_AVX2_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LABEL_AVX2_CLONES
#endif
#endif
#ifndef LABEL_AVX2_CLONES
#define LABEL_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
