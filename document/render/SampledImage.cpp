#include "document/render/SampledImage.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "document/render/MapSampler.h"
#include "document/render/RowSpans.h"
#include "document/shape/Shape.h"
#include "imaging/blend/Blend.h"

namespace {

std::array<double, 6> Coefficients(const TdocTransform& t) { return {t.a, t.b, t.c, t.d, t.e, t.f}; }

bool Transparent(TColor32 c) { return (c >> 24) == 0; }

}  // namespace

bool TdocSampledImage::Fits(const TdocTransform& toTarget, std::int32_t width, std::int32_t height) const {
  return width == TargetWidth && height == TargetHeight && std::ranges::equal(Placement, Coefficients(toTarget));
}

void TdocSampledImage::Sample(TBitmap32& source, const TdocTransform& toTarget, std::int32_t width,
                              std::int32_t height) {
  Clear();
  std::ranges::copy(Coefficients(toTarget), Placement);
  TargetWidth = width;
  TargetHeight = height;
  TdocMapSampler sampler;
  sampler.SetSource(&source);
  TdocTransform transform;
  transform.Assign(&toTarget);
  sampler.SetTransform(&transform);
  // Around the turned source the samples meet only the transparent outer
  // colour: each row is sampled only where the source lies, widened by the
  // reach of the samples.
  std::array<TFloatPoint, 4> corners =
      RectCorners(imaging::MakeFloatRect(0, 0, float(source.GetWidth()), float(source.GetHeight())));
  transform.TransformPoints(corners);
  const double reach = 1 + std::max(std::fabs(transform.a) + std::fabs(transform.c),
                                    std::fabs(transform.b) + std::fabs(transform.d));
  const TdocRowSpans spans(corners, reach);
  for (std::int32_t y = std::max(0, spans.Top()); y < std::min(height, spans.Bottom()); ++y) {
    const auto [x0, x1] = spans.Row(y, width);
    if (x0 >= x1) continue;
    sampler.SampleRow(x0, y, x1 - x0);
    // Transparent pixels leave the target as it is in either combine mode:
    // those at the ends of the row need not be kept.
    const TColor32* line = sampler.GetLineBuffer().data();
    const TColor32* first = std::find_if_not(line, line + (x1 - x0), Transparent);
    const TColor32* last = std::find_if_not(std::make_reverse_iterator(line + (x1 - x0)),
                                            std::make_reverse_iterator(first), Transparent).base();
    if (first == last) continue;
    Rows.push_back({y, x0 + std::int32_t(first - line), x0 + std::int32_t(last - line), Pixels.size()});
    Pixels.insert(Pixels.end(), first, last);
  }
}

void TdocSampledImage::DrawTo(TBitmap32& target, TCombineMode mode, std::uint32_t masterAlpha) const {
  if (target.GetWidth() != TargetWidth || target.GetHeight() != TargetHeight) return;
  const auto blend = imaging::BlendLineOf(mode);
  const auto blendEx = imaging::BlendLineExOf(mode);
  const TRect& clip = target.GetClipRect();
  for (const TRow& row : Rows) {
    if (row.Y < clip.Top || row.Y >= clip.Bottom) continue;
    const std::int32_t left = std::max(row.Left, clip.Left), right = std::min(row.Right, clip.Right);
    if (left >= right) continue;
    const TColor32* pixels = Pixels.data() + row.Offset + (left - row.Left);
    TColor32* line = target.PixelPtr(left, row.Y);
    if (masterAlpha == 255) blend(pixels, line, right - left);
    else blendEx(pixels, line, right - left, masterAlpha);
  }
  imaging::EMMS();
}

void TdocSampledImage::Clear() {
  TargetWidth = TargetHeight = -1;
  std::vector<TRow>().swap(Rows);
  std::vector<TColor32>().swap(Pixels);
}
