#pragma once
// TBitmap32: the bitmap of the document engine. Its pixels live in the
// device-context backend, so it also measures and draws text in its font,
// offers a canvas for free drawing, and copies itself onto other device
// contexts (the screen's or a printer's canvas).

#include <string_view>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/bitmap/GdiBackend.h"

class TBitmap32 : public TCustomBitmap32 {
public:
  TBitmap32();
  std::string ClassName() const override { return "TBitmap32"; }

  const TBitmapInfoHeader& GetBitmapInfo() const { return Gdi().GetBitmapInfo(); }
  TPixelSurface GetHandle() const { return Gdi().GetHandle(); }
  TCanvas& GetCanvas() { return Gdi().GetCanvas(); }
  bool CanvasAllocated() const { return Gdi().CanvasAllocated(); }
  void DeleteCanvas() { Gdi().DeleteCanvas(); }

  TFont& GetFont() { return Gdi().GetFont(); }
  const TFont& GetFont() const { return Gdi().GetFont(); }
  void SetFont(const TFont& font) { Gdi().SetFont(font); }

  TSize TextExtent(std::string_view text) { return Gdi().TextExtent(text); }
  TSize TextExtent(std::u16string_view text) { return Gdi().TextExtent(text); }
  void Textout(std::int32_t x, std::int32_t y, std::string_view text) { Gdi().Textout(x, y, text); }
  void Textout(std::int32_t x, std::int32_t y, std::u16string_view text) { Gdi().Textout(x, y, text); }
  void Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::string_view text) {
    Gdi().Textout(x, y, clip, text);
  }
  void Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::u16string_view text) {
    Gdi().Textout(x, y, clip, text);
  }
  void Textout(const TRect& rect, unsigned flags, std::string_view text) { Gdi().Textout(rect, flags, text); }
  void Textout(const TRect& rect, unsigned flags, std::u16string_view text) { Gdi().Textout(rect, flags, text); }

  using TCustomBitmap32::DrawTo;
  void DrawTo(TCanvas& dest, std::int32_t x, std::int32_t y) { Gdi().DrawTo(dest, x, y); }
  void DrawTo(TCanvas& dest, const TRect& dstRect, const TRect& srcRect) { Gdi().DrawTo(dest, dstRect, srcRect); }
  void DrawFrom(const TCanvas& source, const TRect& dstRect, const TRect& srcRect) {
    Gdi().DrawFrom(source, dstRect, srcRect);
  }

  void Assign(const TPersistent* source) override;
  void CopyPropertiesTo(TCustomBitmap32& dest) const override;

  // Fires after every new pixel section.
  TNotifyEvent OnHandleChanged;

protected:
  void AssignTo(TPersistent* dest) const override;
  void SurfaceChanged() override;

private:
  TGDIBackend& Gdi() const { return *GdiBackend; }

  TGDIBackend* GdiBackend;  // owned as the bitmap's backend
};
