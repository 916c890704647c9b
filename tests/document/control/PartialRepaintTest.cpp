// A changed shape repaints only its old and new places in the kept view:
// after random single-shape edits at several zooms, the window must show
// exactly what a whole repaint of the same document shows, canvas drawing
// of the paint events included. And whatever the window keeps or leaves
// out of its paint, it shows what the page renders into a bitmap cleared to
// the control's colour, once the selection handles are gone again.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "imaging/bitmap/Bitmap32.h"
#include "imaging/docgraphics/DocGraphics.h"

#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "document/control/Document.h"

namespace {

enum TEdit { edMove, edResize, edRotate, edColor, edDelete, edAdd, edCount };

constexpr const char* kEditNames[] = {"move", "resize", "rotate", "colour", "delete", "add"};

struct PartialRepaintTest : ::testing::TestWithParam<float> {
  PartialRepaintTest() {
    document::StartUp();
    Control.resize(420, 320);
    TdocDocumentCore& core = Control.Core();
    core.SetPageWidth(100);
    core.SetPageHeight(60);
    for (int i = 0; i < 12; ++i) core.AddShape(MakeShape());
    // Canvas drawing under the shapes, across the whole page: it knows no clip.
    core.OnPaintBackground = [](TPersistent*, TCanvas& canvas, const TRect& page) {
      canvas.GetBrush().SetColor(0xC0E0F0);
      canvas.Ellipse(page);
    };
  }

  std::unique_ptr<TdocShape> MakeShape() {
    std::unique_ptr<TdocPolygonShape> shape;
    if (Random() % 2 == 0)
      shape = std::make_unique<TdocEllipseShape>();
    else
      shape = std::make_unique<TdocRoundRectShape>();
    // Drawn one after the other: the order of a call's arguments is the compiler's.
    const float left = Uniform(0, 80), top = Uniform(0, 45), width = Uniform(3, 20), height = Uniform(3, 20);
    const float angle = Random() % 3 == 0 ? Uniform(0, 360) : 0.0f;
    shape->SetDocFrame(left, top, width, height, angle);
    shape->SetFillColor(Color());
    shape->SetOutlineColor(Color());
    shape->SetOutlineWidth(Uniform(0, 1.5f));
    return shape;
  }

  void Edit(TEdit edit) {
    TdocDocumentCore& core = Control.Core();
    const int index = static_cast<int>(Random() % static_cast<unsigned>(core.ShapeCount()));
    auto& shape = dynamic_cast<TdocPolygonShape&>(*core.GetShapes(index));
    switch (edit) {
      case edMove: {
        const float dx = Uniform(-3, 3), dy = Uniform(-3, 3);
        shape.SetDocPos(shape.GetDocLeft() + dx, shape.GetDocTop() + dy);
        return;
      }
      case edResize: {
        const float sx = Uniform(0.5f, 1.5f), sy = Uniform(0.5f, 1.5f);
        shape.SetDocBounds(shape.GetDocLeft(), shape.GetDocTop(), shape.GetDocWidth() * sx, shape.GetDocHeight() * sy);
        return;
      }
      case edRotate: shape.SetDocAngle(Uniform(0, 360)); return;
      case edColor: shape.SetFillColor(Color()); return;
      case edDelete: core.DeleteShape(index); return;
      case edAdd: core.AddShape(MakeShape()); return;
      case edCount: return;
    }
  }

  // What the window shows once the pending paints ran.
  QImage Shown() {
    QApplication::processEvents();
    return Control.viewport()->grab().toImage();
  }

  float Uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(Random); }
  TColor Color() { return static_cast<TColor>(Random() & 0xFFFFFFu); }

  TdocDocument Control;
  std::mt19937 Random{11};
};

// Where two pictures of the same size differ: the bounding box and the pixel count.
std::string Differences(const QImage& a, const QImage& b) {
  QRect box;
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        box |= QRect(x, y, 1, 1);
        ++count;
      }
  return std::to_string(count) + " pixels in (" + std::to_string(box.left()) + ", " + std::to_string(box.top()) +
         ") - (" + std::to_string(box.right()) + ", " + std::to_string(box.bottom()) + ")";
}

TEST_P(PartialRepaintTest, ShowsWhatAWholeRepaintShows) {
  Control.SetZoomPercent(GetParam());
  Control.ScrollBy(Control.GetVirtualSize().width() / 4, Control.GetVirtualSize().height() / 4);
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  Shown();
  for (int step = 0; step < 36; ++step) {
    const auto edit = static_cast<TEdit>(step % edCount);
    Edit(edit);
    const QImage partial = Shown();
    Control.Repaint();
    const QImage whole = Shown();
    ASSERT_TRUE(partial == whole) << "step " << step << ", " << kEditNames[edit] << ": " << Differences(partial, whole);
  }
}

// The whole client area rendered from scratch: cleared to the control's
// colour, then the page's document rectangle under it rendered over that.
QImage RenderedFromScratch(const TdocDocument& control) {
  const TdocDocumentCore& core = control.Core();
  const QSize size = control.viewport()->size();
  TBitmap32 bitmap;
  bitmap.SetSize(size.width(), size.height());
  bitmap.Clear(imaging::ColorToColor32(core.Options.Color));
  TdocPage& page = *const_cast<TdocDocumentCore&>(core).GetCurrentPage();
  TdocRenderOptions options;
  options.Device = dtScreen;
  options.BitmapResolution = core.GetScreenScale();
  options.Resolution = std::max(core.GetRenderResolution(), core.GetScreenScale());
  options.StretchFilter = core.GetQuality();
  options.Color = imaging::SetColorAlpha(imaging::ColorToColor32(page.GetPageColor()), 0);
  const TFloatPoint topLeft = core.ClientToDoc({0, 0});
  const TFloatPoint bottomRight = core.ClientToDoc({float(size.width()), float(size.height())});
  page.RenderShape(bitmap, {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y}, false, options);
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, bitmap.GetPixel(x, y) | 0xFF000000u);
  return image;
}

TEST_P(PartialRepaintTest, ShowsThePageAsRenderedFromScratch) {
  Control.SetZoomPercent(GetParam());
  Control.ScrollBy(Control.GetVirtualSize().width() / 4, Control.GetVirtualSize().height() / 4);
  Control.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Control));
  const QImage expected = RenderedFromScratch(Control);
  const QImage shown = Shown().convertToFormat(QImage::Format_RGB32);
  ASSERT_TRUE(shown == expected) << Differences(shown, expected);
  // Handles drawn over the page, then taken away again: a shape whose
  // top-left corner shows, with the grip there.
  TdocDocumentCore& core = Control.Core();
  const QRect view = Control.viewport()->rect().adjusted(4, 4, -4, -4);
  TdocShape* inView = nullptr;
  for (int i = 0; i < core.ShapeCount() && !inView; ++i) {
    const TFloatPoint corner = core.GetShapes(i)->ShapeToScreen({0, 0});
    if (view.contains(int(corner.X), int(corner.Y))) inView = core.GetShapes(i);
  }
  ASSERT_NE(inView, nullptr);
  TdocShape& shape = *inView;
  shape.SetSelected(true);
  EXPECT_FALSE(Shown().convertToFormat(QImage::Format_RGB32) == expected);
  shape.SetSelected(false);
  const QImage after = Shown().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(after == expected) << Differences(after, expected);
}

INSTANTIATE_TEST_SUITE_P(Zooms, PartialRepaintTest, ::testing::Values(100.0f, 250.0f, 400.0f));

}  // namespace
