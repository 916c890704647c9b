// TdocTransFormText, TdocCurvedText and TdocWavyText: the outline built at
// unit scale, its warps, and their XML.

#include "document/text/TransformText.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "document/text/FixedValues.h"
#include "document/text/FontManager.h"
#include "document/shape/ShapeValues.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlNode.h"

using document::FixedUnit;
using document::SaturatedFixed;
using document::ToFixed;

namespace {

// Subdivided edges are at most a millimetre long, but a glyph's edges are
// cut into no more pieces than this per em, so a huge font stays bounded.
constexpr double MaxPiecesPerEm = 50;

TFixed FixedProduct(TFixed a, TFixed b) { return SaturatedFixed(double(std::int64_t{a} * b) / FixedUnit); }

TFixedPoint FixedPoint(double x, double y) { return {ToFixed(x), ToFixed(y)}; }

}  // namespace

// ---- TFixedTransform

void TFixedTransform::Premultiply(const TMatrix& by) {
  TMatrix result{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += double(std::int64_t{by[row][k]} * M[k][column]);
      result[row][column] = SaturatedFixed(sum / FixedUnit);
    }
  M = result;
}

void TFixedTransform::Rotate(TFixed cx, TFixed cy, double angle) {
  // T(c) x R x T(-c) in one matrix: the pivot never needs negating.
  const double c = std::cos(angle), s = std::sin(angle);
  const double x = cx, y = cy;
  Premultiply({{{ToFixed(c), ToFixed(s), SaturatedFixed(x - c * x - s * y)},
                {ToFixed(-s), ToFixed(c), SaturatedFixed(y + s * x - c * y)},
                {0, 0, 65536}}});
}

void TFixedTransform::Translate(TFixed dx, TFixed dy) { Premultiply({{{65536, 0, dx}, {0, 65536, dy}, {0, 0, 65536}}}); }

TFixedPoint TFixedTransform::Transform(const TFixedPoint& p) const {
  const auto row = [&](int r) {
    return SaturatedFixed(double(FixedProduct(M[r][0], p.X)) + FixedProduct(M[r][1], p.Y) + M[r][2]);
  };
  return {row(0), row(1)};
}

// ---- TdocTransFormText

void TdocTransFormText::SetTransformMethod(std::uint8_t value) {
  if (value == TransformMethod) return;
  RecordUndoInteger(ckPropertyValue, "TransformMethod", TransformMethod);
  TransformMethod = value;
  Subdivide = value == 0;
  Relayout();
}

void TdocTransFormText::ConfigureRenderer(TdocFontRenderer& renderer) const {
  TdocPolygonText::ConfigureRenderer(renderer);
  renderer.Placements = &Placements;
  if (Subdivide) renderer.MaxSegment = std::max(1.0, std::fabs(renderer.FontHeight) / MaxPiecesPerEm);
}

void TdocTransFormText::BuildOutline() {
  Outline->Clear();
  Placements.Clear();
  WarpWidth = 0;
  WarpHeight = 0;
  if (!HasFont()) {
    ChargeNothing();
    return;
  }
  TdocFontRenderer renderer(GetFont());
  ConfigureRenderer(renderer);
  renderer.Allowance = OpenOutlineCharge();
  const std::u16string_view text = GetText();
  const TdocOutlineCharge charge = renderer.RenderText(text, *Outline, 0, renderer.GetAscent(), 1.0);
  CloseOutlineCharge(charge, static_cast<std::int64_t>(text.size()));
  const std::u16string_view drawn = text.substr(0, static_cast<std::size_t>(charge.Characters));
  double referenceWidth = 0, referenceHeight = 0;
  renderer.GetTextWidth(kFontReferenceText, referenceWidth, referenceHeight);
  renderer.GetTextWidth(drawn, WarpWidth, WarpHeight);
  const TFixed minimumWidth = ToFixed(referenceWidth);
  TFixed w = ToFixed(WarpWidth);
  if (w < minimumWidth) {
    w = minimumWidth;
    WarpWidth = referenceWidth;
  }
  Warp(w, ToFixed(WarpHeight));
  if (!FitToWarp) return;
  const TFixedRect bounds = Outline->GetBounds();
  if (bounds.Left != 0 || bounds.Top != 0) Outline->Offset(-bounds.Left, -bounds.Top);
  const std::int64_t width = std::int64_t{bounds.Right} - bounds.Left;
  const std::int64_t height = std::int64_t{bounds.Bottom} - bounds.Top;
  if (width > minimumWidth) WarpWidth = double(width) / FixedUnit;
  if (height > ToFixed(referenceHeight)) WarpHeight = double(height) / FixedUnit;
}

double TdocTransFormText::GetLineDistance() const { return GetSpanCount() > 0 ? GetSpans(0).Height : 0.0; }

void TdocTransFormText::MeasureText(std::int32_t, std::int32_t, double& height, double& width) {
  width = WarpWidth;
  height = WarpHeight;
}

// Carets sit where the unbent line placed each character; placements and
// caret slots that a stale span names beyond the text are left alone.
void TdocTransFormText::MeasureCaretPositions(const TdocTextSpan& span, double /*scale*/) {
  std::vector<TFloatPoint>& carets = CaretPositions();
  const auto placement = [this](std::int64_t index) -> const TdocGlyphPlacement* {
    return index >= 0 && index < Placements.GetCount() ? Placements.GetItem(int(index)) : nullptr;
  };
  const auto caret = [&carets](std::int64_t index) -> TFloatPoint* {
    return index >= 0 && std::size_t(index) < carets.size() ? &carets[std::size_t(index)] : nullptr;
  };
  const std::int64_t first = std::int64_t{span.CharPos} - 1;
  for (std::int64_t i = 0; i < span.CharCount; ++i)
    if (const auto* p = placement(first + i); p && caret(first + i)) caret(first + i)->X = float(p->StartX / FixedUnit);
  const std::int64_t last = first + span.CharCount - 1;
  if (const auto* p = placement(last); p && span.CharCount > 0 && caret(last + 1))
    caret(last + 1)->X = float(p->EndX / FixedUnit);
}

void TdocTransFormText::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (HasFont()) FillOutline(bitmap, *Outline);
}

void TdocTransFormText::SetPropertyByName(const std::string& name, const std::string& value) {
  TdocPolygonText::SetPropertyByName(name, value);
  if (document::SameText(name, "TransformMethod"))
    SetTransformMethod(static_cast<std::uint8_t>(std::clamp(rtl::StrToInt(value), 0, 255)));
}

void TdocTransFormText::LoadFromXml(TXmlNode* node) {
  TdocPolygonText::LoadFromXml(node);
  SetTransformMethod(static_cast<std::uint8_t>(std::clamp(node->ReadChildInteger("TransformMethod", 0), 0, 255)));
}

void TdocTransFormText::SaveToXml(TXmlNode& node) const {
  TdocPolygonText::SaveToXml(node);
  node.WriteChildInteger("TransformMethod", TransformMethod, 0);
}

// ---- TdocCurvedText

const TdocShapeClass& TdocCurvedText::StaticClass() {
  static const TdocShapeClass info{"TdocCurvedText", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocCurvedText>();
                                   }};
  return info;
}

TdocCurvedText::TdocCurvedText() {
  TransformMethod = 1;
  Subdivide = true;
  FitToWarp = true;
}

void TdocCurvedText::SetCurveAngle(float value) {
  if (!std::isfinite(value)) value = 0;
  if (value == CurveAngle) return;
  RecordUndoFloat(ckPropertyValue, "CurveAngle", CurveAngle);
  CurveAngle = value;
  Relayout();
}

void TdocCurvedText::Warp(TFixed w, TFixed h) {
  if (CurveAngle == 0 || w == 0 || h == 0) return;
  if (TransformMethod == 0)
    BendPoints(w, h);
  else
    TurnGlyphs(w, h);
}

// Every point onto the circle: an arch stands on its outside, a bowl hangs
// inside it.
void TdocCurvedText::BendPoints(TFixed w, TFixed h) {
  const double radius = 180 * (w / FixedUnit) / (2 * std::numbers::pi * std::fabs(CurveAngle));
  if (!(radius > 0) || !std::isfinite(radius)) return;
  if (CurveAngle > 0) {
    Outline->Offset(-(w / 2), -h);
    MapOutline([radius](double x, double y) {
      const double r = radius - y;
      return FixedPoint(r * std::sin(x / radius), -r * std::cos(x / radius));
    });
  } else {
    Outline->Offset(-(w / 2), 0);
    MapOutline([radius](double x, double y) {
      const double r = radius + y;
      return FixedPoint(r * std::sin(x / radius), r * std::cos(x / radius));
    });
  }
}

// Each glyph moved and turned as a whole about a pivot at 70 % (arch) or
// 30 % (bowl) of the line height, the pivot landing on the circle.
void TdocCurvedText::TurnGlyphs(TFixed w, TFixed h) {
  const double radius = 180 * (w / FixedUnit) / (2 * std::numbers::pi * CurveAngle);
  if (radius == 0 || !std::isfinite(radius)) return;
  const TFixed pivot = SaturatedFixed(h * (CurveAngle > 0 ? 0.7 : 0.3));
  TArrayOfArrayOfFixedPoint contours = Outline->GetPoints();
  const auto contourCount = static_cast<std::int64_t>(contours.size());
  for (int i = 0; i < GetPlacements().GetCount(); ++i) {
    const TdocGlyphPlacement& placement = *GetPlacements().GetItem(i);
    const auto centre = static_cast<TFixed>((std::int64_t{placement.StartX} + placement.EndX) / 2);
    const double phi = -((double(centre) - w / 2) / FixedUnit) / radius;
    TFixedTransform transform;
    transform.Rotate(centre, pivot, phi);
    transform.Translate(SaturatedFixed(double(ToFixed(-radius * std::sin(phi))) - centre),
                        SaturatedFixed(double(ToFixed(-radius * std::cos(phi))) - pivot));
    const std::int64_t first = std::clamp<std::int64_t>(placement.FirstContour, 0, contourCount);
    const std::int64_t end = std::clamp<std::int64_t>(first + std::max(placement.ContourCount, 0), first, contourCount);
    for (std::int64_t c = first; c < end; ++c)
      for (TFixedPoint& p : contours[std::size_t(c)]) p = transform.Transform(p);
  }
  Outline->SetPoints(std::move(contours));
}

void TdocCurvedText::SetPropertyByName(const std::string& name, const std::string& value) {
  TdocTransFormText::SetPropertyByName(name, value);
  if (document::SameText(name, "CurveAngle")) SetCurveAngle(document::UndoTextToFloat(value));
}

void TdocCurvedText::LoadFromXml(TXmlNode* node) {
  TdocTransFormText::LoadFromXml(node);
  SetCurveAngle(static_cast<float>(node->ReadChildFloat("CurveAngle", CurveAngle)));
}

void TdocCurvedText::SaveToXml(TXmlNode& node) const {
  TdocTransFormText::SaveToXml(node);
  node.WriteChildFloat("CurveAngle", CurveAngle, 0);
}

// ---- TWaveTransform and TdocWavyText

bool TWaveTransform::IsActive() const { return WaveLength > 0 && Amplitude != 0; }

double TWaveTransform::Displacement(double at) const {
  return double{Amplitude} * std::sin(2 * std::numbers::pi / WaveLength * (at + WaveShift));
}

void TWaveTransform::LoadFromXml(const TXmlNode& node) {
  WaveLength = document::ReadCoordinate(node, "WaveLength");
  WaveShift = document::ReadCoordinate(node, "WaveShift");
  Amplitude = document::ReadCoordinate(node, "Amplitude");
}

void TWaveTransform::SaveToXml(TXmlNode& node) const {
  node.WriteChildFloat("WaveLength", WaveLength, 0);
  node.WriteChildFloat("WaveShift", WaveShift, 0);
  node.WriteChildFloat("Amplitude", Amplitude, 0);
}

const TdocShapeClass& TdocWavyText::StaticClass() {
  static const TdocShapeClass info{"TdocWavyText", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocWavyText>();
                                   }};
  return info;
}

TdocWavyText::TdocWavyText() {
  Subdivide = true;
  FitToWarp = true;
}

void TdocWavyText::Warp(TFixed /*w*/, TFixed /*h*/) {
  const bool alongX = WaveX.IsActive(), alongY = WaveY.IsActive();
  if (!alongX && !alongY) return;
  MapOutline([&](double x, double y) {
    return FixedPoint(alongY ? x - WaveY.Displacement(y) : x, alongX ? y - WaveX.Displacement(x) : y);
  });
}

void TdocWavyText::LoadFromXml(TXmlNode* node) {
  TdocTransFormText::LoadFromXml(node);
  if (const TXmlNode* wave = node->FindChild("WaveX")) WaveX.LoadFromXml(*wave);
  if (const TXmlNode* wave = node->FindChild("WaveY")) WaveY.LoadFromXml(*wave);
}

void TdocWavyText::SaveToXml(TXmlNode& node) const {
  TdocTransFormText::SaveToXml(node);
  WaveX.SaveToXml(*node.AddChild("WaveX"));
  WaveY.SaveToXml(*node.AddChild("WaveY"));
}
