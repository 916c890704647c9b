// Handles and drag feedback drawn by the document core on a canvas over a
// grey bitmap at 4 pixels per millimetre: grips, frames, knobs and stems at
// hand-worked pixel positions for both handle styles, and XOR feedback that
// a second drawing erases.

#include <gtest/gtest.h>

#include <memory>

#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/FreehandShape.h"
#include "document/core/StartUp.h"
#include "document/editor/W2K3HandlePainter.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

constexpr TColor32 Grey = 0xFF808080u;
constexpr std::uint32_t Black = 0x000000u, White = 0xFFFFFFu, Green = 0x00FF00u;

struct HandlePaintTest : ::testing::Test {
  HandlePaintTest() {
    document::StartUp();
    Doc.New();
    Doc.SetScreenScale(4.0f);
    // 20, 10 mm over 40 x 20 mm: pixels 80 .. 240 across, 40 .. 120 down.
    auto shape = std::make_unique<TdocRectangleShape>();
    shape->SetDocFrame(20, 10, 40, 20, 0);
    Shape = shape.get();
    Doc.AddShape(std::move(shape));
    Shape->SetSelected(true);
    Bitmap.SetSize(300, 200);
    Bitmap.Clear(Grey);
  }

  std::uint32_t Rgb(int x, int y) const { return Bitmap.GetPixel(x, y) & 0xFFFFFFu; }
  bool IsGrey(int x, int y) const { return Rgb(x, y) == (Grey & 0xFFFFFFu); }
  void PaintHandles() { Doc.PaintSelectionHandles(Bitmap.GetCanvas()); }
  // A grip square of 7 x 7 pixels centred on (x, y): black ring, fill inside.
  void ExpectSquareGrip(int x, int y, std::uint32_t fill) const {
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        const bool ring = dx == -3 || dx == 3 || dy == -3 || dy == 3;
        EXPECT_EQ(Rgb(x + dx, y + dy), ring ? Black : fill) << x + dx << ", " << y + dy;
      }
  }
  // A round grip in the 7 x 7 square: corners untouched, black at the
  // middle of each side, the fill at the centre.
  void ExpectRoundGrip(int x, int y, std::uint32_t fill) const {
    for (const auto& [dx, dy] : {std::pair{-3, -3}, {3, -3}, {-3, 3}, {3, 3}}) EXPECT_TRUE(IsGrey(x + dx, y + dy));
    for (const auto& [dx, dy] : {std::pair{-3, 0}, {3, 0}, {0, -3}, {0, 3}}) EXPECT_EQ(Rgb(x + dx, y + dy), Black);
    EXPECT_EQ(Rgb(x, y), fill);
    EXPECT_EQ(Rgb(x + 1, y + 1), fill);
    EXPECT_EQ(Rgb(x + 2, y + 2), Black);  // the ring cuts the corner
    EXPECT_TRUE(IsGrey(x + 4, y));
  }

  TdocDocumentCore Doc;
  TdocShape* Shape = nullptr;
  TBitmap32 Bitmap;
};

TEST_F(HandlePaintTest, StippledGripsSitOnTheCornersOverADottedFrame) {
  Doc.Options.HandlePainter = hpStippleHandle;
  PaintHandles();
  for (const auto& [x, y] : {std::pair{80, 40}, {80, 120}, {240, 120}, {240, 40}}) ExpectSquareGrip(x, y, White);
  // The rotation knob at 1.03 x 40 mm right of the left edge, half way
  // down: (20 + 41.2) x 4 = 244.8 -> the square 242 .. 248, 77 .. 83.
  EXPECT_TRUE(IsGrey(242, 77));
  EXPECT_EQ(Rgb(245, 80), White);
  EXPECT_EQ(Rgb(242, 80), Black);
  // The top edge: a white band three pixels high with every other pixel of
  // its middle row black.
  int black = 0;
  for (int x = 90; x < 230; ++x) {
    EXPECT_EQ(Rgb(x, 39), White);
    EXPECT_EQ(Rgb(x, 41), White);
    black += Rgb(x, 40) == Black ? 1 : 0;
    EXPECT_NE(Rgb(x, 40) == Black, Rgb(x + 1, 40) == Black) << x;
  }
  EXPECT_EQ(black, 70);
  EXPECT_TRUE(IsGrey(160, 80));  // inside the shape
  EXPECT_TRUE(IsGrey(160, 43));
}

TEST_F(HandlePaintTest, WithoutResizingTheStippledPainterShowsOnlyTheFrame) {
  Doc.Options.HandlePainter = hpStippleHandle;
  Shape->AllowResize = false;
  PaintHandles();
  EXPECT_TRUE(IsGrey(77, 37));  // no grip corner
  EXPECT_TRUE(IsGrey(83, 43));
  EXPECT_EQ(Rgb(160, 39), White);  // the frame stays
  EXPECT_EQ(Rgb(245, 80), White);  // and the knob
}

TEST_F(HandlePaintTest, W2K3GripsAreRoundWithAGreenKnobOnAStem) {
  PaintHandles();
  ASSERT_NE(dynamic_cast<TdocW2K3HandlePainter*>(Shape->GetHandlePainter()), nullptr);
  for (const auto& [x, y] : {std::pair{80, 40}, {160, 40}, {240, 40}, {240, 80}, {240, 120}, {160, 120}, {80, 120},
                            {80, 80}})
    ExpectRoundGrip(x, y, White);
  // The knob 5 mm above the top edge's middle: (160, 20).
  ExpectRoundGrip(160, 20, Green);
  EXPECT_EQ(Rgb(160, 30), Black);  // the stem
  EXPECT_TRUE(IsGrey(120, 40));    // no frame line
  EXPECT_TRUE(IsGrey(80, 60));
}

TEST_F(HandlePaintTest, W2K3WithoutRotationHasNoKnobAndNoStem) {
  Shape->AllowRotate = false;
  Shape->AllowResize = false;
  Doc.Options.HandlePainter = hpW2K3Handle;
  PaintHandles();
  EXPECT_TRUE(IsGrey(160, 20));
  EXPECT_TRUE(IsGrey(160, 30));
  ExpectRoundGrip(80, 40, White);  // round grips even without resizing
}

TEST_F(HandlePaintTest, NothingIsPaintedReadOnlyOrUnselected) {
  Doc.SetReadOnly(true);
  PaintHandles();
  Doc.SetReadOnly(false);
  Shape->SetSelected(false);
  PaintHandles();
  for (int y = 0; y < Bitmap.GetHeight(); ++y)
    for (int x = 0; x < Bitmap.GetWidth(); ++x) ASSERT_TRUE(IsGrey(x, y)) << x << ", " << y;
}

TEST_F(HandlePaintTest, ARubberBandInXorIsErasedByDrawingItAgain) {
  Doc.DrawRubberBand({5, 5}, {10, 5});  // pixels 20 .. 60 across, 20 .. 40 down
  Doc.PaintFeedback(Bitmap.GetCanvas());
  // HandleColor white flips grey 0x80 to 0x7F on every other outline pixel.
  int flipped = 0;
  for (int y = 0; y < Bitmap.GetHeight(); ++y)
    for (int x = 0; x < Bitmap.GetWidth(); ++x)
      if (!IsGrey(x, y)) {
        EXPECT_EQ(Rgb(x, y), 0x7F7F7Fu);
        EXPECT_TRUE(x == 20 || x == 59 || y == 20 || y == 39) << x << ", " << y;
        ++flipped;
      }
  EXPECT_GT(flipped, 50);
  EXPECT_LT(flipped, 70);  // dotted: about half of the 116 outline pixels
  Doc.PaintFeedback(Bitmap.GetCanvas());
  for (int y = 0; y < Bitmap.GetHeight(); ++y)
    for (int x = 0; x < Bitmap.GetWidth(); ++x) ASSERT_TRUE(IsGrey(x, y)) << x << ", " << y;
}

TEST_F(HandlePaintTest, DragFeedbackOutlinesTheMovedFrameVisiblyWithBlackEdges) {
  ASSERT_EQ(Doc.Options.HandleEdgeColor, 0);
  Doc.SetHit(hkBody, Shape);
  Doc.DrawDragFeedback({5, 10}, false);  // frame 100 .. 260, 80 .. 160
  Doc.PaintFeedback(Bitmap.GetCanvas());
  int left = 0, bottom = 0;
  for (int y = 82; y < 158; ++y) left += IsGrey(100, y) ? 0 : 1;
  for (int x = 102; x < 258; ++x) bottom += IsGrey(x, 160) ? 0 : 1;
  EXPECT_NEAR(left, 38, 1);
  EXPECT_NEAR(bottom, 78, 1);
  EXPECT_TRUE(IsGrey(80, 60));  // the shape's own frame is not drawn
  Doc.EraseFeedback();
  EXPECT_EQ(Doc.GetFeedback().Kind, fkNone);
}

TEST_F(HandlePaintTest, TheInsertFrameKeepsTheShapesAspect) {
  auto waiting = std::make_unique<TdocRectangleShape>();
  waiting->SetDocFrame(0, 0, 20, 10, 0);
  waiting->SetPreserveAspect(true);
  Doc.SetInsertShape(std::move(waiting), true);
  // Dragged 30 right and 30 up: r = min(30 / 10, 30 / 20) = 1.5, so the
  // frame is 30 x 15 mm, upwards.
  Doc.DrawInsertFrame({10, 40}, {30, -30});
  const TRect frame = Doc.InsertFrameRect();
  EXPECT_EQ(frame.Left, 40);
  EXPECT_EQ(frame.Top, 160);
  EXPECT_EQ(frame.Right, 160);
  EXPECT_EQ(frame.Bottom, 100);
  Doc.PaintFeedback(Bitmap.GetCanvas());
  EXPECT_FALSE(IsGrey(40, 130) && IsGrey(40, 131));  // the left edge, dotted
}

TEST_F(HandlePaintTest, FreehandShowsNoGripsWhileItsStrokesAreDrawn) {
  Doc.Options.HandlePainter = hpStippleHandle;
  Shape->SetSelected(false);
  auto owned = std::make_unique<TdocFreehandShape>();
  owned->SetDocFrame(20, 10, 0, 0, 0);
  TdocFreehandShape* freehand = owned.get();
  Doc.AddShape(std::move(owned));
  Doc.StartShapeEdit(freehand);
  // A stroke from 25, 15 to 35, 20 mm: the frame covers pixels 100 .. 140
  // across and 60 .. 80 down.
  freehand->EditMouseDown(mbLeft, 0, 100, 60);
  freehand->EditMouseMove(0, 140, 80);
  freehand->EditMouseUp(mbLeft, 0, 140, 80);
  for (bool selected : {false, true}) {
    freehand->SetSelected(selected);
    PaintHandles();
    for (int y = 0; y < Bitmap.GetHeight(); ++y)
      for (int x = 0; x < Bitmap.GetWidth(); ++x) ASSERT_TRUE(IsGrey(x, y)) << selected << ": " << x << ", " << y;
  }
  Doc.CloseShapeEdit(true);
  PaintHandles();
  for (const auto& [x, y] : {std::pair{100, 60}, {100, 80}, {140, 80}, {140, 60}}) ExpectSquareGrip(x, y, White);
}

TEST(HandlePainterTest, PaintingWithoutAShapeIsRefused) {
  TdocW2K3HandlePainter painter(nullptr);
  TBitmap32 bitmap;
  bitmap.SetSize(10, 10);
  try {
    painter.Paint(bitmap.GetCanvas());
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Shape object must be assigned");
  }
  EXPECT_THROW(painter.UpdateHandles(), Exception);
  EXPECT_EQ(painter.GetHandleColor(), 0);
}

}  // namespace
