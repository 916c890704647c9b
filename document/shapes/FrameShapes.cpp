#include "document/shapes/FrameShapes.h"

#include <algorithm>
#include <numbers>

#include "document/shapes/ArcSteps.h"
#include "document/shape/ShapeValues.h"
#include "xml/XmlNode.h"

namespace {

// The editor's cursors over the shapes being inserted.
constexpr std::int16_t CursorCrossRectangle = -35;
constexpr std::int16_t CursorCrossEllipse = -36;

template <class Shape>
const TdocShapeClass& ClassInfo(std::string_view name) {
  static const TdocShapeClass info{name, [] { return std::unique_ptr<TdocShape>(new Shape); }};
  return info;
}

}  // namespace

// ---- rectangle

TdocRectangleShape::TdocRectangleShape() { Cursor = CursorCrossRectangle; }

const TdocShapeClass& TdocRectangleShape::StaticClass() { return ClassInfo<TdocRectangleShape>("TdocRectangleShape"); }

TdocContours TdocRectangleShape::GeneratedContours() const {
  const float w = GetDocWidth(), h = GetDocHeight();
  return {{{0, 0}, {0, h}, {w, h}, {w, 0}}};
}

// ---- ellipse

TdocEllipseShape::TdocEllipseShape() { Cursor = CursorCrossEllipse; }

const TdocShapeClass& TdocEllipseShape::StaticClass() { return ClassInfo<TdocEllipseShape>("TdocEllipseShape"); }

TdocContours TdocEllipseShape::GeneratedContours() const {
  const float a = GetDocWidth() / 2, b = GetDocHeight() / 2;
  const std::vector<TFloatPoint> arc =
      document::QuarterArc(std::max(GetDocWidth(), GetDocHeight()) * 2 * std::numbers::pi * DeviceScale());
  const std::size_t n = arc.size() - 1;
  TdocContour points;
  points.reserve(4 * n);
  auto add = [&](std::size_t i, float sx, float sy) { points.push_back({a + sx * a * arc[i].X, b + sy * b * arc[i].Y}); };
  for (std::size_t i = 0; i < n; ++i) add(i, 1, 1);
  for (std::size_t i = n; i >= 1; --i) add(i, -1, 1);
  for (std::size_t i = 0; i < n; ++i) add(i, -1, -1);
  for (std::size_t i = n; i >= 1; --i) add(i, 1, -1);
  return {points};
}

// ---- rounded rectangle

TdocRoundRectShape::TdocRoundRectShape() {
  Cursor = CursorCrossRectangle;
  BuildOutline();
}

const TdocShapeClass& TdocRoundRectShape::StaticClass() { return ClassInfo<TdocRoundRectShape>("TdocRoundRectShape"); }

TdocContours TdocRoundRectShape::GeneratedContours() const {
  const float w = GetDocWidth(), h = GetDocHeight();
  const float scaleX = CornerPropertiesArePercentage ? w / 100 : 1.0f;
  const float scaleY = CornerPropertiesArePercentage ? h / 100 : 1.0f;
  const float rx = std::min(CornerWidth * scaleX, w / 2), ry = std::min(CornerHeight * scaleY, h / 2);
  const std::vector<TFloatPoint> arc = document::QuarterArc(std::max(rx, ry) * DeviceScale());
  const std::size_t n = arc.size() - 1;
  TdocContour points;
  points.reserve(4 * (n + 1));
  // Offsets of the corner points from the frame's corners.
  auto x = [&](std::size_t i) { return rx * (1 - arc[i].X); };
  auto y = [&](std::size_t i) { return ry * (1 - arc[i].Y); };
  for (std::size_t i = 0; i <= n; ++i) points.push_back({x(i), y(i)});
  for (std::size_t i = n + 1; i-- > 0;) points.push_back({w - x(i), y(i)});
  for (std::size_t i = 0; i <= n; ++i) points.push_back({w - x(i), h - y(i)});
  for (std::size_t i = n + 1; i-- > 0;) points.push_back({x(i), h - y(i)});
  return {points};
}

void TdocRoundRectShape::SetCorner(float& corner, float value, const char* undoName) {
  value = document::SaneLength(value);
  if (value == corner) return;
  RecordUndoFloat(ckPropertyValue, undoName, corner);
  corner = value;
  BuildOutline();
  ShapeChanged();
}

void TdocRoundRectShape::SetCornerWidth(float value) { SetCorner(CornerWidth, value, "CornerWidth"); }

void TdocRoundRectShape::SetCornerHeight(float value) { SetCorner(CornerHeight, value, "CornerHeight"); }

void TdocRoundRectShape::SetCornerPropertiesArePercentage(bool value) {
  if (value == CornerPropertiesArePercentage) return;
  CornerPropertiesArePercentage = value;
  BuildOutline();
  ShapeChanged();
}

void TdocRoundRectShape::SetPropertyByName(const std::string& name, const std::string& value) {
  TdocPolygonShape::SetPropertyByName(name, value);
  if (document::SameText(name, "CornerWidth"))
    SetCornerWidth(document::UndoTextToFloat(value));
  else if (document::SameText(name, "CornerHeight"))
    SetCornerHeight(document::UndoTextToFloat(value));
}

void TdocRoundRectShape::SaveToXml(TXmlNode& node) const {
  TdocPolygonShape::SaveToXml(node);
  node.WriteChildFloat("CornerWidth", CornerWidth, 0);
  node.WriteChildFloat("CornerHeight", CornerHeight, 0);
  node.WriteChildBool("CornerPropertiesArePercentage", CornerPropertiesArePercentage, false);
}

void TdocRoundRectShape::LoadFromXml(TXmlNode* node) {
  TdocPolygonShape::LoadFromXml(node);
  CornerWidth = document::ReadLength(*node, "CornerWidth");
  CornerHeight = document::ReadLength(*node, "CornerHeight");
  CornerPropertiesArePercentage = node->ReadChildBool("CornerPropertiesArePercentage", false);
  BuildOutline();
  UpdateExtents();
}
