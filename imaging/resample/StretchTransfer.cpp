#include "imaging/resample/StretchTransfer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/PixelWriter.h"
#include "imaging/core/RasterError.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/resample/Resamplers.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

namespace {

void CheckBitmaps(const TCustomBitmap32* dst, const TCustomBitmap32* src) {
  if (dst == nullptr) throw ERasterError("Destination bitmap is nil");
  if (src == nullptr) throw ERasterError("Source bitmap is nil");
}

// edge + delta (a whole number) held within the 32-bit range.
std::int32_t Moved(std::int32_t edge, double delta) {
  constexpr double lowest = std::numeric_limits<std::int32_t>::min(),
                   highest = std::numeric_limits<std::int32_t>::max();
  return rtl::CheckedToInt32(std::clamp(edge + delta, lowest, highest));
}

// Cuts srcRect to the source bounds and dstRect in proportion (scales taken
// from the uncut rectangles).
void CutToSource(TRect& dstRect, TRect& srcRect, std::int32_t srcWidth, std::int32_t srcHeight) {
  const double scaleX = static_cast<double>(dstRect.Width()) / static_cast<double>(srcRect.Width());
  const double scaleY = static_cast<double>(dstRect.Height()) / static_cast<double>(srcRect.Height());
  if (srcRect.Left < 0) {
    dstRect.Left = Moved(dstRect.Left, std::ceil(-static_cast<double>(srcRect.Left) * scaleX));
    srcRect.Left = 0;
  }
  if (srcRect.Top < 0) {
    dstRect.Top = Moved(dstRect.Top, std::ceil(-static_cast<double>(srcRect.Top) * scaleY));
    srcRect.Top = 0;
  }
  if (srcRect.Right > srcWidth) {
    dstRect.Right = Moved(dstRect.Right, -std::floor((static_cast<double>(srcRect.Right) - srcWidth) * scaleX));
    srcRect.Right = srcWidth;
  }
  if (srcRect.Bottom > srcHeight) {
    dstRect.Bottom = Moved(dstRect.Bottom, -std::floor((static_cast<double>(srcRect.Bottom) - srcHeight) * scaleY));
    srcRect.Bottom = srcHeight;
  }
}

}  // namespace

void StretchTransfer(TCustomBitmap32* dst, TRect dstRect, TRect dstClip, const TCustomBitmap32* src, TRect srcRect,
                     const TCustomResampler& resampler, TDrawMode combineOp,
                     const TPixelCombineEvent& combineCallBack) {
  CheckBitmaps(dst, src);
  // An empty source is settled before any scale is taken from it.
  if (src->IsEmpty() || dst->IsEmpty() || srcRect.IsEmpty()) return;
  CutToSource(dstRect, srcRect, src->GetWidth(), src->GetHeight());
  if (srcRect.IsEmpty()) return;
  if (combineOp == dmBlend && src->GetMasterAlpha() == 0) return;

  if (!dst->GetMeasuringMode()) {
    if (!IntersectRect(dstClip, dstClip, dst->BoundsRect()) || !IntersectRect(dstClip, dstClip, dstRect) ||
        dstClip.IsEmpty())
      return;
    if (combineOp == dmCustom && !combineCallBack) combineOp = dmOpaque;
    if (dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height())
      BlockTransfer(dst, dstRect.Left, dstRect.Top, dstClip, src, srcRect, combineOp, combineCallBack);
    else
      resampler.Resample({*dst, dstRect, dstClip, *src, srcRect, combineOp, combineCallBack});
    EMMS();
  }
  dst->AreaChanged(dstRect, AREAINFO_RECT);
}

void BlockTransfer(TCustomBitmap32* dst, std::int32_t dstX, std::int32_t dstY, TRect dstClip,
                   const TCustomBitmap32* src, TRect srcRect, TDrawMode combineOp,
                   const TPixelCombineEvent& combineCallBack) {
  CheckBitmaps(dst, src);
  if (src->IsEmpty() || dst->IsEmpty() || dst->GetMeasuringMode()) return;
  const TRect wanted = srcRect;
  if (!IntersectRect(srcRect, srcRect, src->BoundsRect()) || srcRect.IsEmpty()) return;
  const TRect dstRect =
      ClampedRect(std::int64_t{dstX} + srcRect.Left - wanted.Left, std::int64_t{dstY} + srcRect.Top - wanted.Top,
                  std::int64_t{dstX} + srcRect.Right - wanted.Left, std::int64_t{dstY} + srcRect.Bottom - wanted.Top);
  if (!IntersectRect(dstClip, dstClip, dst->BoundsRect()) || !IntersectRect(dstClip, dstClip, dstRect) ||
      dstClip.IsEmpty())
    return;
  if (combineOp == dmBlend && src->GetMasterAlpha() == 0) return;
  if (combineOp == dmCustom && !combineCallBack) combineOp = dmOpaque;

  TCustomBitmap32 copy;
  if (src == dst) {
    CopyForTransfer(*src, copy);
    src = &copy;
  }
  const TPixelWriter writer(*src, combineOp, combineCallBack, bfLine);
  // dstRect.Left and Top are never cut, so the offsets hold.
  const std::int64_t offsetX = std::int64_t{srcRect.Left} - dstRect.Left;
  const std::int64_t offsetY = std::int64_t{srcRect.Top} - dstRect.Top;
  const auto width = static_cast<std::int32_t>(dstClip.Width());
  for (std::int32_t y = dstClip.Top; y < dstClip.Bottom; ++y)
    writer.Write(
        src->PixelPtr(static_cast<std::int32_t>(dstClip.Left + offsetX), static_cast<std::int32_t>(y + offsetY)),
        dst->PixelPtr(dstClip.Left, y), width);
  EMMS();
}

}  // namespace imaging
