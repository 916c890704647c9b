// Measuring and drawing of TdocTextShape, and TdocMemoShape.

#include "document/text/TextShape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_map>

#include "platform/gdi/Color.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

namespace {

using rtl::IsHighSurrogate;
using rtl::IsLowSurrogate;

// Text is measured at 300 dots per inch.
constexpr double MeasureScale = 11.811023622047244;
// The font engine's own limit.
constexpr int MaxPixelHeight = 16384;

// A height of 0 pixels would ask the font engine for its default size, and
// a negative font height would turn the em height into a cell height: the
// em is the height's magnitude, at least one pixel.
int EmPixels(double fontHeight, double scale) {
  const double pixels = std::fabs(fontHeight) * scale;
  if (!(pixels >= 1)) return 1;
  return rtl::Round(std::min(pixels, double(MaxPixelHeight)));
}

// Whole-pixel advances of code points per font, as the canvas measures
// them, remembered for the fonts used last.
class TAdvanceCache {
public:
  static TAdvanceCache& For(const TFont& font) {
    static std::map<std::string, TAdvanceCache> caches;
    const std::string key = font.GetName() + '\n' + std::to_string(font.GetHeight()) + '\n' +
                            std::to_string(font.GetStyle()) + '\n' + std::to_string(font.GetWeight());
    if (caches.size() > 64 && !caches.contains(key)) caches.clear();
    return caches[key];
  }

  int Advance(TCanvas& canvas, char32_t c) {
    if (c < Ascii.size()) {
      if (Ascii[c] < 0) Ascii[c] = Measure(canvas, c);
      return Ascii[c];
    }
    const auto found = Others.find(c);
    if (found != Others.end()) return found->second;
    return Others[c] = Measure(canvas, c);
  }

private:
  static int Measure(TCanvas& canvas, char32_t c) {
    std::u16string unit;
    if (c >= 0x10000) {
      unit.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      unit.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      unit.push_back(static_cast<char16_t>(c));
    }
    return canvas.TextExtent(unit).cx;
  }

  std::array<int, 128> Ascii = [] {
    std::array<int, 128> unknown{};
    unknown.fill(-1);
    return unknown;
  }();
  std::unordered_map<char32_t, int> Others;
};

// Calls each(unit index, advance) for every UTF-16 unit of text: a
// surrogate pair's advance goes to its first unit, its second gets 0; an
// unpaired surrogate measures as U+FFFD, as the canvas draws it.
template <class Each>
void ForEachAdvance(TCanvas& canvas, std::u16string_view text, Each each) {
  TAdvanceCache& cache = TAdvanceCache::For(canvas.GetFont());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      each(i, cache.Advance(canvas, c));
      each(i + 1, 0);
      ++i;
    } else {
      const bool lone = IsHighSurrogate(unit) || IsLowSurrogate(unit);
      each(i, cache.Advance(canvas, lone ? U'\uFFFD' : char32_t(unit)));
    }
  }
}

TSize LineExtent(TCanvas& canvas, std::u16string_view text) {
  std::int64_t width = 0;
  ForEachAdvance(canvas, text, [&width](std::size_t, int advance) { width += advance; });
  return TSize{static_cast<int>(std::min<std::int64_t>(width, INT32_MAX)), canvas.TextExtent(u"").cy};
}

}  // namespace

const TdocShapeClass& TdocTextShape::StaticClass() {
  static const TdocShapeClass info{"TdocTextShape", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocTextShape>();
                                   }};
  return info;
}

TdocTextShape::TdocTextShape() { SetForceRenderCache(true); }

void TdocTextShape::SelectFont(TCanvas& canvas, int pixelHeight) const {
  TFont& font = canvas.GetFont();
  font.SetName(GetFontName());
  font.SetStyle(GetFontStyle());
  font.SetHeight(pixelHeight);
}

// ---- measuring

void TdocTextShape::PrepareMeasureFont() {
  TCanvas& canvas = gdi::MeasuringCanvas();
  SelectFont(canvas, -EmPixels(GetFontHeight(), MeasureScale));
  if (PrefixStamp == GetLayoutStamp()) return;
  const std::u16string& text = GetText();
  Prefix.assign(text.size() + 1, 0);
  ForEachAdvance(canvas, text, [this](std::size_t i, int advance) { Prefix[i + 1] = advance; });
  for (std::size_t i = 1; i < Prefix.size(); ++i) Prefix[i] += Prefix[i - 1];
  const TSize reference = canvas.TextExtent(kFontReferenceText);
  ReferenceWidth = reference.cx;
  MeasuredCellHeight = reference.cy;
  PrefixStamp = GetLayoutStamp();
}

void TdocTextShape::MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) {
  PrepareMeasureFont();
  const auto length = static_cast<std::int64_t>(GetText().size());
  const std::int64_t first = std::clamp<std::int64_t>(std::int64_t{charPos} - 1, 0, length);
  const std::int64_t last = std::clamp<std::int64_t>(first + std::max(charCount, 0), first, length);
  const std::int64_t pixels = charCount > 0 ? Prefix[std::size_t(last)] - Prefix[std::size_t(first)] : 0;
  // No line is narrower or shorter than "Www".
  width = double(std::max<std::int64_t>(pixels, ReferenceWidth)) / MeasureScale;
  height = MeasuredCellHeight / MeasureScale;
}

double TdocTextShape::FitLineFont(TCanvas& canvas, const TdocTextSpan& span, double scale) const {
  const double boxWidth = span.Width * scale;
  const double boxHeight = span.Height * scale;
  const std::u16string_view line = SpanText(span);
  const auto fits = [&](const TSize& e) { return e.cx <= boxWidth && e.cy <= boxHeight; };
  const auto smaller = [&](const TSize& e) { return e.cx < boxWidth && e.cy < boxHeight; };
  int height = std::abs(canvas.GetFont().GetHeight());
  TSize extent = LineExtent(canvas, line);
  if (fits(extent)) {
    if (smaller(extent)) {
      while (smaller(extent) && height < MaxPixelHeight) {
        SelectFont(canvas, -++height);
        extent = LineExtent(canvas, line);
      }
      SelectFont(canvas, -std::max(--height, 1));
      extent = LineExtent(canvas, line);
    }
  } else {
    // One pixel is the floor: a height of 0 would pick the default size.
    while (!fits(extent) && height > 1) {
      --height;
      SelectFont(canvas, -height);
      extent = LineExtent(canvas, line);
    }
  }
  const double offset = (boxWidth - extent.cx) / scale;
  if (GetAlignment() == taRightJustify) return offset;
  if (GetAlignment() == taCenter) return offset / 2;
  return 0;
}

// ---- caret positions

void TdocTextShape::PrepareCaretFont(double scale) {
  SelectFont(gdi::MeasuringCanvas(), -EmPixels(GetFontHeight(), scale));
}

void TdocTextShape::MeasureCaretPositions(const TdocTextSpan& span, double scale) {
  TCanvas& canvas = gdi::MeasuringCanvas();
  const double offset = FitLineFont(canvas, span, scale);
  std::vector<TFloatPoint>& carets = CaretPositions();
  const std::size_t first = std::size_t(span.CharPos - 1);
  double x = 0;
  carets[first].X = static_cast<float>(offset);
  ForEachAdvance(canvas, SpanText(span), [&](std::size_t i, int advance) {
    x += advance;
    carets[first + i + 1].X = static_cast<float>(x / scale + offset);
  });
}

// ---- drawing

void TdocTextShape::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) {
  const double scale = options.BitmapResolution > 0 ? options.BitmapResolution : options.Resolution;
  if (!(scale > 0) || !std::isfinite(scale) || bitmap.IsEmpty()) {
    bitmap.Clear(0);
    return;
  }
  // Rows are cleared just before the first line that reaches them is drawn,
  // while the drawing still finds them in the cache; the rest at the end.
  const std::size_t width = std::size_t(bitmap.GetWidth());
  int clearedRows = 0;
  const auto clearRowsTo = [&](int bottom) {
    bottom = std::min(bottom, bitmap.GetHeight());
    if (bottom <= clearedRows) return;
    std::fill(bitmap.ScanLine(clearedRows), bitmap.ScanLine(bottom), TColor32{0});
    clearedRows = bottom;
  };
  TCanvas& canvas = bitmap.GetCanvas();
  canvas.GetFont().SetColor(clWhite);
  SelectFont(canvas, EmPixels(GetFontHeight(), scale));
  const TdocTransform& device = GetDeviceTransform();
  for (int i = 0; i < GetSpanCount(); ++i) {
    const TdocTextSpan& span = GetSpans(i);
    if (span.CharCount <= 0) continue;
    const double offset = FitLineFont(canvas, span, scale);
    const double left = span.LineLeft + offset;
    const TFloatPoint topLeft = device.TransformPoint({static_cast<float>(left), span.LineTop});
    const TFloatPoint bottomRight =
        device.TransformPoint({static_cast<float>(left + span.Width), span.LineTop + span.Height});
    const TRect box = Rect(rtl::Round(std::clamp<double>(topLeft.X, -1e9, 1e9)),
                           rtl::Round(std::clamp<double>(topLeft.Y, -1e9, 1e9)),
                           rtl::Round(std::clamp<double>(bottomRight.X, -1e9, 1e9)),
                           rtl::Round(std::clamp<double>(bottomRight.Y, -1e9, 1e9)));
    clearRowsTo(std::max(box.Top, box.Bottom));
    canvas.DrawText(SpanText(span), box, DT_NOPREFIX);
  }
  clearRowsTo(bitmap.GetHeight());
  // The white text's blue channel is its coverage: it becomes the alpha of
  // the text colour.
  const std::uint32_t rgb = imaging::Color32(ColorToRGB(GetFontColor())) & 0x00FFFFFFu;
  TColor32* bits = bitmap.GetBits();
  const std::size_t count = width * std::size_t(bitmap.GetHeight());
  for (std::size_t i = 0; i < count; ++i) bits[i] = (bits[i] << 24) | rgb;
}

// ---- memo

const TdocShapeClass& TdocMemoShape::StaticClass() {
  static const TdocShapeClass info{"TdocMemoShape", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocMemoShape>();
                                   }};
  return info;
}

TdocMemoShape::TdocMemoShape() {
  MultiLine = true;
  WordWrap = false;
  ScaleFontOnResize = false;
  Lines.OnChange = [this](TPersistent*) { TdocTextShape::SetText(Lines.GetText()); };
}

// The lines follow the text without setting it back.
void TdocMemoShape::CopyTextToLines(const std::u16string& text) {
  auto onChange = std::move(Lines.OnChange);
  Lines.OnChange = nullptr;
  auto restore = TdocBracketGuard([this, &onChange] { Lines.OnChange = std::move(onChange); });
  Lines.SetText(text);
}

void TdocMemoShape::SetText(const std::u16string& value) {
  if (value == GetText()) return;
  CopyTextToLines(value);
  TdocTextShape::SetText(value);
}

void TdocMemoShape::EditKeyDown(TKey& key, TShiftState shift) {
  if (key == VK_RETURN && GetEditor()) {
    GetEditor()->KeyDown(key, shift);
    return;
  }
  TdocTextShape::EditKeyDown(key, shift);
}

void TdocMemoShape::LoadFromXml(TXmlNode* node) {
  TdocTextShape::LoadFromXml(node);
  CopyTextToLines(GetText());
}
