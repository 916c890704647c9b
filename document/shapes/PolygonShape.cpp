#include "document/shapes/PolygonShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/render/ScreenPolygon.h"
#include "document/shape/ShapeByteForm.h"
#include "document/shape/ShapeValues.h"
#include "document/text/FixedValues.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlNode.h"

namespace {

using document::MaxLength;

// 16.16 coordinates end at 32768 pixels. Contours are cut to a square inside
// that range, so the band grown around them fits as well; a grown band is
// never wider than this many pixels.
constexpr double FixedRange = 32000;
constexpr double MaxGrowPixels = 16000;

constexpr float DefaultStippleSize = 2.0f;

const std::vector<TColor32> StipplePattern{clWhite32, clWhite32, clWhite32, clWhite32,
                                           clBlack32, clBlack32, clBlack32, clBlack32};

// Sutherland-Hodgman against one side of the square |x|, |y| <= limit: the
// side is axis (0 = x, 1 = y) at sign x limit.
std::vector<TFloatPoint> ClipSide(const std::vector<TFloatPoint>& contour, int axis, double sign, double limit) {
  auto coordinate = [axis](const TFloatPoint& p) { return double{axis == 0 ? p.X : p.Y}; };
  auto inside = [&](const TFloatPoint& p) { return sign * coordinate(p) <= limit; };
  std::vector<TFloatPoint> result;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    const TFloatPoint& a = contour[i];
    const TFloatPoint& b = contour[(i + 1) % contour.size()];
    if (inside(a)) result.push_back(a);
    if (inside(a) != inside(b)) {
      const double t = (sign * limit - coordinate(a)) / (coordinate(b) - coordinate(a));
      result.push_back({static_cast<float>(a.X + t * (double{b.X} - a.X)),
                        static_cast<float>(a.Y + t * (double{b.Y} - a.Y))});
    }
  }
  return result;
}

std::vector<TFloatPoint> ClipToSquare(std::vector<TFloatPoint> contour, double limit) {
  for (int axis = 0; axis < 2; ++axis)
    for (double sign : {-1.0, 1.0}) contour = ClipSide(contour, axis, sign, limit);
  return contour;
}

bool WithinSquare(const std::vector<TFloatPoint>& contour, double limit) {
  return std::all_of(contour.begin(), contour.end(),
                     [limit](const TFloatPoint& p) { return std::fabs(p.X) <= limit && std::fabs(p.Y) <= limit; });
}

// The contours through the device transform in 16.16 pixels; contours that
// reach beyond limit pixels are cut to the square |x|, |y| <= limit.
TArrayOfArrayOfFixedPoint DeviceContours(const TdocContours& contours, const TdocTransform& t, double limit) {
  TArrayOfArrayOfFixedPoint result;
  std::vector<TFloatPoint> mapped;
  for (const TdocContour& contour : contours) {
    mapped.clear();
    for (const TFloatPoint& p : contour) {
      const double x = t.a * p.X + t.c * p.Y + t.e, y = t.b * p.X + t.d * p.Y + t.f;
      if (std::isfinite(x) && std::isfinite(y))
        mapped.push_back({static_cast<float>(std::clamp(x, -1e30, 1e30)), static_cast<float>(std::clamp(y, -1e30, 1e30))});
    }
    if (!WithinSquare(mapped, limit)) mapped = ClipToSquare(std::move(mapped), limit);
    TArrayOfFixedPoint& fixed = result.emplace_back();
    fixed.reserve(mapped.size());
    for (const TFloatPoint& p : mapped) fixed.push_back({document::ToFixed(p.X), document::ToFixed(p.Y)});
  }
  return result;
}

float SaneStippleSize(double value) {
  return std::isfinite(value) && value > 0 ? static_cast<float>(std::min(value, MaxLength)) : DefaultStippleSize;
}

}  // namespace

const TdocShapeClass& TdocPolygonShape::StaticClass() {
  static const TdocShapeClass info{"TdocPolygonShape", [] { return std::unique_ptr<TdocShape>(new TdocPolygonShape); }};
  return info;
}

TdocPolygonShape::TdocPolygonShape() : FillPolygon(std::make_unique<TPolygon32>()), OutlinePolygon(std::make_unique<TPolygon32>()) {
  SetDocBounds(0, 0, 40, 30);
  StoreOutlineWidth(0.5f);
}

TdocPolygonShape::~TdocPolygonShape() = default;

// ---- properties

void TdocPolygonShape::ShapeChanged() {
  Rebuild = true;
  Refresh();
  Changed();
}

void TdocPolygonShape::StoreOutlineWidth(float value) {
  OutlineWidth = document::SaneLength(value);
  SetCurb(std::max(OutlineWidth / 2, 0.1f));
  Rebuild = true;
}

void TdocPolygonShape::SetOutlineWidth(float value) {
  value = document::SaneLength(value);
  SetCurb(std::max(value / 2, 0.1f));
  if (value == OutlineWidth) return;
  RecordUndoFloat(ckPropertyValue, "OutlineWidth", OutlineWidth);
  StoreOutlineWidth(value);
  Invalidate();
  ShapeChanged();
}

void TdocPolygonShape::SetIsClosed(bool value) {
  if (value == IsClosed) return;
  RecordUndoBoolean(ckPropertyValue, "IsClosed", IsClosed);
  IsClosed = value;
  ShapeChanged();
}

void TdocPolygonShape::SetFillAlpha(std::int32_t value) {
  value = std::clamp(value, 0, 255);
  if (value == FillAlpha) return;
  RecordUndoInteger(ckPropertyValue, "FillAlpha", FillAlpha);
  FillAlpha = value;
  ShapeChanged();
}

void TdocPolygonShape::SetFillColor(TColor value) {
  if (value == FillColor) return;
  RecordUndoInteger(ckPropertyValue, "FillColor", FillColor);
  FillColor = value;
  ShapeChanged();
}

void TdocPolygonShape::SetOutlineColor(TColor value) {
  if (value == OutlineColor) return;
  RecordUndoInteger(ckPropertyValue, "OutlineColor", OutlineColor);
  OutlineColor = value;
  ShapeChanged();
}

void TdocPolygonShape::SetUseFill(bool value) {
  if (value == UseFill) return;
  RecordUndoBoolean(ckPropertyValue, "UseFill", UseFill);
  UseFill = value;
  ShapeChanged();
}

void TdocPolygonShape::SetUseOutline(bool value) {
  if (value == UseOutline) return;
  RecordUndoBoolean(ckPropertyValue, "UseOutline", UseOutline);
  // The old band's area is repainted before the margins shrink.
  Invalidate();
  UseOutline = value;
  ShapeChanged();
}

void TdocPolygonShape::SetUseStipple(bool value) {
  if (value == UseStipple) return;
  UseStipple = value;
  ShapeChanged();
}

void TdocPolygonShape::SetStippleSize(float value) {
  value = SaneStippleSize(value);
  if (value == StippleSize) return;
  StippleSize = value;
  ShapeChanged();
}

void TdocPolygonShape::SetStorePoints(bool value) {
  if (value == StorePoints) return;
  StorePoints = value;
  BuildOutline();
  ShapeChanged();
}

void TdocPolygonShape::SetPropertyByName(const std::string& name, const std::string& value) {
  using document::SameText;
  TdocEffectShape::SetPropertyByName(name, value);
  if (SameText(name, "IsClosed"))
    SetIsClosed(TextToBool(value));
  else if (SameText(name, "OutlineWidth"))
    SetOutlineWidth(document::UndoTextToFloat(value));
  else if (SameText(name, "FillAlpha"))
    SetFillAlpha(rtl::StrToInt(value));
  else if (SameText(name, "FillColor"))
    SetFillColor(rtl::StrToInt(value));
  else if (SameText(name, "OutlineColor"))
    SetOutlineColor(rtl::StrToInt(value));
  else if (SameText(name, "UseFill"))
    SetUseFill(TextToBool(value));
  else if (SameText(name, "UseOutline"))
    SetUseOutline(TextToBool(value));
  else if (SameText(name, "UseStipple"))
    SetUseStipple(TextToBool(value));
}

// ---- points

TFloatRect TdocPolygonShape::GetPointsBounds() const {
  bool any = false;
  TFloatRect bounds{};
  for (const TdocContour& contour : Points)
    for (const TFloatPoint& p : contour) {
      if (!any) bounds = {p.X, p.Y, p.X, p.Y};
      any = true;
      bounds = {std::min(bounds.Left, p.X), std::min(bounds.Top, p.Y), std::max(bounds.Right, p.X),
                std::max(bounds.Bottom, p.Y)};
    }
  return bounds;
}

void TdocPolygonShape::FitPointsToRect(const TFloatRect& rect) {
  const TFloatRect bounds = GetPointsBounds();
  OffsetPoints(-bounds.Left, -bounds.Top);
  const float width = bounds.Right - bounds.Left, height = bounds.Bottom - bounds.Top;
  const float rectWidth = rect.Right - rect.Left, rectHeight = rect.Bottom - rect.Top;
  if (width > 0 && height > 0 && rectWidth > 0 && rectHeight > 0) ScalePoints(rectWidth / width, rectHeight / height);
  OffsetPoints(rect.Left, rect.Top);
}

void TdocPolygonShape::BuildOutline() {
  if (!StorePoints) Points = GeneratedContours();
}

void TdocPolygonShape::OffsetPoints(float dx, float dy) {
  if (dx == 0 && dy == 0) return;
  for (TdocContour& contour : Points)
    for (TFloatPoint& p : contour) p = {p.X + dx, p.Y + dy};
  Rebuild = true;
}

void TdocPolygonShape::ScalePoints(float sx, float sy) {
  for (TdocContour& contour : Points)
    for (TFloatPoint& p : contour) p = {p.X * sx, p.Y * sy};
  Rebuild = true;
}

void TdocPolygonShape::AddPoint(const TFloatPoint& point) {
  Points.back().push_back(point);
  Rebuild = true;
}

void TdocPolygonShape::ClearPoints() {
  Points.assign(1, {});
  Rebuild = true;
}

void TdocPolygonShape::NewContour() { Points.emplace_back(); }

void TdocPolygonShape::StartContour() {
  if (Points.back().size() < 2)
    Points.back().clear();
  else
    Points.emplace_back();
  Rebuild = true;
}

void TdocPolygonShape::TrimTrailingContours() {
  while (!Points.empty() && Points.back().size() < 2) Points.pop_back();
  if (Points.empty()) Points.emplace_back();
  Rebuild = true;
}

bool TdocPolygonShape::HasNoPoint() const {
  return std::all_of(Points.begin(), Points.end(), [](const TdocContour& contour) { return contour.empty(); });
}

// ---- device polygons and drawing

double TdocPolygonShape::DeviceScale() const {
  const double scale = std::fabs(GetDeviceTransform().a);
  return std::isfinite(scale) && scale > 0 ? scale : 1.0;
}

void TdocPolygonShape::SetDeviceTransform(const TdocTransform& matrix) {
  const TdocTransform& current = GetDeviceTransform();
  // A repaint of the same view keeps the device polygons already built.
  if (matrix.a == current.a && matrix.b == current.b && matrix.c == current.c && matrix.d == current.d &&
      matrix.e == current.e && matrix.f == current.f)
    return;
  TdocEffectShape::SetDeviceTransform(matrix);
  Rebuild = true;
}

void TdocPolygonShape::BuildPolygons() {
  BuildOutline();
  const double grow = UseOutline && OutlineWidth > 0 ? std::min(OutlineWidth * DeviceScale() * 0.5, MaxGrowPixels) : 0;
  FillPolygon = std::make_unique<TPolygon32>();
  FillPolygon->Antialiased = true;
  FillPolygon->FillMode = pfEvenOdd;
  FillPolygon->Closed = IsClosed;
  FillPolygon->SetPoints(DeviceContours(Points, GetDeviceTransform(), FixedRange - grow));
  OutlinePolygon.reset();
  if (grow > 0) {
    const std::unique_ptr<TPolygon32> outline = FillPolygon->Outline();
    outline->Antialiased = true;
    outline->FillMode = pfNonZero;
    outline->Closed = IsClosed;
    OutlinePolygon = outline->Grow(document::ToFixed(grow), 0.5f);
  }
  Rebuild = false;
}

void TdocPolygonShape::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (Rebuild) BuildPolygons();
  if (UseFill) FillPolygon->DrawFill(bitmap, imaging::SetColorAlpha(imaging::ColorToColor32(FillColor), FillAlpha));
  if (UseOutline) {
    // A band only exists for a positive width; a width of 0 is a hairline.
    if (OutlineWidth != 0) {
      if (OutlinePolygon) OutlinePolygon->DrawFill(bitmap, imaging::ColorToColor32(OutlineColor));
    } else if (!UseStipple) {
      FillPolygon->DrawEdge(bitmap, imaging::ColorToColor32(OutlineColor));
    }
  }
  if (UseStipple) DrawStipple(bitmap);
}

void TdocPolygonShape::DrawStipple(TBitmap32& bitmap) const {
  const double scale = DeviceScale();
  // A dash period never shorter than one pixel: shorter ones only blur.
  const double step = 8 / std::max(scale * StippleSize, 1.0);
  bitmap.SetStipplePattern(StipplePattern);
  bitmap.SetStippleStep(static_cast<float>(step));
  bitmap.SetStippleCounter(static_cast<float>(scale * StipplePhase * step / 10));
  for (const TArrayOfFixedPoint& contour : FillPolygon->GetPoints()) {
    if (contour.empty()) continue;
    if (contour.size() == 1) {
      if (IsClosed) bitmap.SetPixelFixedAA(contour[0].X, contour[0].Y, bitmap.GetStippleColor());
      continue;
    }
    bitmap.MoveToFixed(contour[0].X, contour[0].Y);
    for (std::size_t i = 1; i < contour.size(); ++i) bitmap.LineToFixedStipple(contour[i].X, contour[i].Y);
    if (IsClosed) bitmap.LineToFixedStipple(contour[0].X, contour[0].Y);
  }
  bitmap.Changed();
}

// ---- frame, margins, hit region

void TdocPolygonShape::SetDocSize(float width, float height) {
  const float oldWidth = GetDocWidth(), oldHeight = GetDocHeight();
  TdocEffectShape::SetDocSize(width, height);
  if (oldWidth > 0 && oldHeight > 0 && width > 0 && height > 0) {
    if (!StorePoints)
      BuildOutline();
    else if (!IsEditing())
      ScalePoints(width / oldWidth, height / oldHeight);
  }
  Rebuild = true;
  UpdateExtents();
}

void TdocPolygonShape::AdjustExtents(float& left, float& top, float& right, float& bottom) const {
  TdocContours generated;
  if (!StorePoints) generated = GeneratedContours();
  const TdocContours& contours = StorePoints ? Points : generated;
  float minX = 0, minY = 0, maxX = GetDocWidth(), maxY = GetDocHeight();
  bool any = false;
  for (const TdocContour& contour : contours)
    for (const TFloatPoint& p : contour) {
      if (!any) {
        minX = maxX = p.X;
        minY = maxY = p.Y;
        any = true;
      }
      minX = std::min(minX, p.X);
      minY = std::min(minY, p.Y);
      maxX = std::max(maxX, p.X);
      maxY = std::max(maxY, p.Y);
    }
  if (any) {
    const float grow = UseOutline ? std::max(OutlineWidth, 0.5f) : 0.0f;
    left = std::max(-(minX - grow), left);
    top = std::max(-(minY - grow), top);
    right = std::max(maxX + grow - GetDocWidth(), right);
    bottom = std::max(maxY + grow - GetDocHeight(), bottom);
  }
  TdocEffectShape::AdjustExtents(left, top, right, bottom);
}

std::vector<std::vector<TPoint>> TdocPolygonShape::CreateOutlineRegion() const {
  std::vector<std::vector<TPoint>> region;
  for (const TdocContour& contour : Points) {
    if (contour.empty()) continue;
    std::vector<TPoint>& screen = region.emplace_back();
    for (const TFloatPoint& p : contour) {
      const TFloatPoint at = ShapeToScreen(p);
      screen.push_back({document::ScreenRound(at.X), document::ScreenRound(at.Y)});
    }
  }
  return region;
}

void TdocPolygonShape::ClearContent() {
  ClearPoints();
  TdocEffectShape::ClearContent();
}

// ---- XML

void TdocPolygonShape::SaveToXml(TXmlNode& node) const {
  TdocEffectShape::SaveToXml(node);
  node.WriteChildFloat("OutlineWidth", OutlineWidth, 0);
  node.WriteChildInteger("FillAlpha", FillAlpha, 0);
  node.WriteChildColor("FillColor", FillColor, 0);
  node.WriteChildColor("OutlineColor", OutlineColor, 0);
  node.WriteChildBool("UseFill", UseFill, false);
  node.WriteChildBool("UseOutline", UseOutline, false);
  node.WriteChildBool("UseStipple", UseStipple, false);
  node.WriteChildFloat("StippleSize", StippleSize, DefaultStippleSize);
  node.WriteChildBool("IsClosed", IsClosed, true);
  node.WriteChildBool("StorePoints", StorePoints, false);
  if (StorePoints) SavePoints(node);
}

void TdocPolygonShape::SavePoints(TXmlNode& node) const {
  TXmlNode* polygon = node.AddChild("Polygon");
  for (const TdocContour& contour : Points) {
    TXmlNode* line = polygon->AddChild("Line");
    for (const TFloatPoint& p : contour) {
      TXmlNode* point = line->AddChild("Point");
      point->WriteChildFloat("X", p.X, 0);
      point->WriteChildFloat("Y", p.Y, 0);
    }
  }
}

void TdocPolygonShape::LoadFromXml(TXmlNode* node) {
  TdocEffectShape::LoadFromXml(node);
  // A value missing from the file takes the default it is written against.
  StoreOutlineWidth(document::ReadLength(*node, "OutlineWidth"));
  FillAlpha = std::clamp(node->ReadChildInteger("FillAlpha", 0), 0, 255);
  FillColor = node->ReadChildColor("FillColor", 0);
  OutlineColor = node->ReadChildColor("OutlineColor", 0);
  UseFill = node->ReadChildBool("UseFill", false);
  UseOutline = node->ReadChildBool("UseOutline", false);
  UseStipple = node->ReadChildBool("UseStipple", false);
  StippleSize = SaneStippleSize(node->ReadChildFloat("StippleSize", DefaultStippleSize));
  IsClosed = node->ReadChildBool("IsClosed", true);
  StorePoints = node->ReadChildBool("StorePoints", false);
  if (StorePoints) LoadPoints(*node);
  BuildOutline();
  Rebuild = true;
  UpdateExtents();
}

void TdocPolygonShape::LoadPoints(const TXmlNode& node) {
  ClearPoints();
  const TXmlNode* polygon = node.FindChild("Polygon");
  if (!polygon) return;
  TXmlNodeList lines;
  polygon->FindChildren("Line", lines);
  for (int i = 0; i < lines.GetCount(); ++i) {
    if (i > 0) NewContour();
    TXmlNodeList points;
    lines.GetItem(i)->FindChildren("Point", points);
    for (int j = 0; j < points.GetCount(); ++j) {
      const TXmlNode& point = *points.GetItem(j);
      AddPoint({document::ReadCoordinate(point, "X"), document::ReadCoordinate(point, "Y")});
    }
  }
}
