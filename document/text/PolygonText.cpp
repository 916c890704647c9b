// TdocPolygonText and TdocPolygonMemo: measuring with the shared font's
// glyph metrics and drawing its outlines.

#include "document/text/PolygonText.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/text/FixedValues.h"
#include "document/text/FontManager.h"
#include "document/text/FontRenderer.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Format.h"

namespace {

// Mapped points stay inside this many pixels of the bitmap's origin, well
// inside the 16.16 range.
constexpr double PixelRange = 32000;

TFixed ToDeviceFixed(double pixels) {
  return document::ToFixed(std::isnan(pixels) ? 0.0 : std::clamp(pixels, -PixelRange, PixelRange));
}

// True when no pixel of the clip rectangle can take ink of the contour: its
// box, mapped by t, lies wholly outside (a pixel of margin for the
// antialiased edge). Such a contour cannot enclose a pixel of the clip
// either, so leaving it out changes no coverage under any fill rule.
bool OutlineContourMissesClip(const TArrayOfFixedPoint& contour, const TdocTransform& t, const TRect& clip) {
  if (contour.empty()) return true;
  TFixed left = contour.front().X, right = left, top = contour.front().Y, bottom = top;
  for (const TFixedPoint& p : contour) {
    left = std::min(left, p.X), right = std::max(right, p.X);
    top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
  }
  double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
  for (const TFixed x : {left, right})
    for (const TFixed y : {top, bottom}) {
      const double mx = x / document::FixedUnit, my = y / document::FixedUnit;
      const double px = t.a * mx + t.c * my + t.e, py = t.b * mx + t.d * my + t.f;
      minX = std::min(minX, px), maxX = std::max(maxX, px);
      minY = std::min(minY, py), maxY = std::max(maxY, py);
    }
  return maxX < clip.Left - 1 || minX > clip.Right + 1 || maxY < clip.Top - 1 || minY > clip.Bottom + 1;
}

}  // namespace

const TdocShapeClass& TdocPolygonText::StaticClass() {
  static const TdocShapeClass info{"TdocPolygonText", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocPolygonText>();
                                   }};
  return info;
}

TdocPolygonText::TdocPolygonText() : Outline(std::make_unique<TPolygon32>()) { Outline->Antialiased = true; }

TdocPolygonText::~TdocPolygonText() {
  GiveBackOutlineCharge();
  ReleaseFont();
}

// ---- the shared font

void TdocPolygonText::AcquireShapeFont() const {
  TdocFontManager* fonts = GetDocument() ? GetDocument()->GetShapeFonts() : nullptr;
  if (fonts == nullptr) return;
  // Let go before the call: the held font's use ends there even when the
  // new font cannot be created, and it may be freed.
  TdocFont* previous = std::exchange(Font, nullptr);
  Font = fonts->AcquireFont(GetFontName(), GetFontStyle(), previous);
}

void TdocPolygonText::ReleaseFont() {
  if (Font == nullptr) return;
  Font->GetManager()->AcquireFont("", Font->GetStyleBits(), Font);
  Font = nullptr;
}

bool TdocPolygonText::HasFont() const {
  if (Font == nullptr) AcquireShapeFont();
  return Font != nullptr;
}

void TdocPolygonText::SetDocument(TdocServices* document) {
  const bool attached = document != nullptr && document != GetDocument();
  // A font of another document's manager must not be kept, nor a charge
  // on its budget.
  if (document != GetDocument()) {
    GiveBackOutlineCharge();
    ReleaseFont();
  }
  const std::uint64_t builds = OutlineBuilds;
  TdocTextBaseShape::SetDocument(document);
  Relayout();
  // A text inserted where the label's budget is spent is told so at once;
  // one read with its page is told when it is loaded.
  if (!attached || document->IsLoading()) return;
  if (OutlineBuilds == builds) BuildOutline();
  if (!DrawnWhole()) document->DoEditNotice(this, DrawnInPartMessage());
}

void TdocPolygonText::Relayout() {
  AcquireShapeFont();
  TdocTextBaseShape::Relayout();
}

void TdocPolygonText::Loaded() {
  TdocTextBaseShape::Loaded();
  AcquireShapeFont();
  // Built now, so the label's texts take their budget in the order they
  // are read.
  BuildOutline();
  if (!DrawnWhole()) DoLoadError(DrawnInPartMessage());
}

void TdocPolygonText::SetText(const std::u16string& value) {
  if (value == GetText()) return;
  const bool drawnWhole = DrawnWhole();
  const std::uint64_t builds = OutlineBuilds;
  TdocTextBaseShape::SetText(value);
  if (OutlineBuilds == builds) BuildOutline();
  TdocServices* document = GetDocument();
  if (drawnWhole && !DrawnWhole() && document && !document->IsLoading())
    document->DoEditNotice(this, DrawnInPartMessage());
}

// ---- the budget

TdocOutlineCharge TdocPolygonText::OpenOutlineCharge() {
  GiveBackOutlineCharge();
  TdocFontManager* fonts = Font ? Font->GetManager() : nullptr;
  ChargedBudget = fonts ? fonts->GetOutlineBudget() : nullptr;
  TdocOutlineCharge allowance = ChargedBudget ? ChargedBudget->Free() : TdocOutlineCharge{};
  allowance.Characters = std::min<std::int64_t>(allowance.Characters, MaxOutlinedCharacters);
  return allowance;
}

void TdocPolygonText::CloseOutlineCharge(const TdocOutlineCharge& drawn, std::int64_t drawable) {
  ++OutlineBuilds;
  Drawn = drawn;
  Drawable = drawable;
  if (ChargedBudget) ChargedBudget->Take(Drawn);
}

void TdocPolygonText::ChargeNothing() {
  OpenOutlineCharge();
  CloseOutlineCharge({}, 0);
}

void TdocPolygonText::GiveBackOutlineCharge() {
  if (ChargedBudget) ChargedBudget->GiveBack(Drawn);
  ChargedBudget.reset();
  Drawn = {};
  Drawable = 0;
}

std::string TdocPolygonText::DrawnInPartMessage() const {
  const auto length = static_cast<std::int64_t>(GetText().size());
  if (Drawable > std::int64_t{MaxOutlinedCharacters} && Drawn.Characters == std::int64_t{MaxOutlinedCharacters})
    return OutlineNoticeText(TOutlineNotice::TextTooLong, length, MaxOutlinedCharacters);
  return OutlineNoticeText(TOutlineNotice::LabelBudgetSpent, length, Drawn.Characters);
}

// ---- measuring

void TdocPolygonText::ConfigureRenderer(TdocFontRenderer& renderer) const {
  renderer.FontHeight = GetFontHeight();
  renderer.InkBounds = true;
  renderer.CharacterSpacing = GetCharacterSpacing();
  renderer.WordSpacing = GetWordSpacing();
  renderer.UseKerning = GetUseKerning();
}

double TdocPolygonText::GetLineDistance() const {
  if (!HasFont()) return 0;
  TdocFontRenderer renderer(Font);
  ConfigureRenderer(renderer);
  return renderer.GetLineHeight() * GetLineHeight();
}

void TdocPolygonText::MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) {
  height = 0;
  width = 0;
  if (!HasFont()) return;
  TdocFontRenderer renderer(Font);
  ConfigureRenderer(renderer);
  TdocTextSpan span(this);
  span.CharPos = charPos;
  span.CharCount = charCount;
  renderer.GetTextWidth(SpanText(span), width, height);
  double referenceWidth = 0;
  double referenceHeight = 0;
  renderer.GetTextWidth(kFontReferenceText, referenceWidth, referenceHeight);
  width = std::max(width, referenceWidth);
}

void TdocPolygonText::MeasureCaretPositions(const TdocTextSpan& span, double /*scale*/) {
  if (!HasFont()) return;
  TdocFontRenderer renderer(Font);
  ConfigureRenderer(renderer);
  std::vector<double> positions;
  renderer.GetCharPositions(SpanText(span), positions);
  std::vector<TFloatPoint>& carets = CaretPositions();
  const std::size_t first = std::size_t(std::max(span.CharPos - 1, 0));
  for (std::size_t i = 0; i < positions.size() && first + i < carets.size(); ++i)
    carets[first + i].X = static_cast<float>(positions[i]);
}

// ---- drawing

// Only the contours that can reach the bitmap's clip rectangle are mapped
// and filled: a page drawn in bands fills each band with its own glyphs.
void TdocPolygonText::FillOutline(TBitmap32& bitmap, const TPolygon32& outline) const {
  const TdocTransform& t = GetDeviceTransform();
  const TRect clip = bitmap.GetClipRect();
  TArrayOfArrayOfFixedPoint mapped;
  for (const TArrayOfFixedPoint& contour : outline.GetPoints()) {
    if (OutlineContourMissesClip(contour, t, clip)) continue;
    TArrayOfFixedPoint& to = mapped.emplace_back();
    to.reserve(contour.size());
    for (const TFixedPoint& p : contour) {
      const double x = p.X / document::FixedUnit;
      const double y = p.Y / document::FixedUnit;
      to.push_back({ToDeviceFixed(t.a * x + t.c * y + t.e), ToDeviceFixed(t.b * x + t.d * y + t.f)});
    }
  }
  TPolygon32 device;
  outline.CopyPropertiesTo(device);
  device.SetPoints(std::move(mapped));
  device.Antialiased = true;
  device.FillMode = pfNonZero;
  device.DrawFill(bitmap, imaging::ColorToColor32(GetFontColor()));
}

// Each line is laid out in the frame's millimetres with its baseline at the
// font's ascent below the line's top; the lines share what the text may draw.
void TdocPolygonText::BuildOutline() {
  Outline->Clear();
  if (!HasFont()) {
    ChargeNothing();
    return;
  }
  TdocFontRenderer renderer(Font);
  ConfigureRenderer(renderer);
  const TdocOutlineCharge allowance = OpenOutlineCharge();
  TdocOutlineCharge drawn;
  std::int64_t drawable = 0;
  for (int i = 0; i < GetSpanCount(); ++i) {
    const TdocTextSpan& span = GetSpans(i);
    const std::u16string_view text = SpanText(span);
    // Once a line is cut, the lines after it draw nothing.
    const bool earlierLineCut = drawn.Characters < drawable;
    drawable += static_cast<std::int64_t>(text.size());
    if (earlierLineCut) continue;
    renderer.Allowance = allowance.Minus(drawn);
    const TdocOutlineCharge line =
        renderer.RenderText(text, *Outline, span.LineLeft, span.LineTop + renderer.GetAscent(), 1.0);
    drawn = {drawn.Characters + line.Characters, drawn.Points + line.Points};
  }
  CloseOutlineCharge(drawn, drawable);
}

void TdocPolygonText::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (!HasFont()) return;
  BuildOutline();
  FillOutline(bitmap, *Outline);
}

// ---- memo

const TdocShapeClass& TdocPolygonMemo::StaticClass() {
  static const TdocShapeClass info{"TdocPolygonMemo", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocPolygonMemo>();
                                   }};
  return info;
}

TdocPolygonMemo::TdocPolygonMemo() {
  MultiLine = true;
  WordWrap = false;
  ScaleFontOnResize = false;
  SetForceRenderCache(false);
}

void TdocPolygonMemo::EditKeyDown(TKey& key, TShiftState shift) {
  if (key == VK_RETURN && GetEditor()) {
    GetEditor()->KeyDown(key, shift);
    return;
  }
  TdocPolygonText::EditKeyDown(key, shift);
}
