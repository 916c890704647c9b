#pragma once
// TCustomBitmap32: a rectangle of TColor32 pixels, top row first, with a clip
// rectangle, the properties that say how it is drawn onto another bitmap, a
// pen with a stipple pattern, change notification and BMP streaming. Its
// pixels live in a backend (plain memory here; TBitmap32 uses the
// device-context backend).
//
// Unclipped pixel access does no bounds checks: callers keep 0 <= X < Width
// and 0 <= Y < Height. Clipped forms never touch memory outside ClipRect.
// Every drawing operation reports the area it touched (OnAreaChanged) and
// leaves the pixels alone while measuring.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap/Backend.h"
#include "imaging/bitmap/Color32.h"
#include "imaging/bitmap/DrawModes.h"
#include "imaging/core/FixedMath.h"
#include "imaging/core/LowLevel.h"
#include "imaging/core/ThreadPersistent.h"
#include "platform/rtl/Stream.h"
#include "platform/rtl/Types.h"

class TGraphic;
class TCustomResampler;

using TPixelCombineEvent = std::function<void(TColor32 f, TColor32& b, TColor32 m)>;
using TAreaChangedEvent = std::function<void(TPersistent* sender, const TRect& area, std::uint32_t info)>;

// Information word of an area change: a rectangle, or a line (the area then
// holds its end points) plus its width.
constexpr std::uint32_t AREAINFO_RECT = 0x80000000u;
constexpr std::uint32_t AREAINFO_LINE = 0x40000000u;

namespace imaging {
// A rectangle from 64-bit edges, each held within the 32-bit range (areas of
// runs that end at the largest coordinates).
TRect ClampedRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
}  // namespace imaging

class TCustomBitmap32 : public TCustomMap {
public:
  TCustomBitmap32();
  ~TCustomBitmap32() override;

  std::string ClassName() const override { return "TCustomBitmap32"; }

  // --- Size and pixel addresses
  bool SetSize(std::int32_t width, std::int32_t height) override;
  bool IsEmpty() const override;
  TRect BoundsRect() const { return TRect{0, 0, Width, Height}; }
  TColor32* GetBits() const { return Bits; }
  TColor32* PixelPtr(std::int32_t x, std::int32_t y) const { return Bits + std::ptrdiff_t{y} * Width + x; }
  TColor32* ScanLine(std::int32_t y) const { return Bits + std::ptrdiff_t{y} * Width; }

  // --- Clipping
  const TRect& GetClipRect() const { return ClipRect; }
  // Stores the rectangle cut to the bounds (all zeros when they do not meet).
  void SetClipRect(const TRect& rect);
  bool GetClipping() const { return Clipping; }

  // --- Drawing properties; setters fire Changed when the value differs
  TDrawMode GetDrawMode() const { return DrawMode; }
  void SetDrawMode(TDrawMode mode);
  TCombineMode GetCombineMode() const { return CombineMode; }
  void SetCombineMode(TCombineMode mode);
  TWrapMode GetWrapMode() const { return WrapMode; }
  void SetWrapMode(TWrapMode mode);
  std::uint32_t GetMasterAlpha() const { return MasterAlpha; }
  // Values above 255 count as 255.
  void SetMasterAlpha(std::uint32_t alpha);
  TStretchFilter GetStretchFilter() const { return StretchFilter; }
  // Also replaces the resampler by the one the filter names.
  void SetStretchFilter(TStretchFilter filter);

  // --- Resampling (Resamplers.h)
  TCustomResampler& GetResampler() const { return *Resampler; }
  // Takes resampler as this bitmap's (nullptr and the current one are ignored).
  void SetResampler(std::unique_ptr<TCustomResampler> resampler);
  std::string GetResamplerClassName() const;
  // A new resampler of the named class when the name differs from the
  // current one's and is in the resampler class list; otherwise nothing.
  void SetResamplerClassName(const std::string& name);

  // What clipped reads return outside ClipRect; dmTransparent leaves it out.
  TColor32 OuterColor = clTransparent32;
  TColor32 PenColor = clWhite32;

  TPixelCombineEvent OnPixelCombine;
  TAreaChangedEvent OnAreaChanged;

  // --- Single pixels
  void SetPixel(std::int32_t x, std::int32_t y, TColor32 color) { *PixelPtr(x, y) = color; }
  TColor32 GetPixel(std::int32_t x, std::int32_t y) const { return *PixelPtr(x, y); }
  void SetPixelClipped(std::int32_t x, std::int32_t y, TColor32 color);
  TColor32 GetPixelClipped(std::int32_t x, std::int32_t y) const;
  // The combine-mode blend of color over the pixel, inside ClipRect only.
  void BlendPixelClipped(std::int32_t x, std::int32_t y, TColor32 color);
  // Coordinates folded into ClipRect by the wrap mode; OuterColor when
  // ClipRect is empty.
  TColor32 GetPixelWrapped(std::int32_t x, std::int32_t y) const;
  // Bilinear read at 16.16 coordinates, folded like GetPixelWrapped.
  TColor32 GetPixelFixedWrapped(TFixed x, TFixed y) const;
  // Antialiased point at 16.16 coordinates, weighed through the gamma table.
  void SetPixelFixedAA(TFixed x, TFixed y, TColor32 color);
  // Bilinear sample at 24.8 coordinates; OuterColor outside ClipRect.
  TColor32 SamplePixel8(std::int32_t x, std::int32_t y) const;
  // The same at 16.16 coordinates.
  TColor32 SamplePixelFixed(TFixed x, TFixed y) const;

  // --- Fills
  // The clip rectangle (or the whole bitmap without clipping) in one colour.
  void Clear(TColor32 color = clBlack32);
  // Rows y1 .. y2 - 1, columns x1 .. x2 - 1, unclipped.
  void FillRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color);
  void FillRectClipped(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color);
  // One-pixel frame just inside (x1, y1, x2, y2); no pixel drawn twice.
  void FrameRectClipped(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color);
  // The same frame in stipple colours, going round clockwise.
  void FrameRectStipple(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  void ResetAlpha(std::uint8_t alpha = 255);

  // --- Lines. End coordinates of horizontal and vertical lines are
  // inclusive; the unclipped forms need x1 <= x2 (y1 <= y2) inside the bitmap.
  void HorzLine(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color);
  void HorzLineClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color);
  void HorzLineBlend(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color);
  void HorzLineBlendClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, TColor32 color);
  // Stipple colours from x1 towards x2 (right to left when x2 < x1), blended.
  void HorzLineStippleClipped(std::int32_t x1, std::int32_t y, std::int32_t x2);
  void VertLine(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color);
  void VertLineClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color);
  void VertLineBlend(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color);
  void VertLineBlendClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, TColor32 color);
  void VertLineStippleClipped(std::int32_t x, std::int32_t y1, std::int32_t y2);
  // Bresenham line, clipped exactly; the end pixel only when drawLast is set.
  void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color,
            bool drawLast = false);
  void LineBlend(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, TColor32 color,
                 bool drawLast = false);
  // Antialiased line between 16.16 points.
  void LineFixedAA(TFixed x1, TFixed y1, TFixed x2, TFixed y2, TColor32 color, bool drawLast = false);
  void LineFixedAAStipple(TFixed x1, TFixed y1, TFixed x2, TFixed y2, bool drawLast = false);

  // --- Pen
  void MoveTo(std::int32_t x, std::int32_t y);
  void LineTo(std::int32_t x, std::int32_t y);
  void LineToBlend(std::int32_t x, std::int32_t y);
  void MoveToFixed(TFixed x, TFixed y);
  void LineToFixed(TFixed x, TFixed y);
  void LineToFixedStipple(TFixed x, TFixed y);
  TPoint GetPenPos() const { return PenPos; }

  // --- Stipple pattern for stippled lines
  void SetStipplePattern(const std::vector<TColor32>& pattern);
  float GetStippleStep() const { return StippleStep; }
  void SetStippleStep(float step) { StippleStep = step; }
  float GetStippleCounter() const { return StippleCounter; }
  // Where along the pattern the next stippled pixel starts.
  void SetStippleCounter(float counter) { StippleCounter = counter; }
  // The colour at the counter (mixing neighbours at fractions), then the
  // counter advances by StippleStep. Opaque black with an empty pattern.
  TColor32 GetStippleColor();
  void AdvanceStippleCounter(std::int64_t pixels);

  // --- Stretch transfer onto another bitmap, clipped by its ClipRect, with
  // this bitmap's resampler, DrawMode and OnPixelCombine.
  void DrawTo(TCustomBitmap32& dst, const TRect& dstRect) const;
  void DrawRectTo(TCustomBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const;

  // --- Notification
  void Changed() override;
  // Reports an area (OnAreaChanged, then OnChange) by the same rule as Changed.
  void AreaChanged(const TRect& area, std::uint32_t info = AREAINFO_RECT);
  // Fires OnChange only.
  void ChangedPlain();
  // While measuring, drawing only reports areas to the callback.
  void BeginMeasuring(TAreaChangedEvent callback);
  void EndMeasuring();
  bool GetMeasuringMode() const { return Measuring; }

  // --- Copying
  // From another bitmap (pixels and properties), nil (empties it), a
  // platform graphic drawn into it, a picture's graphic or the clipboard's
  // picture (CustomBitmap32Graphic.cpp).
  void Assign(const TPersistent* source) override;
  // dest gets this size and these pixels.
  void CopyMapTo(TCustomBitmap32& dest) const;
  // dest gets the draw, combine and wrap modes, master alpha, outer colour,
  // stretch filter and resampler class, then this resampler's settings.
  virtual void CopyPropertiesTo(TCustomBitmap32& dest) const;

  // --- 32-bit BMP streams (BmpStream.cpp)
  // A stream keeps alpha exactly as stored; a file by name is a picture from
  // elsewhere, opaque when its every alpha byte is 0 (BmpDecoder.h). A
  // stream written declares pixelsPerMeter both ways (0: none).
  void SaveToStream(TStream& stream, bool bottomUp = false, std::int32_t pixelsPerMeter = 0) const;
  void LoadFromStream(TStream& stream);
  void SaveToFile(const std::string& fileName, bool bottomUp = false) const;
  void LoadFromFile(const std::string& fileName);
  // The persisted "Data": width, height, then the pixels top row first.
  void WriteData(TStream& stream) const;
  void ReadData(TStream& stream);
  // Defines "Data", written only where it differs from the ancestor's: any
  // pixels against an ancestor that is no bitmap, else unless both bitmaps
  // are empty or of one class with the same size and pixels.
  void DefineProperties(TFiler& filer) override;

protected:
  // A platform bitmap, a picture's bitmap or the clipboard receives a
  // 32-bit copy of the pixels.
  void AssignTo(TPersistent* dest) const override;

  // Installs a new backend, handing the pixels over from the current one.
  void SetBackend(std::unique_ptr<TCustomBackend> backend);
  TCustomBackend& GetBackend() const { return *Backend; }

  // Called by the backend around a change of its buffer.
  virtual void SurfaceChanging() {}
  virtual void SurfaceChanged();
  friend class TCustomBackend;

private:
  // Makes resampler this bitmap's, without notifying.
  void AttachResampler(std::unique_ptr<TCustomResampler> resampler);
  // Assignment from the platform's graphics, pictures and the clipboard;
  // false for any other source.
  bool AssignSource(const TPersistent& source);
  void AssignGraphic(const TGraphic& graphic);
  void DrawMasked(const TGraphic& graphic);
  // Fills the rows of rect (inside the bitmap) unless measuring.
  void FillRows(const TRect& rect, TColor32 color);
  bool InClip(std::int32_t x, std::int32_t y) const {
    return x >= ClipRect.Left && x < ClipRect.Right && y >= ClipRect.Top && y < ClipRect.Bottom;
  }
  void UpdateClipDerivatives();
  // Antialiased point at 24.8 coordinates.
  void SetPixelAA8(std::int32_t x, std::int32_t y, TColor32 color);
  void CombineAA(TColor32 color, TColor32& pixel, std::uint32_t weight) const;
  TColor32 Interpolate2x2(std::int32_t x, std::int32_t y, std::uint32_t weightX, std::uint32_t weightY) const;
  // Defined in CustomBitmap32Lines.cpp, used only there.
  template <class Plot>
  void BresenhamLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, bool drawLast, Plot plot);
  template <class ColorAt>
  void AntialiasedLine(TFixed x1, TFixed y1, TFixed x2, TFixed y2, bool drawLast, ColorAt colorAt);
  template <class Span>
  void HorzSpanClipped(std::int32_t x1, std::int32_t y, std::int32_t x2, Span span);
  template <class Span>
  void VertSpanClipped(std::int32_t x, std::int32_t y1, std::int32_t y2, Span span);
  template <class Write>
  void StippleRun(std::int32_t from, std::int32_t to, std::int32_t lo, std::int32_t hi, Write write);

  std::unique_ptr<TCustomBackend> Backend;
  TColor32* Bits = nullptr;
  TRect ClipRect;
  TRect FixedClipRect;  // 16.16, saturated
  TRect ClipRect8;      // 24.8, saturated
  bool Clipping = false;
  TDrawMode DrawMode = dmOpaque;
  TCombineMode CombineMode = cmBlend;
  TWrapMode WrapMode = wmClamp;
  std::uint32_t MasterAlpha = 255;
  float StippleCounter = 0;
  std::vector<TColor32> StipplePattern;
  float StippleStep = 1.0f;
  TStretchFilter StretchFilter = sfNearest;
  std::unique_ptr<TCustomResampler> Resampler;
  TAreaChangedEvent SavedAreaChanged;
  bool Measuring = false;
  imaging::TWrapProc WrapProcHorz = &imaging::Constrain;
  imaging::TWrapProc WrapProcVert = &imaging::Constrain;
  TPoint PenPos;
  TPoint FixedPenPos;
};
