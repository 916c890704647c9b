// Assignment between TCustomBitmap32 and the platform's graphics. Any pixel
// buffer can carry a canvas here, so no backend switch is needed to draw a
// graphic into the bitmap.

#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"

void TCustomBitmap32::AssignGraphic(const TGraphic& graphic) {
  SetSize(graphic.GetWidth(), graphic.GetHeight());
  if (IsEmpty()) return;
  const std::ptrdiff_t count = std::ptrdiff_t{Width} * Height;
  const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic);
  // A platform bitmap is copied onto transparent black, keeping its alpha
  // only when it has one; anything else is drawn on white and made opaque.
  imaging::FillLongword(Bits, count, bitmap != nullptr ? clTransparent32 : clWhite32);
  TCanvas canvas(TPixelSurface{Bits, Width, Height});
  graphic.Draw(canvas, BoundsRect());
  if (bitmap == nullptr || bitmap->GetPixelFormat() != pf32bit)
    for (std::ptrdiff_t i = 0; i < count; ++i) Bits[i] |= 0xFF000000u;
  if (bitmap != nullptr && bitmap->GetTransparent()) {
    const TColor32 transparent = imaging::Color32(bitmap->TransparentColor) & 0x00FFFFFF;
    for (std::ptrdiff_t i = 0; i < count; ++i)
      if ((Bits[i] & 0x00FFFFFF) == transparent) Bits[i] = transparent;
  }
}

void TCustomBitmap32::AssignTo(TPersistent* dest) const {
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  if (bitmap == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(Width, Height);
  if (!IsEmpty()) imaging::MoveLongword(Bits, bitmap->GetSurface().Bits, std::ptrdiff_t{Width} * Height);
}
