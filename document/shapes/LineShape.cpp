#include "document/shapes/LineShape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "document/shape/ShapeValues.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/XmlNode.h"

namespace {

constexpr std::int16_t CursorCrossLine = -33;
constexpr int LinePoints = 2;

constexpr std::array<std::string_view, 7> ArrowStyleNames{"NoArrow", "Arrow",     "OpenArrow", "StealthArrow",
                                                     "Diamond", "Oval",      "Rectangle"};

}  // namespace

// ---- arrows

std::string_view TdocArrow::StyleName(std::uint8_t style) {
  return style < ArrowStyleNames.size() ? ArrowStyleNames[style] : std::string_view();
}

void TdocArrow::SetStyle(std::uint8_t value) {
  if (value == Head.Style || value >= ArrowStyleNames.size()) return;
  Owner->Invalidate();
  Head.Style = value;
  Owner->ContourChanged();
}

void TdocArrow::LoadFromXml(const TXmlNode& node) {
  const auto found = std::find(ArrowStyleNames.begin(), ArrowStyleNames.end(), node.ReadChildString("Style"));
  if (found != ArrowStyleNames.end()) Head.Style = static_cast<std::uint8_t>(found - ArrowStyleNames.begin());
  Head.Width = document::ReadLength(node, "Width");
  Head.Length = document::ReadLength(node, "Length");
}

void TdocArrow::SaveToXml(TXmlNode& node) const {
  node.WriteChildString("Style", StyleName(Head.Style), "");
  node.WriteChildFloat("Width", Head.Width, 0);
  node.WriteChildFloat("Length", Head.Length, 0);
}

// ---- the line

const TdocShapeClass& TdocLineShape::StaticClass() {
  static const TdocShapeClass info{"TdocLineShape", [] { return std::unique_ptr<TdocShape>(new TdocLineShape); }};
  return info;
}

TdocLineShape::TdocLineShape() {
  SetFillColor(0);
  SetIsClosed(true);
  SetStorePoints(false);
  SetUseOutline(false);
  SetUseFill(true);
  Cursor = CursorCrossLine;
  BuildOutline();
}

void TdocLineShape::ContourChanged() {
  BuildOutline();
  RefreshAll();
  ShapeChanged();
}

TFloatPoint TdocLineShape::GetPoint(int index) const {
  if (index < 0 || index >= GetPointCount()) return {};
  const TFloatPoint& f = Ends[static_cast<std::size_t>(index)];
  return {f.X * GetDocWidth() + GetDocLeft(), f.Y * GetDocHeight() + GetDocTop()};
}

std::vector<TFloatPoint> TdocLineShape::PagePoints() const {
  std::vector<TFloatPoint> points;
  for (int i = 0; i < GetPointCount(); ++i) points.push_back(GetPoint(i));
  return points;
}

void TdocLineShape::SetPoint(int index, const TFloatPoint& point) {
  if (index < 0 || index >= std::min(GetPointCount(), LinePoints)) return;
  std::vector<TFloatPoint> points = PagePoints();
  points[static_cast<std::size_t>(index)] = point;
  FitFrameToPoints(points);
  ContourChanged();
}

void TdocLineShape::AppendPoint(const TFloatPoint& point) {
  if (GetPointCount() >= LinePoints) return;
  Ends.push_back({});
  SetPoint(GetPointCount() - 1, point);
}

void TdocLineShape::FitFrameToPoints(const std::vector<TFloatPoint>& pagePoints) {
  if (pagePoints.empty()) return;
  TFloatRect box{pagePoints[0].X, pagePoints[0].Y, pagePoints[0].X, pagePoints[0].Y};
  for (const TFloatPoint& p : pagePoints)
    box = {std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X), std::max(box.Bottom, p.Y)};
  const float width = box.Right - box.Left, height = box.Bottom - box.Top;
  std::vector<TFloatPoint> ends(Ends.size());
  for (std::size_t i = 0; i < pagePoints.size(); ++i)
    ends[i] = {width > 0 ? (pagePoints[i].X - box.Left) / width : 0.0f,
               height > 0 ? (pagePoints[i].Y - box.Top) / height : 0.0f};
  RecordEnds(ends);
  Ends = std::move(ends);
  SetDocBounds(box.Left, box.Top, width > 0 ? width : 1.0f, height > 0 ? height : 1.0f);
}

void TdocLineShape::SetLineWidth(float value) {
  value = document::SaneLength(value);
  if (value == LineWidth) return;
  RecordUndoFloat(ckPropertyValue, "LineWidth", LineWidth);
  LineWidth = value;
  ContourChanged();
}

TdocContours TdocLineShape::GeneratedContours() const {
  if (GetPointCount() < LinePoints) return GetPoints();
  const float w = GetDocWidth(), h = GetDocHeight();
  const TFloatPoint p0{Ends[0].X * w, Ends[0].Y * h}, p1{Ends[1].X * w, Ends[1].Y * h};
  if (p0 == p1) return GetPoints();
  TdocContours contours(1);
  document::AddArrowEnd(contours[0], Arrow0.Head, p0, p1, LineWidth, DeviceScale());
  document::AddArrowEnd(contours[0], Arrow1.Head, p1, p0, LineWidth, DeviceScale());
  return contours;
}

// ---- turning, handles, dragging

void TdocLineShape::SetDocAngle(float value) {
  if (!std::isfinite(value)) return;
  const double radians = double{value} * std::numbers::pi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  std::vector<TFloatPoint> points = PagePoints();
  for (TFloatPoint& p : points) {
    const double x = p.X - GetDocLeft(), y = p.Y - GetDocTop();
    p = {static_cast<float>(GetDocLeft() + c * x + s * y), static_cast<float>(GetDocTop() - s * x + c * y)};
  }
  FitFrameToPoints(points);
  ContourChanged();
}

TFloatPoint TdocLineShape::DrawnPosition(const TFloatPoint& fraction) const {
  const float x = fraction.X * GetDocWidth(), y = fraction.Y * GetDocHeight();
  return {GetMirrored() ? GetDocWidth() - x : x, GetFlipped() ? GetDocHeight() - y : y};
}

void TdocLineShape::UpdateHandles() const {
  TdocPolygonShape::UpdateHandles();
  // The end grips lie on the frame's corner grips of a slanted line: they
  // come first, so the mouse takes the end.
  TdocHandlePainter& painter = *GetHandlePainter();
  for (int i = 0; i < GetPointCount(); ++i) {
    const TFloatPoint p = DrawnPosition(Ends[static_cast<std::size_t>(i)]);
    painter.InsertHandle(i, {hkPoint, p, p});
  }
  for (int i = 0; i + 1 < GetPointCount(); ++i) painter.AddDragLine({i, i + 1, hkBody});
}

void TdocLineShape::ApplyEditFrame() {
  const TdocHandlePainter* painter = GetHandlePainter();
  const TdocHandle* handle = painter ? painter->GetHandles(GetEditFrame().HandleIndex) : nullptr;
  if (!handle || handle->Kind != hkPoint) {
    TdocPolygonShape::ApplyEditFrame();
    return;
  }
  // One point grip per point, in order.
  int index = 0;
  for (int i = 0; i < GetEditFrame().HandleIndex; ++i)
    if (painter->GetHandles(i)->Kind == hkPoint) ++index;
  // The grip sits where the point is drawn; mirror and flip undone.
  const TFloatPoint local{GetMirrored() ? GetDocWidth() - handle->DragPosition.X : handle->DragPosition.X,
                          GetFlipped() ? GetDocHeight() - handle->DragPosition.Y : handle->DragPosition.Y};
  SetPoint(index, {local.X + GetDocLeft(), local.Y + GetDocTop()});
}

void TdocLineShape::SetDocRect(const TFloatRect& rect) {
  if (GetPointCount() == LinePoints) {
    const bool leftwards = rect.Right < rect.Left, upwards = rect.Bottom < rect.Top;
    const std::vector<TFloatPoint> ends{{leftwards ? 1.0f : 0.0f, upwards ? 1.0f : 0.0f},
                                        {leftwards ? 0.0f : 1.0f, upwards ? 0.0f : 1.0f}};
    RecordEnds(ends);
    Ends = ends;
  }
  TdocPolygonShape::SetDocRect(rect);
  ContourChanged();
}

// ---- undo of the ends

std::string TdocLineShape::EndsText() const {
  std::string text;
  for (const TFloatPoint& end : Ends) {
    if (!text.empty()) text += ' ';
    text += document::FloatToUndoText(end.X) + ' ' + document::FloatToUndoText(end.Y);
  }
  return text;
}

void TdocLineShape::RecordEnds(const std::vector<TFloatPoint>& next) {
  if (next != Ends) RecordUndo(ckPropertyValue, "Ends", EndsText());
}

void TdocLineShape::SetPropertyByName(const std::string& name, const std::string& value) {
  if (document::SameText(name, "LineWidth")) return SetLineWidth(document::UndoTextToFloat(value));
  if (!document::SameText(name, "Ends")) return TdocPolygonShape::SetPropertyByName(name, value);
  std::vector<std::string> parts;
  for (std::size_t at = 0; at <= value.size();) {
    const std::size_t space = std::min(value.find(' ', at), value.size());
    parts.push_back(value.substr(at, space - at));
    at = space + 1;
  }
  if (parts.size() != 2 * Ends.size()) throw EConvertError(rtl::Format("'%s' is not a valid point list", value));
  std::vector<TFloatPoint> ends;
  for (std::size_t i = 0; i < parts.size(); i += 2)
    ends.push_back({document::UndoTextToFloat(parts[i]), document::UndoTextToFloat(parts[i + 1])});
  RecordEnds(ends);
  Ends = std::move(ends);
  ContourChanged();
}

// ---- XML

void TdocLineShape::SaveToXml(TXmlNode& node) const {
  Arrow0.SaveToXml(*node.AddChild("Arrow0"));
  Arrow1.SaveToXml(*node.AddChild("Arrow1"));
  TXmlNode* points = node.AddChild("Points");
  for (int i = 0; i < GetPointCount(); ++i) {
    TXmlNode* point = points->AddChild("Point");
    const TFloatPoint p = GetPoint(i);
    point->WriteChildFloat("X", p.X, 0);
    point->WriteChildFloat("Y", p.Y, 0);
  }
  node.WriteChildFloat("LineWidth", LineWidth, 0);
  TdocPolygonShape::SaveToXml(node);
}

void TdocLineShape::LoadFromXml(TXmlNode* node) {
  TdocPolygonShape::LoadFromXml(node);
  if (const TXmlNode* arrow = node->FindChild("Arrow0")) Arrow0.LoadFromXml(*arrow);
  if (const TXmlNode* arrow = node->FindChild("Arrow1")) Arrow1.LoadFromXml(*arrow);
  const TFloatRect stored{GetDocLeft(), GetDocTop(), GetDocWidth(), GetDocHeight()};
  LoadEnds(*node);
  KeepStoredFrame(stored);
  LineWidth = document::ReadLength(*node, "LineWidth");
  BuildOutline();
  UpdateExtents();
}

void TdocLineShape::KeepStoredFrame(const TFloatRect& stored) {
  // The frame fitted to the points read back can differ from the stored one
  // in the last bit (the far point is the sum of the near one and the size,
  // rounded). The ends lie on the frame's corners either way, so the stored
  // frame is the line as it was written, and a copy or a restored line keeps
  // it exactly.
  const auto near = [](float a, float b) { return std::fabs(a - b) <= 1e-4f * std::max(1.0f, std::fabs(a)); };
  if (near(stored.Left, GetDocLeft()) && near(stored.Top, GetDocTop()) && near(stored.Right, GetDocWidth()) &&
      near(stored.Bottom, GetDocHeight()))
    SetDocBounds(stored.Left, stored.Top, stored.Right, stored.Bottom);
}

void TdocLineShape::LoadEnds(const TXmlNode& node) {
  Ends.clear();
  if (const TXmlNode* points = node.FindChild("Points")) {
    TXmlNodeList list;
    points->FindChildren("Point", list);
    for (int i = 0; i < list.GetCount(); ++i)
      AppendPoint({document::ReadCoordinate(*list.GetItem(i), "X"), document::ReadCoordinate(*list.GetItem(i), "Y")});
  }
  // A file with fewer than two points still gives a line: the missing ends
  // are the frame's corners, as on a new line.
  const std::array<TFloatPoint, LinePoints> corners{TFloatPoint{0, 0}, TFloatPoint{1, 1}};
  while (GetPointCount() < LinePoints) Ends.push_back(corners[Ends.size()]);
}

void TdocLineShape::DrawXorFrame(TCanvas& canvas, const TRect& rect, TColor color) const {
  document::SetXorFramePen(canvas, color);
  canvas.MoveTo(rect.Left, rect.Top);
  canvas.LineTo(rect.Right, rect.Bottom);
}
