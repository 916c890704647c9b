// Assignment between TCustomBitmap32 and the platform's graphics, pictures
// and the clipboard. Any pixel buffer can carry a canvas here, so no backend
// switch is needed to draw a graphic into the bitmap.

#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Clipboard.h"
#include "platform/gdi/Icon.h"
#include "platform/gdi/Metafile.h"
#include "platform/gdi/Picture.h"
#include "platform/rtl/Exception.h"

namespace {

constexpr TColor32 kOpaqueRed = 0xFFFF0000u;

void DrawOnto(const TGraphic& graphic, TPixelSurface surface, TColor32 background) {
  imaging::FillLongword(surface.Bits, std::ptrdiff_t{surface.Width} * surface.Height, background);
  TCanvas canvas(surface);
  graphic.Draw(canvas, surface.Bounds());
}

}  // namespace

bool TCustomBitmap32::AssignSource(const TPersistent& source) {
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&source)) {
    AssignGraphic(*graphic);
    return true;
  }
  if (const auto* picture = dynamic_cast<const TPicture*>(&source)) {
    Assign(picture->GetGraphic());  // an empty picture empties the bitmap
    return true;
  }
  if (const auto* clipboard = dynamic_cast<const TClipboard*>(&source)) {
    const std::unique_ptr<TBitmap> picture = clipboard->GetPicture();
    if (!picture) throw EInvalidGraphic("Unsupported clipboard format");
    Assign(picture.get());
    return true;
  }
  return false;
}

void TCustomBitmap32::AssignGraphic(const TGraphic& graphic) {
  SetSize(graphic.GetWidth(), graphic.GetHeight());
  if (IsEmpty()) return;
  const std::ptrdiff_t count = std::ptrdiff_t{Width} * Height;
  const TPixelSurface surface{Bits, Width, Height};
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
    // Copied onto transparent black, keeping its alpha only when it has one.
    DrawOnto(graphic, surface, clTransparent32);
    if (bitmap->GetPixelFormat() != pf32bit)
      for (std::ptrdiff_t i = 0; i < count; ++i) Bits[i] |= 0xFF000000u;
    if (bitmap->GetTransparent()) {
      const TColor32 transparent = imaging::Color32(bitmap->TransparentColor) & 0x00FFFFFF;
      for (std::ptrdiff_t i = 0; i < count; ++i)
        if ((Bits[i] & 0x00FFFFFF) == transparent) Bits[i] = transparent;
    }
  } else if (dynamic_cast<const TIcon*>(&graphic)) {
    // An icon with alpha brings it along; one that left no alpha anywhere
    // carries a mask instead.
    DrawOnto(graphic, surface, clTransparent32);
    bool anyAlpha = false;
    for (std::ptrdiff_t i = 0; i < count && !anyAlpha; ++i) anyAlpha = (Bits[i] >> 24) != 0;
    if (!anyAlpha) DrawMasked(graphic);
  } else if (dynamic_cast<const TMetafile*>(&graphic)) {
    DrawMasked(graphic);
  } else {
    DrawOnto(graphic, surface, clWhite32);
    for (std::ptrdiff_t i = 0; i < count; ++i) Bits[i] |= 0xFF000000u;
  }
}

// Drawn once on white and once on red: a pixel that changed with the
// background is one the graphic left out (alpha 0), every other one is the
// graphic's own (alpha 255).
void TCustomBitmap32::DrawMasked(const TGraphic& graphic) {
  DrawOnto(graphic, TPixelSurface{Bits, Width, Height}, clWhite32);
  TMemorySurface onRed(Width, Height);
  DrawOnto(graphic, onRed.Surface(), kOpaqueRed);
  const TColor32* red = onRed.Surface().Bits;
  for (std::ptrdiff_t i = 0; i < std::ptrdiff_t{Width} * Height; ++i) {
    const TColor32 rgb = Bits[i] & 0x00FFFFFFu;
    Bits[i] = rgb == (red[i] & 0x00FFFFFFu) ? rgb | 0xFF000000u : rgb;
  }
}

void TCustomBitmap32::AssignTo(TPersistent* dest) const {
  if (auto* picture = dynamic_cast<TPicture*>(dest)) {
    AssignTo(&picture->GetBitmap());
    return;
  }
  if (auto* clipboard = dynamic_cast<TClipboard*>(dest)) {
    TBitmap bitmap;
    AssignTo(&bitmap);
    clipboard->SetPicture(bitmap);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  if (bitmap == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(Width, Height);
  if (!IsEmpty()) imaging::MoveLongword(Bits, bitmap->GetSurface().Bits, std::ptrdiff_t{Width} * Height);
}
