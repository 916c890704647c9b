#include "imaging/core/CpuFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace imaging {
namespace {

constexpr bool Bit(std::uint32_t value, int bit) { return ((value >> bit) & 1u) != 0; }

TCPUFeatures Detect() {
#if defined(__x86_64__) || defined(__i386__)
  // The identification instruction always exists on the processors this
  // compiler targets, so the flags-register toggle test has nothing to add.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
  const std::uint32_t family = (eax >> 8) & 0xF;
  const std::uint32_t standardEdx = edx;
  const std::uint32_t extendedLeaves = __get_cpuid_max(0x80000000u, nullptr);
  std::uint32_t extendedEdx = 0;
  if (extendedLeaves >= 0x80000001u && __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx)) extendedEdx = edx;
  TCPUFeatures features = FeaturesFromIdentification(family, standardEdx, extendedLeaves, extendedEdx);
  __builtin_cpu_init();
  if (features != 0 && __builtin_cpu_supports("avx2")) features |= cfAVX2;
  if (features != 0 && __builtin_cpu_supports("fma")) features |= cfFMA;
  if (features != 0 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) features |= cfAVX512;
  return features;
#else
  return 0;
#endif
}

}  // namespace

TCPUFeatures FeaturesFromIdentification(std::uint32_t family, std::uint32_t standardEdx,
                                        std::uint32_t extendedLeaves, std::uint32_t extendedEdx) {
  if (family < 5) return 0;
  const bool extended = extendedLeaves >= 0x80000001u;
  TCPUFeatures features = 0;
  if (Bit(standardEdx, 23)) features |= cfMMX;
  if (Bit(standardEdx, 25)) features |= cfSSE | cfExMMX;
  if (Bit(standardEdx, 26)) features |= cfSSE2;
  if (extended && Bit(extendedEdx, 22)) features |= cfExMMX;
  if (extended && Bit(extendedEdx, 31)) features |= cf3DNow;
  if (extended && Bit(extendedEdx, 30)) features |= cfEx3DNow;
  return features;
}

TCPUFeatures CPUFeatures() {
  static const TCPUFeatures features = Detect();
  return features;
}

bool HasCPUFeature(TCPUFeature feature) { return (CPUFeatures() & feature) != 0; }

}  // namespace imaging
