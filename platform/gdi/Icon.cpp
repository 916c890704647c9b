#include "platform/gdi/Icon.h"

#include <algorithm>

#include "platform/rtl/Exception.h"

namespace {

void CheckSize(int width, int height, std::size_t pixels) {
  if (width < 0 || height < 0 || std::size_t(width) * std::size_t(height) != pixels)
    throw EInvalidGraphic("Icon pixels do not match its size");
}

// Non-premultiplied source-over of one pixel onto another.
std::uint32_t Over(std::uint32_t source, std::uint32_t dest) {
  const std::uint32_t sa = source >> 24, da = dest >> 24;
  if (sa == 0) return dest;
  if (sa == 255 || da == 0) return source;
  const std::uint32_t below = da * (255 - sa);  // weight of dest, in 255ths squared
  const std::uint32_t alpha = sa * 255 + below;  // result alpha x 255
  std::uint32_t result = (alpha + 127) / 255 << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t s = source >> shift & 255, d = dest >> shift & 255;
    result |= (s * sa * 255 + d * below + alpha / 2) / alpha << shift;
  }
  return result;
}

}  // namespace

void TIcon::SetAlphaImage(int width, int height, std::vector<std::uint32_t> argb) {
  CheckSize(width, height, argb.size());
  Width = width;
  Height = height;
  Pixels = std::move(argb);
  Mask.clear();
}

void TIcon::SetMaskedImage(int width, int height, std::vector<std::uint32_t> colors, std::vector<bool> mask) {
  CheckSize(width, height, colors.size());
  CheckSize(width, height, mask.size());
  Width = width;
  Height = height;
  Pixels = std::move(colors);
  Mask = std::move(mask);
  if (Mask.empty()) Mask.assign(1, true);  // keeps an empty masked icon masked
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) const {
  const TPixelSurface& surface = canvas.GetSurface();
  if (Width == 0 || Height == 0 || rect.IsEmpty() || surface.IsEmpty()) return;
  const std::int64_t w = rect.Width(), h = rect.Height();
  for (int y = std::max(rect.Top, 0); y < std::min(rect.Bottom, surface.Height); ++y) {
    const auto sy = static_cast<std::size_t>((std::int64_t{y} - rect.Top) * Height / h);
    std::uint32_t* row = surface.ScanLine(y);
    for (int x = std::max(rect.Left, 0); x < std::min(rect.Right, surface.Width); ++x) {
      const std::size_t i = sy * std::size_t(Width) + static_cast<std::size_t>((std::int64_t{x} - rect.Left) * Width / w);
      if (HasAlpha()) row[x] = Over(Pixels[i], row[x]);
      else if (!Mask[i]) row[x] = Pixels[i] & 0x00FFFFFFu;
    }
  }
}
