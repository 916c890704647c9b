// Painting of TdocBarCodeShape: the barcode laid into the shape's frame in
// the pixels of the bitmap being drawn, clipped to that frame.

#include "app/shapes/BarcodeShape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/shapes/CheckDigitRule.h"
#include "app/shapes/FrameCanvas.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"

namespace {

// Text sizes are points of a 96 dpi device.
constexpr double TextDotsPerMm = TFont::PixelsPerInch / 25.4;
// The font engine draws no larger text.
constexpr double MaxTextPixels = 16384;
constexpr double BarcodeRatio = 2.0;
constexpr float SheetAngle = 0.001f;

// The bars follow the resolution of the bitmap painted on; the text must
// follow it too, or it shrinks on paper while the bars keep their size.
double TextScale(const TdocRenderOptions& options) {
  const float resolution = options.BitmapResolution > 0 ? options.BitmapResolution : options.Resolution;
  return resolution > 0 && std::isfinite(resolution) ? resolution / TextDotsPerMm : 1.0;
}

TFont ScaledFont(const TFont& font, double scale) {
  TFont scaled(font);
  const int height = rtl::Round(std::clamp(font.GetHeight() * scale, -MaxTextPixels, MaxTextPixels));
  // A text never vanishes by scaling; height 0 keeps its meaning of "default".
  scaled.SetHeight(height != 0 || font.GetHeight() == 0 ? height : (font.GetHeight() < 0 ? -1 : 1));
  return scaled;
}

// The component draws its text with the scaled font and gets its own back,
// so the stored text size never depends on where the barcode was painted.
class TTextFontSwap {
public:
  TTextFontSwap(TVmBarcode& barcode, const TFont& font) : Barcode(barcode), Saved(barcode.GetShowTextFont()) {
    Barcode.SetShowTextFont(font);
  }
  ~TTextFontSwap() { Barcode.SetShowTextFont(Saved); }
  TTextFontSwap(const TTextFontSwap&) = delete;
  TTextFontSwap& operator=(const TTextFontSwap&) = delete;

private:
  TVmBarcode& Barcode;
  TFont Saved;
};

bool IsTopPosition(TShowTextPosition position) { return position <= stpTopCenter; }

}  // namespace

const TdocShapeClass& TdocBarCodeShape::StaticClass() {
  static const TdocShapeClass info{"TdocBarCodeShape",
                                   [] { return std::unique_ptr<TdocShape>(new TdocBarCodeShape); }};
  return info;
}

TdocBarCodeShape::TdocBarCodeShape() = default;

TdocBarCodeShape::~TdocBarCodeShape() = default;

void TdocBarCodeShape::CreateNewBarcode() {
  auto barcode = std::make_unique<TVmBarcode>(nullptr);
  barcode->SetTyp(NewTyp);
  barcode->SetText(NewText);
  barcode->SetShowText(bcoCode);
  TFont font(barcode->GetShowTextFont());
  font.SetSize(NewTextSize);
  barcode->SetShowTextFont(font);
  barcode->SetShowTextPosition(NewTextPosition);
  barcode->SetModul(NewModul);
  Barcode = std::move(barcode);
  SetCachedRendering(true);
}

void TdocBarCodeShape::SetCachedRendering(bool value) {
  if (value == CachedRendering) return;
  CachedRendering = value;
  SetForceRenderCache(value);
  Refresh();
}

void TdocBarCodeShape::PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) {
  PaintError.clear();
  if (!Barcode) return;
  const TRect pixelFrame = Rect(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom());
  TFrameCanvas clipped(canvas.GetSurface(), pixelFrame);
  if (clipped.IsEmpty()) return;
  const TRect frame = clipped.ToCanvas(pixelFrame);
  const TFont textFont = ScaledFont(Barcode->GetShowTextFont(), TextScale(options));
  try {
    if (!app::ApplyCheckDigitRule(*Barcode))
      throw Exception(rtl::Format("Invalid check digit (%s)", Barcode->GetTypeCaption()));
    LayBarcode(frame, clipped.Canvas(), textFont);
    const TTextFontSwap swap(*Barcode, textFont);
    Barcode->PaintBarcode(clipped.Canvas());
  } catch (const Exception& error) {
    // A value the symbology refuses is shown in the frame instead of bars:
    // never silently, and without stopping the rest of the page.
    PaintError = error.what();
    TCanvas& drawing = clipped.Canvas();
    drawing.SetFont(textFont);
    drawing.GetBrush().SetStyle(bsClear);
    drawing.TextOut(frame.Left, frame.Top, PaintError);
  }
}

void TdocBarCodeShape::LayBarcode(const TRect& frame, TCanvas& canvas, const TFont& textFont) {
  TVmBarcode& barcode = *Barcode;
  barcode.SetRatio(BarcodeRatio);
  const int width = frame.Right - frame.Left;
  barcode.SetLeft(frame.Left + rtl::Round(width / 10.0));
  barcode.SetTop(frame.Top);
  FitModul(width - rtl::Round(2.0 * width / 10));
  int height = frame.Bottom - frame.Top;
  if (barcode.GetShowText() != bcoNone) {
    canvas.SetFont(textFont);
    const int textHeight = canvas.TextHeight(barcode.GetText());
    // The bars give the text its band and keep the opposite edge.
    if (IsTopPosition(barcode.GetShowTextPosition())) barcode.SetTop(frame.Top + textHeight);
    height = std::max(0, height - textHeight);
  }
  barcode.SetHeight(height);
}

void TdocBarCodeShape::FitModul(int width) {
  TVmBarcode& barcode = *Barcode;
  const int current = barcode.GetWidth();
  if (current > 0) {
    // The component's width setter, except that a result outside 1..49
    // takes the nearest allowed module instead of keeping a stale one.
    const std::int64_t ideal = std::int64_t{barcode.GetModul()} * std::max(width, 0) / current;
    barcode.SetModul(static_cast<int>(std::clamp<std::int64_t>(ideal, TVmBarcode::MinModul, TVmBarcode::MaxModul)));
  }
  // Wide modules round up at some ratios: narrow further until it fits.
  while (barcode.GetModul() > TVmBarcode::MinModul && barcode.GetWidth() > width)
    barcode.SetModul(barcode.GetModul() - 1);
}

void NudgeBarcodeAngles(TdocShape& page) {
  for (int i = 0; i < page.GetShapeCount(); ++i) {
    TdocShape* child = page.GetShapes(i);
    if (&child->GetClass() == &TdocBarCodeShape::StaticClass() && child->GetDocAngle() == 0.0f)
      child->SetDocAngle(SheetAngle);
  }
}
