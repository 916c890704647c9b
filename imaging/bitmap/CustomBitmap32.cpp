#include "imaging/bitmap/CustomBitmap32.h"

#include <algorithm>
#include <limits>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/MemoryBackend.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/resample/Resamplers.h"
#include "imaging/resample/StretchTransfer.h"
#include "platform/gdi/Graphic.h"

namespace {

// v shl shift, held at the ends of the 32-bit range for huge bitmaps.
std::int32_t SaturatedShift(std::int32_t value, int shift) {
  const std::int64_t shifted = std::int64_t{value} * (std::int64_t{1} << shift);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(shifted, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

TRect ShiftedRect(const TRect& r, int shift) {
  return TRect{SaturatedShift(r.Left, shift), SaturatedShift(r.Top, shift), SaturatedShift(r.Right, shift),
               SaturatedShift(r.Bottom, shift)};
}

}  // namespace

TRect imaging::ClampedRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  const auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  };
  return TRect{clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

TCustomBitmap32::TCustomBitmap32() {
  SetBackend(std::make_unique<TMemoryBackend>(*this));
  AttachResampler(std::make_unique<TNearestResampler>());
}

TCustomBitmap32::~TCustomBitmap32() {
  // No notification from here on: the owner of the events may be going too.
  OnChange = nullptr;
  OnResize = nullptr;
  OnAreaChanged = nullptr;
  Lock();
  Backend.reset();
  Unlock();
}

// --- Size

bool TCustomBitmap32::SetSize(std::int32_t width, std::int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width && height == Height) return false;
  Backend->ChangeSize(Width, Height, width, height, true);
  Changed();
  Resized();
  return true;
}

bool TCustomBitmap32::IsEmpty() const { return Backend->Empty() || Width == 0 || Height == 0; }

void TCustomBitmap32::SetBackend(std::unique_ptr<TCustomBackend> backend) {
  if (Backend) backend->TakeOver(Bits, Width, Height);
  Backend = std::move(backend);
  SurfaceChanged();
  Changed();
}

void TCustomBitmap32::SurfaceChanged() {
  Bits = Backend->GetBits();
  SetClipRect(BoundsRect());
}

// --- Clipping

void TCustomBitmap32::SetClipRect(const TRect& rect) {
  imaging::IntersectRect(ClipRect, rect, BoundsRect());
  UpdateClipDerivatives();
}

void TCustomBitmap32::UpdateClipDerivatives() {
  FixedClipRect = ShiftedRect(ClipRect, 16);
  ClipRect8 = ShiftedRect(ClipRect, 8);
  Clipping = !(ClipRect == BoundsRect());
  WrapProcHorz = imaging::GetWrapProc(WrapMode, ClipRect.Left, ClipRect.Right - 1);
  WrapProcVert = imaging::GetWrapProc(WrapMode, ClipRect.Top, ClipRect.Bottom - 1);
}

// --- Properties

void TCustomBitmap32::SetDrawMode(TDrawMode mode) {
  if (mode == DrawMode) return;
  DrawMode = mode;
  Changed();
}

void TCustomBitmap32::SetCombineMode(TCombineMode mode) {
  if (mode == CombineMode) return;
  CombineMode = mode;
  Changed();
}

void TCustomBitmap32::SetWrapMode(TWrapMode mode) {
  if (mode == WrapMode) return;
  WrapMode = mode;
  UpdateClipDerivatives();
  Changed();
}

void TCustomBitmap32::SetMasterAlpha(std::uint32_t alpha) {
  alpha = std::min<std::uint32_t>(alpha, 255);
  if (alpha == MasterAlpha) return;
  MasterAlpha = alpha;
  Changed();
}

void TCustomBitmap32::SetStretchFilter(TStretchFilter filter) {
  if (filter == StretchFilter) return;
  StretchFilter = filter;
  AttachResampler(imaging::ResamplerForFilter(filter));
  Changed();
}

// --- Resampling

void TCustomBitmap32::AttachResampler(std::unique_ptr<TCustomResampler> resampler) {
  resampler->Bitmap = this;
  Resampler = std::move(resampler);
}

void TCustomBitmap32::SetResampler(std::unique_ptr<TCustomResampler> resampler) {
  if (resampler == nullptr || resampler == Resampler) return;
  AttachResampler(std::move(resampler));
  Changed();
}

std::string TCustomBitmap32::GetResamplerClassName() const { return Resampler->ClassName(); }

void TCustomBitmap32::SetResamplerClassName(const std::string& name) {
  if (name == GetResamplerClassName()) return;
  if (const TResamplerClassRef resamplerClass = imaging::ResamplerList().Find(name))
    SetResampler(resamplerClass->Create());
}

void TCustomBitmap32::DrawTo(TCustomBitmap32& dst, const TRect& dstRect) const {
  DrawRectTo(dst, dstRect, BoundsRect());
}

void TCustomBitmap32::DrawRectTo(TCustomBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const {
  imaging::StretchTransfer(&dst, dstRect, dst.GetClipRect(), this, srcRect, *Resampler, DrawMode, OnPixelCombine);
}

// --- Notification

void TCustomBitmap32::Changed() { AreaChanged(BoundsRect(), AREAINFO_RECT); }

void TCustomBitmap32::AreaChanged(const TRect& area, std::uint32_t info) {
  if (UpdateCount > 0 && !Measuring) return;
  if (OnAreaChanged) OnAreaChanged(this, area, info);
  if (!Measuring && UpdateCount == 0 && OnChange) OnChange(this);
}

void TCustomBitmap32::ChangedPlain() { TNotifiablePersistent::Changed(); }

void TCustomBitmap32::BeginMeasuring(TAreaChangedEvent callback) {
  Measuring = true;
  SavedAreaChanged = std::move(OnAreaChanged);
  OnAreaChanged = std::move(callback);
}

void TCustomBitmap32::EndMeasuring() {
  Measuring = false;
  OnAreaChanged = std::move(SavedAreaChanged);
  SavedAreaChanged = nullptr;
}

// --- Single pixels

void TCustomBitmap32::SetPixelClipped(std::int32_t x, std::int32_t y, TColor32 color) {
  if (InClip(x, y)) SetPixel(x, y, color);
}

TColor32 TCustomBitmap32::GetPixelClipped(std::int32_t x, std::int32_t y) const {
  return InClip(x, y) ? GetPixel(x, y) : OuterColor;
}

void TCustomBitmap32::BlendPixelClipped(std::int32_t x, std::int32_t y, TColor32 color) {
  if (!InClip(x, y)) return;
  imaging::BlendMemOf(CombineMode)(color, *PixelPtr(x, y));
  imaging::EMMS();
}

TColor32 TCustomBitmap32::GetPixelWrapped(std::int32_t x, std::int32_t y) const {
  if (ClipRect.IsEmpty()) return OuterColor;
  return GetPixel(WrapProcHorz(x, ClipRect.Left, ClipRect.Right - 1),
                  WrapProcVert(y, ClipRect.Top, ClipRect.Bottom - 1));
}

TColor32 TCustomBitmap32::GetPixelFixedWrapped(TFixed x, TFixed y) const {
  if (ClipRect.IsEmpty()) return OuterColor;
  const std::int32_t px = x >> 16, py = y >> 16;
  const std::uint32_t fx = (static_cast<std::uint32_t>(x) >> 8) & 255;
  const std::uint32_t fy = (static_cast<std::uint32_t>(y) >> 8) & 255;
  const auto column = [&](std::int32_t v) { return WrapProcHorz(v, ClipRect.Left, ClipRect.Right - 1); };
  const auto row = [&](std::int32_t v) { return WrapProcVert(v, ClipRect.Top, ClipRect.Bottom - 1); };
  const std::int32_t x0 = column(px), x1 = column(px + 1);
  const std::int32_t y0 = row(py), y1 = row(py + 1);
  const TColor32 top = imaging::CombineReg(GetPixel(x1, y0), GetPixel(x0, y0), fx);
  const TColor32 bottom = imaging::CombineReg(GetPixel(x1, y1), GetPixel(x0, y1), fx);
  const TColor32 result = imaging::CombineReg(bottom, top, fy);
  imaging::EMMS();
  return result;
}

void TCustomBitmap32::CombineAA(TColor32 color, TColor32& pixel, std::uint32_t weight) const {
  if (CombineMode == cmMerge) imaging::CombineMem(imaging::MergeReg(color, pixel), pixel, weight);
  else imaging::CombineMem(color, pixel, weight);
}

void TCustomBitmap32::SetPixelAA8(std::int32_t x, std::int32_t y, TColor32 color) {
  using imaging::GammaTable;
  const std::int64_t x64 = x, y64 = y;
  const TRect& c8 = ClipRect8;
  // Nothing unless the 2 x 2 neighbourhood touches the clip rectangle.
  if (!(x64 >= c8.Left - 256 && x64 < c8.Right && y64 >= c8.Top - 256 && y64 < c8.Bottom)) return;
  const bool allInside = x64 >= c8.Left && y64 >= c8.Top && x64 < c8.Right - 256 && y64 < c8.Bottom - 256;

  const std::uint32_t fx = static_cast<std::uint32_t>(x) & 255, fy = static_cast<std::uint32_t>(y) & 255;
  std::uint32_t left = GammaTable[fx ^ 255], right = GammaTable[fx];
  const std::uint32_t top = GammaTable[fy ^ 255], bottom = GammaTable[fy];
  // Under cmBlend the colour's alpha goes into the weights; under cmMerge
  // the merge takes care of it.
  int shift = 8;
  if (CombineMode == cmBlend) {
    left *= color >> 24;
    right *= color >> 24;
    shift = 16;
  }
  const std::int64_t px = x >> 8, py = y >> 8;
  const auto plot = [&](std::int64_t cx, std::int64_t cy, std::uint32_t weight) {
    if (allInside || (cx >= ClipRect.Left && cx < ClipRect.Right && cy >= ClipRect.Top && cy < ClipRect.Bottom))
      CombineAA(color, *PixelPtr(static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy)), weight >> shift);
  };
  plot(px, py, left * top);
  plot(px + 1, py, right * top);
  plot(px, py + 1, left * bottom);
  plot(px + 1, py + 1, right * bottom);
  imaging::EMMS();
}

void TCustomBitmap32::SetPixelFixedAA(TFixed x, TFixed y, TColor32 color) {
  if (Measuring) return;
  SetPixelAA8(static_cast<std::int32_t>((std::int64_t{x} + 127) >> 8),
              static_cast<std::int32_t>((std::int64_t{y} + 127) >> 8), color);
}

TColor32 TCustomBitmap32::Interpolate2x2(std::int32_t x, std::int32_t y, std::uint32_t weightX,
                                         std::uint32_t weightY) const {
  const TColor32* p = PixelPtr(x, y);
  const TColor32 top = imaging::CombineReg(p[0], p[1], weightX);
  const TColor32 bottom = imaging::CombineReg(p[Width], p[Width + 1], weightX);
  return imaging::CombineReg(top, bottom, weightY);
}

TColor32 TCustomBitmap32::SamplePixel8(std::int32_t x, std::int32_t y) const {
  using imaging::GammaTable;
  if (x < ClipRect8.Left || y < ClipRect8.Top) return OuterColor;
  const std::int64_t right = std::int64_t{ClipRect.Right - 1} * 256;
  const std::int64_t bottom = std::int64_t{ClipRect.Bottom - 1} * 256;
  TColor32 result;
  if (x < right && y < bottom) {
    result = Interpolate2x2(x >> 8, y >> 8, GammaTable[255 - (x & 255)], GammaTable[255 - (y & 255)]);
  } else if (x == right && y <= bottom) {
    result = GetPixel(ClipRect.Right - 1, y >> 8);
  } else if (y == bottom && x <= right) {
    result = GetPixel(x >> 8, ClipRect.Bottom - 1);
  } else {
    return OuterColor;
  }
  imaging::EMMS();
  return result;
}

TColor32 TCustomBitmap32::SamplePixelFixed(TFixed x, TFixed y) const {
  return SamplePixel8(static_cast<std::int32_t>((std::int64_t{x} + 127) >> 8),
                      static_cast<std::int32_t>((std::int64_t{y} + 127) >> 8));
}

// --- Fills

void TCustomBitmap32::FillRows(const TRect& rect, TColor32 color) {
  if (Measuring) return;
  for (std::int32_t y = rect.Top; y < rect.Bottom; ++y)
    imaging::FillLongword(PixelPtr(rect.Left, y), std::ptrdiff_t{rect.Right} - rect.Left, color);
}

void TCustomBitmap32::Clear(TColor32 color) {
  if (IsEmpty()) return;
  if (!Measuring) {
    if (Clipping) FillRows(ClipRect, color);
    else imaging::FillLongword(Bits, std::ptrdiff_t{Width} * Height, color);
  }
  Changed();
}

void TCustomBitmap32::FillRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                               TColor32 color) {
  FillRows(TRect{x1, y1, x2, y2}, color);
  AreaChanged(TRect{x1, y1, x2, y2});
}

void TCustomBitmap32::FillRectClipped(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                      TColor32 color) {
  const TRect cut{std::max(x1, ClipRect.Left), std::max(y1, ClipRect.Top), std::min(x2, ClipRect.Right),
                  std::min(y2, ClipRect.Bottom)};
  if (!cut.IsEmpty()) FillRows(cut, color);
  AreaChanged(cut);
}

void TCustomBitmap32::FrameRectClipped(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                       TColor32 color) {
  if (x2 <= x1 || y2 <= y1) return;
  if (x1 >= ClipRect.Right || y1 >= ClipRect.Bottom || x2 <= ClipRect.Left || y2 <= ClipRect.Top) return;
  HorzLineClipped(x1, y1, x2 - 1, color);
  if (y2 - 1 > y1) HorzLineClipped(x1, y2 - 1, x2 - 1, color);
  if (y2 - 2 >= y1 + 1) {
    VertLineClipped(x1, y1 + 1, y2 - 2, color);
    if (x2 - 1 > x1) VertLineClipped(x2 - 1, y1 + 1, y2 - 2, color);
  }
}

void TCustomBitmap32::FrameRectStipple(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (!(x1 < x2 && y1 < y2 && x1 < Width && y1 < Height && x2 >= 1 && y2 >= 1)) return;
  const bool oneColumn = x2 - 1 == x1, oneRow = y2 - 1 == y1;
  if (oneColumn && oneRow) {
    BlendPixelClipped(x1, y1, GetStippleColor());
  } else if (oneRow) {
    HorzLineStippleClipped(x1, y1, x2 - 1);
  } else if (oneColumn) {
    VertLineStippleClipped(x1, y1, y2 - 1);
  } else {
    HorzLineStippleClipped(x1, y1, x2 - 2);
    VertLineStippleClipped(x2 - 1, y1, y2 - 2);
    HorzLineStippleClipped(x2 - 1, y2 - 1, x1 + 1);
    VertLineStippleClipped(x1, y2 - 1, y1 + 1);
  }
  AreaChanged(TRect{x1, y1, x2, y2});
}

void TCustomBitmap32::ResetAlpha(std::uint8_t alpha) {
  if (!Measuring && !IsEmpty()) {
    const std::ptrdiff_t count = std::ptrdiff_t{Width} * Height;
    const TColor32 top = TColor32{alpha} << 24;
    for (std::ptrdiff_t i = 0; i < count; ++i) Bits[i] = (Bits[i] & 0x00FFFFFF) | top;
  }
  Changed();
}

// --- Copying

void TCustomBitmap32::Assign(const TPersistent* source) {
  {
    TUpdateGuard update(*this);
    if (source == nullptr) {
      SetSize(0, 0);
    } else if (const auto* bitmap = dynamic_cast<const TCustomBitmap32*>(source)) {
      bitmap->CopyMapTo(*this);
      bitmap->CopyPropertiesTo(*this);
    } else if (!AssignSource(*source)) {
      TPersistent::Assign(source);
    }
  }
  Changed();
}

void TCustomBitmap32::CopyMapTo(TCustomBitmap32& dest) const {
  if (&dest == this) return;
  dest.SetSize(Width, Height);
  if (!IsEmpty()) imaging::MoveLongword(Bits, dest.Bits, std::ptrdiff_t{Width} * Height);
}

void TCustomBitmap32::CopyPropertiesTo(TCustomBitmap32& dest) const {
  dest.SetDrawMode(DrawMode);
  dest.SetCombineMode(CombineMode);
  dest.SetWrapMode(WrapMode);
  dest.SetMasterAlpha(MasterAlpha);
  dest.OuterColor = OuterColor;
  dest.SetStretchFilter(StretchFilter);
  dest.SetResamplerClassName(GetResamplerClassName());
  dest.Resampler->Assign(Resampler.get());
}
