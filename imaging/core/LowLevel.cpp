#include "imaging/core/LowLevel.h"

#include <algorithm>

#include "imaging/core/FunctionRegistry.h"

namespace imaging {

TFillLongword FillLongword = nullptr;

namespace portable {
void FillLongword(std::uint32_t* dest, std::ptrdiff_t count, std::uint32_t value) {
  if (count > 0) std::fill_n(dest, count, value);
}
}  // namespace portable

void RegisterLowLevelBindings() {
  TFunctionRegistry& registry = NewRegistry("LowLevel bindings");
  registry.RegisterBinding(FID_FILLLONGWORD, &FillLongword);
  registry.Add(FID_FILLLONGWORD, &portable::FillLongword);
  registry.Add(FID_FILLLONGWORD, &sse2::FillLongword, cfSSE2);
  registry.Add(FID_FILLLONGWORD, &avx2::FillLongword, cfAVX2);
  registry.RebindAll();
}

void MoveLongword(const std::uint32_t* source, std::uint32_t* dest, std::ptrdiff_t count) {
  if (count <= 0 || source == dest) return;
  // Forward word by word, like the original: overlapping runs behave as a
  // forward copy, never as memmove.
  for (std::ptrdiff_t i = 0; i < count; ++i) dest[i] = source[i];
}

void Swap(std::int32_t& a, std::int32_t& b) { std::swap(a, b); }

void TestSwap(std::int32_t& a, std::int32_t& b) {
  if (a > b) std::swap(a, b);
}

bool TestClip(std::int32_t& a, std::int32_t& b, std::int32_t start, std::int32_t stop) {
  TestSwap(a, b);
  a = std::max(a, start);
  b = static_cast<std::int32_t>(std::min<std::int64_t>(b, std::int64_t{stop} - 1));
  return b >= a;
}

std::int32_t ClampToByte(std::int32_t value) {
  if (static_cast<std::uint32_t>(value) < 256) return value;
  return value < 0 ? 0 : 255;
}

std::int32_t Clamp(std::int32_t value, std::int32_t max) {
  if (value > max) return max;
  return value >= 0 ? value : 0;
}

std::int32_t Constrain(std::int32_t value, std::int32_t lo, std::int32_t hi) {
  return std::min(std::max(value, lo), hi);
}

// The folds compute in 64 bits so that no coordinate can overflow them.
std::int32_t Wrap(std::int32_t value, std::int32_t min, std::int32_t max) {
  const std::int64_t length = std::int64_t{max} - min + 1;
  if (value >= min) return static_cast<std::int32_t>((std::int64_t{value} - min) % length + min);
  return static_cast<std::int32_t>((std::int64_t{value} - max) % length + max);
}

std::int32_t Mirror(std::int32_t value, std::int32_t min, std::int32_t max) {
  const std::int64_t length = std::int64_t{max} - min + 1;
  const std::int64_t base = value >= min ? min : max;
  const std::int64_t quotient = (std::int64_t{value} - base) / length;
  const std::int64_t rest = (std::int64_t{value} - base) % length + base;
  return static_cast<std::int32_t>(quotient % 2 == 0 ? rest : std::int64_t{min} + max - rest);
}

std::int32_t WrapPow2(std::int32_t value, std::int32_t min, std::int32_t max) {
  const std::uint32_t mask = static_cast<std::uint32_t>(max) - static_cast<std::uint32_t>(min);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(min) +
                                   ((static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(min)) & mask));
}

std::int32_t MirrorPow2(std::int32_t value, std::int32_t min, std::int32_t max) {
  const std::uint32_t mask = static_cast<std::uint32_t>(max) - static_cast<std::uint32_t>(min);
  const std::uint32_t offset = static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(min);
  if (((mask + 1) & offset) != 0) return static_cast<std::int32_t>(static_cast<std::uint32_t>(max) - (offset & mask));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(min) + (offset & mask));
}

TWrapProc GetWrapProc(TWrapMode mode) {
  switch (mode) {
    case wmRepeat: return &Wrap;
    case wmMirror: return &Mirror;
    case wmClamp: break;
  }
  return &Constrain;
}

TWrapProc GetWrapProc(TWrapMode mode, std::int32_t min, std::int32_t max) {
  const std::int64_t length = std::int64_t{max} - min + 1;
  const bool pow2 = min >= 0 && min <= max && (length & (length - 1)) == 0;
  switch (mode) {
    case wmRepeat: return pow2 ? &WrapPow2 : &Wrap;
    case wmMirror: return pow2 ? &MirrorPow2 : &Mirror;
    case wmClamp: break;
  }
  return &Constrain;
}

}  // namespace imaging
