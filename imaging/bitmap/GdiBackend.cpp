#include "imaging/bitmap/GdiBackend.h"

#include <cstdlib>

#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/Exception.h"

TGDIBackend::TGDIBackend(TCustomBitmap32& owner) : TCustomBackend(owner) {
  Font.OnChange = [this](TPersistent*) { FontChanged(); };
}

TGDIBackend::~TGDIBackend() { FinalizeSurface(); }

// A new section is zero-filled, as the system's sections are.
void TGDIBackend::InitializeSurface(std::int32_t width, std::int32_t height, bool) {
  Info.Width = width;
  Info.Height = -height;
  Info.SizeImage = static_cast<std::uint32_t>(std::uint64_t{static_cast<std::uint32_t>(width)} * height * 4);
  Pixels.reset(static_cast<std::uint32_t*>(
      std::calloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), sizeof(std::uint32_t))));
  if (!Pixels) {
    FinalizeSurface();
    throw EOutOfMemory("Can't allocate the DIB handle");
  }
  Bits = Pixels.get();
  const TPixelSurface surface{Bits, width, height};
  DeviceContext.SetSurface(surface);
  if (Canvas) Canvas->SetSurface(surface);
}

void TGDIBackend::FinalizeSurface() {
  Pixels.reset();
  Bits = nullptr;
  Info = TBitmapInfoHeader{};
  DeviceContext.SetSurface(TPixelSurface{});
  if (Canvas) Canvas->SetSurface(TPixelSurface{});
}

void TGDIBackend::PrepareDeviceContext() { DeviceContext.SetFont(Font); }

void TGDIBackend::FontChanged() {
  if (OnFontChange) OnFontChange(this);
}

TSize TGDIBackend::TextExtent(std::string_view text) {
  PrepareDeviceContext();
  return DeviceContext.TextExtent(text);
}

TSize TGDIBackend::TextExtent(std::u16string_view text) {
  PrepareDeviceContext();
  return DeviceContext.TextExtent(text);
}

template <class Text>
void TGDIBackend::TextoutClipped(std::int32_t x, std::int32_t y, const TRect* clip, Text text) {
  TCustomBitmap32& owner = GetOwner();
  PrepareDeviceContext();
  if (!owner.GetMeasuringMode() && !Empty()) {
    if (clip != nullptr) DeviceContext.TextRect(*clip, x, y, text);
    else if (owner.GetClipping()) DeviceContext.TextRect(owner.GetClipRect(), x, y, text);
    else DeviceContext.TextOut(x, y, text);
  }
  const TSize extent = DeviceContext.TextExtent(text);
  owner.AreaChanged(imaging::ClampedRect(x, y, std::int64_t{x} + extent.cx + 1, std::int64_t{y} + extent.cy + 1));
}

void TGDIBackend::Textout(std::int32_t x, std::int32_t y, std::string_view text) { TextoutClipped(x, y, nullptr, text); }
void TGDIBackend::Textout(std::int32_t x, std::int32_t y, std::u16string_view text) {
  TextoutClipped(x, y, nullptr, text);
}
void TGDIBackend::Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::string_view text) {
  TextoutClipped(x, y, &clip, text);
}
void TGDIBackend::Textout(std::int32_t x, std::int32_t y, const TRect& clip, std::u16string_view text) {
  TextoutClipped(x, y, &clip, text);
}

void TGDIBackend::Textout(const TRect& rect, unsigned flags, std::string_view text) {
  PrepareDeviceContext();
  if (!GetOwner().GetMeasuringMode() && !Empty()) DeviceContext.DrawText(text, rect, flags);
  GetOwner().AreaChanged(rect);
}

void TGDIBackend::Textout(const TRect& rect, unsigned flags, std::u16string_view text) {
  PrepareDeviceContext();
  if (!GetOwner().GetMeasuringMode() && !Empty()) DeviceContext.DrawText(text, rect, flags);
  GetOwner().AreaChanged(rect);
}

void TGDIBackend::DrawTo(TCanvas& dest, std::int32_t x, std::int32_t y) {
  if (Empty()) return;
  const TCustomBitmap32& owner = GetOwner();
  const std::int32_t width = owner.GetWidth(), height = owner.GetHeight();
  dest.CopyRect(TRect{x, y, x + width, y + height}, DeviceContext, TRect{0, 0, width, height});
}

void TGDIBackend::DrawTo(TCanvas& dest, const TRect& dstRect, const TRect& srcRect) {
  if (Empty()) return;
  dest.CopyRect(dstRect, DeviceContext, srcRect);
}

void TGDIBackend::DrawFrom(const TCanvas& source, const TRect& dstRect, const TRect& srcRect) {
  if (!GetOwner().GetMeasuringMode() && !Empty()) DeviceContext.CopyRect(dstRect, source, srcRect);
  GetOwner().AreaChanged(dstRect);
}

TCanvas& TGDIBackend::GetCanvas() {
  if (!Canvas) {
    Canvas = std::make_unique<TCanvas>(DeviceContext.GetSurface());
    Canvas->OnChange = [this](TPersistent*) {
      if (OnCanvasChange) OnCanvasChange(this);
    };
  }
  return *Canvas;
}

void TGDIBackend::DeleteCanvas() { Canvas.reset(); }
