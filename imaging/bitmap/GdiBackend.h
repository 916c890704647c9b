#pragma once
// The backend of TBitmap32: pixels in a device-independent bitmap section
// (a top-down 32-bit surface) with a device context on it, a font, text
// measurement and output straight into the pixels, an optional canvas for
// free drawing, and copying to and from other device contexts.

#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "imaging/bitmap/Backend.h"
#include "platform/gdi/Canvas.h"

// The bitmap description handed to whoever draws the pixels elsewhere.
struct TBitmapInfoHeader {
  std::uint32_t Size = 40;
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // negative: rows run top-down
  std::uint16_t Planes = 1;
  std::uint16_t BitCount = 32;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
  std::uint32_t ClrUsed = 0;
  std::uint32_t ClrImportant = 0;
};

class TGDIBackend : public TCustomBackend {
public:
  explicit TGDIBackend(TCustomBitmap32& owner);
  ~TGDIBackend() override;

  std::string ClassName() const override { return "TGDIBackend"; }

  const TBitmapInfoHeader& GetBitmapInfo() const { return Info; }
  // The pixel section; empty while the bitmap is.
  TPixelSurface GetHandle() const { return DeviceContext.GetSurface(); }
  // The device context drawing into the pixels.
  TCanvas& GetDeviceContext() { return DeviceContext; }

  TFont& GetFont() { return Font; }
  void SetFont(const TFont& font) { Font.Assign(&font); }
  TNotifyEvent OnFontChange;

  // Text in the font, measured or drawn with a transparent background in the
  // font colour; drawing is clipped to the owner's clip rectangle when it
  // has one and reports the touched area.
  TSize TextExtent(std::string_view text);
  TSize TextExtent(std::u16string_view text);
  void Textout(std::int32_t x, std::int32_t y, std::string_view text);
  void Textout(std::int32_t x, std::int32_t y, std::u16string_view text);
  void Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::string_view text);
  void Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::u16string_view text);
  // Formatted text in a rectangle (the canvas's DrawText flags).
  void Textout(const TRect& rect, unsigned flags, std::string_view text);
  void Textout(const TRect& rect, unsigned flags, std::u16string_view text);

  // Copies all pixels to dest at (x, y), or stretches srcRect into dstRect.
  void DrawTo(TCanvas& dest, std::int32_t x, std::int32_t y);
  void DrawTo(TCanvas& dest, const TRect& dstRect, const TRect& srcRect);
  // Stretches srcRect of source into dstRect of this bitmap.
  void DrawFrom(const TCanvas& source, const TRect& dstRect, const TRect& srcRect);

  // A canvas on the pixels for free drawing, created on first request; it
  // stays valid, following every new surface, until released.
  TCanvas& GetCanvas();
  bool CanvasAllocated() const { return Canvas != nullptr; }
  void DeleteCanvas();
  TNotifyEvent OnCanvasChange;

protected:
  void InitializeSurface(std::int32_t width, std::int32_t height, bool clearBuffer) override;
  void FinalizeSurface() override;

private:
  void PrepareDeviceContext();
  template <class Text>
  void TextoutClipped(std::int32_t x, std::int32_t y, const TRect* clip, Text text);
  void FontChanged();

  struct TFreePixels {
    void operator()(std::uint32_t* pixels) const { std::free(pixels); }
  };

  TBitmapInfoHeader Info;
  // From calloc: a large section comes as fresh zero pages, touched first
  // by whoever fills it, not once more by a clearing pass of its own.
  std::unique_ptr<std::uint32_t, TFreePixels> Pixels;
  TCanvas DeviceContext;
  TFont Font;
  std::unique_ptr<TCanvas> Canvas;
};
