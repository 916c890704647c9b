// Margins of stacked effects: one shadow keeps the margins its description
// gives, however large, and renders as the shape drawn into those margins
// with the shadow applied by hand; a stack adds its margins up to
// MaxStackedEffectMargin a side and no further; a label of one rectangle
// under 400 shadows opens, paints and saves in a child process within a
// bounded memory growth and time, and keeps every shadow.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "tests/document/ChildProcessPeak.h"
#include "tests/document/PaintAndSave.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/effects/EffectShape.h"
#include "document/effects/ShadowEffect.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "imaging/bitmap/Bitmap32.h"

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
  TStackBlackShape& AddBlack() {
    auto owned = std::make_unique<TStackBlackShape>();
    TStackBlackShape& shape = *owned;
    owned->SetDocFrame(60, 60, 10, 8, 0);
    owned->SetForceRenderCache(true);
    Page.AddShape(std::move(owned));
    return shape;
  }
  // Rendered through its cache at 2 pixels per millimetre.
  static void Render(TdocShape& shape) {
    TBitmap32 page;
    page.SetSize(200, 200);
    page.Clear(0xFFFFFFFFu);
    TdocRenderOptions options;
    options.Resolution = 2;
    shape.RenderShape(page, {0, 0, 100, 100}, false, options);
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

TEST_F(StackedEffectsTest, StackedMarginsAddUpToTheLimitAndNoFurther) {
  TStackBlackShape& three = AddBlack();
  for (int i = 0; i < 3; ++i) three.AddEffect(Shadow(2, 1, 1.5f));
  // 3 x (0.25, 1.25, 4.25, 3.25): below the limit, the sum.
  const TMargins sum{0.75f, 3.75f, 12.75f, 9.75f};
  for (std::size_t side = 0; side < 4; ++side) EXPECT_NEAR(three.GetExtents()[side], sum[side], 1e-5) << side;

  TStackBlackShape& many = AddBlack();
  for (int i = 0; i < 400; ++i) many.AddEffect(Shadow(2, 1, 1.5f));
  EXPECT_EQ(many.GetExtents(), TMargins({25, 25, 25, 25}));
  EXPECT_EQ(MaxStackedEffectMargin, 25);
  // A wider one in the stack keeps its own margin on the sides it widens.
  many.AddEffect(Shadow(10, 0, 20));
  const TMargins wide = DescribedMargins(10, 0, 20);
  EXPECT_EQ(many.GetExtents(), TMargins({25, 30, wide[2], 30}));
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
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        TdocDocumentCore doc;
        doc.LoadFromFile(source);
        doctest::PaintFirstPageAndSave(doc, saved);
      },
      300);
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 400 * 1024);
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
