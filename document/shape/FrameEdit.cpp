// Frame editing of TdocShape: the handle under the mouse, the frame a handle
// drag proposes and how it is applied, grouping a shape's children under its
// frame, and the layout of a group's children by their anchors.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "document/shape/Shape.h"

namespace {

constexpr double DegreesPerRadian = 180.0 / std::numbers::pi;

// A drag line counts within this squared distance in pixels.
constexpr double LineReach = 10;

bool IsResizeKind(std::uint8_t kind) { return kind >= hkTopLeft && kind <= hkTop; }

bool Contains(const TRect& r, const TPoint& p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

TRect Union(const TRect& a, const TRect& b) {
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

double SquaredDistanceToSegment(const TPoint& p, const TFloatPoint& a, const TFloatPoint& b) {
  const double abx = double{b.X} - a.X, aby = double{b.Y} - a.Y;
  const double apx = p.X - double{a.X}, apy = p.Y - double{a.Y};
  const double length = abx * abx + aby * aby;
  const double t = length > 0 ? std::clamp((apx * abx + apy * aby) / length, 0.0, 1.0) : 0.0;
  const double dx = apx - t * abx, dy = apy - t * aby;
  return dx * dx + dy * dy;
}

// The scale that takes a side from old to new; 1 for a side without length,
// whose new length is then taken as it is.
float ScaleOf(float newLength, float oldLength) { return oldLength > 0 ? newLength / oldLength : 1.0f; }

bool Has(TdocAnchors anchors, TdocAnchor anchor) { return (anchors & AnchorBit(anchor)) != 0; }

// The rules of one axis for a child inside a group.
struct TAxisRule {
  bool Prop, SizeProp, LowLock, HighLock;
};

// New position and size of a child on one axis when the group's extent goes
// from oldExtent to newExtent. Sizes never go below 0.
void LayOutAxis(const TAxisRule& rule, float oldExtent, float newExtent, float& position, float& size) {
  if (!(oldExtent > 0)) {
    if (rule.Prop || rule.LowLock) position = 0;
    if (rule.SizeProp || rule.HighLock) size = newExtent;
    return;
  }
  const float ratio = newExtent / oldExtent;
  const float farMargin = oldExtent - position - size;
  const float scaled = rule.SizeProp ? size * ratio : size;
  if (rule.Prop) {
    position = (position + size / 2) * ratio - scaled / 2;
    size = scaled;
  } else if (rule.LowLock && rule.HighLock) {
    size = std::max(0.0f, newExtent - farMargin - position);
  } else if (rule.LowLock) {
    size = scaled;
  } else if (rule.HighLock) {
    size = scaled;
    position = newExtent - farMargin - size;
  }
}

}  // namespace

void TdocShape::SetGrouped(bool value) {
  if (value == Grouped) return;
  RecordUndoBoolean(ckPropertyValue, "Grouped", Grouped);
  Grouped = value;
  Refresh();
}

void TdocShape::SetAnchors(TdocAnchors value) {
  if (value == Anchors) return;
  RecordUndoInteger(ckPropertyValue, "Anchors", Anchors);
  Anchors = value;
  Changed();
}

// ---- handles

void TdocShape::UpdateHandles() const {
  auto* self = const_cast<TdocShape*>(this);
  if (!HandlePainter && Document) HandlePainter = Document->CreateHandlePainter(*self);
  if (!HandlePainter) HandlePainter = std::make_unique<TdocHandlePainter>(self);
  HandlePainter->SetShape(self);
  HandlePainter->UpdateHandles();
}

void TdocShape::PaintHandles(TCanvas& canvas) const {
  if (!Document) return;
  UpdateHandles();
  HandlePainter->Paint(canvas);
}

void TdocShape::PaintDragFrame(TCanvas& canvas) const {
  if (!Document || !HandlePainter) return;
  HandlePainter->PaintDragOutline(canvas);
}

void TdocShape::DrawXorFrame(TCanvas& canvas, const TRect& rect, TColor color) const {
  document::SetXorFramePen(canvas, color);
  canvas.Rectangle(rect);
}

TRect TdocShape::GetUpdateRect() const {
  UpdateHandles();
  TRect rect = GetScreenRect();
  if (AllowSelect)
    for (int i = 0; i < HandlePainter->HandleCount(); ++i) rect = Union(rect, HandlePainter->HandleRect(i));
  return rect;
}

std::uint8_t TdocShape::HandleAtPoint(const TPoint& screenPoint) {
  if (!Selected || !Contains(GetUpdateRect(), screenPoint)) return hkNone;
  const TdocHandlePainter& painter = *HandlePainter;
  auto allowed = [this](std::uint8_t kind) { return AllowResize || !(IsResizeKind(kind) || kind == hkPoint); };
  EditFrame.HandleIndex = -1;
  std::uint8_t kind = hkNone;
  for (int i = 0; i < painter.HandleCount() && kind == hkNone; ++i) {
    const std::uint8_t candidate = painter.GetHandles(i)->Kind;
    if (Contains(painter.HandleRect(i), screenPoint) && allowed(candidate)) {
      kind = candidate;
      EditFrame.HandleIndex = i;
    }
  }
  for (int i = 0; i < painter.DragLineCount() && kind == hkNone; ++i) {
    const TdocDragLine& line = *painter.GetDragLines(i);
    if (!painter.GetHandles(line.First) || !painter.GetHandles(line.Second)) continue;
    const double distance =
        SquaredDistanceToSegment(screenPoint, painter.HandleOnScreen(line.First), painter.HandleOnScreen(line.Second));
    if (distance < LineReach && allowed(line.Kind)) kind = line.Kind;
  }
  if (kind == hkRotate && !AllowRotate) {
    EditFrame.HandleIndex = -1;
    return hkNone;
  }
  return kind;
}

// ---- the drag of a handle

void TdocShape::ComputeEditFrame(const TFloatPoint& offset, bool snap, std::uint8_t kind, TdocTransform& matrix) {
  UpdateHandles();
  // The page offset in this shape's orientation (every ancestor's turn undone).
  const TFloatPoint origin = DocToLocal({0, 0});
  const TFloatPoint moved = DocToLocal(offset);
  const TFloatPoint local{moved.X - origin.X, moved.Y - origin.Y};
  TFloatPoint size{DocWidth, DocHeight};
  TdocDragChange change;
  if (kind == hkBody) {
    change.Dx = local.X;
    change.Dy = local.Y;
  } else if (IsResizeKind(kind)) {
    size = ResizeChange(kind, local, change);
  } else if (kind == hkRotate) {
    change.Da = RotationChange(local, snap);
  } else if (kind > hkPoint) {
    DragCustomHandle(kind, local, change);
    size = {change.Sx * DocWidth, change.Sy * DocHeight};
  }

  const TFloatPoint corner = LocalToParent({change.Dx, change.Dy});
  EditFrame.Left = corner.X;
  EditFrame.Top = corner.Y;
  EditFrame.Width = size.X;
  EditFrame.Height = size.Y;
  EditFrame.Angle = DocAngle + change.Da;

  matrix = TdocTransform();
  matrix.Scale(change.Sx, change.Sy);
  if (change.Da != 0) matrix.Rotate(-change.Da, size.X / 2.0, size.Y / 2.0);
  matrix.Translate(change.Dx, change.Dy);
  MoveHandles(kind, local, matrix);
}

TFloatPoint TdocShape::ResizeChange(std::uint8_t kind, const TFloatPoint& offset, TdocDragChange& change) const {
  const bool left = kind == hkTopLeft || kind == hkLeft || kind == hkBottomLeft;
  const bool right = kind == hkTopRight || kind == hkRight || kind == hkBottomRight;
  const bool top = kind == hkTopLeft || kind == hkTopRight || kind == hkTop;
  const bool bottom = kind == hkBottomLeft || kind == hkBottom || kind == hkBottomRight;
  const bool sideX = kind == hkLeft || kind == hkRight;
  const bool sideY = kind == hkTop || kind == hkBottom;
  float width = DocWidth, height = DocHeight;
  if (left) width = DocWidth - offset.X;
  if (right) width = DocWidth + offset.X;
  if (top) height = DocHeight - offset.Y;
  if (bottom) height = DocHeight + offset.Y;
  if (PreserveAspect && sideX) height = DocHeight * ScaleOf(width, DocWidth);
  if (PreserveAspect && sideY) width = DocWidth * ScaleOf(height, DocHeight);
  width = std::max(1.0f, width);
  height = std::max(1.0f, height);
  ApplySizeConstraints(width, height);
  change.Sx = ScaleOf(width, DocWidth);
  change.Sy = ScaleOf(height, DocHeight);
  if (left) change.Dx = DocWidth - width;
  if (top) change.Dy = DocHeight - height;
  if (sideX) change.Dy = (DocHeight - height) / 2;
  if (sideY) change.Dx = (DocWidth - width) / 2;
  return {width, height};
}

float TdocShape::RotationChange(const TFloatPoint& offset, bool snap) const {
  const TdocHandle* knob = HandlePainter->GetHandles(EditFrame.HandleIndex);
  for (int i = 0; (!knob || knob->Kind != hkRotate) && i < HandlePainter->HandleCount(); ++i)
    knob = HandlePainter->GetHandles(i);
  const TFloatPoint r = knob && knob->Kind == hkRotate ? knob->Position : TFloatPoint{DocWidth / 2, 0};
  const double cx = DocWidth / 2.0, cy = DocHeight / 2.0;
  const double turn = std::atan2(r.Y - cy, r.X - cx) - std::atan2(r.Y + offset.Y - cy, r.X + offset.X - cx);
  const float change = static_cast<float>(turn * DegreesPerRadian);
  const float stepAngle = Document ? Document->GetStepAngle() : 0.0f;
  const bool stepping = stepAngle > 0 && std::isfinite(stepAngle);
  if (stepping == snap) return change;
  const double step = stepping ? stepAngle : 5.0;
  return static_cast<float>(std::nearbyint((DocAngle + change) / step) * step - DocAngle);
}

void TdocShape::MoveHandles(std::uint8_t kind, const TFloatPoint& offset, const TdocTransform& matrix) const {
  for (int i = 0; i < HandlePainter->HandleCount(); ++i) {
    TdocHandle& handle = *HandlePainter->GetHandles(i);
    if (kind >= hkBody && kind <= hkRotate)
      handle.DragPosition = matrix.TransformPoint(handle.Position);
    else if (kind == hkPoint)
      // Only the dragged vertex moves; line and polygon shapes read it back.
      handle.DragPosition = i == EditFrame.HandleIndex
                                ? TFloatPoint{handle.Position.X + offset.X, handle.Position.Y + offset.Y}
                                : handle.Position;
  }
}

void TdocShape::ApplyEditFrame() {
  SetBoundsConstrained(EditFrame.Left, EditFrame.Top, EditFrame.Width, EditFrame.Height);
  if (EditFrame.Angle == DocAngle) return;
  // Turned about the centre: the centre's offset from the origin at the old
  // angle minus the one at the new angle.
  const double radians = double{EditFrame.Angle} * std::numbers::pi / 180.0;
  const float c2 = static_cast<float>(std::cos(radians)), s2 = static_cast<float>(std::sin(radians));
  const float halfW = DocWidth / 2, halfH = DocHeight / 2;
  const float left = DocLeft + (halfW * Cosine + halfH * Sine) - (halfW * c2 + halfH * s2);
  const float top = DocTop + (-halfW * Sine + halfH * Cosine) - (-halfW * s2 + halfH * c2);
  SetDocFrame(left, top, DocWidth, DocHeight, EditFrame.Angle);
}

// ---- groups

void TdocShape::FitToChildren() {
  if (Shapes.empty()) return;
  const TFloatRect bounds = GetChildrenBounds();
  // The frame's new origin in the parent; the children move the opposite way
  // in this shape's coordinates, so on the page they stay where they are.
  const TFloatPoint origin = LocalToParent({bounds.Left, bounds.Top});
  auto update = UpdateBracket();
  for (const auto& child : Shapes)
    child->SetDocPos(child->DocLeft - bounds.Left, child->DocTop - bounds.Top);
  SetGrouped(false);
  SetDocBounds(origin.X, origin.Y, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
  if (std::any_of(Shapes.begin(), Shapes.end(), [](const auto& child) { return child->PreserveAspect; }))
    LockAspectRatio();
  for (const auto& child : Shapes) {
    child->SetSelected(false);
    child->AllowSelect = false;
    child->InvalidateArea();
  }
  SetGrouped(true);
}

void TdocShape::LayoutChildren(float width, float height) {
  // A child that refuses its new frame ends the layout; the group's own
  // frame change still goes through.
  try {
    for (const auto& child : Shapes) LayoutChild(*child, width, height);
  } catch (const std::exception&) {
  }
}

void TdocShape::LayoutChild(TdocShape& child, float width, float height) {
  const float angle = child.DocAngle;
  child.SetDocAngle(0);
  const TdocAnchors a = child.Anchors;
  TAxisRule x{Has(a, anPosXProp), Has(a, anSizeXProp), Has(a, anLeftLock), Has(a, anRightLock)};
  TAxisRule y{Has(a, anPosYProp), Has(a, anSizeYProp), Has(a, anTopLock), Has(a, anBottomLock)};
  if (Has(a, anDefault)) x = y = TAxisRule{true, AllowResize, false, false};
  float left = child.DocLeft, childWidth = child.DocWidth;
  float top = child.DocTop, childHeight = child.DocHeight;
  LayOutAxis(x, DocWidth, width, left, childWidth);
  LayOutAxis(y, DocHeight, height, top, childHeight);
  child.SetDocBounds(left, top, childWidth, childHeight);
  if ((x.LowLock && x.HighLock) || (y.LowLock && y.HighLock))
    child.CenterAt(left + childWidth / 2, top + childHeight / 2);
  child.SetDocAngle(angle);
}
