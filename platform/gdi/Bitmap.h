#pragma once
// TBitmap: the platform's bitmap, a top-down 32-bit pixel surface with its
// own canvas. PixelFormat says what the pixels stand for: below pf32bit the
// alpha bytes carry nothing (drawing gives them 0, as GDI does).

#include <cstdint>
#include <memory>

#include "platform/gdi/Graphic.h"
#include "platform/gdi/Surface.h"

enum TPixelFormat : std::uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  std::string ClassName() const override { return "TBitmap"; }
  // From another TBitmap: size, pixels, format, transparency and font.
  void Assign(const TPersistent* source) override;

  int GetWidth() const override { return Width; }
  int GetHeight() const override { return Height; }
  // New pixels are 0 (transparent black); raises EOutOfMemory for sizes no
  // surface can have.
  void SetSize(int width, int height);
  TPixelFormat GetPixelFormat() const { return PixelFormat; }
  void SetPixelFormat(TPixelFormat format) { PixelFormat = format; }

  TCanvas& GetCanvas() { return Canvas; }
  const TCanvas& GetCanvas() const { return Canvas; }
  const TPixelSurface& GetSurface() const { return Canvas.GetSurface(); }

  void Draw(TCanvas& canvas, const TRect& rect) const override;

  // The colour left out when Transparent is set.
  TColor TransparentColor = clBlack;

private:
  int Width = 0;
  int Height = 0;
  TPixelFormat PixelFormat = pfDevice;
  std::unique_ptr<TMemorySurface> Pixels;
  TCanvas Canvas;
};
