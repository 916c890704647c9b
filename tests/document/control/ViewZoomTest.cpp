// Scrolling and zooming the editor control on the offscreen platform: the
// canvas, offsets, scale and zoom percent after each call, checked against
// the values worked out by hand from the window's client size.

#include <gtest/gtest.h>

#include <cmath>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/control/Document.h"

namespace {

struct ViewZoomTest : ::testing::Test {
  ViewZoomTest() {
    document::StartUp();
    Control.resize(402, 302);  // a 400 x 300 client inside the one-pixel frame
    Control.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Control));
  }
  TdocDocumentCore& Doc() { return Control.Core(); }
  int ClientWidth() { return Control.viewport()->width(); }
  int ClientHeight() { return Control.viewport()->height(); }
  // The document point at the centre of a client of the given size.
  TFloatPoint CentreInDocument(QSize client) {
    return Doc().ClientToDoc({client.width() * 0.5f, client.height() * 0.5f});
  }

  TdocDocument Control;
};

TEST_F(ViewZoomTest, SmallCanvasSitsCentredAndDoesNotScroll) {
  Control.SetVirtualArea(0, 0, 100, 50);
  ASSERT_EQ(Control.viewport()->size(), QSize(400, 300));
  EXPECT_EQ(Control.GetScrollOffset(), QPoint(-150, -125));
  Control.ScrollBy(10, 10);
  EXPECT_EQ(Control.GetScrollOffset(), QPoint(-150, -125));
  EXPECT_FLOAT_EQ(Doc().GetWindowLeft(), -150 / Doc().GetScreenScale());
}

TEST_F(ViewZoomTest, HugeCanvasScrollsThroughScaledBars) {
  Control.SetVirtualArea(0, 0, 60000, 100);
  EXPECT_FLOAT_EQ(Control.GetScrollFactor(), 0.5f);
  const QScrollBar* bar = Control.horizontalScrollBar();
  // Range 0 .. 60000 x 0.5 less a page of 400 x 0.5.
  EXPECT_EQ(bar->maximum(), 30000 - 200);
  EXPECT_EQ(bar->pageStep(), 200);
  Control.horizontalScrollBar()->setValue(1000);
  EXPECT_EQ(Control.GetScrollOffset().x(), 2000);
  Control.ScrollBy(1000, 0);
  EXPECT_EQ(bar->value(), 1500);
  Control.ScrollBy(1000000, 0);
  EXPECT_EQ(Control.GetScrollOffset().x(), 60000 - 400);
}

TEST_F(ViewZoomTest, PageWidthFitLeavesTwentyTwoPixelsAndRefitsForTheScrollBar) {
  // A4 with its 1 mm shadow is taller than the window: the vertical bar
  // appears and the page is fitted again into the narrower client.
  Control.ZoomPageWidth();
  ASSERT_LT(ClientWidth(), 400);
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), (ClientWidth() - 22) / 211.0f);
  EXPECT_FLOAT_EQ(Control.GetZoomPercent(), 100.0f);
  EXPECT_EQ(Control.GetVirtualSize().width(), std::lround(211 * Doc().GetScreenScale() + 20));
}

TEST_F(ViewZoomTest, ZoomToPageFitsBothSides) {
  Control.ZoomToPage();
  // 210 x 297 mm in 400 x 300 less 23: the height decides.
  ASSERT_EQ(Control.viewport()->size(), QSize(400, 300));
  const float scale = Doc().GetScreenScale();
  EXPECT_FLOAT_EQ(scale, std::min(377.0f / 210.0f, 277.0f / 297.0f));
  EXPECT_NEAR(Control.GetZoomPercent(), 210 * scale / 377.0f * 100.0f, 1e-3f);
  Doc().SetViewStyle(vsNormal);
  Control.ZoomToPage();
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), std::min(399.0f / 210.0f, 299.0f / 297.0f));
}

TEST_F(ViewZoomTest, ZoomInAndOutKeepTheCentreAndReturnThePercent) {
  Control.ZoomPageWidth();
  Control.ScrollBy(0, 200);
  const QPoint before = Control.GetScrollOffset();
  const QSize canvas = Control.GetVirtualSize();
  const float scale = Doc().GetScreenScale();
  // A bar that appears with the zoom narrows the client afterwards: the
  // centre is the one of the client the zoom saw.
  const QSize client = Control.viewport()->size();
  const TFloatPoint centre = CentreInDocument(client);

  Control.ZoomIn();
  EXPECT_FLOAT_EQ(Control.GetZoomPercent(), 110.0f);
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), static_cast<float>(scale * 1.1));
  EXPECT_EQ(Control.GetVirtualSize(), QSize(std::lround(canvas.width() * 1.1), std::lround(canvas.height() * 1.1)));
  const double half = client.height() * 0.5;
  EXPECT_EQ(Control.GetScrollOffset().y(), std::lround((half + before.y()) * 1.1 - half));
  EXPECT_NEAR(CentreInDocument(client).Y, centre.Y, 1.0f / scale);

  Control.ZoomOut();
  EXPECT_NEAR(Control.GetZoomPercent(), 100.0f, 1e-4f);
  EXPECT_NEAR(Doc().GetScreenScale(), scale, 1e-5f);
  EXPECT_NEAR(CentreInDocument(client).Y, centre.Y, 1.0f / scale);
  EXPECT_NEAR(CentreInDocument(client).X, centre.X, 1.0f / scale);
}

TEST_F(ViewZoomTest, ZoomPercentIsTimesThePageWidthFit) {
  Control.ZoomPageWidth();
  const float fitted = Doc().GetScreenScale();
  Control.SetZoomPercent(200.0f);
  EXPECT_FLOAT_EQ(Control.GetZoomPercent(), 200.0f);
  EXPECT_NEAR(Doc().GetScreenScale(), (ClientWidth() - 22) / 211.0f * 2.0f, 1e-5f);
  EXPECT_GT(Doc().GetScreenScale(), fitted);

  Doc().Options.AutoWidth = false;
  const float zoomed = Doc().GetScreenScale();
  Control.SetZoomPercent(50.0f);
  EXPECT_FLOAT_EQ(Control.GetZoomPercent(), 200.0f);
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), zoomed);
}

TEST_F(ViewZoomTest, WheelNotchScrollsSixPixelsAndShiftScrollsSideways) {
  QApplication::setWheelScrollLines(3);
  Control.SetZoomPercent(300.0f);
  const QPoint start = Control.GetScrollOffset();
  const auto turn = [&](int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(100, 100);
    QWheelEvent wheel(at, Control.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Control.viewport(), &wheel);
  };
  turn(-120, Qt::NoModifier);  // backwards: down by 1 + 2 + 3
  EXPECT_EQ(Control.GetScrollOffset(), start + QPoint(0, 6));
  turn(-240, Qt::NoModifier);
  EXPECT_EQ(Control.GetScrollOffset(), start + QPoint(0, 18));
  turn(120, Qt::NoModifier);
  EXPECT_EQ(Control.GetScrollOffset(), start + QPoint(0, 12));
  turn(-120, Qt::ShiftModifier);
  EXPECT_EQ(Control.GetScrollOffset(), start + QPoint(6, 12));
  EXPECT_FLOAT_EQ(Doc().GetWindowTop(), (start.y() + 12) / Doc().GetScreenScale());
}

TEST_F(ViewZoomTest, ZoomStopsAtTheUsableScales) {
  Control.ZoomPageWidth();
  for (int i = 0; i < 400; ++i) Control.ZoomOut();
  EXPECT_GE(Doc().GetScreenScale(), 0.01f);
  EXPECT_GT(Control.GetZoomPercent(), 0.0f);
  for (int i = 0; i < 800; ++i) Control.ZoomIn();
  EXPECT_LE(Doc().GetScreenScale(), 10000.0f);
  EXPECT_GT(Control.GetVirtualSize().width(), 0);

  Control.ZoomPageWidth();
  const float fitted = Doc().GetScreenScale();
  EXPECT_FALSE(Control.ZoomByFactor(0.0));
  EXPECT_FALSE(Control.ZoomByFactor(std::nan("")));
  Control.SetZoomPercent(std::nanf(""));
  Control.SetZoomPercent(-50.0f);
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), fitted);
  Control.SetZoomPercent(1e30f);  // stays fitted to the width
  EXPECT_FLOAT_EQ(Control.GetZoomPercent(), 100.0f);
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), fitted);
}

TEST_F(ViewZoomTest, FitsIntoAWindowNarrowerThanItsBorderChangeNothing) {
  Control.ZoomPageWidth();
  const float fitted = Doc().GetScreenScale();
  Control.resize(12, 12);
  Control.ZoomPageWidth();
  Control.ZoomToPage();
  EXPECT_FLOAT_EQ(Doc().GetScreenScale(), fitted);
  Doc().SetPageWidth(0.0f);
  Control.resize(402, 302);
  Control.ZoomPageWidth();
  Control.ZoomToPage();
  EXPECT_TRUE(std::isfinite(Doc().GetScreenScale()));
  EXPECT_GT(Doc().GetScreenScale(), 0.0f);
}

// The scroll box's settings, each with what a person sees: the canvas left
// at the corner, bars gone and the arrows of a bar stepping 9 pixels, a bar
// dragged without tracking, the border, and the notifications.
TEST_F(ViewZoomTest, ScrollBoxSettingsAct) {
  Control.SetVirtualArea(0, 0, 100, 50);
  Control.SetNoCentring(true);
  EXPECT_EQ(Control.GetScrollOffset(), QPoint(0, 0));
  Control.SetNoCentring(false);
  EXPECT_EQ(Control.GetScrollOffset(), QPoint(-150, -125));

  int scrolls = 0, paints = 0;
  Control.OnScroll = [&scrolls](TdocDocument*) { ++scrolls; };
  Control.OnPaint = [&paints](TdocDocument*, TCanvas&) { ++paints; };
  Control.SetVirtualArea(0, 0, 2000, 1500);
  QApplication::processEvents();
  QScrollBar* bar = Control.horizontalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  const int before = scrolls;
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Control.GetScrollOffset().x(), 9);
  EXPECT_GT(scrolls, before);
  Control.viewport()->repaint();
  EXPECT_GT(paints, 0);

  Control.SetTracking(false);
  bar->setSliderDown(true);
  bar->setSliderPosition(300);
  EXPECT_EQ(Control.GetScrollOffset().x(), 9);  // not while the thumb is held
  bar->setSliderDown(false);
  EXPECT_EQ(Control.GetScrollOffset().x(), 300);
  Control.SetTracking(true);
  bar->setSliderDown(true);
  bar->setSliderPosition(400);
  EXPECT_EQ(Control.GetScrollOffset().x(), 400);
  bar->setSliderDown(false);

  Control.SetAutoScroll(false);
  QApplication::processEvents();
  EXPECT_FALSE(Control.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(Control.verticalScrollBar()->isVisible());
  EXPECT_EQ(Control.viewport()->size(), QSize(400, 300));
  Control.ScrollBy(10, 0);  // the program and the wheel still scroll
  EXPECT_EQ(Control.GetScrollOffset().x(), 410);
  Control.SetAutoScroll(true);
  QApplication::processEvents();
  EXPECT_TRUE(Control.horizontalScrollBar()->isVisible());

  EXPECT_EQ(Control.GetBorderStyle(), bsSingle);
  EXPECT_EQ(Control.frameWidth(), 1);
  Control.SetBorderStyle(bsNone);
  EXPECT_EQ(Control.frameWidth(), 0);
  Control.SetBorderStyle(bsSingle);
  EXPECT_EQ(Control.frameWidth(), 1);
}

}  // namespace
