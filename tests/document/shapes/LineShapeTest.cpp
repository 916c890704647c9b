// The line shape: arrow-head contours against point lists worked by hand,
// the frame that follows the points, turning, handles and drags.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/shapes/LineShape.h"

namespace {

using doctest::TPageFixture;

// A line along x from (0, 0) to the tip (10, 0), 1.0 wide, heads 5 wide and
// 7 long: u = (1, 0), n = (0, 1), base B = (3, 0), corners A1 = (3, -0.5)
// and A2 = (3, 0.5), half width w = (0, 2.5).
TdocContour End(std::uint8_t style, double scale = 1) {
  TdocContour contour;
  document::AddArrowEnd(contour, {style, 5, 7}, {10, 0}, {0, 0}, 1, scale);
  return contour;
}

void ExpectPoints(const TdocContour& actual, const std::vector<TFloatPoint>& expected, const char* name) {
  ASSERT_EQ(actual.size(), expected.size()) << name;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[i].X, expected[i].X, 1e-4) << name << " point " << i;
    EXPECT_NEAR(actual[i].Y, expected[i].Y, 1e-4) << name << " point " << i;
  }
}

TEST(ArrowHeadTest, EveryStyleGivesThePointsWorkedByHand) {
  ExpectPoints(End(asNoArrow), {{10, -0.5f}, {10, 0.5f}}, "NoArrow");
  ExpectPoints(End(asArrow), {{3, -0.5f}, {3, -2.5f}, {10, 0}, {3, 2.5f}, {3, 0.5f}}, "Arrow");
  // r = 2 x 7 / 5 = 2.8, k = 7 - (sqrt(r^2 + 1) + r / 2) x 1 = 2.626795, k / r = 0.938141.
  ExpectPoints(End(asOpenArrow),
               {{3, -0.5f}, {5.626795f, -0.5f}, {3, -1.438141f}, {3, -2.5f}, {10, 0}, {3, 2.5f}, {3, 1.438141f},
                {5.626795f, 0.5f}, {3, 0.5f}},
               "OpenArrow");
  // m = 2.5 - 0.75 - k / r = 0.811859; the arc of radius k has 3 steps (30 degrees).
  ExpectPoints(End(asStealthArrow),
               {{3, -0.5f}, {5.626795f, -0.5f}, {5.274857f, -1.031619f}, {4.313397f, -1.672162f}, {3, -2.25f},
                {3, -2.5f}, {10, 0}, {3, 2.5f}, {3, 2.25f}, {4.313397f, 1.672162f}, {5.274857f, 1.031619f},
                {5.626795f, 0.5f}, {3, 0.5f}},
               "StealthArrow");
  ExpectPoints(End(asDiamond), {{3, -0.5f}, {6.5f, -2.5f}, {10, 0}, {6.5f, 2.5f}, {3, 0.5f}}, "Diamond");
  // K = 3.5, R = 2.5, 3 arc steps for the radius 3.5.
  ExpectPoints(End(asOval),
               {{3, -0.5f}, {3.468911f, -1.25f}, {4.75f, -2.165064f}, {6.5f, -2.5f}, {8.25f, -2.165064f},
                {9.531089f, -1.25f}, {10, 0}, {9.531089f, 1.25f}, {8.25f, 2.165064f}, {6.5f, 2.5f},
                {4.75f, 2.165064f}, {3.468911f, 1.25f}, {3, 0.5f}},
               "Oval");
  ExpectPoints(End(asRectangle), {{3, -0.5f}, {3, -2.5f}, {10, -2.5f}, {10, 2.5f}, {3, 2.5f}, {3, 0.5f}}, "Rectangle");
}

TEST(ArrowHeadTest, HeadsNeedWidthAndLengthAndTakeAtMostSeventyPercent) {
  TdocContour contour;
  // As wide as the line: no head.
  document::AddArrowEnd(contour, {asArrow, 1, 7}, {10, 0}, {0, 0}, 1, 1);
  ExpectPoints(contour, {{10, -0.5f}, {10, 0.5f}}, "narrow");
  contour.clear();
  // 20 long on a line of 10: shortened to 7.
  document::AddArrowEnd(contour, {asArrow, 5, 20}, {10, 0}, {0, 0}, 1, 1);
  EXPECT_NEAR(contour.front().X, 3, 1e-5);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const TdocArrowHead head : {TdocArrowHead{asOpenArrow, 0, 7}, TdocArrowHead{asStealthArrow, nan, 7},
                                   TdocArrowHead{asOval, 5, 0}, TdocArrowHead{asDiamond, 5, -4},
                                   TdocArrowHead{asStealthArrow, 5, nan}, TdocArrowHead{200, 5, 7}}) {
    contour.clear();
    document::AddArrowEnd(contour, head, {10, 0}, {0, 0}, -2, 1);
    for (const TFloatPoint& p : contour) EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
  }
  contour.clear();
  document::AddArrowEnd(contour, {asArrow, 5, 7}, {3, 3}, {3, 3}, 1, 1);
  EXPECT_TRUE(contour.empty());
}

class LineShapeTest : public ::testing::Test, protected TPageFixture {
protected:
  TdocLineShape& AddLine(TFloatPoint from, TFloatPoint to) {
    auto* line = static_cast<TdocLineShape*>(Page.GetShapes(Page.AddShape(std::make_unique<TdocLineShape>())));
    line->SetPoint(0, from);
    line->SetPoint(1, to);
    return *line;
  }
};

TEST_F(LineShapeTest, TheFrameFitsThePointsAndAHorizontalLineIsOneHigh) {
  TdocLineShape& line = AddLine({10, 20}, {30, 20});
  EXPECT_EQ(line.GetDocLeft(), 10);
  EXPECT_EQ(line.GetDocTop(), 20);
  EXPECT_EQ(line.GetDocWidth(), 20);
  EXPECT_EQ(line.GetDocHeight(), 1);
  EXPECT_EQ(line.GetPoint(0), (TFloatPoint{10, 20}));
  EXPECT_EQ(line.GetPoint(1), (TFloatPoint{30, 20}));
  // The contour: the body of the line, 1.0 wide, in the frame.
  line.BuildOutline();
  ExpectPoints(line.GetPoints()[0], {{0, 0.5f}, {0, -0.5f}, {20, -0.5f}, {20, 0.5f}}, "body");
  EXPECT_EQ(line.GetPoint(2), (TFloatPoint{}));
}

TEST_F(LineShapeTest, EqualEndPointsLeaveTheContourAsItWas) {
  TdocLineShape& line = AddLine({10, 10}, {20, 15});
  line.BuildOutline();
  const TdocContours before = line.GetPoints();
  line.SetPoint(1, {10, 10});
  line.BuildOutline();
  EXPECT_EQ(line.GetPoints(), before);
}

TEST_F(LineShapeTest, DraggingBackwardsPutsTheFirstPointWhereTheDragStarted) {
  auto line = std::make_unique<TdocLineShape>();
  line->SetDocRect({30, 25, 10, 5});
  EXPECT_EQ(line->GetPoint(0), (TFloatPoint{30, 25}));
  EXPECT_EQ(line->GetPoint(1), (TFloatPoint{10, 5}));
  line->SetDocRect({10, 5, 30, 25});
  EXPECT_EQ(line->GetPoint(0), (TFloatPoint{10, 5}));
}

TEST_F(LineShapeTest, TurningMovesThePointsAndKeepsTheAngle) {
  TdocLineShape& line = AddLine({10, 10}, {20, 10});
  line.SetDocAngle(90);
  EXPECT_EQ(line.GetDocAngle(), 0);
  // About the frame's top-left (10, 10): (10, 0) turns to (0, -10) on the screen.
  EXPECT_NEAR(line.GetPoint(0).X, 10, 1e-4);
  EXPECT_NEAR(line.GetPoint(0).Y, 10, 1e-4);
  EXPECT_NEAR(line.GetPoint(1).X, 10, 1e-4);
  EXPECT_NEAR(line.GetPoint(1).Y, 0, 1e-4);
  EXPECT_NEAR(line.GetDocHeight(), 10, 1e-4);
}

// Turning by 0 still fits the frame to the points: ends at a quarter and
// three quarters of a 40 x 20 frame give a 20 x 10 frame from (10, 10).
TEST_F(LineShapeTest, TurningByNothingFitsTheFrameToThePoints) {
  TdocLineShape& line = AddLine({0, 0}, {40, 20});
  line.SetPropertyByName("Ends", "0.25 0.5 0.75 1");
  ASSERT_FLOAT_EQ(line.GetDocWidth(), 40);
  line.SetDocAngle(0);
  EXPECT_FLOAT_EQ(line.GetDocLeft(), 10);
  EXPECT_FLOAT_EQ(line.GetDocTop(), 10);
  EXPECT_FLOAT_EQ(line.GetDocWidth(), 20);
  EXPECT_FLOAT_EQ(line.GetDocHeight(), 10);
  EXPECT_EQ(line.GetPoint(0), (TFloatPoint{10, 10}));
  EXPECT_EQ(line.GetPoint(1), (TFloatPoint{30, 20}));
}

TEST_F(LineShapeTest, ALineNeverGrowsBeyondTwoPoints) {
  TdocLineShape& line = AddLine({0, 0}, {10, 10});
  for (int i = 0; i < 5; ++i) line.AppendPoint({float(i), 3});
  EXPECT_EQ(line.GetPointCount(), 2);
  EXPECT_EQ(line.GetPoint(1), (TFloatPoint{10, 10}));
}

TEST_F(LineShapeTest, EndGripsSitOnTheDrawnEndsAndDraggingOneMovesThatEnd) {
  TdocLineShape& line = AddLine({10, 10}, {30, 20});
  line.SetMirrored(true);
  line.UpdateHandles();
  TdocHandlePainter& painter = *line.GetHandlePainter();
  const int first = 0;
  EXPECT_EQ(painter.GetHandles(first)->Kind, hkPoint);
  // Mirrored, the first point is drawn at the right.
  EXPECT_EQ(painter.GetHandles(first)->Position, (TFloatPoint{20, 0}));
  line.SetSelected(true);
  const TFloatPoint grip = painter.HandleOnScreen(first + 1);
  ASSERT_EQ(line.HandleAtPoint({int(std::lround(grip.X)), int(std::lround(grip.Y))}), hkPoint);
  TdocTransform matrix;
  line.ComputeEditFrame({5, 0}, false, hkPoint, matrix);
  line.ApplyEditFrame();
  EXPECT_EQ(line.GetPoint(0), (TFloatPoint{10, 10}));
  // The drawn end moved 5 right; unmirrored that is 5 left of the point.
  EXPECT_EQ(line.GetPoint(1), (TFloatPoint{25, 20}));
}

TEST_F(LineShapeTest, ArrowsWidenTheRenderMargins) {
  TdocLineShape& line = AddLine({10, 10}, {30, 10});
  const float before = line.GetExtents()[1];
  line.Arrow1.SetStyle(asArrow);
  EXPECT_GT(line.GetExtents()[1], before);
  EXPECT_GE(line.GetExtents()[1], 2.5f);
}

}  // namespace
