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
#include "platform/rtl/Strings.h"
#include "app/UiTexts.h"

namespace {

// A text size is what the screen shows at its start zoom: a point is 96/72
// pixels of its 96 dots-per-inch canvas and the start zoom shows 150 of them
// to the inch, so 20 points stand about 4.5 mm tall on screen, paper and
// export alike.
constexpr double TextDotsPerMm = 150.0 / 25.4;
// The font engine draws no larger text.
constexpr double MaxTextPixels = 16384;
constexpr double BarcodeRatio = 2.0;
// The bars span this share of the frame, the quiet zones the rest.
constexpr double BarsShareOfFrame = 0.8;
constexpr float SheetAngle = 0.001f;

// Dots per millimetre of the bitmap painted on; 0 when unknown.
double PaintResolution(const TdocRenderOptions& options) {
  const float resolution = options.BitmapResolution > 0 ? options.BitmapResolution : options.Resolution;
  return resolution > 0 && std::isfinite(resolution) ? resolution : 0.0;
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

int TdocBarCodeShape::CheckValue() {
  PaintError.clear();
  if (!app::ApplyCheckDigitRule(*Barcode)) {
    PaintError = rtl::Format("Invalid check digit (%s)", Barcode->GetTypeCaption());
    return UiTextCheckDigitIsWrong;
  }
  try {
    Barcode->EncodeModules();
  } catch (const Exception& error) {
    PaintError = error.what();
    return UiTextValueRefused;
  }
  return 0;
}

std::string TdocBarCodeShape::GetRefusal() const { return RefusalText ? pgloretlibmessage(RefusalText) : ""; }

void TdocBarCodeShape::PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) {
  PaintError.clear();
  RefusalText = 0;
  if (!Barcode) return;
  const TRect pixelFrame = Rect(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom());
  TFrameCanvas clipped(canvas.GetSurface(), pixelFrame);
  if (clipped.IsEmpty()) return;
  const TRect frame = clipped.ToCanvas(pixelFrame);
  const double resolution = PaintResolution(options);
  const TFont textFont = ScaledFont(Barcode->GetShowTextFont(), resolution > 0 ? resolution / TextDotsPerMm : 1.0);
  RefusalText = CheckValue();
  if (!RefusalText) {
    try {
      LayBarcode(frame, clipped.Canvas(), textFont, resolution);
      const TTextFontSwap swap(*Barcode, textFont);
      Barcode->PaintBarcode(clipped.Canvas());
      return;
    } catch (const Exception& error) {
      PaintError = error.what();
      RefusalText = UiTextValueRefused;
    }
  }
  // A value the symbology refuses is shown in the frame instead of bars:
  // never silently, and without stopping the rest of the page.
  TCanvas& drawing = clipped.Canvas();
  drawing.SetFont(textFont);
  drawing.GetBrush().SetStyle(bsClear);
  drawing.TextOut(frame.Left, frame.Top, rtl::Utf8ToUtf16(GetRefusal()));
}

void TdocBarCodeShape::LayBarcode(const TRect& frame, TCanvas& canvas, const TFont& textFont, double resolution) {
  TVmBarcode& barcode = *Barcode;
  barcode.SetRatio(BarcodeRatio);
  const int width = frame.Right - frame.Left;
  FitModul(width, resolution > 0 ? resolution : width / static_cast<double>(GetDocWidth()));
  barcode.SetLeft(frame.Left + std::max(0, rtl::Round((width - barcode.GetWidth()) / 2.0)));
  barcode.SetTop(frame.Top);
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

double TdocBarCodeShape::GetModuleMm() {
  TVmBarcode& barcode = *Barcode;
  const int saved = barcode.GetModul();
  // Measured with the widest module, where the rounding of wide elements
  // weighs least.
  barcode.SetModul(TVmBarcode::MaxModul);
  const double modules = barcode.GetWidth() / static_cast<double>(TVmBarcode::MaxModul);
  barcode.SetModul(saved);
  const double frame = GetDocWidth();
  return modules > 0 && frame > 0 && std::isfinite(frame) ? BarsShareOfFrame * frame / modules : 0.0;
}

void TdocBarCodeShape::FitModul(int width, double resolution) {
  TVmBarcode& barcode = *Barcode;
  const double ideal = GetModuleMm() * resolution;
  const int modul = std::isfinite(ideal) && ideal < TVmBarcode::MaxModul ? rtl::Round(ideal) : TVmBarcode::MaxModul;
  barcode.SetModul(std::clamp(modul, TVmBarcode::MinModul, TVmBarcode::MaxModul));
  // Rounded up, the symbol may pass the frame: it narrows until it fits.
  while (barcode.GetModul() > TVmBarcode::MinModul && barcode.GetWidth() > width)
    barcode.SetModul(barcode.GetModul() - 1);
}

std::string RefusedBarcodeMessage(TdocShape& root) {
  if (auto* shape = dynamic_cast<TdocBarCodeShape*>(&root); shape && shape->GetBarcode()) {
    if (const int refusal = shape->CheckValue()) {
      TVmBarcode& barcode = *shape->GetBarcode();
      return pgloretlibmessage(UiTextBarcode) + " " + barcode.GetTypeCaption() + " \"" +
             rtl::Cp1252ToUtf8(barcode.GetText()) + "\": " + pgloretlibmessage(refusal);
    }
  }
  for (int i = 0; i < root.GetShapeCount(); ++i)
    if (std::string message = RefusedBarcodeMessage(*root.GetShapes(i)); !message.empty()) return message;
  return {};
}

void CheckBarcodesDrawable(TdocShape& root) {
  if (const std::string message = RefusedBarcodeMessage(root); !message.empty()) throw EBarcodeRefused(message);
}

void NudgeBarcodeAngles(TdocShape& page) {
  for (int i = 0; i < page.GetShapeCount(); ++i) {
    TdocShape* child = page.GetShapes(i);
    if (&child->GetClass() == &TdocBarCodeShape::StaticClass() && child->GetDocAngle() == 0.0f)
      child->SetDocAngle(SheetAngle);
  }
}
