// The page: snapping, tiles, scale and thumbnail size against hand-worked
// values; tiled printing against one-piece rendering; thumbnails read back by
// a BMP reader written here; the XML form; hostile page XML.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/page/Page.h"
#include "document/page/PlainDocument.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::MakeFill;
using doctest::TFillShape;
using doctest::TNoiseShape;

constexpr TColor32 Marker = 0x12345678u;

// A page held by a plain document that keeps defaults.
struct PageTest : ::testing::Test {
  PageTest() {
    document::StartUp();
    RegisterShapeClass(TFillShape::StaticClass());
    Document.Pages.push_back(&Page);
    Document.Pages.push_back(&Second);
    Document.CurrentPageIndex = 0;
    Page.SetDocument(&Document);
    Second.SetDocument(&Document);
  }
  ~PageTest() override {
    Page.SetDocument(nullptr);
    Second.SetDocument(nullptr);
  }

  static std::string Save(const TdocShape& shape) {
    TXmlDocument xml("shape");
    shape.SaveToXml(*xml.GetRoot());
    return xml.WriteToString();
  }
  static void Load(TdocShape& shape, const std::string& text) {
    TXmlDocument xml;
    xml.ReadFromString(text);
    shape.LoadFromXml(xml.GetRoot());
  }
  static std::string PageXml(const std::string& inner) {
    return "<shape><ClassName>TdocPage</ClassName><IsDefaultPage>False</IsDefaultPage>" + inner + "</shape>";
  }

  TdocPlainDocument Document;
  TdocPage Page;
  TdocPage Second;
};

// A canvas over memory pre-filled with a marker colour.
struct TestCanvas {
  TestCanvas(int width, int height) : Memory(width, height), Canvas(Memory.Surface()) {
    const TPixelSurface s = Memory.Surface();
    std::fill(s.Bits, s.Bits + std::ptrdiff_t{width} * height, Marker);
  }
  std::uint32_t At(int x, int y) { return Memory.Surface().Pixel(x, y); }
  TMemorySurface Memory;
  TCanvas Canvas;
};

TEST_F(PageTest, SnapsToTheNearestGridPointWithHalvesToEven) {
  const struct {
    float grid;
    TFloatPoint in, out;
  } cases[] = {
      {5, {12.4f, 12.6f}, {10, 15}},     {5, {12.5f, 7.5f}, {10, 10}},     {0, {12.4f, 12.6f}, {12.4f, 12.6f}},
      {2.5f, {3.75f, -3.75f}, {5, -5}},  {2.5f, {1.25f, 6.25f}, {0, 5}},   {-5, {12.4f, 3}, {12.4f, 3}},
      {1e-30f, {12.4f, 3}, {12.4f, 3}},  // a grid too fine to step through leaves the point
  };
  for (const auto& c : cases) {
    Page.SetGridSize(c.grid);
    TFloatPoint result;
    Page.SnapPoint(c.in, result);
    EXPECT_FLOAT_EQ(result.X, c.out.X) << c.grid;
    EXPECT_FLOAT_EQ(result.Y, c.out.Y) << c.grid;
  }
}

TEST(PageTiles, HalveTheLongerSideUntilEachFits) {
  using T = std::vector<std::pair<TRect, double>>;
  const struct {
    std::int32_t width, height;
    std::int64_t limit;
    T tiles;
  } cases[] = {
      // The worked case: 2000 x 1000 pixels exceed 1,920,000 and are cut across the width.
      {2000, 1000, 1920000, {{{0, 0, 1000, 1000}, 0.5}, {{1000, 0, 2000, 1000}, 1.0}}},
      {1000, 1920, 1920000, {{{0, 0, 1000, 1920}, 1.0}}},
      // An odd side gives the first half the smaller half.
      {1000, 2001, 1920000, {{{0, 0, 1000, 1000}, 0.5}, {{0, 1000, 1000, 2001}, 1.0}}},
      // 4 x 2 is cut across the width into 2 x 2 pieces, each across its height.
      {4, 2, 2, {{{0, 0, 2, 1}, 0.25}, {{0, 1, 2, 2}, 0.5}, {{2, 0, 4, 1}, 0.75}, {{2, 1, 4, 2}, 1.0}}},
      {4, 4, 4,
       {{{0, 0, 2, 2}, 0.25}, {{2, 0, 4, 2}, 0.5}, {{0, 2, 2, 4}, 0.75}, {{2, 2, 4, 4}, 1.0}}},
      {0, 100, 10, {}},
  };
  for (const auto& c : cases) {
    T got;
    for (const TdocPageTile& tile : document::SplitPageTiles(c.width, c.height, c.limit))
      got.emplace_back(tile.Area, tile.ProgressEnd);
    EXPECT_EQ(got, c.tiles) << c.width << " x " << c.height;
  }
}

TEST_F(PageTest, RenderPageScalesCentresAndReportsEachTile) {
  // The worked case: 200 x 100 mm into 2000 x 2000 pixels with Dpm 0.
  Page.SetPageWidth(200);
  Page.SetPageHeight(100);
  Page.SetPageColor(0x0000FF);
  auto probe = std::make_unique<TNoiseShape>();
  probe->SetDocFrame(10, 10, 20, 20, 0);
  TNoiseShape* shape = probe.get();
  Page.AddShape(std::move(probe));
  Document.ProgressCount = 2;
  Document.ProgressTotal = 3;
  TestCanvas target(2000, 2000);
  Page.RenderPage(target.Canvas, {0, 0, 2000, 2000}, false, false, 0, 0);

  for (const auto& [x, y, expected] : std::vector<std::tuple<int, int, std::uint32_t>>{
           {0, 499, Marker}, {0, 500, 0xFFFF0000u}, {1999, 1499, 0xFFFF0000u}, {1999, 1500, Marker}, {1000, 1000, 0xFFFF0000u}})
    EXPECT_EQ(target.At(x, y), expected) << x << ", " << y;
  ASSERT_EQ(Document.Progress.size(), 2u);
  EXPECT_EQ(Document.Progress[0].Type, ptPrint);
  EXPECT_EQ(Document.Progress[0].Count, 2);
  EXPECT_EQ(Document.Progress[0].Total, 3);
  EXPECT_FLOAT_EQ(Document.Progress[0].Percent, 1.5f / 3);
  EXPECT_FLOAT_EQ(Document.Progress[1].Percent, 2.0f / 3);
  // Dpm 0 takes the scale; the bitmap drawn has the scale's resolution.
  EXPECT_FLOAT_EQ(shape->LastOptions.Resolution, 10);
  EXPECT_FLOAT_EQ(shape->LastOptions.BitmapResolution, 10);
  EXPECT_EQ(shape->LastOptions.Device, dtPrinter);
  EXPECT_EQ(Document.PrintingCount, 0);

  // A lower Dpm only lowers the caches' resolution: what is drawn into the
  // 10 pixels/mm bitmap still knows its real resolution.
  Page.RenderPage(target.Canvas, {0, 0, 2000, 2000}, false, false, 0, 5);
  EXPECT_FLOAT_EQ(shape->LastOptions.Resolution, 5);
  EXPECT_FLOAT_EQ(shape->LastOptions.BitmapResolution, 10);
  EXPECT_FLOAT_EQ(Document.Progress.back().Percent, 2.0f / 3);
  EXPECT_EQ(Document.Progress.size(), 4u);
}

TEST_F(PageTest, RenderPageWithoutADocumentDrawsNothing) {
  TdocPage alone;
  TestCanvas target(50, 50);
  alone.RenderPage(target.Canvas, {0, 0, 50, 50}, false, false, 0, 0);
  EXPECT_EQ(target.At(25, 25), Marker);
}

TEST_F(PageTest, OptimizedPrintingLeavesBlankTilesUnsent) {
  Page.SetPageWidth(200);
  Page.SetPageHeight(100);
  Page.AddShape(MakeFill(150, 10, 20, 20));
  Document.OptimizedPrinting = true;
  TestCanvas target(2000, 1000);
  Page.RenderPage(target.Canvas, {0, 0, 2000, 1000}, false, false, 0, 0);
  EXPECT_EQ(target.At(500, 500), Marker);       // the left tile holds only the page colour
  EXPECT_EQ(target.At(1500, 500), 0xFFFFFFFFu);  // the right tile holds a shape
}

// The page's pixel (x, y) for output pixel (u, v) of an output turned,
// mirrored and turned upside down, worked out by hand for each turn.
struct Turn {
  int rotation;
  bool mirror, upsideDown;
};

TEST_F(PageTest, TiledPrintingEqualsOnePieceRenderingAtEveryTurn) {
  // 200 x 150 mm at 16 pixels per mm: 3200 x 2400 pixels, cut into four tiles.
  Page.SetPageWidth(200);
  Page.SetPageHeight(150);
  Page.SetPageColor(0xE0F0FF);
  Page.AddShape(MakeFill(20, 20, 60, 40, 30));
  auto noise = std::make_unique<TNoiseShape>();
  noise->SetDocFrame(90, 30, 70, 80, 0);
  Page.AddShape(std::move(noise));
  auto turned = std::make_unique<TNoiseShape>();
  turned->SetDocFrame(60, 70, 90, 50, 250);
  Page.AddShape(std::move(turned));
  Page.AddShape(MakeFill(-10, 140, 40, 30, 12));
  // Level but cached, across many bands of the sheet.
  auto cached = std::make_unique<TNoiseShape>();
  cached->SetDocFrame(10, 60, 50, 70, 0);
  cached->SetForceRenderCache(true);
  const TNoiseShape& cachedShape = *cached;
  Page.AddShape(std::move(cached));
  const int pw = 3200, ph = 2400;

  TBitmap32 reference;
  reference.SetSize(pw, ph);
  reference.Clear(0);
  TdocRenderOptions options;
  options.Device = dtPrinter;
  options.Color = 0x00FFF0E0u;
  options.Resolution = 16;
  options.BitmapResolution = 16;
  options.StretchFilter = sfLinear;
  Page.RenderShape(reference, {0, 0, 200, 150}, true, options);
  ASSERT_GT(document::SplitPageTiles(pw, ph, TdocPage::MaxTilePixels).size(), 2u);

  for (const Turn turn : {Turn{0, false, false}, Turn{1, false, false}, Turn{2, true, false}, Turn{3, false, true},
                          Turn{1, true, true}}) {
    const bool quarter = turn.rotation % 2 != 0;
    const int ow = quarter ? ph : pw, oh = quarter ? pw : ph;
    TestCanvas target(ow, oh);
    Page.RenderPage(target.Canvas, {0, 0, ow, oh}, turn.mirror, turn.upsideDown, turn.rotation, 16);
    int mismatches = 0;
    for (int v = 0; v < oh; ++v)
      for (int u = 0; u < ow; ++u) {
        const int uu = turn.mirror ? ow - 1 - u : u;
        const int vv = turn.upsideDown ? oh - 1 - v : v;
        int x = uu, y = vv;
        if (turn.rotation == 1) x = pw - 1 - vv, y = uu;
        if (turn.rotation == 2) x = pw - 1 - uu, y = ph - 1 - vv;
        if (turn.rotation == 3) x = vv, y = ph - 1 - uu;
        if (target.At(u, v) != reference.GetPixel(x, y)) ++mismatches;
      }
    EXPECT_EQ(mismatches, 0) << "rotation " << turn.rotation << " mirror " << turn.mirror << " upside down "
                             << turn.upsideDown;
  }
  // Straight into a bitmap of the sheet, without tiles, and at the page's
  // own resolution into a larger one: the same pixels whatever the bitmaps
  // held before, the background around them.
  constexpr TColor32 Stale = 0x12345678u, Background = 0xFFFFFFFFu;
  for (const bool atResolution : {false, true}) {
    const int sw = atResolution ? pw + 5 : pw, sh = atResolution ? ph + 3 : ph;
    TBitmap32 sheet;
    sheet.SetSize(sw, sh);
    sheet.Clear(Stale);
    const int paints = cachedShape.Paints;
    if (atResolution) {
      Page.RenderPageAtResolution(sheet, 16, Background);
    } else {
      Page.RenderPageToBitmap(sheet, 0, 16, Background);
      EXPECT_EQ(cachedShape.Paints, paints + 1) << "one cache serves every band of the sheet";
    }
    int mismatches = 0;
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x)
        mismatches += sheet.GetPixel(x, y) != (x < pw && y < ph ? reference.GetPixel(x, y) : Background);
    EXPECT_EQ(mismatches, 0) << "at resolution " << atResolution;
  }
}

TEST_F(PageTest, APrintedPageKeepsOneScaleSoLevelCachesAreNotResampled) {
  // 100 x 70 mm fitted to 425 x 300 pixels: 4.25 pixels per mm, the page
  // 425 x 297.5 pixels. Stretching its height to whole pixels would blur
  // every cache of the page; at one scale each of the noise's 85 x 51
  // pixels lands once, as it is.
  Page.SetPageWidth(100);
  Page.SetPageHeight(70);
  auto noise = std::make_unique<TNoiseShape>();
  noise->SetDocFrame(10.3f, 20.7f, 20, 12, 0);
  noise->SetForceRenderCache(true);
  Page.AddShape(std::move(noise));
  std::map<TColor32, int> expected;
  for (std::uint32_t y = 0; y < 51; ++y)
    for (std::uint32_t x = 0; x < 85; ++x) ++expected[0xFF000000u | ((x * 2654435761u) ^ (y * 40503u))];
  expected.erase(0xFFFFFFFFu);
  // Upright, and turned a quarter onto a sheet the other way round: the
  // turned page is drawn in tiles. No pixel of the sheet is left unpainted.
  for (const int rotation : {0, 1}) {
    const int width = rotation == 0 ? 425 : 300, height = rotation == 0 ? 300 : 425;
    TBitmap32 sheet;
    sheet.SetSize(width, height);
    Page.RenderPageToBitmap(sheet, rotation, 0, 0xFFFFFFFFu);
    std::map<TColor32, int> landed;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (sheet.GetPixel(x, y) != 0xFFFFFFFFu) ++landed[sheet.GetPixel(x, y)];
    EXPECT_EQ(landed, expected) << "rotation " << rotation;
  }
}

// ---- thumbnails, read back by a reader of 24-bit BMP files written here

struct Bmp {
  std::int32_t Width = 0, Height = 0;
  std::vector<std::uint32_t> Pixels;  // 0x00RRGGBB, top row first
  std::uint32_t At(int x, int y) const { return Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)]; }
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b.at(at + std::size_t(i));
  return value;
}

Bmp ReadBmp24(const std::vector<std::uint8_t>& b) {
  Bmp bmp;
  EXPECT_EQ(b.at(0), 'B');
  EXPECT_EQ(b.at(1), 'M');
  EXPECT_EQ(Le(b, 2, 4), b.size());
  const std::uint32_t offset = Le(b, 10, 4);
  EXPECT_EQ(Le(b, 14, 4), 40u);
  bmp.Width = static_cast<std::int32_t>(Le(b, 18, 4));
  const auto height = static_cast<std::int32_t>(Le(b, 22, 4));
  EXPECT_GT(height, 0) << "rows are stored bottom-up";
  bmp.Height = height;
  EXPECT_EQ(Le(b, 26, 2), 1u);
  EXPECT_EQ(Le(b, 28, 2), 24u);
  EXPECT_EQ(Le(b, 30, 4), 0u);
  const std::size_t row = (std::size_t(bmp.Width) * 3 + 3) / 4 * 4;
  EXPECT_EQ(offset + row * std::size_t(height), b.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < bmp.Width; ++x) {
      const std::size_t at = offset + std::size_t(height - 1 - y) * row + std::size_t(x) * 3;
      bmp.Pixels.push_back(std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16);
    }
  return bmp;
}

Bmp ThumbnailOf(TdocPage& page) {
  page.GetThumbnail();
  TMemoryStream stream;
  page.SaveThumbnailToStream(stream);
  return ReadBmp24(std::vector<std::uint8_t>(stream.Memory(), stream.Memory() + stream.GetSize()));
}

TEST_F(PageTest, ThumbnailFitsThePageInsideAFrame) {
  // A4 at 5.905512 dots per mm is 1240 x 1754 pixels; into 78 x 58 pixels it
  // fits at 58 / 1754: 41 x 58 pixels, centred at x = 1 + (78 - 41) div 2 = 19.
  Document.Color = 0x00406080;  // 0x00BBGGRR
  Page.AddShape(MakeFill(0, 0, 105, 297));
  const Bmp bmp = ThumbnailOf(Page);
  ASSERT_EQ(bmp.Width, 80);
  ASSERT_EQ(bmp.Height, 60);
  const std::uint32_t control = 0x806040, black = 0, white = 0xFFFFFF;
  const std::uint32_t fill = 0x2040C0;  // the fill shape's colour without alpha
  const struct {
    int x, y;
    std::uint32_t rgb;
  } cases[] = {{10, 30, control}, {17, 30, control}, {18, 30, black}, {60, 30, black}, {61, 30, control},
               {30, 0, black},    {30, 59, black},   {19, 1, fill},   {25, 30, fill},  {55, 30, white},
               {59, 58, white},   {79, 59, control}, {0, 0, control}};
  for (const auto& c : cases) EXPECT_EQ(bmp.At(c.x, c.y), c.rgb) << c.x << ", " << c.y;
  EXPECT_FALSE(Page.GetThumbnailDirty());
}

TEST_F(PageTest, ThumbnailIsRebuiltOnlyWhenDirty) {
  Document.ThumbnailWidth = 40;
  Document.ThumbnailHeight = 40;
  const TBitmap* first = Page.GetThumbnail();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Page.GetThumbnail(), first);
  Page.SetModified(true);
  EXPECT_TRUE(Page.GetThumbnailDirty());
  Page.SetPageColor(0x000000);
  const Bmp bmp = ThumbnailOf(Page);
  EXPECT_EQ(bmp.At(20, 20), 0u);
  EXPECT_FALSE(Page.GetThumbnailDirty());

  TBitmap given;
  given.SetSize(3, 2);
  Page.SetModified(true);
  Page.SetThumbnail(&given);
  EXPECT_FALSE(Page.GetThumbnailDirty());
  EXPECT_EQ(Page.GetThumbnail()->GetWidth(), 3);

  // Unusable sizes from the settings give an empty or bounded picture, no failure.
  for (const auto& [w, h] : {std::pair{-5, 60}, std::pair{0, 0}, std::pair{1000000000, 2}}) {
    Document.ThumbnailWidth = w;
    Document.ThumbnailHeight = h;
    Page.SetModified(true);
    const TBitmap* thumbnail = Page.GetThumbnail();
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_LE(thumbnail->GetWidth(), 4096);
  }
}

TEST_F(PageTest, PageUpdatedRebuildsAndReports) {
  Page.SetModified(true);
  Page.PageUpdated();
  EXPECT_FALSE(Page.GetThumbnailDirty());
  EXPECT_EQ(Document.PageChanges, 1);
}

// ---- painting the page

struct Painted {
  TBitmap32 Bitmap;
  std::uint32_t At(int x, int y) const { return Bitmap.GetPixel(x, y); }
};

// The page of 20 x 10 mm drawn at 10 pixels per mm into a bitmap two
// millimetres larger each way.
void PaintSmallPage(TdocPage& page, Painted& out, TDeviceType device = dtScreen) {
  page.SetPageWidth(20);
  page.SetPageHeight(10);
  out.Bitmap.SetSize(220, 120);
  out.Bitmap.Clear(Marker);
  TdocRenderOptions options;
  options.Device = device;
  options.Resolution = options.BitmapResolution = 10;
  page.RenderShape(out.Bitmap, {0, 0, 22, 12}, true, options);
}

TEST_F(PageTest, GridLinesDotsAndPatternFallWhereTheGridSays) {
  Document.ShowMargins = false;
  Document.ViewStyle = vsNormal;
  Page.SetGridSize(5);
  Page.SetGridColor(0x0000FF);
  const std::uint32_t red = 0xFFFF0000u, white = 0xFFFFFFFFu, grey = 0xFFB0B0B0u;

  Document.HelperMethod = hmGrid;
  Painted grid;
  PaintSmallPage(Page, grid);
  // Vertical lines at 50, 100, 150 from y = 1 to y = 98; one horizontal at y = 50 from x = 1 to 198.
  const struct {
    int x, y;
    std::uint32_t color;
  } lines[] = {{50, 1, red},    {50, 98, red},  {50, 0, white}, {50, 99, white}, {100, 30, red},
               {150, 30, red},  {49, 30, white}, {200, 30, Marker}, {1, 50, red},  {198, 50, red},
               {0, 50, white},  {199, 50, white}, {30, 49, white}};
  for (const auto& c : lines) EXPECT_EQ(grid.At(c.x, c.y), c.color) << "grid " << c.x << ", " << c.y;

  Document.HelperMethod = hmDots;
  Painted dots;
  PaintSmallPage(Page, dots);
  // Dots at i = 1 .. 4, j = 1 .. 2; (200, 100) lies on the page's edge, off the page colour.
  for (const auto& [x, y] : {std::pair{50, 50}, std::pair{100, 50}, std::pair{150, 50}, std::pair{200, 50},
                             std::pair{50, 100}, std::pair{150, 100}})
    EXPECT_EQ(dots.At(x, y), red) << "dot " << x << ", " << y;
  EXPECT_EQ(dots.At(51, 50), white);
  EXPECT_EQ(dots.At(75, 75), white);

  Document.HelperMethod = hmPattern;
  Painted pattern;
  PaintSmallPage(Page, pattern);
  for (const auto& [x, y, color] : std::vector<std::tuple<int, int, std::uint32_t>>{
           {0, 0, white}, {7, 7, white}, {8, 0, grey}, {0, 8, grey}, {8, 8, white}, {199, 99, white}, {200, 50, Marker}})
    EXPECT_EQ(pattern.At(x, y), color) << "pattern " << x << ", " << y;

  // Printing shows no aids.
  Document.HelperMethod = hmGrid;
  Painted printed;
  PaintSmallPage(Page, printed, dtPrinter);
  EXPECT_EQ(printed.At(50, 30), white);
}

TEST_F(PageTest, FrameAndShadowOnThePrintLayout) {
  Document.ShowMargins = false;
  Painted out;
  PaintSmallPage(Page, out);
  const std::uint32_t black = 0xFF000000u, white = 0xFFFFFFFFu;
  // Frame on the page's edge pixels; shadow d = 10 pixels right of and below the page.
  for (const auto& [x, y, color] : std::vector<std::tuple<int, int, std::uint32_t>>{
           {0, 50, black}, {199, 50, black}, {100, 0, black}, {100, 99, black}, {1, 50, white},
           {200, 9, Marker}, {200, 10, black}, {209, 99, black}, {210, 50, Marker}, {9, 100, Marker},
           {10, 100, black}, {209, 109, black}, {100, 110, Marker}})
    EXPECT_EQ(out.At(x, y), color) << x << ", " << y;
}

TEST_F(PageTest, MarginsAreStippledOnTheirRectangleWidenedByAPixel) {
  Document.ViewStyle = vsNormal;
  Page.SetMarginLeft(2);
  Page.SetMarginTop(3);
  Page.SetMarginRight(4);
  Page.SetMarginBottom(1);
  Painted out;
  PaintSmallPage(Page, out);
  // Left edge at x = 20, top at y = 30, right at 160 and bottom at 90 (the
  // edges at 160 and 90 moved one pixel further). White and black advance
  // half a step a pixel: white, grey, black, grey, ...
  const auto darkIn = [&](int x0, int y0, int dx, int dy, int n) {
    int dark = 0;
    for (int i = 0; i < n; ++i) dark += (out.At(x0 + i * dx, y0 + i * dy) & 0xFFu) < 0x10;
    return dark;
  };
  for (const auto& [x0, y0, dx, dy] : {std::tuple{20, 30, 0, 1}, std::tuple{160, 30, 0, 1}, std::tuple{20, 30, 1, 0},
                                       std::tuple{20, 90, 1, 0}}) {
    const int n = dx ? 141 : 61;
    EXPECT_NEAR(darkIn(x0, y0, dx, dy, n), n / 4, 2) << x0 << ", " << y0;
  }
  for (const auto& [x0, y0, dx, dy] : {std::tuple{21, 31, 0, 1}, std::tuple{159, 31, 0, 1}, std::tuple{161, 31, 0, 1},
                                       std::tuple{21, 31, 1, 0}, std::tuple{21, 89, 1, 0}, std::tuple{21, 91, 1, 0}})
    for (int i = 0; i < (dx ? 138 : 58); ++i)
      ASSERT_EQ(out.At(x0 + i * dx, y0 + i * dy), 0xFFFFFFFFu) << x0 + i * dx << ", " << y0 + i * dy;
}

TEST_F(PageTest, BackgroundPictureTiledAtItsNaturalSizeOrStretched) {
  // 12 x 12 pixels: left half red, right half blue; at 150 dots per inch a
  // copy covers 12 pixels of a 5.905512 pixels/mm render.
  TBitmap32 picture;
  picture.SetSize(12, 12);
  picture.FillRect(0, 0, 6, 12, 0xFFFF0000u);
  picture.FillRect(6, 0, 12, 12, 0xFF0000FFu);
  Page.GetOwnBackground().SetBitmap(&picture);
  EXPECT_FALSE(Page.GetIsDefaultPage()) << "a picture of its own takes the page out of default mode";
  Page.SetBackgroundTiled(true);
  TBitmap32 bitmap;
  bitmap.SetSize(1240, 1754);
  TdocRenderOptions options;
  options.Device = dtPrinter;
  options.Resolution = options.BitmapResolution = TdocPage::DefaultDpm;
  Page.RenderShape(bitmap, {0, 0, 210, 297}, true, options);
  for (const auto& [x, color] : std::vector<std::pair<int, std::uint32_t>>{
           {2, 0xFFFF0000u}, {9, 0xFF0000FFu}, {14, 0xFFFF0000u}, {21, 0xFF0000FFu}, {1202, 0xFFFF0000u}})
    EXPECT_EQ(bitmap.GetPixel(x, 600), color) << x;
  EXPECT_EQ(Page.GetOwnBackground().GetAccessCount(), 0);

  // Stretched: the left half red, the right half blue, up to the
  // resampler's rounding.
  Page.SetBackgroundTiled(false);
  Page.RenderShape(bitmap, {0, 0, 210, 297}, true, options);
  const auto near = [](TColor32 a, TColor32 b) {
    for (int shift = 0; shift < 32; shift += 8)
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
    return true;
  };
  EXPECT_PRED2(near, bitmap.GetPixel(100, 600), 0xFFFF0000u);
  EXPECT_PRED2(near, bitmap.GetPixel(1140, 600), 0xFF0000FFu);
}

// ---- default pages, names and the XML form

TEST_F(PageTest, ANewPageIsADefaultPageAndSavesOnlyItsFlag) {
  Document.Defaults.MarginLeft = 7;
  Document.Defaults.GridSize = 2;
  EXPECT_TRUE(Page.GetIsDefaultPage());
  EXPECT_FLOAT_EQ(Page.GetMarginLeft(), 7);
  EXPECT_FLOAT_EQ(Page.GetGridSize(), 2);
  EXPECT_FLOAT_EQ(Page.GetPageWidth(), 210);
  EXPECT_FLOAT_EQ(Page.GetPageHeight(), 297);
  const std::string xml = Save(Page);
  EXPECT_NE(xml.find("<IsDefaultPage>True</IsDefaultPage>"), std::string::npos);
  for (const char* key : {"MarginLeft", "GridSize", "GridColor", "PageColor", "PageWidth", "BackgroundTiled"})
    EXPECT_EQ(xml.find(key), std::string::npos) << key;
  TdocPage loaded;
  loaded.SetDocument(&Document);
  Load(loaded, xml);
  EXPECT_TRUE(loaded.GetIsDefaultPage());
  EXPECT_FLOAT_EQ(loaded.GetMarginLeft(), 7);
  loaded.SetDocument(nullptr);
}

TEST_F(PageTest, SettingAMarginCopiesEveryDefaultFirst) {
  Document.Defaults = {1, 2, 3, 4, 6, 0x123456, 0x654321, true};
  Page.SetMarginLeft(9);
  EXPECT_FALSE(Page.GetIsDefaultPage());
  Document.Defaults = {};
  const struct {
    float value, expected;
  } floats[] = {{Page.GetMarginLeft(), 9}, {Page.GetMarginTop(), 2}, {Page.GetMarginRight(), 3},
                {Page.GetMarginBottom(), 4}, {Page.GetGridSize(), 6}};
  for (const auto& f : floats) EXPECT_FLOAT_EQ(f.value, f.expected);
  EXPECT_EQ(Page.GetGridColor(), 0x123456);
  EXPECT_EQ(Page.GetPageColor(), 0x654321);
  EXPECT_TRUE(Page.GetBackgroundTiled());
  const std::string xml = Save(Page);
  for (const char* key : {"<MarginLeft>9</MarginLeft>", "<MarginTop>2</MarginTop>", "<MarginRight>3</MarginRight>",
                          "<MarginBottom>4</MarginBottom>", "<GridSize>6</GridSize>", "<GridColor>$00123456</GridColor>",
                          "<PageColor>$00654321</PageColor>", "<PageWidth>210</PageWidth>",
                          "<PageHeight>297</PageHeight>", "<BackgroundTiled>True</BackgroundTiled>"})
    EXPECT_NE(xml.find(key), std::string::npos) << key;
  // Back on: the page takes the document's default size again.
  Document.DefaultPageWidth = 100;
  Page.SetIsDefaultPage(true);
  EXPECT_FLOAT_EQ(Page.GetPageWidth(), 100);
  EXPECT_FLOAT_EQ(Page.GetMarginLeft(), 10);
}

TEST_F(PageTest, XmlRoundTripKeepsEverySettingPictureAndShape) {
  Page.SetMarginLeft(1.5f);
  Page.SetMarginTop(2.5f);
  Page.SetMarginRight(3.5f);
  Page.SetMarginBottom(4.5f);
  Page.SetGridSize(2.25f);
  Page.SetGridColor(0x00A0B0C0);
  Page.SetPageColor(0x00102030);
  Page.SetBackgroundTiled(true);
  Page.SetPageWidth(123.5f);
  Page.SetPageHeight(77.25f);
  Page.AddShape(MakeFill(5, 6, 7, 8, 9));
  TBitmap32 picture;
  picture.SetSize(3, 2);
  picture.Clear(0xFF336699u);
  picture.SetPixel(2, 1, 0xFFABCDEFu);
  Page.GetOwnBackground().SetBitmap(&picture);
  const std::string xml = Save(Page);
  EXPECT_NE(xml.find("<BackgroundImage>"), std::string::npos);

  TdocPage loaded;
  Load(loaded, xml);
  EXPECT_FALSE(loaded.GetIsDefaultPage());
  EXPECT_FLOAT_EQ(loaded.GetMarginLeft(), 1.5f);
  EXPECT_FLOAT_EQ(loaded.GetMarginBottom(), 4.5f);
  EXPECT_FLOAT_EQ(loaded.GetGridSize(), 2.25f);
  EXPECT_EQ(loaded.GetGridColor(), 0x00A0B0C0);
  EXPECT_EQ(loaded.GetPageColor(), 0x00102030);
  EXPECT_TRUE(loaded.GetBackgroundTiled());
  EXPECT_FLOAT_EQ(loaded.GetPageWidth(), 123.5f);
  EXPECT_FLOAT_EQ(loaded.GetPageHeight(), 77.25f);
  ASSERT_EQ(loaded.GetShapeCount(), 1);
  EXPECT_FLOAT_EQ(loaded.GetShapes(0)->GetDocAngle(), 9);
  {
    TdocResourceAccess access(loaded.GetOwnBackground());
    const TBitmap32* back = loaded.GetOwnBackground().GetBitmap();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 3);
    EXPECT_EQ(back->GetPixel(2, 1), 0xFFABCDEFu);
  }
  EXPECT_FALSE(loaded.GetThumbnailDirty());
  EXPECT_EQ(Save(loaded), xml);
}

TEST_F(PageTest, AnUnnamedPageIsNamedByItsPosition) {
  EXPECT_EQ(Second.GetName(), u"Page 2");
  EXPECT_EQ(Page.GetName(), u"Page 1");
  Second.SetName(u"Back");
  EXPECT_EQ(Second.GetName(), u"Back");
  TdocPage alone;
  EXPECT_EQ(alone.GetName(), u"");
}

TEST_F(PageTest, ReadingTheDefaultFlagLoadsThePageFirst) {
  Second.SetLoaded(false);
  EXPECT_TRUE(Second.GetIsDefaultPage());
  EXPECT_EQ(Document.LoadPageCalls, 1);
  EXPECT_TRUE(Second.GetLoaded());
  EXPECT_TRUE(Second.GetIsDefaultPage());
  EXPECT_EQ(Document.LoadPageCalls, 1);
}

TEST_F(PageTest, ResizingTheCurrentPageUpdatesTheScrollAreaUnlessPrinting) {
  Page.SetPageWidth(100);
  EXPECT_EQ(Document.ScrollAreaUpdates, 1);
  Second.SetPageWidth(100);
  EXPECT_EQ(Document.ScrollAreaUpdates, 1);
  Document.BeginPrinting();
  Page.SetPageWidth(120);
  Document.EndPrinting();
  EXPECT_EQ(Document.ScrollAreaUpdates, 1);
}

TEST_F(PageTest, HostilePageXmlGivesASanePage) {
  const struct {
    const char* inner;
    float width, height;
  } cases[] = {
      {"<PageWidth>-50</PageWidth><PageHeight>80</PageHeight>", 210, 80},
      {"<PageWidth>nan</PageWidth><PageHeight>inf</PageHeight>", 210, 297},
      {"<PageWidth>0</PageWidth><PageHeight>1e300</PageHeight>", 210, 297},
      {"<DocWidth>-3</DocWidth>", 210, 297},  // no page size at all
      {"<DocWidth>50</DocWidth><DocHeight>60</DocHeight>", 50, 60},
      {"<PageWidth>1e-30</PageWidth><PageHeight>1e6</PageHeight>", 1e-30f, 1e6f},
  };
  for (const auto& c : cases) {
    TdocPage page;
    Load(page, PageXml(c.inner));
    EXPECT_FLOAT_EQ(page.GetPageWidth(), c.width) << c.inner;
    EXPECT_FLOAT_EQ(page.GetPageHeight(), c.height) << c.inner;
  }
  TdocPage page;
  Load(page, PageXml("<MarginLeft>nan</MarginLeft><GridSize>-inf</GridSize>"));
  EXPECT_FLOAT_EQ(page.GetMarginLeft(), 0);
  EXPECT_FLOAT_EQ(page.GetGridSize(), 0);
  // A background that cannot be read leaves the page without one (the page's
  // document is told).
  Load(page, PageXml("<BackgroundImage><SourceSize>-4</SourceSize><CompressedSize>5</CompressedSize>"
                     "<Buffer>AAAA</Buffer></BackgroundImage>"));
  EXPECT_EQ(page.GetOwnBackground().GetSharedBitmap(), nullptr);
}

TEST_F(PageTest, AHugeGridOnAHugePageStaysQuick) {
  // A page of a kilometre with a grid of a thousandth of a millimetre would
  // mean 10^18 dots; only what can show in the bitmap is painted, and no
  // grid finer than two pixels. A hang here ends in the test's timeout.
  Document.HelperMethod = hmDots;
  for (const float grid : {1e-3f, 0.05f, 1e-30f}) {
    Page.SetPageWidth(1e6f);
    Page.SetPageHeight(1e6f);
    Page.SetGridSize(grid);
    TBitmap32 bitmap;
    bitmap.SetSize(300, 300);
    bitmap.Clear(0);
    TdocRenderOptions options;
    options.Resolution = options.BitmapResolution = 40;
    Page.RenderShape(bitmap, {0, 0, 7.5f, 7.5f}, true, options);
    EXPECT_EQ(bitmap.GetPixel(151, 151), 0xFFFFFFFFu) << grid;
    TestCanvas target(100, 100);
    Page.RenderPage(target.Canvas, {0, 0, 100, 100}, false, false, 0, 0);
    EXPECT_EQ(target.At(50, 50), 0xFFFFFFFFu) << grid;
    EXPECT_EQ(Page.PaintPageToCanvas(target.Canvas, {0, 0, 100, 100}, TdocPage::DefaultDpm, true),
              (TRect{0, 0, 100, 100}));
  }
  // 0.05 mm at 40 pixels per mm is 2 pixels: the dots are drawn.
  TBitmap32 bitmap;
  bitmap.SetSize(40, 40);
  TdocRenderOptions options;
  options.Resolution = options.BitmapResolution = 40;
  Page.SetGridSize(0.05f);
  Page.RenderShape(bitmap, {0, 0, 1, 1}, true, options);
  EXPECT_EQ(bitmap.GetPixel(2, 2), 0xFFC0FFFFu);
  EXPECT_EQ(bitmap.GetPixel(3, 2), 0xFFFFFFFFu);
}

// Where the page sits in the view is no edit: nothing to undo, no change.
TEST_F(PageTest, SettingTheOriginRecordsNoUndo) {
  Document.UndoList.clear();
  const int changes = Document.ShapeChanges;
  Page.SetOrigin(12.5f, 7);
  EXPECT_FLOAT_EQ(Page.GetDocLeft(), 12.5f);
  EXPECT_FLOAT_EQ(Page.GetDocTop(), 7);
  EXPECT_TRUE(Document.UndoList.empty());
  EXPECT_EQ(Document.ShapeChanges, changes);
}

}  // namespace
