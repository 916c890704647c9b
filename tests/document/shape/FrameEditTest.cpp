// Frame editing against hand-worked values: the frame a handle drag proposes
// and how it is applied, the handle under the mouse, the layout of a
// group's children by their anchors, and grouping that leaves the children
// where they were on the page.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "tests/document/TestShapes.h"
#include "document/effects/EffectShape.h"

namespace {

using doctest::MakeFill;
using doctest::TPageFixture;

constexpr float Tolerance = 1e-4f;

void ExpectFrame(const TdocEditFrame& frame, float left, float top, float width, float height, const char* name) {
  EXPECT_NEAR(frame.Left, left, Tolerance) << name;
  EXPECT_NEAR(frame.Top, top, Tolerance) << name;
  EXPECT_NEAR(frame.Width, width, Tolerance) << name;
  EXPECT_NEAR(frame.Height, height, Tolerance) << name;
}

void ExpectShapeFrame(const TdocShape& shape, float left, float top, float width, float height, const char* name) {
  EXPECT_NEAR(shape.GetDocLeft(), left, Tolerance) << name;
  EXPECT_NEAR(shape.GetDocTop(), top, Tolerance) << name;
  EXPECT_NEAR(shape.GetDocWidth(), width, Tolerance) << name;
  EXPECT_NEAR(shape.GetDocHeight(), height, Tolerance) << name;
}

// The four frame corners of a shape in page coordinates.
std::array<TFloatPoint, 4> PageCorners(const TdocShape& shape) {
  std::array<TFloatPoint, 4> corners{TFloatPoint{0, 0}, TFloatPoint{shape.GetDocWidth(), 0},
                                     TFloatPoint{shape.GetDocWidth(), shape.GetDocHeight()},
                                     TFloatPoint{0, shape.GetDocHeight()}};
  for (TFloatPoint& p : corners)
    for (const TdocShape* s = &shape; s->GetParent(); s = s->GetParent()) p = s->LocalToParent(p);
  return corners;
}

class FrameEditTest : public ::testing::Test, protected TPageFixture {
protected:
  TdocShape& Add(std::unique_ptr<TdocShape> shape, TdocShape* parent = nullptr) {
    TdocShape& owner = parent ? *parent : Page;
    return *owner.GetShapes(owner.AddShape(std::move(shape)));
  }
};

TEST_F(FrameEditTest, ResizeHandlesProposeHandWorkedFrames) {
  // A 10 x 8 shape at (20, 30), dragged by (2, 3).
  const struct {
    std::uint8_t kind;
    float left, top, width, height;
  } cases[] = {{hkBody, 22, 33, 10, 8},      {hkTopLeft, 22, 33, 8, 5},  {hkLeft, 22, 30, 8, 8},
               {hkBottomLeft, 22, 30, 8, 11}, {hkBottom, 20, 30, 10, 11}, {hkBottomRight, 20, 30, 12, 11},
               {hkRight, 20, 30, 12, 8},      {hkTopRight, 20, 33, 12, 5}, {hkTop, 20, 33, 10, 5}};
  TdocShape& shape = Add(MakeFill(20, 30, 10, 8));
  for (const auto& c : cases) {
    TdocTransform matrix;
    shape.ComputeEditFrame({2, 3}, false, c.kind, matrix);
    const std::string name = "kind " + std::to_string(c.kind);
    ExpectFrame(shape.GetEditFrame(), c.left, c.top, c.width, c.height, name.c_str());
    // The matrix takes the old frame onto the new one, in local coordinates.
    const float dx = c.left - 20, dy = c.top - 30;
    const TFloatPoint topLeft = matrix.TransformPoint({0, 0});
    const TFloatPoint bottomRight = matrix.TransformPoint({10, 8});
    EXPECT_NEAR(topLeft.X, dx, Tolerance) << name;
    EXPECT_NEAR(topLeft.Y, dy, Tolerance) << name;
    EXPECT_NEAR(bottomRight.X, dx + c.width, Tolerance) << name;
    EXPECT_NEAR(bottomRight.Y, dy + c.height, Tolerance) << name;
    // Handles follow: the bottom-right grip (index 2) is where the corner went.
    const TdocHandle& grip = *shape.GetHandlePainter()->GetHandles(2);
    EXPECT_NEAR(grip.DragPosition.X, dx + c.width, Tolerance) << name;
    EXPECT_NEAR(grip.DragPosition.Y, dy + c.height, Tolerance) << name;
  }
}

TEST_F(FrameEditTest, SizesStayAtLeastOneAndAspectIsKept) {
  TdocTransform matrix;
  // The right handle of a 10 x 10 shape dragged by -20 mm stops at 1 mm.
  TdocShape& square = Add(MakeFill(0, 0, 10, 10));
  square.ComputeEditFrame({-20, 0}, false, hkRight, matrix);
  ExpectFrame(square.GetEditFrame(), 0, 0, 1, 10, "right by -20");
  square.ComputeEditFrame({0, 50}, false, hkTop, matrix);
  ExpectFrame(square.GetEditFrame(), 0, 9, 10, 1, "top by 50");

  // Aspect 1.25 kept: the right side by 2 scales both by 1.2 and centres
  // the height change (dy = (8 - 9.6) / 2).
  TdocShape& locked = Add(MakeFill(20, 30, 10, 8));
  locked.LockAspectRatio();
  locked.ComputeEditFrame({2, 0}, false, hkRight, matrix);
  ExpectFrame(locked.GetEditFrame(), 20, 29.2f, 12, 9.6f, "aspect right");
  locked.ComputeEditFrame({0, 4}, false, hkBottom, matrix);
  ExpectFrame(locked.GetEditFrame(), 17.5f, 30, 15, 12, "aspect bottom");

  // A shape without size takes the dragged lengths as they are.
  TdocShape& empty = Add(MakeFill(5, 5, 0, 0));
  empty.ComputeEditFrame({4, 2}, false, hkBottomRight, matrix);
  ExpectFrame(empty.GetEditFrame(), 5, 5, 4, 2, "from nothing");
  EXPECT_TRUE(std::isfinite(matrix.a) && std::isfinite(matrix.d));
}

TEST_F(FrameEditTest, OffsetsAreTurnedIntoTheShapesOrientation) {
  // At 90 degrees the local x axis points up the page: a page offset of
  // (0, -2) is local (2, 0).
  TdocTransform matrix;
  TdocShape& turned = Add(MakeFill(20, 30, 10, 8, 90));
  turned.ComputeEditFrame({0, -2}, false, hkRight, matrix);
  ExpectFrame(turned.GetEditFrame(), 20, 30, 12, 8, "turned right");
  turned.ComputeEditFrame({0, -2}, false, hkLeft, matrix);
  ExpectFrame(turned.GetEditFrame(), 20, 28, 8, 8, "turned left");

  // The same through a turned group: the child's frame is in group coordinates.
  TdocShape& group = Add(std::make_unique<TdocGroupShape>());
  group.SetDocFrame(40, 40, 30, 30, 90);
  TdocShape& child = Add(MakeFill(1, 1, 10, 8), &group);
  child.ComputeEditFrame({0, -2}, false, hkRight, matrix);
  ExpectFrame(child.GetEditFrame(), 1, 1, 12, 8, "child of turned group");
}

TEST_F(FrameEditTest, RotationSnapsByStepAngleUnlessInverted) {
  // The plain rotation grip lies at (1.03 w, h / 2): straight right of the
  // centre. Dragging it onto the ray at -37 degrees (screen up) asks for +37.
  const struct {
    float stepAngle;
    bool alt;
    float angle;
  } cases[] = {{15, false, 30}, {15, true, 37}, {0, true, 35}, {0, false, 37}};
  const float radius = 10.3f - 5;
  const double turn = 37 * std::numbers::pi / 180;
  const TFloatPoint offset{static_cast<float>(radius * std::cos(turn) - radius),
                           static_cast<float>(-radius * std::sin(turn))};
  for (const auto& c : cases) {
    Document.StepAngle = c.stepAngle;
    TdocShape& shape = Add(MakeFill(20, 30, 10, 10));
    TdocTransform matrix;
    shape.ComputeEditFrame(offset, c.alt, hkRotate, matrix);
    EXPECT_NEAR(shape.GetEditFrame().Angle, c.angle, 1e-3) << c.stepAngle << " " << c.alt;
    // Applied, the shape turns about its centre (25, 35).
    shape.ApplyEditFrame();
    const TFloatRect box = shape.GetBox();
    EXPECT_NEAR(shape.GetDocAngle(), c.angle, 1e-3);
    EXPECT_NEAR((box.Left + box.Right) / 2, 25, Tolerance);
    EXPECT_NEAR((box.Top + box.Bottom) / 2, 35, Tolerance);
  }
}

TEST_F(FrameEditTest, ApplyEditFrameGoesThroughTheConstraints) {
  TdocShape& shape = Add(MakeFill(20, 30, 10, 8));
  shape.Constraints.MaxWidth = 11;
  TdocTransform matrix;
  shape.ComputeEditFrame({5, 1}, false, hkBottomRight, matrix);
  ExpectFrame(shape.GetEditFrame(), 20, 30, 11, 9, "max width");
  shape.ApplyEditFrame();
  ExpectShapeFrame(shape, 20, 30, 11, 9, "applied");

  // A pure move of a shape that may not move is refused.
  shape.AllowMove = false;
  shape.ComputeEditFrame({5, 5}, false, hkBody, matrix);
  shape.ApplyEditFrame();
  ExpectShapeFrame(shape, 20, 30, 11, 9, "no move");
}

// Lays the rotation grip out whatever the shape allows, as the document's
// handle style may.
class TKnobPainter : public TdocHandlePainter {
public:
  using TdocHandlePainter::TdocHandlePainter;
  void UpdateHandles() override {
    TdocHandlePainter::UpdateHandles();
    if (GetShape()->AllowRotate) return;
    const TFloatPoint knob{GetShape()->GetDocWidth() / 2, -5};
    Handles.push_back({hkRotate, knob, knob});
  }
};

class TKnobServices : public TdocPlainServices {
public:
  std::unique_ptr<TdocHandlePainter> CreateHandlePainter(TdocShape& shape) override {
    return std::make_unique<TKnobPainter>(&shape);
  }
};

TEST_F(FrameEditTest, HandleUnderTheMouse) {
  // 10 pixels a millimetre: a 10 x 8 shape at (10, 10) spans pixels
  // (100, 100) to (200, 180); grips are 7 x 7 around their points.
  TKnobServices services;
  services.Scale = 10;
  TdocShape root;
  root.SetDocument(&services);
  root.SetDocFrame(0, 0, 100, 100, 0);
  TdocShape& shape = *root.GetShapes(root.AddShape(MakeFill(10, 10, 10, 8)));
  const TPoint topLeft{100, 100}, bottomRight{202, 182}, topEdge{150, 101}, body{150, 104};
  const TPoint plainKnob{203, 140};  // (1.03 x 10 + 10) x 10, (10 + 4) x 10
  EXPECT_EQ(shape.HandleAtPoint(topLeft), hkNone) << "not selected";
  shape.SetSelected(true);
  const struct {
    const char* name;
    bool allowResize, allowRotate;
    TPoint point;
    std::uint8_t kind;
    int index;
  } cases[] = {
      {"top-left grip", true, true, topLeft, hkTopLeft, 0},
      {"bottom-right grip", true, true, bottomRight, hkBottomRight, 2},
      {"top drag line", true, true, topEdge, hkTop, -1},
      {"inside, off the lines", true, true, body, hkNone, -1},
      {"rotation grip", true, true, plainKnob, hkRotate, 4},
      {"grip of a fixed-size shape", false, true, topLeft, hkNone, -1},
      {"line of a fixed-size shape", false, true, topEdge, hkNone, -1},
      {"rotation of a fixed-size shape", false, true, plainKnob, hkRotate, 4},
      // The document's painter still lays the grip out 5 mm above the top.
      {"rotation grip of a shape that may not turn", true, false, {150, 50}, hkNone, -1},
      {"outside everything", true, true, {400, 400}, hkNone, -1},
  };
  for (const auto& c : cases) {
    shape.AllowResize = c.allowResize;
    shape.AllowRotate = c.allowRotate;
    EXPECT_EQ(shape.HandleAtPoint(c.point), c.kind) << c.name;
    EXPECT_EQ(shape.GetEditFrame().HandleIndex, c.index) << c.name;
  }
  // The grips widen the update rectangle beyond the frame.
  shape.AllowRotate = true;
  const TRect update = shape.GetUpdateRect();
  EXPECT_EQ(update.Left, 97);
  EXPECT_EQ(update.Right, 207);
  root.ClearShapes();
}

TEST_F(FrameEditTest, ChildrenFollowTheGroupByTheirAnchors) {
  // A group 100 x 50 resized to 200 x 100; the child at x = 10, width 20,
  // y = 5, height 10.
  constexpr TdocAnchors Default = DefaultAnchors;
  const auto bits = [](std::initializer_list<TdocAnchor> anchors) {
    TdocAnchors value = 0;
    for (TdocAnchor a : anchors) value |= AnchorBit(a);
    return value;
  };
  const struct {
    const char* name;
    TdocAnchors anchors;
    bool groupResizes;
    float x, y, width, height;
  } cases[] = {
      {"default", Default, true, 20, 10, 40, 20},
      {"default, group of fixed size", Default, false, 30, 15, 20, 10},
      {"left and right locks", bits({anLeftLock, anRightLock}), true, 10, 5, 120, 10},
      {"right lock only", bits({anRightLock}), true, 110, 5, 20, 10},
      {"left lock, proportional width", bits({anLeftLock, anSizeXProp}), true, 10, 5, 40, 10},
      {"proportional position", bits({anPosXProp, anPosYProp}), true, 30, 15, 20, 10},
      {"bottom lock, proportional height", bits({anBottomLock, anSizeYProp}), true, 10, 45, 20, 20},
      {"top and bottom locks", bits({anTopLock, anBottomLock}), true, 10, 5, 20, 60},
      {"no rule", 0, true, 10, 5, 20, 10},
  };
  for (const auto& c : cases) {
    TdocShape& group = Add(std::make_unique<TdocGroupShape>());
    group.SetDocFrame(0, 0, 100, 50, 0);
    TdocShape& child = Add(MakeFill(10, 5, 20, 10), &group);
    child.SetAnchors(c.anchors);
    group.SetGrouped(true);
    group.AllowResize = c.groupResizes;
    group.SetDocBounds(0, 0, 200, 100);
    ExpectShapeFrame(child, c.x, c.y, c.width, c.height, c.name);
  }
}

TEST_F(FrameEditTest, ChildLayoutEdgeCases) {
  TdocShape& group = Add(std::make_unique<TdocGroupShape>());
  group.SetDocFrame(0, 0, 100, 50, 0);
  TdocShape& locked = Add(MakeFill(10, 5, 20, 10), &group);
  locked.SetAnchors(AnchorBit(anLeftLock) | AnchorBit(anRightLock));
  TdocShape& turned = Add(MakeFill(10, 5, 20, 10, 30), &group);
  // Not grouped: nothing moves.
  group.SetDocBounds(0, 0, 200, 50);
  ExpectShapeFrame(locked, 10, 5, 20, 10, "not grouped");
  group.SetDocBounds(0, 0, 100, 50);
  group.SetGrouped(true);
  // Shrunk below both margins the width stops at 0.
  group.SetDocBounds(0, 0, 50, 50);
  ExpectShapeFrame(locked, 10, 5, 0, 10, "both margins kept, no room");
  // A turned child is laid out unturned and keeps its angle.
  ExpectShapeFrame(turned, 5, 5, 10, 10, "turned default");
  EXPECT_NEAR(turned.GetDocAngle(), 30, Tolerance);
  // From no width at all: locks put the child at 0, the far lock gives it the width.
  TdocShape& flat = Add(std::make_unique<TdocGroupShape>());
  flat.SetDocFrame(0, 0, 0, 10, 0);
  TdocShape& inner = Add(MakeFill(3, 0, 4, 10), &flat);
  inner.SetAnchors(AnchorBit(anLeftLock) | AnchorBit(anRightLock));
  flat.SetGrouped(true);
  flat.SetDocBounds(0, 0, 30, 10);
  ExpectShapeFrame(inner, 0, 0, 30, 10, "from zero width");
}

TEST_F(FrameEditTest, FitToChildrenKeepsTheChildrenOnThePage) {
  // Children boxes (10, 10)-(14, 14) and (20, 5)-(26, 8) in the group:
  // bounds L 10, T 5, R 26, B 14.
  const struct {
    const char* name;
    float left, top, angle;
    float frameLeft, frameTop;
  } cases[] = {{"unturned group away from the origin", 5, 7, 0, 15, 12},
               // At 90 degrees local (10, 5) lies at (5 + 5, 7 - 10).
               {"turned group", 5, 7, 90, 10, -3}};
  for (const auto& c : cases) {
    TdocShape& group = Add(std::make_unique<TdocGroupShape>());
    group.SetDocFrame(c.left, c.top, 0, 0, c.angle);
    TdocShape& first = Add(MakeFill(10, 10, 4, 4), &group);
    TdocShape& second = Add(MakeFill(20, 5, 6, 3), &group);
    second.SetPreserveAspect(true);
    first.SetSelected(true);
    const auto before1 = PageCorners(first), before2 = PageCorners(second);
    group.FitToChildren();
    ExpectShapeFrame(group, c.frameLeft, c.frameTop, 16, 9, c.name);
    ExpectShapeFrame(first, 0, 5, 4, 4, c.name);
    ExpectShapeFrame(second, 10, 0, 6, 3, c.name);
    const auto after1 = PageCorners(first), after2 = PageCorners(second);
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(after1[i].X, before1[i].X, Tolerance) << c.name;
      EXPECT_NEAR(after1[i].Y, before1[i].Y, Tolerance) << c.name;
      EXPECT_NEAR(after2[i].X, before2[i].X, Tolerance) << c.name;
      EXPECT_NEAR(after2[i].Y, before2[i].Y, Tolerance) << c.name;
    }
    EXPECT_TRUE(group.GetGrouped());
    EXPECT_FALSE(first.GetSelected());
    EXPECT_FALSE(first.AllowSelect || second.AllowSelect);
    EXPECT_TRUE(group.GetPreserveAspect());
    EXPECT_NEAR(group.GetAspectRatio(), 16.0f / 9.0f, Tolerance);
  }
  TdocShape& lonely = Add(std::make_unique<TdocGroupShape>());
  lonely.SetDocFrame(1, 2, 3, 4, 0);
  lonely.FitToChildren();
  ExpectShapeFrame(lonely, 1, 2, 3, 4, "no children");
  EXPECT_FALSE(lonely.GetGrouped());
}

}  // namespace
