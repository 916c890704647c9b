// The thumbnail is drawn at its own few pixels per millimetre in one pass.
// Its picture must still be the page's: it is compared with the page drawn
// at ten pixels per millimetre and reduced by an area average written here.
// Drawing it must leave the shapes' screen caches as they were and add none.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "document/text/TextShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Bitmap.h"

namespace {

constexpr float ThumbPageWidth = 100;
constexpr float ThumbPageHeight = 70;
// 80 x 60 less a pixel each side: the page fits at 78 / 100 pixels per mm,
// 78 x 55 pixels from (1, 2).
constexpr double ThumbScale = 0.78;
constexpr int ThumbLeft = 1, ThumbTop = 2, ThumbWidth = 78, ThumbHeight = 55;
constexpr float ReferenceDpm = 10;

struct TRgb {
  double R = 0, G = 0, B = 0;
};

TRgb RgbOf(std::uint32_t pixel) {
  return {double(pixel >> 16 & 0xFF), double(pixel >> 8 & 0xFF), double(pixel & 0xFF)};
}

// The mean colour of the reference pixels under thumbnail pixel (x, y),
// each weighted by the part of it the thumbnail pixel covers.
TRgb AreaAverage(const TBitmap32& reference, int x, int y) {
  const double ratio = ReferenceDpm / ThumbScale;
  const double left = x * ratio, right = (x + 1) * ratio, top = y * ratio, bottom = (y + 1) * ratio;
  TRgb sum;
  double weight = 0;
  for (int ry = int(top); ry < int(std::ceil(bottom)) && ry < reference.GetHeight(); ++ry)
    for (int rx = int(left); rx < int(std::ceil(right)) && rx < reference.GetWidth(); ++rx) {
      const double w = (std::min(right, rx + 1.0) - std::max(left, double(rx))) *
                       (std::min(bottom, ry + 1.0) - std::max(top, double(ry)));
      const TRgb c = RgbOf(reference.GetPixel(rx, ry));
      sum.R += w * c.R;
      sum.G += w * c.G;
      sum.B += w * c.B;
      weight += w;
    }
  return {sum.R / weight, sum.G / weight, sum.B / weight};
}

double ChannelDifference(const TRgb& a, const TRgb& b) {
  return (std::abs(a.R - b.R) + std::abs(a.G - b.G) + std::abs(a.B - b.B)) / 3;
}

struct ThumbnailPictureTest : ::testing::Test {
  void SetUp() override {
    Document.SetPageCount(1);
    Document.SetCurrentPageIndex(0);
    Page().SetPageWidth(ThumbPageWidth);
    Page().SetPageHeight(ThumbPageHeight);
    Page().SetPageColor(0xC0F0FF);  // 0x00BBGGRR: light yellow
  }

  TdocPage& Page() { return *Document.GetPages(0); }

  TdocShape& AddFrame(std::unique_ptr<TdocPolygonShape> shape, float x, float y, float w, float h, float angle,
                      TColor fill) {
    shape->SetDocFrame(x, y, w, h, angle);
    shape->SetFillColor(fill);
    TdocShape& added = *shape;
    Document.AddShape(std::move(shape));
    return added;
  }

  // Large and small shapes, level and turned, opaque and see-through, and a
  // text, over the page.
  void AddLabel() {
    AddFrame(std::make_unique<TdocRectangleShape>(), 5, 5, 40, 25, 0, 0x0000C0);
    AddFrame(std::make_unique<TdocRectangleShape>(), 55, 8, 30, 18, 30, 0xC04000);
    TdocShape& ellipse = AddFrame(std::make_unique<TdocEllipseShape>(), 20, 30, 50, 30, 0, 0x00A000);
    ellipse.SetMasterAlpha(128);
    for (int i = 0; i < 12; ++i)
      AddFrame(std::make_unique<TdocRectangleShape>(), 4 + 7.5f * i, 62, 5, 5, 15.0f * i, 0x404040);
    auto text = std::make_unique<TdocTextShape>();
    text->SetFontName("DejaVu Sans");
    text->SetFontHeight(8);
    text->SetText(u"Label 42");
    text->SetDocFrame(50, 35, 45, 12, 0);
    Document.AddShape(std::move(text));
  }

  // Mean colour difference over the thumbnail's page area between the
  // thumbnail and the area average of the reference, pixel by pixel; and
  // the largest difference between the two pictures blurred over 3 x 3
  // pixels, which lets an edge land on the next pixel (texts at a few
  // pixels per letter are laid out in whole pixels) but not a shape go
  // missing or move.
  struct TDifference {
    double Mean = 0, LargestBlurred = 0;
  };
  TDifference CompareWithReference(const TPixelSurface& thumbnail, const TBitmap32& reference) {
    std::vector<TRgb> ours, theirs;
    for (int y = 0; y < ThumbHeight; ++y)
      for (int x = 0; x < ThumbWidth; ++x) {
        ours.push_back(RgbOf(thumbnail.Pixel(ThumbLeft + x, ThumbTop + y)));
        theirs.push_back(AreaAverage(reference, x, y));
      }
    TDifference d;
    for (std::size_t i = 0; i < ours.size(); ++i) d.Mean += ChannelDifference(ours[i], theirs[i]);
    d.Mean /= double(ours.size());
    for (int y = 1; y + 1 < ThumbHeight; ++y)
      for (int x = 1; x + 1 < ThumbWidth; ++x)
        d.LargestBlurred = std::max(d.LargestBlurred, ChannelDifference(Blurred(ours, x, y), Blurred(theirs, x, y)));
    return d;
  }

  static TRgb Blurred(const std::vector<TRgb>& picture, int x, int y) {
    TRgb sum;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const TRgb& c = picture[std::size_t(y + dy) * ThumbWidth + std::size_t(x + dx)];
        sum.R += c.R / 9;
        sum.G += c.G / 9;
        sum.B += c.B / 9;
      }
    return sum;
  }

  TdocDocumentCore Document;
};

TEST_F(ThumbnailPictureTest, ThumbnailIsThePageScaledDown) {
  AddLabel();
  TBitmap32 reference;
  reference.SetSize(int(ThumbPageWidth * ReferenceDpm), int(ThumbPageHeight * ReferenceDpm));
  Page().RenderPageAtResolution(reference, ReferenceDpm, 0xFFFFFFFFu);
  Page().SetModified(true);
  const TBitmap* thumbnail = Page().GetThumbnail();
  ASSERT_NE(thumbnail, nullptr);
  ASSERT_EQ(thumbnail->GetWidth(), 80);
  ASSERT_EQ(thumbnail->GetHeight(), 60);
  const TPixelSurface& pixels = thumbnail->GetSurface();

  const TDifference difference = CompareWithReference(pixels, reference);
  // Measured: 4.6 and 62. A 5 mm square gone or moved by 2 pixels makes
  // the blurred difference over 100.
  EXPECT_LT(difference.Mean, 6.0);
  EXPECT_LT(difference.LargestBlurred, 80.0);
  // The frame around the page, in black.
  EXPECT_EQ(pixels.Pixel(ThumbLeft - 1, ThumbTop + 20) & 0xFFFFFF, 0u);
  EXPECT_EQ(pixels.Pixel(ThumbLeft + 30, ThumbTop + ThumbHeight) & 0xFFFFFF, 0u);

  // The comparison tells pictures apart: an empty page is far from it.
  TdocDocumentCore blankDocument;
  blankDocument.SetPageCount(1);
  TdocPage& blank = *blankDocument.GetPages(0);
  blank.SetPageWidth(ThumbPageWidth);
  blank.SetPageHeight(ThumbPageHeight);
  blank.SetPageColor(0xC0F0FF);
  EXPECT_GT(CompareWithReference(blank.GetThumbnail()->GetSurface(), reference).Mean, 3 * difference.Mean);
}

TEST_F(ThumbnailPictureTest, ThumbnailLeavesTheScreenCachesAsTheyWere) {
  TdocShape& turned = AddFrame(std::make_unique<TdocRectangleShape>(), 10, 10, 30, 20, 30, 0x0000C0);
  TdocShape& unseen = AddFrame(std::make_unique<TdocRectangleShape>(), 50, 30, 30, 20, 45, 0x00C000);
  // The screen shows the first shape only, at 5.9 pixels per mm.
  TBitmap32 screen;
  screen.SetSize(250, 200);
  TdocRenderOptions options;
  options.Resolution = options.BitmapResolution = TdocDocumentCore::DefaultDpm;
  Page().RenderShape(screen, {0, 0, 250 / options.Resolution, 200 / options.Resolution}, true, options);
  ASSERT_NE(turned.GetCacheBitmap(), nullptr);
  ASSERT_EQ(unseen.GetCacheBitmap(), nullptr);
  const TBitmap32* screenCache = turned.GetCacheBitmap();

  Page().SetModified(true);
  ASSERT_NE(Page().GetThumbnail(), nullptr);
  EXPECT_EQ(turned.GetCacheBitmap(), screenCache);
  EXPECT_EQ(turned.GetCacheResolution(), TdocDocumentCore::DefaultDpm);
  EXPECT_EQ(unseen.GetCacheBitmap(), nullptr);
}

}  // namespace
