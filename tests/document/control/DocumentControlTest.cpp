// The editor control on the offscreen platform: a page with a shape shown
// and grabbed, pixels checked at positions worked out from the fitted
// scale; the timer, the cursor table, scrolling and re-parenting.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "tests/document/TestShapes.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/qt/CursorTable.h"

namespace {

using doctest::MakeFill;

struct DocumentControlTest : ::testing::Test {
  DocumentControlTest() {
    document::StartUp();
    Control.resize(400, 300);
  }
  TdocDocumentCore& Doc() { return Control.Core(); }

  TdocDocument Control;
};

QRgb Rgb(const QImage& image, double x, double y) {
  return image.pixel(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))) & 0xFFFFFFu;
}

TEST_F(DocumentControlTest, ShowsThePageFittedToTheWidthWithItsShapes) {
  auto shape = MakeFill(20, 30, 40, 20);
  shape->Color = 0xFF2040C0u;
  Doc().AddShape(std::move(shape));
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));

  // The page with its 1 mm shadow fills the width less 22 pixels: 10 of
  // border on each side and one pixel of frame.
  const int clientWidth = Control.viewport()->width();
  const float scale = Doc().GetScreenScale();
  EXPECT_NEAR(scale, (clientWidth - 22) / 211.0f, 1e-4f);
  EXPECT_EQ(Control.GetVirtualSize().width(), std::lround(211 * scale + 20));

  const QImage image = Control.viewport()->grab().toImage();
  ASSERT_FALSE(image.isNull());
  image.save(QString::fromUtf8(::testing::TempDir().c_str()) + "/document_control.png");
  const double page = 10;  // the page's left and top edges in client pixels
  EXPECT_EQ(Rgb(image, page + 40 * scale, page + 40 * scale), 0x2040C0u);  // inside the shape
  EXPECT_EQ(Rgb(image, page + 100 * scale, page + 100 * scale), 0xFFFFFFu);  // the page
  EXPECT_EQ(Rgb(image, page + 10 * scale, page + 25 * scale), 0xFFFFFFu);    // left of the shape
  const QRgb workspace = QColor::fromRgba(imaging::ColorToColor32(clAppWorkSpace)).rgb() & 0xFFFFFFu;
  EXPECT_EQ(Rgb(image, 3, 3), workspace);  // the border outside the page
}

TEST_F(DocumentControlTest, ScrollingMovesTheWindowOrigin) {
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  int reports = 0;
  Doc().OnUpdateScrollPosition = [&](TPersistent*) { ++reports; };
  QScrollBar* bar = Control.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 100);
  bar->setValue(100);
  EXPECT_FLOAT_EQ(Doc().GetWindowTop(), 100 / Doc().GetScreenScale());
  EXPECT_EQ(reports, 1);
  const TFloatPoint client = Doc().DocToClient({0, 100 / Doc().GetScreenScale()});
  EXPECT_NEAR(client.Y, 0.0f, 1e-3f);
}

TEST_F(DocumentControlTest, SmallPagesSitCentred) {
  Doc().SetPageWidth(20);
  Doc().SetPageHeight(10);
  Doc().SetScreenScale(2.0f);
  Control.UpdateScrollArea();
  // 21 x 11 mm at 2 px/mm plus the border: 62 x 42 pixels in the viewport.
  EXPECT_EQ(Control.GetVirtualSize(), QSize(62, 42));
  const QSize client = Control.viewport()->size();
  EXPECT_FLOAT_EQ(Doc().GetWindowLeft(), -((client.width() - 62) / 2) / 2.0f);
  EXPECT_FLOAT_EQ(Doc().GetWindowTop(), -((client.height() - 42) / 2) / 2.0f);
}

TEST_F(DocumentControlTest, TimerTicksAnimateTheDocument) {
  EXPECT_EQ(Control.GetTimer().interval(), 50);
  EXPECT_TRUE(Control.GetTimer().isActive());
  int ticks = 0;
  Doc().OnAnimate = [&](TPersistent*) { ++ticks; };
  // Two ticks come within 100 ms on an idle machine; a loaded one gets time.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ticks < 2 && std::chrono::steady_clock::now() < deadline) QTest::qWait(10);
  EXPECT_GE(ticks, 2);
}

TEST_F(DocumentControlTest, BusyShowsTheHourGlassAndThenTheControlsCursor) {
  {
    auto busy = Doc().BusyBracket(crHourGlass);
    EXPECT_EQ(Control.viewport()->cursor().shape(), CursorFromId(crHourGlass).shape());
  }
  EXPECT_EQ(Control.viewport()->cursor().shape(), CursorFromId(crDefault).shape());
}

TEST_F(DocumentControlTest, ReparentingReportsTheCurrentPage) {
  std::vector<TdocPage*> pages;
  Doc().OnPageChanged = [&](TPersistent*, TdocPage* page) { pages.push_back(page); };
  QWidget parent;
  Control.setParent(&parent);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], Doc().GetCurrentPage());
  EXPECT_EQ(Doc().GetUndoCount(), 0);
  Control.setParent(nullptr);
}

TEST_F(DocumentControlTest, WithoutPagesTheControlPaintsItsColour) {
  Doc().Clear();
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  const QImage image = Control.viewport()->grab().toImage();
  const QRgb workspace = QColor::fromRgba(imaging::ColorToColor32(clAppWorkSpace)).rgb() & 0xFFFFFFu;
  EXPECT_EQ(Rgb(image, image.width() / 2, image.height() / 2), workspace);
}

}  // namespace
