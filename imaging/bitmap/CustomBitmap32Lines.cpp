// Lines of TCustomBitmap32: horizontal and vertical runs, Bresenham lines
// clipped exactly, antialiased lines, the pen and the stipple pattern.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/bitmap/LineClip.h"
#include "platform/rtl/Numbers.h"

namespace {

// Smallest k with k >= numerator / denominator, both positive.
__int128 CeilDiv(__int128 numerator, __int128 denominator) { return (numerator + denominator - 1) / denominator; }

}  // namespace

// --- Horizontal and vertical runs

template <class Span>
void TCustomBitmap32::HorzSpanClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, Span span) {
  if (y < ClipRect.Top || y >= ClipRect.Bottom) return;
  if (imaging::TestClip(x1, x2, ClipRect.Left, ClipRect.Right)) span(x1, x2);
}

template <class Span>
void TCustomBitmap32::VertSpanClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, Span span) {
  if (x < ClipRect.Left || x >= ClipRect.Right) return;
  if (imaging::TestClip(y1, y2, ClipRect.Top, ClipRect.Bottom)) span(y1, y2);
}

void TCustomBitmap32::HorzLine(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color) {
  if (!Measuring) imaging::FillLongword(PixelPtr(x1, y), std::ptrdiff_t{x2} - x1 + 1, color);
  AreaChanged(imaging::ClampedRect(x1, y, std::int64_t{x2} + 1, std::int64_t{y} + 1));
}

void TCustomBitmap32::HorzLineClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color) {
  HorzSpanClipped(x1, y, x2, [&](std::int32_t a, std::int32_t b) { HorzLine(a, y, b, color); });
}

void TCustomBitmap32::HorzLineBlend(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color) {
  if (!Measuring) {
    const TBlendMem blend = imaging::BlendMemOf(CombineMode);
    TColor32* p = PixelPtr(x1, y);
    for (std::int32_t x = x1; x <= x2; ++x) blend(color, *p++);
    imaging::EMMS();
  }
  AreaChanged(imaging::ClampedRect(x1, y, std::int64_t{x2} + 1, std::int64_t{y} + 1));
}

void TCustomBitmap32::HorzLineBlendClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color) {
  HorzSpanClipped(x1, y, x2, [&](std::int32_t a, std::int32_t b) { HorzLineBlend(a, y, b, color); });
}

void TCustomBitmap32::VertLine(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color) {
  if (!Measuring)
    for (std::int32_t y = y1; y <= y2; ++y) SetPixel(x, y, color);
  AreaChanged(imaging::ClampedRect(x, y1, std::int64_t{x} + 1, std::int64_t{y2} + 1));
}

void TCustomBitmap32::VertLineClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color) {
  VertSpanClipped(x, y1, y2, [&](std::int32_t a, std::int32_t b) { VertLine(x, a, b, color); });
}

void TCustomBitmap32::VertLineBlend(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color) {
  if (!Measuring) {
    const TBlendMem blend = imaging::BlendMemOf(CombineMode);
    for (std::int32_t y = y1; y <= y2; ++y) blend(color, *PixelPtr(x, y));
    imaging::EMMS();
  }
  AreaChanged(imaging::ClampedRect(x, y1, std::int64_t{x} + 1, std::int64_t{y2} + 1));
}

void TCustomBitmap32::VertLineBlendClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color) {
  VertSpanClipped(x, y1, y2, [&](std::int32_t a, std::int32_t b) { VertLineBlend(x, a, b, color); });
}

// Walks from..to (inclusive, either direction) in stipple colours; only
// lo..hi is written, the pixels cut away still advance the counter.
template <class Write>
void TCustomBitmap32::StippleRun(std::int32_t from, std::int32_t to, std::int32_t lo, std::int32_t hi, Write write) {
  const std::int64_t total = std::llabs(std::int64_t{to} - from) + 1;
  const bool forward = from <= to;
  const std::int64_t first = forward ? std::max(from, lo) : std::min(from, hi);
  const std::int64_t last = forward ? std::min(to, hi) : std::max(to, lo);
  if (Measuring || lo > hi || (forward ? first > last : first < last)) {
    AdvanceStippleCounter(total);
    return;
  }
  const std::int64_t lead = std::llabs(first - from);
  const std::int64_t visible = std::llabs(last - first) + 1;
  AdvanceStippleCounter(lead);
  const TBlendMem blend = imaging::BlendMemOf(CombineMode);
  for (std::int64_t i = 0, p = first; i < visible; ++i, p += forward ? 1 : -1)
    blend(GetStippleColor(), write(static_cast<std::int32_t>(p)));
  imaging::EMMS();
  AdvanceStippleCounter(total - lead - visible);
}

void TCustomBitmap32::HorzLineStippleClipped(std::int32_t x1, std::int32_t y, std::int32_t x2) {
  const bool rowVisible = y >= ClipRect.Top && y < ClipRect.Bottom;
  StippleRun(x1, x2, ClipRect.Left, rowVisible ? ClipRect.Right - 1 : ClipRect.Left - 1,
             [&](std::int32_t x) -> TColor32& { return *PixelPtr(x, y); });
  AreaChanged(imaging::ClampedRect(std::min(x1, x2), y, std::int64_t{std::max(x1, x2)} + 1, std::int64_t{y} + 1));
}

void TCustomBitmap32::VertLineStippleClipped(std::int32_t x, std::int32_t y1, std::int32_t y2) {
  const bool columnVisible = x >= ClipRect.Left && x < ClipRect.Right;
  StippleRun(y1, y2, ClipRect.Top, columnVisible ? ClipRect.Bottom - 1 : ClipRect.Top - 1,
             [&](std::int32_t y) -> TColor32& { return *PixelPtr(x, y); });
  AreaChanged(imaging::ClampedRect(x, std::min(y1, y2), std::int64_t{x} + 1, std::int64_t{std::max(y1, y2)} + 1));
}

// --- Bresenham lines

// The line is mirrored so that it runs right and down with the major axis
// first; pixel k of the walk sits at minor offset floor((2 dv k + du) / 2 du).
// The first and last steps inside ClipRect come from that formula in 128-bit
// arithmetic, so a line far outside costs nothing and is never wrong.
template <class Plot>
void TCustomBitmap32::BresenhamLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                    bool drawLast, Plot plot) {
  if (ClipRect.IsEmpty()) return;
  const std::int64_t dx = std::int64_t{x2} - x1, dy = std::int64_t{y2} - y1;
  const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  const bool steep = std::llabs(dy) > std::llabs(dx);
  // Clip ranges in mirrored coordinates (inclusive).
  const std::int64_t xLo = sx > 0 ? ClipRect.Left : -(std::int64_t{ClipRect.Right} - 1);
  const std::int64_t xHi = sx > 0 ? std::int64_t{ClipRect.Right} - 1 : -std::int64_t{ClipRect.Left};
  const std::int64_t yLo = sy > 0 ? ClipRect.Top : -(std::int64_t{ClipRect.Bottom} - 1);
  const std::int64_t yHi = sy > 0 ? std::int64_t{ClipRect.Bottom} - 1 : -std::int64_t{ClipRect.Top};
  const std::int64_t u1 = steep ? sy * std::int64_t{y1} : sx * std::int64_t{x1};
  const std::int64_t v1 = steep ? sx * std::int64_t{x1} : sy * std::int64_t{y1};
  const std::int64_t uLo = steep ? yLo : xLo, uHi = steep ? yHi : xHi;
  const std::int64_t vLo = steep ? xLo : yLo, vHi = steep ? xHi : yHi;
  const std::int64_t du = steep ? std::llabs(dy) : std::llabs(dx);
  const std::int64_t dv = steep ? std::llabs(dx) : std::llabs(dy);

  __int128 kStart = std::max<std::int64_t>(0, uLo - u1);
  __int128 kEnd = std::min<std::int64_t>(drawLast ? du : du - 1, uHi - u1);
  const std::int64_t below = vLo - v1;  // minor steps needed to reach the clip
  if (below > 0) kStart = std::max(kStart, CeilDiv(__int128{2} * du * below - du, __int128{2} * dv));
  const std::int64_t room = vHi - v1;   // minor steps allowed inside it
  if (room < 0) return;
  kEnd = std::min(kEnd, CeilDiv(__int128{2} * du * (room + 1) - du, __int128{2} * dv) - 1);
  if (kStart > kEnd) return;

  const __int128 m = (__int128{2} * dv * kStart + du) / (__int128{2} * du);
  std::int64_t error = static_cast<std::int64_t>(__int128{2} * dv * (kStart + 1) - du - __int128{2} * du * m);
  const std::int64_t u = u1 + static_cast<std::int64_t>(kStart), v = v1 + static_cast<std::int64_t>(m);
  std::int64_t x = steep ? sx * v : sx * u;
  std::int64_t y = steep ? sy * u : sy * v;
  const int majorX = steep ? 0 : sx, majorY = steep ? sy : 0;
  const int minorX = steep ? sx : 0, minorY = steep ? 0 : sy;
  for (__int128 k = kStart; k <= kEnd; ++k) {
    plot(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    if (error >= 0) {
      x += minorX;
      y += minorY;
      error += 2 * dv - 2 * du;
    } else {
      error += 2 * dv;
    }
    x += majorX;
    y += majorY;
  }
}

void TCustomBitmap32::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color,
                           bool drawLast) {
  if (y1 == y2) {
    if (x2 > x1) HorzLineClipped(x1, y1, x2 - 1, color);
    else if (x2 < x1) HorzLineClipped(x2 + 1, y1, x1, color);
    if (drawLast && !Measuring) SetPixelClipped(x2, y2, color);
  } else if (x1 == x2) {
    if (y2 > y1) VertLineClipped(x1, y1, y2 - 1, color);
    else VertLineClipped(x1, y2 + 1, y1, color);
    if (drawLast && !Measuring) SetPixelClipped(x2, y2, color);
  } else if (!Measuring) {
    BresenhamLine(x1, y1, x2, y2, drawLast, [&](std::int32_t x, std::int32_t y) { SetPixel(x, y, color); });
  }
  AreaChanged(TRect{x1, y1, x2, y2}, AREAINFO_LINE + 2);
}

void TCustomBitmap32::LineBlend(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                TColor32 color, bool drawLast) {
  if (y1 == y2) {
    if (x2 > x1) HorzLineBlendClipped(x1, y1, x2 - 1, color);
    else if (x2 < x1) HorzLineBlendClipped(x2 + 1, y1, x1, color);
    if (drawLast && !Measuring) BlendPixelClipped(x2, y2, color);
  } else if (x1 == x2) {
    if (y2 > y1) VertLineBlendClipped(x1, y1, y2 - 1, color);
    else VertLineBlendClipped(x1, y2 + 1, y1, color);
    if (drawLast && !Measuring) BlendPixelClipped(x2, y2, color);
  } else if (!Measuring) {
    const TBlendMem blend = imaging::BlendMemOf(CombineMode);
    BresenhamLine(x1, y1, x2, y2, drawLast, [&](std::int32_t x, std::int32_t y) { blend(color, *PixelPtr(x, y)); });
    imaging::EMMS();
  }
  AreaChanged(TRect{x1, y1, x2, y2}, AREAINFO_LINE + 2);
}

// --- Antialiased lines

// Points at unit steps along the line, then one last point for the rest of
// the length with the alpha scaled by that fraction, centred on the rest.
template <class ColorAt>
void TCustomBitmap32::AntialiasedLine(TFixed x1, TFixed y1, TFixed x2, TFixed y2, bool drawLast,
                                      ColorAt colorAt) {
  const TRect area{imaging::FixedRound(std::min(x1, x2)), imaging::FixedRound(std::min(y1, y2)),
                   imaging::FixedRound(std::max(x1, x2)), imaging::FixedRound(std::max(y1, y2))};
  TFixed cx1 = x1, cy1 = y1, cx2 = x2, cy2 = y2;
  const TRect& f = FixedClipRect;
  if (!Measuring && !ClipRect.IsEmpty() &&
      imaging::ClipLine(cx1, cy1, cx2, cy2, f.Left, f.Top, f.Right - FixedOne, f.Bottom - FixedOne)) {
    if (cx2 != x2 || cy2 != y2) drawLast = true;
    const std::int64_t sx = std::int64_t{cx1} + 127, sy = std::int64_t{cy1} + 127;
    const std::int64_t ex = std::int64_t{cx2} + 127, ey = std::int64_t{cy2} + 127;
    // The length of a long diagonal can pass 32 bits: rounded in 64.
    const float fdx = static_cast<float>(ex - sx), fdy = static_cast<float>(ey - sy);
    std::int64_t n = rtl::Round64(std::sqrt(fdx * fdx + fdy * fdy));
    if (drawLast) n += FixedOne;
    if (n >= 256) {
      const std::int64_t steps = n >> 16;
      const std::int64_t stepX = rtl::Round64(static_cast<double>(ex - sx) * 65536 / static_cast<double>(n));
      const std::int64_t stepY = rtl::Round64(static_cast<double>(ey - sy) * 65536 / static_cast<double>(n));
      std::int64_t x = sx, y = sy;
      for (std::int64_t i = 0; i < steps; ++i, x += stepX, y += stepY)
        SetPixelAA8(static_cast<std::int32_t>(x >> 8), static_cast<std::int32_t>(y >> 8), colorAt());
      const TColor32 color = colorAt();
      const TColor32 alpha = static_cast<TColor32>(((color >> 24) * static_cast<std::uint64_t>(n & 0xFFFF)) >> 16);
      SetPixelAA8(static_cast<std::int32_t>((x + ex) >> 9), static_cast<std::int32_t>((y + ey) >> 9),
                  (color & 0x00FFFFFF) | alpha << 24);
    }
  }
  AreaChanged(area, AREAINFO_LINE + 2);
}

void TCustomBitmap32::LineFixedAA(TFixed x1, TFixed y1, TFixed x2, TFixed y2, TColor32 color, bool drawLast) {
  AntialiasedLine(x1, y1, x2, y2, drawLast, [color] { return color; });
}

void TCustomBitmap32::LineFixedAAStipple(TFixed x1, TFixed y1, TFixed x2, TFixed y2, bool drawLast) {
  AntialiasedLine(x1, y1, x2, y2, drawLast, [this] { return GetStippleColor(); });
}

// --- Pen

void TCustomBitmap32::MoveTo(std::int32_t x, std::int32_t y) { PenPos = TPoint{x, y}; }

void TCustomBitmap32::LineTo(std::int32_t x, std::int32_t y) {
  Line(PenPos.X, PenPos.Y, x, y, PenColor);
  PenPos = TPoint{x, y};
}

void TCustomBitmap32::LineToBlend(std::int32_t x, std::int32_t y) {
  LineBlend(PenPos.X, PenPos.Y, x, y, PenColor);
  PenPos = TPoint{x, y};
}

void TCustomBitmap32::MoveToFixed(TFixed x, TFixed y) { FixedPenPos = TPoint{x, y}; }

void TCustomBitmap32::LineToFixed(TFixed x, TFixed y) {
  LineFixedAA(FixedPenPos.X, FixedPenPos.Y, x, y, PenColor);
  FixedPenPos = TPoint{x, y};
}

void TCustomBitmap32::LineToFixedStipple(TFixed x, TFixed y) {
  LineFixedAAStipple(FixedPenPos.X, FixedPenPos.Y, x, y);
  FixedPenPos = TPoint{x, y};
}

// --- Stipple pattern

void TCustomBitmap32::SetStipplePattern(const std::vector<TColor32>& pattern) {
  StipplePattern = pattern;
  StippleCounter = 0;
}

namespace {

// The counter brought into 0 <= counter < length; a counter that is not a
// number any more starts again at 0.
float ReduceCounter(float counter, float length) {
  float r = std::fmod(counter, length);
  if (!std::isfinite(r)) return 0;
  if (r < 0) r += length;
  return r >= length ? 0 : r;
}

}  // namespace

TColor32 TCustomBitmap32::GetStippleColor() {
  if (StipplePattern.empty()) return clBlack32;
  const auto length = static_cast<std::int32_t>(StipplePattern.size());
  StippleCounter = ReduceCounter(StippleCounter, static_cast<float>(length));
  std::int32_t i = rtl::Round(StippleCounter - 0.5);
  const std::int32_t w = std::clamp(255 - rtl::Round((StippleCounter - static_cast<float>(i)) * 255.0), 0, 255);
  if (i < 0) {
    StippleCounter = static_cast<float>(length - 1);
    i = length - 1;
  }
  const std::int32_t j = i + 1 >= length ? 0 : i + 1;
  const TColor32 color = w == 255 ? StipplePattern[i]
                                  : imaging::CombineReg(StipplePattern[i], StipplePattern[j],
                                                        static_cast<TColor32>(w));
  StippleCounter += StippleStep;
  return color;
}

void TCustomBitmap32::AdvanceStippleCounter(std::int64_t pixels) {
  StippleCounter += static_cast<float>(pixels) * StippleStep;
  if (!StipplePattern.empty()) StippleCounter = ReduceCounter(StippleCounter, static_cast<float>(StipplePattern.size()));
}
