// The control's paint event on the offscreen platform: a selected shape's
// round grips and rotation knob appear in the grabbed window where the
// handle painter puts them, over the rendered page; a rubber band shows and
// goes away with the repaint that erases it.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/control/Document.h"

namespace {

struct DocumentPaintTest : ::testing::Test {
  DocumentPaintTest() {
    document::StartUp();
    Control.resize(500, 400);
    auto shape = std::make_unique<TdocRectangleShape>();
    shape->SetDocFrame(40, 30, 60, 30, 0);
    shape->SetFillColor(0x00C000);  // green fill: the grips sit on it and on the page
    shape->SetUseOutline(false);
    Shape = shape.get();
    Control.Core().AddShape(std::move(shape));
  }

  QImage Grab(const char* name) {
    QApplication::processEvents();
    const QImage image = Control.viewport()->grab().toImage();
    image.save(QString::fromUtf8(::testing::TempDir().c_str()) + "/" + name);
    return image;
  }

  TdocDocument Control;
  TdocShape* Shape = nullptr;
};

QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

TEST_F(DocumentPaintTest, SelectedShapesShowTheirGripsWhereThePainterPutsThem) {
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  const QImage before = Grab("document_unselected.png");
  Shape->SetSelected(true);
  const QImage image = Grab("document_handles.png");
  const TdocHandlePainter& painter = *Shape->GetHandlePainter();
  ASSERT_EQ(painter.HandleCount(), 9);
  for (int i = 0; i < painter.HandleCount(); ++i) {
    const TRect r = painter.HandleRect(i);
    ASSERT_EQ(r.Width(), 7);
    ASSERT_EQ(r.Height(), 7);
    // The handle's own position on the page, which the print layout shows
    // with its origin a border away from the canvas's corner.
    const TdocPage& page = *Control.Core().GetCurrentPage();
    const TFloatPoint p = Control.Core().DocToClient({page.GetDocLeft() + Shape->GetDocLeft() + painter.GetHandles(i)->Position.X,
                                                      page.GetDocTop() + Shape->GetDocTop() + painter.GetHandles(i)->Position.Y});
    EXPECT_EQ(r.Left + 3, static_cast<int>(std::nearbyint(p.X)));
    EXPECT_EQ(r.Top + 3, static_cast<int>(std::nearbyint(p.Y)));
    const QRgb fill = painter.GetHandles(i)->Kind == hkRotate ? 0x00FF00u : 0xFFFFFFu;
    EXPECT_EQ(Rgb(image, r.Left + 3, r.Top + 3), fill) << i;
    EXPECT_EQ(Rgb(image, r.Left, r.Top + 3), 0x000000u) << i;
    EXPECT_EQ(Rgb(image, r.Left, r.Top), Rgb(before, r.Left, r.Top)) << i;  // round: corners untouched
  }
  // Away from the grips the picture is unchanged.
  const TdocPage& page = *Control.Core().GetCurrentPage();
  ASSERT_GT(page.GetDocLeft(), 0.0f);
  const TFloatPoint inside = Control.Core().DocToClient({page.GetDocLeft() + 70, page.GetDocTop() + 45});
  EXPECT_EQ(Rgb(image, int(inside.X), int(inside.Y)), Rgb(before, int(inside.X), int(inside.Y)));
  EXPECT_EQ(qGreen(image.pixel(int(inside.X), int(inside.Y))), 0xC0);
}

TEST_F(DocumentPaintTest, ARubberBandIsDrawnUntilItIsErased) {
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  const QImage before = Grab("document_page.png");
  Control.Core().DrawRubberBand({120, 100}, {40, 30});
  const QImage band = Grab("document_rubber_band.png");
  const TRect r = Control.Core().DocRectToClient({120, 100}, {40, 30});
  int changed = 0;
  for (int x = r.Left; x < r.Right; ++x) changed += Rgb(band, x, r.Top) != Rgb(before, x, r.Top) ? 1 : 0;
  EXPECT_NEAR(changed, r.Width() / 2, 1);  // dotted
  Control.Core().EraseFeedback();
  const QImage after = Grab("document_erased.png");
  EXPECT_EQ(after, before);
}

}  // namespace
