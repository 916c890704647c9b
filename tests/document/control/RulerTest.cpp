// The rulers beside the editor control on the offscreen platform: a grab of
// the control with a label page and its top and left rulers (saved as
// "rulers.png" in the test folder), ticks checked against the page's edge
// and millimetres in pixels; the hair line, units, corner, and scales that
// would have drawn forever.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include "tests/document/TestShapes.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "imaging/docgraphics/DocGraphics.h"

namespace {

constexpr int Thickness = 30;  // of the rulers and the corner

QRgb RulerRgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }
QRgb ColorRgb(TColor color) { return imaging::ColorToColor32(color) & 0xFFFFFFu; }

// The rulers above and left of the control, the corner between them, as
// the label application lays them out.
struct RulerTest : ::testing::Test {
  RulerTest() {
    document::StartUp();
    Window.resize(600, 420);
    Corner = new TRsRulerCorner(&Window);
    Corner->setGeometry(0, 0, Thickness, Thickness);
    Top = new TRsRuler(&Window);
    Top->setGeometry(Thickness, 0, 600 - Thickness, Thickness);
    Left = new TRsRuler(&Window);
    Left->SetDirection(rdLeft);
    Left->setGeometry(0, Thickness, Thickness, 420 - Thickness);
    Control = new TdocDocument(&Window);
    Control->setGeometry(Thickness, Thickness, 600 - Thickness, 420 - Thickness);
    Doc().SetPageWidth(100);
    Doc().SetPageHeight(60);
    for (auto [x, y, w, h, color] : {std::tuple{10.0f, 10.0f, 30.0f, 15.0f, 0xFFC03020u},
                                     std::tuple{50.0f, 20.0f, 40.0f, 30.0f, 0xFF2060C0u},
                                     std::tuple{20.0f, 35.0f, 20.0f, 20.0f, 0xFF30A040u}}) {
      auto shape = doctest::MakeFill(x, y, w, h);
      shape->Color = color;
      Doc().AddShape(std::move(shape));
    }
    Control->SetRulerTop(Top);
    Control->SetRulerLeft(Left);
    Control->SetRulerCorner(Corner);
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Control->ZoomPageWidth();
  }
  TdocDocumentCore& Doc() { return Control->Core(); }

  QWidget Window;
  TRsRulerCorner* Corner;
  TRsRuler* Top;
  TRsRuler* Left;
  TdocDocument* Control;
};

TEST_F(RulerTest, TicksLineUpWithThePagesMillimetres) {
  const QImage image = Window.grab().toImage();
  ASSERT_FALSE(image.isNull());
  image.save(QString::fromUtf8(::testing::TempDir().c_str()) + "/rulers.png");
  const float scale = Doc().GetScreenScale();
  ASSERT_GT(scale, 4.0f);  // labels every 10 mm, a tick every millimetre
  ASSERT_LT(scale, 8.0f);
  EXPECT_EQ(Top->GetUnits(), ruMilli);
  EXPECT_DOUBLE_EQ(Top->GetScreenDpm(), scale);
  // The page sits 10 pixels into the canvas, which may sit centred.
  const QPoint scroll = Control->GetScrollOffset();
  EXPECT_NEAR(Top->GetOffset(), (scroll.x() - 10) / scale, 1e-5);
  EXPECT_NEAR(Left->GetOffset(), (scroll.y() - 10) / scale, 1e-5);

  // The page's left edge in the window: the client starts after the
  // one-pixel frame. Its 0 mm tick is the long tick in that very column.
  const int edge = Thickness + 1 + 10 - scroll.x();
  const int topEdge = Thickness + 1 + 10 - scroll.y();
  const QRgb workspace = ColorRgb(clAppWorkSpace);
  const QRgb tick = ColorRgb(clWindowText);
  EXPECT_NE(RulerRgb(image, edge, Thickness + 60), workspace);
  EXPECT_EQ(RulerRgb(image, edge - 1, Thickness + 60), workspace);
  EXPECT_NE(RulerRgb(image, Thickness + 60, topEdge), workspace);
  EXPECT_EQ(RulerRgb(image, Thickness + 60, topEdge - 1), workspace);
  EXPECT_EQ(RulerRgb(image, edge, Thickness - 3), tick);
  EXPECT_EQ(RulerRgb(image, edge, Thickness - 8), tick);  // long: 8 pixels
  for (int mm : {1, 2, 5, 7, 10, 33, 50}) {
    const int column = edge + static_cast<int>(std::floor(mm * scale));
    EXPECT_EQ(RulerRgb(image, column, Thickness - 3), tick) << mm;
    EXPECT_EQ(RulerRgb(image, column, Thickness - 8) == tick, mm % 5 == 0) << mm;
    EXPECT_NE(RulerRgb(image, column + 2, Thickness - 3), tick) << mm;
  }
  // The left ruler: the page's top edge and the 20 mm tick.
  EXPECT_EQ(RulerRgb(image, Thickness - 3, topEdge), tick);
  EXPECT_EQ(RulerRgb(image, Thickness - 8, topEdge + static_cast<int>(std::floor(20 * scale))), tick);
  // The shape from 10 mm to 40 mm across starts right of the 10 mm tick.
  const int shapeRow = topEdge + static_cast<int>(12 * scale);
  EXPECT_EQ(RulerRgb(image, edge + static_cast<int>(std::floor(10 * scale)) + 1, shapeRow), 0xC03020u);
  EXPECT_NE(RulerRgb(image, edge + static_cast<int>(std::floor(10 * scale)) - 1, shapeRow), 0xC03020u);
}

TEST_F(RulerTest, ZoomingAndInchesKeepTheTicksOnThePage) {
  const QRgb tick = ColorRgb(clWindowText);
  const auto longTickAt = [&](const QImage& image, double x) {
    const int column = static_cast<int>(std::floor(x));
    for (int c = column - 1; c <= column + 1; ++c)
      if (RulerRgb(image, c, Thickness - 8) == tick) return true;
    return false;
  };
  for (int zooms = 0; zooms < 2; ++zooms) {
    Control->ZoomIn();
    Control->ScrollBy(-100000, -100000);
  }
  const float scale = Doc().GetScreenScale();
  EXPECT_DOUBLE_EQ(Top->GetScreenDpm(), scale);
  EXPECT_DOUBLE_EQ(Left->GetScreenDpm(), scale);
  // The zoom scales the canvas's border with the page.
  const double edge = Thickness + 1 + Doc().GetCurrentPage()->GetDocLeft() * scale - Control->GetScrollOffset().x();
  QImage image = Window.grab().toImage();
  // 4 to 6.6 pixels per millimetre: 40 pixels hold 6 to 10 mm, so labels
  // every 10 mm, long ticks every 5.
  ASSERT_GT(scale, 4.0f);
  ASSERT_LT(scale, 6.6f);
  for (int mm : {0, 5, 10, 25}) EXPECT_TRUE(longTickAt(image, edge + mm * scale)) << mm;
  EXPECT_FALSE(longTickAt(image, edge + 2 * scale));

  // In inches at the same zoom: labels every inch, long ticks every half.
  Doc().SetRulerUnits(ruInch);
  image = Window.grab().toImage();
  for (double inches : {0.0, 0.5, 1.0}) EXPECT_TRUE(longTickAt(image, edge + inches * 25.4 * scale)) << inches;
  EXPECT_FALSE(longTickAt(image, edge + 0.2 * 25.4 * scale));
  EXPECT_EQ(RulerRgb(image, static_cast<int>(std::floor(edge + 0.1 * 25.4 * scale)), Thickness - 3), tick);
}

TEST_F(RulerTest, ScrollingMovesTheRulersOrigin) {
  Control->SetZoomPercent(300.0f);
  Control->ScrollBy(100, 40);
  const float scale = Doc().GetScreenScale();
  const QPoint offset = Control->GetScrollOffset();
  // The zoom scaled the canvas's border with it: the page keeps its place
  // on the canvas, and the rulers count from the page's corner.
  const TdocPage* page = Doc().GetCurrentPage();
  EXPECT_NEAR(page->GetDocLeft() * scale, 30.0f, 0.01f);
  EXPECT_NEAR(Top->GetOffset(), offset.x() / scale - page->GetDocLeft(), 1e-4);
  EXPECT_NEAR(Left->GetOffset(), offset.y() / scale - page->GetDocTop(), 1e-4);
}

TEST_F(RulerTest, HairLineFollowsTheMouseAsInvertedPixels) {
  Top->SetHairLine(true);
  const QRect band = Top->ScaleBand();
  const QImage before = Top->grab().toImage();
  QMouseEvent move(QEvent::MouseMove, QPointF(50, 40), Control->viewport()->mapToGlobal(QPointF(50, 40)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Control->viewport(), &move);
  EXPECT_EQ(Top->GetHairLinePos(), 50);
  EXPECT_EQ(Left->GetHairLinePos(), 40);
  const QImage after = Top->grab().toImage();
  for (int y = band.top(); y <= band.bottom(); ++y) EXPECT_EQ(RulerRgb(after, 50, y), RulerRgb(before, 50, y) ^ 0xFFFFFFu) << y;
  EXPECT_EQ(RulerRgb(after, 49, band.top()), RulerRgb(before, 49, band.top()));

  Top->SetHairLineStyle(hlsRect);
  const QImage rect = Top->grab().toImage();
  EXPECT_EQ(RulerRgb(rect, 20, band.top()), RulerRgb(before, 20, band.top()) ^ 0xFFFFFFu);
  EXPECT_EQ(RulerRgb(rect, 60, band.top()), RulerRgb(before, 60, band.top()));
}

TEST_F(RulerTest, UnitsFollowTheDocumentAndKeepTheOrigin) {
  const double offset = Top->GetOffset();
  Doc().SetRulerUnits(ruInch);
  EXPECT_EQ(Top->GetUnits(), ruInch);
  EXPECT_EQ(Left->GetUnits(), ruInch);
  EXPECT_EQ(Corner->GetUnits(), ruInch);
  EXPECT_EQ(Corner->toolTip(), "inch");
  EXPECT_DOUBLE_EQ(Top->GetOffset(), offset);

  // A ruler on its own: the origin stays the same document position.
  TRsRuler ruler;
  ruler.SetUnits(ruMilli);
  ruler.SetOffset(10.0);
  ruler.SetUnits(ruCenti);
  EXPECT_DOUBLE_EQ(ruler.GetOffset(), 10.0);
}

TEST_F(RulerTest, ScalesWithoutALayoutPaintWithoutTicks) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double dpm : {0.0, -3.0, std::nan(""), inf, 1e300, 1e-300}) {
    Top->SetScreenDpm(dpm);
    Left->SetScale(dpm);
    const QImage image = Window.grab().toImage();
    EXPECT_FALSE(image.isNull()) << dpm;
  }
  Top->SetScreenDpm(5.0);
  Top->SetScale(0.0);
  const QImage blank = Top->grab().toImage();
  // No tick anywhere along the inner edge.
  for (int x = 2; x < blank.width() - 2; ++x) ASSERT_NE(RulerRgb(blank, x, Thickness - 3), ColorRgb(clWindowText)) << x;
  Top->SetScale(1.0);
  Top->SetOffset(1e300);
  EXPECT_FALSE(Top->grab().toImage().isNull());
}

}  // namespace
