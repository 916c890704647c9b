// Margins of stacked effects: one shadow keeps the margins its description
// gives, however large, and renders as the shape drawn into those margins
// with the shadow applied by hand; a stack adds its margins up however far
// they reach, and its shadows are drawn as far as the chain moves them; a
// long stack is cached coarser, within the picture budget shared among its
// effects, but whole; a label of one rectangle under 400 shadows opens,
// paints and saves in a child process within a bounded memory growth and
// time, and keeps every shadow.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <string>

#include "tests/document/PaintAndSave.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/effects/EffectShape.h"
#include "document/effects/ShadowEffect.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/PictureBudget.h"

namespace {

using TMargins = std::array<float, 4>;

// Left, top, right and bottom as a shadow's description gives them, each
// added to 0.
TMargins DescribedMargins(float dx, float dy, float blur) {
  const double spread = 1.5 * double{blur};
  return {float(std::max(0.0, spread - dx)), float(std::max(0.0, spread - dy)), float(std::max(0.0, spread + dx)),
          float(std::max(0.0, spread + dy))};
}

std::unique_ptr<TdocShadowEffect> Shadow(float dx, float dy, float blur) {
  auto shadow = std::make_unique<TdocShadowEffect>();
  shadow->SetDeltaX(dx);
  shadow->SetDeltaY(dy);
  shadow->SetBlur(blur);
  shadow->SetIntensity(1);
  shadow->SetColor(0x0000FF);
  return shadow;
}

// Fills its frame opaque black.
class TStackBlackShape : public TdocEffectShape {
public:
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override {
    bitmap.FillRectClipped(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom(), 0xFF000000u);
  }
};

struct StackedEffectsTest : ::testing::Test, doctest::TPageFixture {
  TStackBlackShape& AddBlack(float left = 60) {
    auto owned = std::make_unique<TStackBlackShape>();
    TStackBlackShape& shape = *owned;
    owned->SetDocFrame(left, 60, 10, 8, 0);
    owned->SetForceRenderCache(true);
    Page.AddShape(std::move(owned));
    return shape;
  }
  // Rendered through its cache at 2 pixels per millimetre on a white page
  // of 100 x 100 mm.
  static void Render(TdocShape& shape, TBitmap32& page) {
    page.SetSize(200, 200);
    page.Clear(0xFFFFFFFFu);
    TdocRenderOptions options;
    options.Resolution = 2;
    shape.RenderShape(page, {0, 0, 100, 100}, false, options);
  }
  static void Render(TdocShape& shape) {
    TBitmap32 page;
    Render(shape, page);
  }
  // The last column of the row that is not white; -1 for a white row.
  static int LastPaintedColumn(const TBitmap32& page, int row) {
    for (int x = page.GetWidth() - 1; x >= 0; --x)
      if (page.GetPixel(x, row) != 0xFFFFFFFFu) return x;
    return -1;
  }
};

TEST_F(StackedEffectsTest, OneShadowKeepsItsMarginsAndPixelsBeyondTheStackLimit) {
  const struct {
    float Dx, Dy, Blur;
  } cases[] = {{2, 1, 1.5f}, {6, -3, 20}, {-30, 4, 2}, {1, 40, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Blur);
    TStackBlackShape& shaded = AddBlack();
    shaded.AddEffect(Shadow(c.Dx, c.Dy, c.Blur));
    const TMargins margins = DescribedMargins(c.Dx, c.Dy, c.Blur);
    EXPECT_EQ(shaded.GetExtents(), margins);
    // The same shape drawn plainly into those margins, the shadow applied
    // to its cache by hand.
    TStackBlackShape& plain = AddBlack();
    plain.SetCurbs(margins[0], margins[1], margins[2], margins[3]);
    Render(shaded);
    Render(plain);
    const TBitmap32* got = shaded.GetCacheBitmap();
    ASSERT_TRUE(got && plain.GetCacheBitmap());
    TBitmap32 expected;
    expected.Assign(plain.GetCacheBitmap());
    TdocRenderOptions options;
    options.BitmapResolution = 2;
    Shadow(c.Dx, c.Dy, c.Blur)->Apply(expected, options);
    ASSERT_EQ(got->GetWidth(), expected.GetWidth());
    ASSERT_EQ(got->GetHeight(), expected.GetHeight());
    const std::size_t count = std::size_t(got->GetWidth()) * std::size_t(got->GetHeight());
    EXPECT_TRUE(std::equal(got->GetBits(), got->GetBits() + count, expected.GetBits()));
  }
}

TEST_F(StackedEffectsTest, StackedMarginsAddUpHoweverFarTheyReach) {
  const auto expectMargins = [](const TdocShape& shape, const TMargins& sum) {
    for (std::size_t side = 0; side < 4; ++side) EXPECT_NEAR(shape.GetExtents()[side], sum[side], 1e-3) << side;
  };
  TStackBlackShape& three = AddBlack();
  for (int i = 0; i < 3; ++i) three.AddEffect(Shadow(2, 1, 1.5f));
  // 3 x (0.25, 1.25, 4.25, 3.25).
  expectMargins(three, {0.75f, 3.75f, 12.75f, 9.75f});

  // Two hard shadows 15 mm to the right: 15 + 15 on the right, nothing elsewhere.
  TStackBlackShape& two = AddBlack();
  for (int i = 0; i < 2; ++i) two.AddEffect(Shadow(15, 0, 0));
  expectMargins(two, {0, 0, 30, 0});
  // Three 10 mm to the right blurred over 2 mm: 3 x (0, 3, 13, 3).
  TStackBlackShape& blurred = AddBlack();
  for (int i = 0; i < 3; ++i) blurred.AddEffect(Shadow(10, 0, 2));
  expectMargins(blurred, {0, 9, 39, 9});

  TStackBlackShape& many = AddBlack();
  for (int i = 0; i < 400; ++i) many.AddEffect(Shadow(2, 1, 1.5f));
  expectMargins(many, {100, 500, 1700, 1300});
  // A wider one adds its own (20, 30, 40, 30).
  many.AddEffect(Shadow(10, 0, 20));
  expectMargins(many, {120, 530, 1740, 1330});

  // Offsets whose sum leaves the float range: the margin stays the largest
  // float, and the shape still renders.
  TStackBlackShape& huge = AddBlack();
  for (int i = 0; i < 2; ++i) huge.AddEffect(Shadow(3e38f, 0, 0));
  EXPECT_EQ(huge.GetExtents()[2], std::numeric_limits<float>::max());
  EXPECT_EQ(huge.GetExtents()[0], 0);
  Render(huge);
  ASSERT_TRUE(huge.GetCacheBitmap());
  EXPECT_FALSE(huge.GetCacheBitmap()->IsEmpty());
}

TEST_F(StackedEffectsTest, StackedShadowsAreDrawnAsFarAsTheChainMovesThem) {
  // The frame spans 20..30 mm, pixels 40..59 at 2 pixels per millimetre;
  // row 124 crosses its middle.
  constexpr int Row = 124;
  // Two hard shadows of 15 mm: the first copies the shape to 35..45 mm, the
  // second the shape and that copy to 50..60 and 35..45 mm: black, white,
  // red, white, red, and the last painted pixel the one before 60 mm.
  TStackBlackShape& hard = AddBlack(20);
  for (int i = 0; i < 2; ++i) hard.AddEffect(Shadow(15, 0, 0));
  TBitmap32 hardPage;
  Render(hard, hardPage);
  EXPECT_EQ(LastPaintedColumn(hardPage, Row), 119);
  const auto expected = [](int x) -> TColor32 {
    if (x < 60) return 0xFF000000u;
    return (x >= 70 && x < 90) || x >= 100 ? 0xFFFF0000u : 0xFFFFFFFFu;
  };
  for (int x = 40; x < 120; ++x) EXPECT_EQ(hardPage.GetPixel(x, Row), expected(x)) << x;

  // Three of 10 mm blurred over 2 mm: the shape's last copy reaches
  // 30 + 3 x 10 = 60 mm, each blur spreads it by at most the 1.5 x 2 mm its
  // margin allows: the drawing ends between 60 and 69 mm (pixels 120..137).
  TStackBlackShape& blurred = AddBlack(20);
  for (int i = 0; i < 3; ++i) blurred.AddEffect(Shadow(10, 0, 2));
  TBitmap32 blurredPage;
  Render(blurred, blurredPage);
  const int last = LastPaintedColumn(blurredPage, Row);
  EXPECT_GE(last, 120);
  EXPECT_LT(last, 138);
}

TEST_F(StackedEffectsTest, ALongStackIsCachedWholeWithinThePictureBudgetItsEffectsShare) {
  // Two shadows: the cache has the asked resolution, the frame and the two
  // 15 mm margins at 2 pixels per millimetre.
  TStackBlackShape& two = AddBlack(20);
  for (int i = 0; i < 2; ++i) two.AddEffect(Shadow(15, 0, 0));
  Render(two);
  ASSERT_TRUE(two.GetCacheBitmap());
  EXPECT_EQ(two.GetCacheBitmap()->GetWidth(), 80);
  EXPECT_EQ(two.GetCacheBitmap()->GetHeight(), 16);

  // 400 shadows of 10 mm to the right and 5 mm down, blurred over 2 mm:
  // margins of 0, 0, 400 x 13 and 400 x 8 mm around the 10 x 8 mm frame, a
  // drawing of 5210 x 3208 mm. At 2 pixels per millimetre that is 67
  // million pixels, and 400 effects walk over it: the cache takes a coarser
  // resolution, so that the effects together walk at most the pixels of
  // one picture, but keeps the whole drawing.
  TStackBlackShape& many = AddBlack(20);
  for (int i = 0; i < 400; ++i) many.AddEffect(Shadow(10, 5, 2));
  Render(many);
  const TBitmap32* cache = many.GetCacheBitmap();
  ASSERT_TRUE(cache);
  const double pixels = double(cache->GetWidth()) * cache->GetHeight();
  EXPECT_LE(pixels * 400, double(imaging::MaxPicturePixels));
  EXPECT_GT(pixels * 400, 0.5 * double(imaging::MaxPicturePixels));
  EXPECT_NEAR(double(cache->GetWidth()) / cache->GetHeight(), 5210.0 / 3208.0, 0.01);
}

TEST(StackedEffectsLabelTest, FourHundredShadowsOpenPaintAndSaveWithinBoundsAndStay) {
  document::StartUp();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("stacked-shadows-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "shadows.stor").string(), saved = (folder / "saved.stor").string();
  {
    TdocDocumentCore doc;
    auto rectangle = std::make_unique<TdocRectangleShape>();
    rectangle->SetDocBounds(10, 10, 40, 30);
    for (int i = 0; i < 400; ++i) rectangle->AddEffect(Shadow(2, 1, 1.5f + float(i % 3)));
    doc.AddShape(std::move(rectangle));
    doc.SaveToFile(source);
  }
  const doctest::TTimedOutcome outcome = doctest::OpenPaintAndSaveInChild("400 shadows", source, saved);
  ASSERT_TRUE(outcome.Child.Finished) << outcome.Child.Failure;
  EXPECT_LT(outcome.Child.PeakGrowthKb, 400 * 1024);
  EXPECT_LT(outcome.Seconds, 60) << "far beyond the 3 s of an optimised build";
  TdocDocumentCore reread;
  reread.LoadFromFile(saved);
  ASSERT_EQ(reread.ShapeCount(), 1);
  const auto* rectangle = dynamic_cast<const TdocEffectShape*>(reread.GetShapes(0));
  ASSERT_TRUE(rectangle);
  ASSERT_EQ(rectangle->GetEffectCount(), 400);
  for (int i = 0; i < 400; ++i) {
    const auto* shadow = dynamic_cast<const TdocShadowEffect*>(rectangle->GetEffects(i));
    ASSERT_TRUE(shadow) << i;
    EXPECT_EQ(shadow->GetBlur(), 1.5f + float(i % 3)) << i;
    EXPECT_EQ(shadow->GetDeltaX(), 2) << i;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
