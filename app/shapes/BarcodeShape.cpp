// Painting of TdocBarCodeShape: the barcode laid into the shape's frame in
// the pixels of the bitmap being drawn, clipped to that frame.

#include "app/shapes/BarcodeShape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/shapes/CheckDigitRule.h"
#include "app/shapes/FittedText.h"
#include "app/shapes/FrameCanvas.h"
#include "platform/gdi/StretchCopy.h"
#include "platform/gdi/Surface.h"
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
// A symbol drawn finer to be reduced never takes more pixels than this.
constexpr double MaxFinePixels = 1 << 22;

// Dots per millimetre of the bitmap painted on; 0 when unknown.
double PaintResolution(const TdocRenderOptions& options) {
  const float resolution = options.BitmapResolution > 0 ? options.BitmapResolution : options.Resolution;
  return resolution > 0 && std::isfinite(resolution) ? resolution : 0.0;
}

// Paper and exported images are read and scanned: a barcode is judged at
// their resolution. The screen and thumbnails show the label as paper will
// have it.
bool IsReadFrom(const TdocRenderOptions& options) { return options.Device != dtScreen && !options.Miniature; }

// How many times finer than resolution a symbol is drawn to look as it will
// on paper, within MaxFinePixels for a surface of the given size.
double FinerRatio(const TPixelSurface& surface, double resolution) {
  const double affordable = std::sqrt(MaxFinePixels / (static_cast<double>(surface.Width) * surface.Height));
  return std::min(TdocBarCodeShape::PrintDotsPerMm / resolution, affordable);
}

TRect ScaledRect(const TRect& rect, double ratio) {
  return Rect(rtl::Round(rect.Left * ratio), rtl::Round(rect.Top * ratio), rtl::Round(rect.Right * ratio),
              rtl::Round(rect.Bottom * ratio));
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

int TdocBarCodeShape::CheckValue(double dotsPerMm) {
  PaintError.clear();
  if (Barcode->GetTyp() >= BarcodeTypeCount) {
    PaintError = "Unknown barcode type";
    return UiTextTypeNotKnown;
  }
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
  if (dotsPerMm > 0 && !FitsFrameAt(dotsPerMm)) {
    PaintError = "Barcode wider than its frame";
    return UiTextBarcodeTooWide;
  }
  return 0;
}

bool TdocBarCodeShape::FitsFrameAt(double dotsPerMm) {
  TVmBarcode& barcode = *Barcode;
  const int saved = barcode.GetModul();
  barcode.SetModul(TVmBarcode::MinModul);
  const double narrowest = barcode.GetWidth();
  barcode.SetModul(saved);
  // One pixel less than the frame's width: where the frame's edges fall
  // inside pixels, its pixel width may be that much smaller.
  return narrowest <= std::floor(static_cast<double>(GetDocWidth()) * dotsPerMm) - 1;
}

std::string TdocBarCodeShape::GetRefusal() const { return RefusalText ? pgloretlibmessage(RefusalText) : ""; }

TFont TdocBarCodeShape::TextFontAt(double resolution) const {
  return ScaledFont(Barcode->GetShowTextFont(), resolution > 0 ? resolution / TextDotsPerMm : 1.0);
}

void TdocBarCodeShape::PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) {
  PaintError.clear();
  RefusalText = 0;
  if (!Barcode) return;
  const TRect pixelFrame = Rect(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom());
  TFrameCanvas clipped(canvas.GetSurface(), pixelFrame);
  if (clipped.IsEmpty()) return;
  const TRect frame = clipped.ToCanvas(pixelFrame);
  const double resolution = PaintResolution(options);
  const bool readFrom = IsReadFrom(options);
  RefusalText = CheckValue(readFrom ? resolution : PrintDotsPerMm);
  if (!RefusalText) {
    try {
      // A symbol that fits its frame on paper but not in these coarser
      // pixels is drawn as paper has it, then reduced.
      if (readFrom || !(resolution > 0) || FitsFrameAt(resolution))
        PaintBars(clipped.Canvas(), frame, resolution);
      else
        PaintBarsReduced(clipped.Canvas(), frame, resolution);
      return;
    } catch (const Exception& error) {
      PaintError = error.what();
      RefusalText = UiTextValueRefused;
    }
  }
  // A barcode that cannot be drawn says why in its frame instead of bars:
  // never silently, and without stopping the rest of the page.
  PaintRefusal(clipped.Canvas(), frame, TextFontAt(resolution));
}

void TdocBarCodeShape::PaintBars(TCanvas& canvas, const TRect& frame, double resolution) {
  const TTextFontSwap swap(*Barcode, TextFontAt(resolution));
  LayBarcode(frame, canvas, resolution);
  Barcode->PaintBarcode(canvas);
}

void TdocBarCodeShape::PaintBarsReduced(TCanvas& canvas, const TRect& frame, double resolution) {
  const TPixelSurface& coarse = canvas.GetSurface();
  const double ratio = FinerRatio(coarse, resolution);
  if (!(ratio > 1)) {
    PaintBars(canvas, frame, resolution);
    return;
  }
  TMemorySurface fine(std::max(1, rtl::Round(coarse.Width * ratio)), std::max(1, rtl::Round(coarse.Height * ratio)));
  const TRect fineBounds = fine.Surface().Bounds();
  // The pixels beneath, enlarged: where nothing is drawn, the reduction
  // gives them back, at most blended with a neighbour's share at an edge.
  gdi::StretchCopy(fine.Surface(), fineBounds, coarse, coarse.Bounds(), TStretchMode::Nearest);
  TCanvas fineCanvas(fine.Surface());
  PaintBars(fineCanvas, ScaledRect(frame, ratio), resolution * ratio);
  gdi::StretchCopy(coarse, coarse.Bounds(), fine.Surface(), fineBounds, TStretchMode::Halftone);
}

void TdocBarCodeShape::PaintRefusal(TCanvas& canvas, const TRect& frame, const TFont& textFont) const {
  TFont font(textFont);
  font.SetColor(clBlack);
  canvas.GetBrush().SetStyle(bsClear);
  // A pixel inside the frame all round: the words never touch its edges.
  const TRect inside = Rect(frame.Left + 1, frame.Top + 1, frame.Right - 1, frame.Bottom - 1);
  app::PaintFittedText(canvas, inside.IsEmpty() ? frame : inside, font, rtl::Utf8ToUtf16(GetRefusal()));
}

void TdocBarCodeShape::LayBarcode(const TRect& frame, TCanvas& canvas, double resolution) {
  TVmBarcode& barcode = *Barcode;
  barcode.SetRatio(BarcodeRatio);
  const int width = frame.Right - frame.Left;
  FitModul(width, resolution > 0 ? resolution : width / static_cast<double>(GetDocWidth()));
  barcode.SetLeft(frame.Left + std::max(0, rtl::Round((width - barcode.GetWidth()) / 2.0)));
  barcode.SetTop(frame.Top);
  int height = frame.Bottom - frame.Top;
  if (barcode.GetShowText() == bcoNone) {
    barcode.SetHeight(height);
    return;
  }
  FitReadableText(frame, canvas);
  canvas.SetFont(barcode.ReadableTextFont());
  const int textHeight = canvas.TextHeight(barcode.GetText());
  // The bars give the text its band and keep the opposite edge.
  if (IsTopPosition(barcode.GetShowTextPosition())) barcode.SetTop(frame.Top + textHeight);
  barcode.SetHeight(std::max(0, height - textHeight));
}

void TdocBarCodeShape::FitReadableText(const TRect& frame, TCanvas& canvas) {
  TVmBarcode& barcode = *Barcode;
  TFont font(barcode.GetShowTextFont());
  while (!ReadableTextFits(frame, canvas) && std::abs(font.GetHeight()) > 1) {
    font.SetHeight(app::SmallerFontHeight(font.GetHeight()));
    barcode.SetShowTextFont(font);
  }
}

bool TdocBarCodeShape::ReadableTextFits(const TRect& frame, TCanvas& canvas) {
  TVmBarcode& barcode = *Barcode;
  canvas.SetFont(barcode.ReadableTextFont());
  const int barsWidth = barcode.GetWidth();
  const auto inside = [&](int left, int width) { return left >= frame.Left && left + width <= frame.Right; };
  std::string line = barcode.GetText();
  std::erase(line, FNC1Marker);  // drawn without the markers
  const TSize cell = canvas.TextExtent(line);
  if (cell.cy * 2 > frame.Bottom - frame.Top) return false;
  if (!barcode.DrawsDigitByDigit()) {
    // Where the component writes it: from the symbol's left, flush right
    // with the bars or centred on them.
    int left = barcode.GetLeft();
    const TShowTextPosition position = barcode.GetShowTextPosition();
    if (position == stpTopRight || position == stpBottomRight) left += barsWidth - cell.cx;
    if (position == stpTopCenter || position == stpBottomCenter) left += (barsWidth - cell.cx) / 2;
    return inside(left, cell.cx);
  }
  // Each digit stands before the next one's place, inside the frame.
  barcode.PlaceDigits();
  const std::string digits = barcode.ReadableDigits();
  for (std::size_t i = 0; i < digits.size() && i < barcode.DigitPositions.size(); ++i) {
    const int left = barcode.GetLeft() + barcode.DigitPositions[i];
    const int digitWidth = canvas.TextWidth(std::string_view(digits).substr(i, 1));
    const bool last = i + 1 == digits.size();
    const int end = last ? frame.Right : barcode.GetLeft() + barcode.DigitPositions[i + 1];
    if (!inside(left, digitWidth) || left + digitWidth > end) return false;
  }
  return true;
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

std::string BarcodeTypeName(const TVmBarcode& barcode) {
  if (barcode.GetTyp() < BarcodeTypeCount) return barcode.GetTypeCaption();
  return rtl::Format("(%s %d)", pgloretlibmessage(UiTextUnknownBarcodeType), static_cast<int>(barcode.GetTyp()));
}

std::string RefusedBarcodeMessage(TdocShape& root, double dotsPerMm) {
  if (auto* shape = dynamic_cast<TdocBarCodeShape*>(&root); shape && shape->GetBarcode()) {
    if (const int refusal = shape->CheckValue(dotsPerMm)) {
      const TVmBarcode& barcode = *shape->GetBarcode();
      return pgloretlibmessage(UiTextBarcode) + " " + BarcodeTypeName(barcode) + " \"" +
             rtl::Cp1252ToUtf8(barcode.GetText()) + "\": " + pgloretlibmessage(refusal);
    }
  }
  for (int i = 0; i < root.GetShapeCount(); ++i)
    if (std::string message = RefusedBarcodeMessage(*root.GetShapes(i), dotsPerMm); !message.empty()) return message;
  return {};
}

void CheckBarcodesDrawable(TdocShape& root, double dotsPerMm) {
  if (const std::string message = RefusedBarcodeMessage(root, dotsPerMm); !message.empty())
    throw EBarcodeRefused(message);
}

void NudgeBarcodeAngles(TdocShape& page) {
  for (int i = 0; i < page.GetShapeCount(); ++i) {
    TdocShape* child = page.GetShapes(i);
    if (&child->GetClass() == &TdocBarCodeShape::StaticClass() && child->GetDocAngle() == 0.0f)
      child->SetDocAngle(SheetAngle);
  }
}
