// The reference variants: plain integer and table arithmetic.

#include <algorithm>
#include <cstdlib>

#include "imaging/blend/BlendTables.h"
#include "imaging/blend/BlendVariants.h"

namespace imaging::portable {
namespace {

// V(X, Y, W) on all four channels at once: red/blue and alpha/green pairs sit
// in 16-bit lanes, where Y x (256 - W) + X x W + 128 never exceeds 65408.
inline TColor32 Interpolate(TColor32 x, TColor32 y, TColor32 w) {
  const TColor32 rb = ((y & 0x00FF00FF) * (256 - w) + (x & 0x00FF00FF) * w + 0x00800080) >> 8 & 0x00FF00FF;
  const TColor32 ag = ((y >> 8 & 0x00FF00FF) * (256 - w) + (x >> 8 & 0x00FF00FF) * w + 0x00800080) & 0xFF00FF00;
  return rb | ag;
}

// Applies op to each of the four channels.
template <class Op>
inline TColor32 PerChannel(TColor32 c1, TColor32 c2, Op op) {
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int value = op(static_cast<int>(c1 >> shift & 0xFF), static_cast<int>(c2 >> shift & 0xFF));
    result |= static_cast<TColor32>(value) << shift;
  }
  return result;
}

inline TColor32 Alpha(TColor32 c) { return c >> 24; }

}  // namespace

void ClearVectorState() {}

TColor32 MergeReg(TColor32 f, TColor32 b) {
  const TColor32 fa = Alpha(f);
  if (fa == 0) return b;
  // An opaque F covers B whatever B's alpha; interpolating it over an opaque
  // B would leave a trace of B (opaque black over white gives 0x010101).
  if (fa == 255) return f;
  const TColor32 ba = Alpha(b);
  if (ba == 255) return Interpolate(f, b, fa) | 0xFF000000u;
  if (ba == 0) return f;
  const auto& fw = DivTable[fa];
  const auto& bw = DivTable[ba];
  const TColor32 ra = (fa + ba - bw[fa]) & 255;
  const auto& rw = RcTable[ra];
  TColor32 result = ra << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int bc = bw[b >> shift & 0xFF];
    const int d = static_cast<int>(f >> shift & 0xFF) - bc;
    const int channel = d >= 0 ? rw[bc + fw[d]] : rw[bc - fw[-d]];
    result |= static_cast<TColor32>(channel) << shift;
  }
  return result;
}

void MergeMem(TColor32 f, TColor32& b) { b = MergeReg(f, b); }

void MergeLine(const TColor32* src, TColor32* dst, int count) {
  for (int i = 0; i < count; ++i) dst[i] = MergeReg(src[i], dst[i]);
}

// The master alpha indexes a table: anything above 255 counts as 255.
TColor32 MergeRegEx(TColor32 f, TColor32 b, TColor32 m) {
  const TColor32 scaledAlpha = DivTable[std::min<TColor32>(m, 255)][Alpha(f)];
  return MergeReg((f & 0x00FFFFFF) | scaledAlpha << 24, b);
}

void MergeMemEx(TColor32 f, TColor32& b, TColor32 m) { b = MergeRegEx(f, b, m); }

void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  for (int i = 0; i < count; ++i) dst[i] = MergeRegEx(src[i], dst[i], m);
}

TColor32 CombineReg(TColor32 x, TColor32 y, TColor32 w) { return Interpolate(x, y, w); }

void CombineMem(TColor32 x, TColor32& y, TColor32 w) {
  if (w == 0) return;
  y = w == 255 ? x : Interpolate(x, y, w);
}

void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w) {
  if (count <= 0 || w == 0) return;
  for (int i = 0; i < count; ++i) dst[i] = w == 255 ? src[i] : Interpolate(src[i], dst[i], w);
}

TColor32 BlendReg(TColor32 f, TColor32 b) { return Interpolate(f, b, Alpha(f)); }

void BlendMem(TColor32 f, TColor32& b) {
  const TColor32 fa = Alpha(f);
  if (fa == 0) return;
  b = fa == 255 ? f : Interpolate(f, b, fa);
}

void BlendLine(const TColor32* src, TColor32* dst, int count) {
  for (int i = 0; i < count; ++i) BlendMem(src[i], dst[i]);
}

TColor32 BlendRegEx(TColor32 f, TColor32 b, TColor32 m) {
  const TColor32 w = ((m + 1) * Alpha(f)) >> 8;
  return w == 0 ? b : Interpolate(f, b, w);
}

void BlendMemEx(TColor32 f, TColor32& b, TColor32 m) {
  const TColor32 w = ((m + 1) * Alpha(f)) >> 8;
  if (w != 0) b = Interpolate(f, b, w);
}

void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m) {
  for (int i = 0; i < count; ++i) {
    const TColor32 w = ((Alpha(src[i]) + 1) * m) >> 8;
    if (w != 0) dst[i] = Interpolate(src[i], dst[i], w);
  }
}

TColor32 ColorMax(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return std::max(a, b); });
}
TColor32 ColorMin(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return std::min(a, b); });
}
TColor32 ColorAverage(TColor32 c1, TColor32 c2) { return (((c1 ^ c2) >> 1) & 0x7F7F7F7Fu) + (c1 & c2); }
TColor32 ColorAdd(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return std::min(a + b, 255); });
}
TColor32 ColorSub(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return std::max(a - b, 0); });
}
TColor32 ColorDiv(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return a == 0 ? 255 : std::min(b * 256 / a, 255); });
}
TColor32 ColorModulate(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return (a * b) >> 8; });
}
TColor32 ColorDifference(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return std::abs(a - b); });
}
TColor32 ColorExclusion(TColor32 c1, TColor32 c2) {
  return PerChannel(c1, c2, [](int a, int b) { return a + b - ((a * b) >> 7); });
}
TColor32 ColorScale(TColor32 c, TColor32 w) {
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint64_t channel = std::min<std::uint64_t>((std::uint64_t{c >> shift & 0xFF} * w) >> 8, 255);
    result |= static_cast<TColor32>(channel) << shift;
  }
  return result;
}

}  // namespace imaging::portable
