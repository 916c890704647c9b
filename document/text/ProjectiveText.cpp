// TdocProjectiveText: the corners, the frame that follows them, their
// handles, the bilinear warp and the XML.

#include "document/text/ProjectiveText.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "document/shape/ShapeValues.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/XmlNode.h"

using document::ToFixed;

namespace {

constexpr float InitialWidth = 40;
constexpr float InitialHeight = 30;
// The rotation grip sits this fraction of the width right of the right edge.
constexpr float KnobDistance = 0.03f;
// The undo record of a corner move: eight corner coordinates, the frame's
// left, top, width and height, and the font height.
constexpr const char* ProjectiveGeometryProperty = "Corners";
constexpr std::size_t ProjectiveGeometryValueCount = 13;

TFloatPoint Lerp(const TFloatPoint& a, const TFloatPoint& b, double t) {
  return {static_cast<float>(a.X + (double{b.X} - a.X) * t), static_cast<float>(a.Y + (double{b.Y} - a.Y) * t)};
}

}  // namespace

const TdocShapeClass& TdocProjectiveText::StaticClass() {
  static const TdocShapeClass info{"TdocProjectiveText", []() -> std::unique_ptr<TdocShape> {
                                     return std::make_unique<TdocProjectiveText>();
                                   }};
  return info;
}

TdocProjectiveText::TdocProjectiveText()
    : Corners{{{0, 0}, {InitialWidth, 0}, {0, InitialHeight}, {InitialWidth, InitialHeight}}} {
  FitToWarp = false;
  // The font height follows the corners, which follow the frame: the text
  // base must not scale the font on a resize as well.
  ScaleFontOnResize = false;
  SetAutoSize(false);
  SetDocBounds(GetDocLeft(), GetDocTop(), InitialWidth, InitialHeight);
}

// ---- corners and frame

void TdocProjectiveText::SetCorner(int index, const TFloatPoint& point) {
  if (index < 0 || index >= CornerCount || !imaging::IsFiniteFloatPoint(point)) return;
  const auto sane = [](float v) { return std::clamp(v, float(-document::MaxLength), float(document::MaxLength)); };
  RecordUndo(ckPropertyValue, ProjectiveGeometryProperty, GeometryText());
  const RecordingPause pause;
  Corners[std::size_t(index)] = {sane(point.X), sane(point.Y)};
  Invalidate();
  FitFrameToCorners();
  RefreshAll();
  Changed();
}

std::string TdocProjectiveText::GeometryText() const {
  std::string text;
  const auto add = [&text](double value) { text.append(text.empty() ? "" : " ").append(document::FloatToUndoText(value)); };
  for (const TFloatPoint& c : Corners) add(c.X), add(c.Y);
  for (const float value : {GetDocLeft(), GetDocTop(), GetDocWidth(), GetDocHeight(), TdocTextBaseShape::GetFontHeight()})
    add(value);
  return text;
}

void TdocProjectiveText::RestoreGeometry(const std::string& text) {
  std::vector<float> values;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t space = std::min(text.find(' ', at), text.size());
    values.push_back(document::UndoTextToFloat(text.substr(at, space - at)));
    at = space + 1;
  }
  if (values.size() != ProjectiveGeometryValueCount) throw EConvertError(rtl::Format("'%s' is not a valid corner list", text));
  RecordUndo(ckPropertyValue, ProjectiveGeometryProperty, GeometryText());
  const RecordingPause pause;
  Invalidate();
  {
    auto fitting = FittingBracket();
    auto update = UpdateBracket();
    for (std::size_t i = 0; i < Corners.size(); ++i) Corners[i] = {values[2 * i], values[2 * i + 1]};
    LayOutAtFontHeight(values[12]);
    SetDocBounds(values[8], values[9], values[10], values[11]);
  }
  RefreshAll();
  Changed();
}

void TdocProjectiveText::LayOutAtFontHeight(float fontHeight) {
  // The outline is built anew for the corners either way.
  if (fontHeight != TdocTextBaseShape::GetFontHeight())
    TdocTransFormText::SetFontHeight(fontHeight);
  else
    FitToText();
}

void TdocProjectiveText::SetPropertyByName(const std::string& name, const std::string& value) {
  if (document::SameText(name, ProjectiveGeometryProperty))
    RestoreGeometry(value);
  else
    TdocTransFormText::SetPropertyByName(name, value);
}

void TdocProjectiveText::FitFrameToCorners() {
  float minX = Corners[0].X, minY = Corners[0].Y, maxX = minX, maxY = minY;
  for (const TFloatPoint& c : Corners) {
    minX = std::min(minX, c.X), maxX = std::max(maxX, c.X);
    minY = std::min(minY, c.Y), maxY = std::max(maxY, c.Y);
  }
  const float boxWidth = maxX - minX, boxHeight = maxY - minY;
  // Corners on one horizontal line give no text height: the frame stays
  // and nothing is drawn until a corner moves off the line.
  if (!(boxHeight > 0) || !std::isfinite(boxWidth) || !std::isfinite(boxHeight)) {
    FitToText();
    return;
  }
  auto fitting = FittingBracket();
  auto update = UpdateBracket();
  const TFloatPoint origin = LocalToParent({minX, minY});
  for (TFloatPoint& c : Corners) c = {c.X - minX, c.Y - minY};
  const float frameHeight = GetDocHeight();
  LayOutAtFontHeight(frameHeight > 0 && boxHeight != frameHeight
                         ? static_cast<float>(double{GetFontHeight()} * boxHeight / frameHeight)
                         : TdocTextBaseShape::GetFontHeight());
  SetDocBounds(origin.X, origin.Y, boxWidth, boxHeight);
}

void TdocProjectiveText::SetDocSize(float width, float height) {
  const double oldWidth = GetDocWidth(), oldHeight = GetDocHeight();
  const bool hadArea = oldWidth * oldHeight > 0;
  const double sx = hadArea ? width / oldWidth : 1.0, sy = hadArea ? height / oldHeight : 1.0;
  const bool scalesCorners = !IsFitting() && !(sx == 1 && sy == 1) && std::isfinite(sx) && std::isfinite(sy);
  // The corners and the font height follow the frame: one record of the
  // geometry stands for the size and for them (a move recorded before it
  // still puts the position back).
  std::optional<RecordingPause> pause;
  if (scalesCorners) {
    RecordUndo(ckPropertyValue, ProjectiveGeometryProperty, GeometryText());
    pause.emplace();
  }
  TdocTransFormText::SetDocSize(width, height);
  if (!scalesCorners) return;
  Invalidate();
  for (TFloatPoint& c : Corners) c = {static_cast<float>(c.X * sx), static_cast<float>(c.Y * sy)};
  FitFrameToCorners();
  Changed();
}

float TdocProjectiveText::GetFontHeight() const {
  return ((Corners[cnBottomLeft].Y - Corners[cnTopLeft].Y) + (Corners[cnBottomRight].Y - Corners[cnTopRight].Y)) * 0.5f;
}

void TdocProjectiveText::SetFontHeight(float value) {
  if (IsFitting()) {
    TdocTransFormText::SetFontHeight(value);
    return;
  }
  const float current = GetFontHeight();
  if (value == current || current == 0) return;
  const double k = double{value} / current;
  if (!(k > 0) || !std::isfinite(k)) return;
  SetDocBounds(GetDocLeft(), GetDocTop(), document::SaneLength(static_cast<float>(GetDocWidth() * k)),
               document::SaneLength(static_cast<float>(GetDocHeight() * k)));
}

// ---- the warp

void TdocProjectiveText::Warp(TFixed w, TFixed h) {
  if (w <= 0 || h <= 0) {
    Outline->Clear();
    return;
  }
  const double width = w / document::FixedUnit, height = h / document::FixedUnit;
  MapOutline([&](double x, double y) {
    const double u = x / width, v = y / height;
    const TFloatPoint top = Lerp(Corners[cnTopLeft], Corners[cnTopRight], u);
    const TFloatPoint bottom = Lerp(Corners[cnBottomLeft], Corners[cnBottomRight], u);
    const double px = top.X + (double{bottom.X} - top.X) * v, py = top.Y + (double{bottom.Y} - top.Y) * v;
    return TFixedPoint{ToFixed(px), ToFixed(py)};
  });
}

// ---- handles

void TdocProjectiveText::UpdateHandles() const {
  TdocTransFormText::UpdateHandles();
  TdocHandlePainter& painter = *GetHandlePainter();
  painter.SetHandleCount(CornerCount + 1);
  for (int i = 0; i < CornerCount; ++i) *painter.GetHandles(i) = {hkPoint, Corners[std::size_t(i)], Corners[std::size_t(i)]};
  const TFloatPoint right = Lerp(Corners[cnTopRight], Corners[cnBottomRight], 0.5);
  const TFloatPoint knob{right.X + KnobDistance * GetDocWidth(), right.Y};
  *painter.GetHandles(CornerCount) = {hkRotate, knob, knob};
  painter.SetDragLineCount(0);
  painter.AddDragLine({cnTopLeft, cnTopRight, hkTop});
  painter.AddDragLine({cnTopRight, cnBottomRight, hkRight});
  painter.AddDragLine({cnBottomRight, cnBottomLeft, hkBottom});
  painter.AddDragLine({cnBottomLeft, cnTopLeft, hkLeft});
}

// The frame a corner drag proposes is the old one: applying it after the
// corner moved would squeeze the new quadrilateral back into it.
void TdocProjectiveText::ApplyEditFrame() {
  const TdocHandlePainter* painter = GetHandlePainter();
  const int index = GetEditFrame().HandleIndex;
  const TdocHandle* handle = painter ? painter->GetHandles(index) : nullptr;
  if (handle && handle->Kind == hkPoint && index < CornerCount) {
    SetCorner(index, handle->DragPosition);
    return;
  }
  TdocTransFormText::ApplyEditFrame();
}

// ---- XML

void TdocProjectiveText::LoadFromXml(TXmlNode* node) {
  TdocTransFormText::LoadFromXml(node);
  TXmlNodeList points;
  node->FindChildren("Point", points);
  for (int i = 0; i < std::min<int>(points.GetCount(), CornerCount); ++i) {
    const TXmlNode& point = *points.GetItem(i);
    Corners[std::size_t(i)] = {document::ReadCoordinate(point, "X"), document::ReadCoordinate(point, "Y")};
  }
}

void TdocProjectiveText::SaveToXml(TXmlNode& node) const {
  for (const TFloatPoint& c : Corners) {
    TXmlNode* point = node.AddChild("Point");
    point->WriteChildFloat("X", c.X, 0);
    point->WriteChildFloat("Y", c.Y, 0);
  }
  TdocTransFormText::SaveToXml(node);
}
