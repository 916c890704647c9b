// A label of 100 000 rectangles, each with a colour effect and a gradient of
// its own (every colour effect, every palette method, colours that differ
// from shape to shape), opens, paints and saves in a child process of the
// optimised build within 1 GB and a loose time guard, and every effect comes
// back from the saved file as it was written.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/document/PaintAndSave.h"
#include "document/core/DocumentCore.h"
#include "document/core/StartUp.h"
#include "document/effects/ColorEffects.h"
#include "document/effects/GradientEffects.h"
#include "document/shapes/FrameShapes.h"
#include "tests/SanitizerBuild.h"

namespace {

// The sanitizers run the same steps on fewer shapes; time and memory mean
// nothing there.
constexpr bool ManyShapesMeasured = !testbuild::UnderSanitizer;
constexpr int ManyShapesCount = testbuild::UnderSanitizer ? 5000 : 100000;

// Shape i's colour effect: brightness/contrast, hue/saturation/lightness or
// sepia, with parameters of its own.
std::unique_ptr<TdocEffect> ManyShapesColorEffect(int i) {
  switch (i % 3) {
    case 0: {
      auto effect = std::make_unique<TdocBrightContrEffect>();
      effect->Brightness = float(i % 41) - 20;
      effect->Contrast = 0.5f + float(i % 7) / 4;
      return effect;
    }
    case 1: {
      auto effect = std::make_unique<TdocHSLAdjustEffect>();
      effect->Hue = float(i % 100) / 100;
      effect->Saturation = 0.1f;
      return effect;
    }
    default: {
      auto effect = std::make_unique<TdocSepiaEffect>();
      effect->Depth = i % 60;
      return effect;
    }
  }
}

// Shape i's gradient: two colours of its own, a preset (the rainbow among
// them) or three stops, in one of the nine directions.
std::unique_ptr<TdocGradientEffect> ManyShapesGradient(int i) {
  auto gradient = std::make_unique<TdocGradientEffect>();
  gradient->Direction = i % GradientDirectionCount;
  gradient->PaletteMethod = static_cast<std::uint8_t>(i % 3);
  gradient->Color1 = 0xFF000000u | TColor32(i) * 2654435761u >> 8;
  gradient->Color2 = 0xFF000000u | TColor32(i) * 40503u;
  gradient->Preset = i % GradientPresetCount;
  if (gradient->PaletteMethod == pmColorStops)
    for (int stop = 0; stop < 3; ++stop) gradient->ColorStops.AddStop(0xFF000000u | TColor32(i * 31 + stop), stop / 2.0);
  return gradient;
}

TEST(EffectsOnManyShapesTest, AHundredThousandShapesWithAColourEffectAndAGradientOpenPaintAndSaveWithinBounds) {
  document::StartUp();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("many-effects-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "many.stor").string(), saved = (folder / "saved.stor").string();
  {
    TdocDocumentCore doc;
    for (int i = 0; i < ManyShapesCount; ++i) {
      auto rectangle = std::make_unique<TdocRectangleShape>();
      rectangle->SetDocBounds(float(i % 190), float(i / 190 % 280), 6, 4);
      rectangle->AddEffect(ManyShapesColorEffect(i));
      rectangle->AddEffect(ManyShapesGradient(i));
      doc.AddShape(std::move(rectangle));
    }
    doc.SaveToFile(source);
  }
  const doctest::TTimedOutcome outcome = doctest::OpenPaintAndSaveInChild(
      std::to_string(ManyShapesCount) + " shapes with a colour effect and a gradient", source, saved);
  ASSERT_TRUE(outcome.Child.Finished) << outcome.Child.Failure;
  if (ManyShapesMeasured) {
    EXPECT_LT(outcome.Child.PeakGrowthKb, 1024 * 1024);
    EXPECT_LT(outcome.CpuSeconds, 15) << "far beyond the 3 s of an optimised build";
  }

  TdocDocumentCore reread;
  reread.LoadFromFile(saved);
  ASSERT_EQ(reread.ShapeCount(), ManyShapesCount);
  for (int i = 0; i < ManyShapesCount; i += 997) {
    SCOPED_TRACE(i);
    const auto* shape = dynamic_cast<const TdocEffectShape*>(reread.GetShapes(i));
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->GetEffectCount(), 2);
    EXPECT_EQ(shape->GetEffects(0)->ClassName(), ManyShapesColorEffect(i)->ClassName());
    const auto* gradient = dynamic_cast<const TdocGradientEffect*>(shape->GetEffects(1));
    ASSERT_TRUE(gradient);
    const auto written = ManyShapesGradient(i);
    EXPECT_EQ(gradient->Color1, written->Color1);
    EXPECT_EQ(gradient->Color2, written->Color2);
    EXPECT_EQ(gradient->Direction, written->Direction);
    EXPECT_EQ(gradient->PaletteMethod, written->PaletteMethod);
    EXPECT_EQ(gradient->ColorStops.GetCount(), written->ColorStops.GetCount());
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
