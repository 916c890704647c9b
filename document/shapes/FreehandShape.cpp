#include "document/shapes/FreehandShape.h"

#include <cmath>

#include "xml/XmlNode.h"

namespace {

bool EndsEditAccepted(TKey key) {
  return key == VK_RETURN || key == VK_TAB || key == VK_F2 || key == VK_EXECUTE;
}

}  // namespace

const TdocShapeClass& TdocFreehandShape::StaticClass() {
  static const TdocShapeClass info{"TdocFreehandShape",
                                   [] { return std::unique_ptr<TdocShape>(new TdocFreehandShape); }};
  return info;
}

TdocFreehandShape::TdocFreehandShape() {
  SetIsClosed(false);
  SetUseFill(false);
  SetStorePoints(true);
}

void TdocFreehandShape::StartEdit() {
  if (GetDocument()) GetDocument()->BeginUndo();
}

void TdocFreehandShape::EndEdit(bool accept) {
  Drawing = false;
  TrimTrailingContours();
  TdocServices* document = GetDocument();
  if (!document) return;
  if (accept && !HasNoPoint()) {
    Invalidate();
  } else if (GetParent()) {
    // Removed inside the undo step StartEdit opened, so that one Undo gives
    // back what was there before. The shape is freed here: only locals are
    // used from now on. (Without a parent the shape is being deleted already.)
    document->RemoveShape(this);
  }
  document->EndUndo();
}

void TdocFreehandShape::CloseEdit(bool accept) {
  Drawing = false;
  if (GetDocument()) GetDocument()->CloseShapeEdit(accept);
}

void TdocFreehandShape::EditKeyDown(TKey& key, TShiftState /*shift*/) {
  if (key == VK_SPACE) {
    SetIsClosed(true);
    CloseEdit(true);
  } else if (EndsEditAccepted(key)) {
    CloseEdit(true);
  } else if (key == VK_ESCAPE || key == VK_CANCEL) {
    CloseEdit(false);
  }
}

void TdocFreehandShape::PaintHandles(TCanvas& canvas) const {
  if (!IsEditing()) TdocPolygonShape::PaintHandles(canvas);
}

TFloatPoint TdocFreehandShape::MapPoint(int x, int y) const {
  return ScreenToShape({static_cast<float>(x), static_cast<float>(y)});
}

void TdocFreehandShape::EditMouseDown(TMouseButton button, TShiftState /*shift*/, int x, int y) {
  if (button == mbRight) {
    CloseEdit(true);
    return;
  }
  Drawing = true;
  LastPoint = MapPoint(x, y);
  StartContour();
  AddStrokePoint(LastPoint);
}

void TdocFreehandShape::EditMouseMove(TShiftState /*shift*/, int x, int y) {
  if (!Drawing) return;
  const TFloatPoint point = MapPoint(x, y);
  if (std::hypot(point.X - LastPoint.X, point.Y - LastPoint.Y) < MinPointDistance) return;
  AddStrokePoint(point);
}

void TdocFreehandShape::EditMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int x, int y) {
  if (!Drawing) return;
  const TFloatPoint point = MapPoint(x, y);
  if (point.X != LastPoint.X || point.Y != LastPoint.Y) AddStrokePoint(point);
  Drawing = false;
  if (AutoRestart)
    StartContour();
  else
    CloseEdit(true);
}

void TdocFreehandShape::AddStrokePoint(const TFloatPoint& point) {
  AddPoint(point);
  const TFloatRect bounds = GetPointsBounds();
  const float width = bounds.Right - bounds.Left, height = bounds.Bottom - bounds.Top;
  const TFloatPoint origin = LocalToParent({bounds.Left, bounds.Top});
  SetDocFrame(origin.X, origin.Y, width, height, GetDocAngle());
  FitPointsToRect({0, 0, width, height});
  // The last point moved with the frame's origin.
  LastPoint = {point.X - bounds.Left, point.Y - bounds.Top};
  ShapeChanged();
}

void TdocFreehandShape::LoadFromXml(TXmlNode* node) {
  TdocPolygonShape::LoadFromXml(node);
  AutoRestart = node->ReadChildBool("AutoRestart", false);
}

void TdocFreehandShape::SaveToXml(TXmlNode& node) const {
  TdocPolygonShape::SaveToXml(node);
  node.WriteChildBool("AutoRestart", AutoRestart, false);
}
