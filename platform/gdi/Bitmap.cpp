#include "platform/gdi/Bitmap.h"

#include <algorithm>

TBitmap::TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width && height == Height) return;
  auto pixels = std::make_unique<TMemorySurface>(width, height);
  Pixels = std::move(pixels);
  Width = width;
  Height = height;
  Canvas.SetSurface(Pixels->Surface());
}

void TBitmap::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TBitmap*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  SetSize(other->Width, other->Height);
  const TPixelSurface& from = other->GetSurface();
  if (!from.IsEmpty()) std::copy_n(from.Bits, static_cast<std::size_t>(Width) * Height, GetSurface().Bits);
  PixelFormat = other->PixelFormat;
  SetTransparent(other->GetTransparent());
  TransparentColor = other->TransparentColor;
  Canvas.SetFont(other->Canvas.GetFont());
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  canvas.CopyRect(rect, Canvas, Rect(0, 0, Width, Height));
}
