// Drawing a barcode on a canvas: one filled and outlined polygon per module,
// turned with the barcode's frame, then the human-readable text in a font
// turned by the same angle and placed in that frame.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "barcode/Barcode.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Numbers.h"

namespace {

// The drawing state a paint borrows from the canvas, given back however the
// paint ends.
class TCanvasStateGuard {
public:
  explicit TCanvasStateGuard(TCanvas& canvas)
      : Canvas(canvas), Font(canvas.GetFont()), Pen(canvas.GetPen()), Brush(canvas.GetBrush()) {}
  TCanvasStateGuard(const TCanvasStateGuard&) = delete;
  TCanvasStateGuard& operator=(const TCanvasStateGuard&) = delete;
  ~TCanvasStateGuard() {
    Canvas.SetFont(Font);
    Canvas.SetPen(Pen);
    Canvas.SetBrush(Brush);
  }

private:
  TCanvas& Canvas;
  TFont Font;
  TPen Pen;
  TBrush Brush;
};

// No font of this name is installed: the platform substitutes its default
// face, so only the size, character set and colour are the user's.
constexpr const char* ReadableTextFace = "PoliceInclinee";
constexpr int RegularWeight = 400;

// The EAN modules drawn longer than the others (the first and last three
// and the centre guard's bars) and the modules whose right edge places a
// human-readable digit, module numbers counted from 1.
struct TEanLayout {
  std::size_t CentreFirst;
  std::size_t CentreLast;
  std::size_t FirstPlacedDigit;  // EAN-13 writes its first digit left of the bars
  std::span<const std::size_t> DigitMarks;
};

constexpr std::array<std::size_t, 8> Ean8Marks = {4, 8, 12, 16, 24, 28, 32, 36};
constexpr std::array<std::size_t, 12> Ean13Marks = {4, 8, 12, 16, 20, 24, 33, 37, 41, 45, 49, 53};
constexpr TEanLayout Ean8Layout{21, 23, 0, Ean8Marks};
constexpr TEanLayout Ean13Layout{29, 31, 1, Ean13Marks};

const TEanLayout* EanLayout(TBarcodeType typ) {
  switch (typ) {
    case bcCodeEAN8: return &Ean8Layout;
    case bcCodeEAN13: return &Ean13Layout;
    default: return nullptr;
  }
}

bool IsGuardModule(const TEanLayout& layout, std::size_t i, std::size_t count) {
  return i < 4 || (i >= layout.CentreFirst && i <= layout.CentreLast) || i + 3 > count;
}

constexpr int GuardExtraModules = 6;

bool IsTopPosition(TShowTextPosition position) { return position <= stpTopCenter; }

// Where the text cell starts along the row, from where the text of a
// left position starts: flush right or centred on the bars' width.
int AlongOffset(TShowTextPosition position, int barsWidth, int textWidth) {
  switch (position) {
    case stpTopRight:
    case stpBottomRight: return barsWidth - textWidth;
    case stpTopCenter:
    case stpBottomCenter: return rtl::Trunc((static_cast<double>(barsWidth) - textWidth) / 2);
    default: return 0;
  }
}

std::string WithoutFnc1(std::string text) {
  std::erase(text, FNC1Marker);
  return text;
}

int CheckedSum(int a, std::int64_t b) { return rtl::CheckedToInt32(static_cast<double>(a + b)); }

}  // namespace

void TVmBarcode::PaintBarcode(TCanvas& canvas) {
  const TCanvasStateGuard state(canvas);
  const std::string modules = EncodeModules();
  PaintModules(modules, canvas);
  if (FShowText != bcoNone) PaintReadableText(canvas);
}

int TVmBarcode::LeadWidth() const { return FTyp == bcCodeEAN13 ? 2 * FModuleWidths[1] : 0; }

barcode::TSymbolFrame TVmBarcode::BarsFrame(int width) const {
  const double alpha = barcode::Radians(FAngle);
  const TPoint start = barcode::OffsetPoint(Point(FLeft, FTop), Point(LeadWidth(), 0));
  return {barcode::RotatedBoxOrigin(alpha, start, width, FHeight), alpha};
}

void TVmBarcode::PaintModules(const std::string& modules, TCanvas& canvas) {
  const barcode::TSymbolFrame frame = BarsFrame(GetWidth());
  TPen& pen = canvas.GetPen();
  TBrush& brush = canvas.GetBrush();
  pen.SetWidth(1);
  pen.SetStyle(psSolid);
  brush.SetStyle(bsSolid);
  PlaceDigits(modules);
  int x = 0;
  for (std::size_t i = 1; i <= modules.size(); ++i) {
    const TModuleInfo module = GetModuleInfo(modules[i - 1]);
    const TColor colour = module.Kind == blSpace ? Color : ColorBar;
    pen.SetColor(colour);
    brush.SetColor(colour);
    const int h = ModuleHeight(module, i, modules.size());
    const int right = x + module.Width - 1;
    const std::array<TPoint, 4> corners = {frame.ToCanvas(Point(x, 0)), frame.ToCanvas(Point(x, h)),
                                           frame.ToCanvas(Point(right, h)), frame.ToCanvas(Point(right, 0))};
    canvas.Polygon(corners);
    x = right + 1;
  }
}

int TVmBarcode::ModuleHeight(const TModuleInfo& module, std::size_t i, std::size_t count) const {
  if (module.Kind == blShortBar) return static_cast<int>(std::int64_t{FHeight} * 2 / 5);
  const TEanLayout* layout = EanLayout(FTyp);
  if (layout != nullptr && IsGuardModule(*layout, i, count))
    return CheckedSum(FHeight, std::int64_t{module.Width} * GuardExtraModules);
  return FHeight;
}

void TVmBarcode::PlaceDigits() { PlaceDigits(EncodeModules()); }

void TVmBarcode::PlaceDigits(const std::string& modules) {
  DigitPositions.fill(0);
  int x = 0;
  for (std::size_t i = 1; i <= modules.size(); ++i) {
    x += GetModuleInfo(modules[i - 1]).Width;
    PlaceDigit(i, x);
  }
}

void TVmBarcode::PlaceDigit(std::size_t i, int rightEdge) {
  const TEanLayout* layout = EanLayout(FTyp);
  if (layout == nullptr) return;
  const auto mark = std::find(layout->DigitMarks.begin(), layout->DigitMarks.end(), i);
  if (mark == layout->DigitMarks.end()) return;
  DigitPositions[layout->FirstPlacedDigit + static_cast<std::size_t>(mark - layout->DigitMarks.begin())] =
      LeadWidth() + rightEdge;
}

TFont TVmBarcode::ReadableTextFont() const {
  TFont font;
  font.SetName(ReadableTextFace);
  font.SetHeight(FShowTextFont.GetHeight());
  font.SetCharset(FShowTextFont.GetCharset());
  font.SetColor(FShowTextFont.GetColor());
  // Whole turns are dropped so that any finite angle has an escapement.
  font.SetEscapement(rtl::Round(std::fmod(FAngle, 360.0) * 10));
  font.SetWeight(RegularWeight);
  font.SetStyle(0);
  font.SetPitch(fpVariable);
  return font;
}

std::string TVmBarcode::ReadableDigits() const { return EanDigits(FTyp == bcCodeEAN8 ? Ean8Digits : Ean13Digits); }

bool TVmBarcode::DrawsDigitByDigit() const {
  return (FTyp == bcCodeEAN8 || FTyp == bcCodeEAN13) && FShowTextPosition == stpBottomLeft;
}

// The text is placed in the barcode's own frame, as it sits beside unturned
// bars, and turned with them: it follows the bars at any angle.
void TVmBarcode::PaintReadableText(TCanvas& canvas) {
  const std::string line = WithoutFnc1(FText);
  canvas.SetFont(ReadableTextFont());
  canvas.GetPen().SetColor(FShowTextFont.GetColor());
  canvas.GetBrush().SetColor(clWhite);
  canvas.GetBrush().SetStyle(bsClear);
  const TSize cell = canvas.TextExtent(line);  // as drawn, without the markers
  const int width = GetWidth();
  const barcode::TSymbolFrame frame = BarsFrame(width);
  const bool top = IsTopPosition(FShowTextPosition);
  const TPoint anchor = Point(AlongOffset(FShowTextPosition, width, cell.cx) - LeadWidth(), top ? -cell.cy : FHeight);
  const auto draw = [&](TPoint local, std::string_view text) {
    const TPoint at = frame.ToCanvas(local);
    canvas.TextOut(at.X, at.Y, text);
  };

  const bool showsCode = FShowText == bcoCode || FShowText == bcoBoth;
  if (showsCode && DrawsDigitByDigit()) {
    // Under each digit group, the digits the bars carry.
    const std::string digits = ReadableDigits();
    for (std::size_t i = 0; i < digits.size(); ++i)
      draw(Point(CheckedSum(anchor.X, DigitPositions[i]), anchor.Y), std::string_view(digits).substr(i, 1));
    return;
  }
  if (showsCode) draw(anchor, line);
  if (FShowText == bcoTyp || FShowText == bcoBoth) {
    // With the code text, the caption takes the next line away from the bars.
    const int lineOffset = showsCode ? (top ? -cell.cy : cell.cy) : 0;
    draw(Point(anchor.X, CheckedSum(anchor.Y, lineOffset)), GetTypeCaption());
  }
}
