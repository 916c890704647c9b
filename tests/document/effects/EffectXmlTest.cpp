// Every effect's XML: saved, loaded into a new effect and saved again gives
// the same text; every property is written, also when it equals its XML
// default; a shape carrying all effects round-trips through its own XML.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EffectTestSupport.h"
#include "tests/document/TestShapes.h"
#include "document/effects/ColorEffects.h"
#include "document/effects/EffectShape.h"
#include "document/effects/GradientEffects.h"
#include "document/effects/ShadowEffect.h"

namespace {

using namespace effecttest;

struct TCase {
  std::string name;
  std::function<std::unique_ptr<TdocEffect>()> make;
  std::vector<std::string> elements;  // besides ClassName, Enabled, Source
};

std::vector<TCase> Cases() {
  std::vector<TCase> cases;
  const auto add = [&](std::string name, std::vector<std::string> elements, auto make) {
    cases.push_back({std::move(name), make, std::move(elements)});
  };
  add("bright/contrast", {"Brightness", "Contrast"}, [] {
    auto e = std::make_unique<TdocBrightContrEffect>();
    e->Brightness = -12.5f;
    e->Contrast = 1.75f;
    return e;
  });
  add("bright/contrast at XML defaults", {"Brightness", "Contrast"}, [] {
    auto e = std::make_unique<TdocBrightContrEffect>();
    e->Contrast = 0;
    e->SetEnabled(false);
    return e;
  });
  add("hsl", {"Hue", "Saturation", "Lightness"}, [] {
    auto e = std::make_unique<TdocHSLAdjustEffect>();
    e->Hue = 0.125f;
    e->Saturation = -0.5f;
    e->Lightness = 0.25f;
    e->SetSource(-1);
    return e;
  });
  add("hsl at XML defaults", {"Hue", "Saturation", "Lightness"}, [] { return std::make_unique<TdocHSLAdjustEffect>(); });
  add("sepia", {"Depth"}, [] {
    auto e = std::make_unique<TdocSepiaEffect>();
    e->Depth = 60;
    return e;
  });
  add("sepia depth 0", {"Depth"}, [] {
    auto e = std::make_unique<TdocSepiaEffect>();
    e->Depth = 0;
    return e;
  });
  add("shadow", {"DeltaX", "DeltaY", "Intensity", "Blur", "Color"}, [] {
    auto e = std::make_unique<TdocShadowEffect>();
    e->SetDeltaX(-1.25f);
    e->SetColor(0x123456);
    return e;
  });
  add("shadow at XML defaults", {"DeltaX", "DeltaY", "Intensity", "Blur", "Color"}, [] {
    auto e = std::make_unique<TdocShadowEffect>();
    e->SetDeltaX(0);
    e->SetDeltaY(0);
    e->SetIntensity(0);
    e->SetBlur(0);
    return e;
  });
  const std::vector<std::string> gradient{"Replace", "Color1", "Color2", "Direction", "FillMethod", "PaletteMethod"};
  const auto with = [&](std::string extra) {
    auto elements = gradient;
    elements.push_back(std::move(extra));
    return elements;
  };
  add("gradient two colours", gradient, [] {
    auto e = std::make_unique<TdocGradientEffect>();
    e->Direction = 5;
    e->FillMethod = 2;
    e->Replace = 0;
    e->Color1 = 0x80123456u;
    return e;
  });
  add("gradient preset", with("Preset"), [] {
    auto e = std::make_unique<TdocGradientEffect>();
    e->PaletteMethod = pmPreset;
    e->Preset = 0;
    return e;
  });
  add("gradient stops", with("ColorStops"), [] {
    auto e = std::make_unique<TdocGradientEffect>();
    e->PaletteMethod = pmColorStops;
    e->ColorStops.AddStop(0xFF00FF00u, 0.25);
    e->ColorStops.AddStop(0x00000000u, 0);
    return e;
  });
  add("gradient stored palette", with("Palette"), [] {
    auto e = std::make_unique<TdocGradientEffect>();
    e->PaletteMethod = pmStored;
    for (std::size_t i = 0; i < 256; ++i) e->Palette[i] = TColor32(i * 0x01010101u);
    return e;
  });
  add("alpha to colour", {}, [] { return std::make_unique<TdocAlphaToColorEffect>(); });
  return cases;
}

TEST(EffectXmlTest, EveryEffectRoundTripsWithEveryPropertyWritten) {
  document::StartUp();
  for (const TCase& c : Cases()) {
    const auto effect = c.make();
    const std::string saved = EffectXml(*effect);
    const auto loaded = LoadEffect(saved);
    EXPECT_EQ(loaded->ClassName(), effect->ClassName()) << c.name;
    EXPECT_EQ(EffectXml(*loaded), saved) << c.name;
    TXmlDocument xml;
    xml.ReadFromString(saved);
    std::vector<std::string> elements{"ClassName", "Enabled", "Source"};
    elements.insert(elements.end(), c.elements.begin(), c.elements.end());
    for (const std::string& element : elements)
      EXPECT_NE(xml.GetRoot()->FindChild(element), nullptr) << c.name << ": " << element << " missing in " << saved;
    EXPECT_EQ(xml.GetRoot()->GetChildCount(), static_cast<int>(elements.size())) << c.name << ": " << saved;
  }
}

TEST(EffectXmlTest, LoadedValuesAreTheSavedOnes) {
  document::StartUp();
  TdocShadowEffect shadow;
  shadow.SetDeltaX(-1.5f);
  shadow.SetDeltaY(2.25f);
  shadow.SetIntensity(0.5f);
  shadow.SetBlur(3);
  shadow.SetColor(clBtnFace);  // a system colour is stored as its RGB value
  const auto loaded = LoadEffect(EffectXml(shadow));
  const auto& s = static_cast<const TdocShadowEffect&>(*loaded);
  EXPECT_EQ(s.GetDeltaX(), -1.5f);
  EXPECT_EQ(s.GetDeltaY(), 2.25f);
  EXPECT_EQ(s.GetIntensity(), 0.5f);
  EXPECT_EQ(s.GetBlur(), 3.0f);
  EXPECT_EQ(s.GetColor(), ColorToRGB(clBtnFace));
  // Missing children read as 0, not as the values of a new effect.
  const auto bare = LoadEffect(EffectElement("TdocShadowEffect"));
  const auto& b = static_cast<const TdocShadowEffect&>(*bare);
  EXPECT_EQ(b.GetDeltaX(), 0.0f);
  EXPECT_EQ(b.GetIntensity(), 0.0f);
  EXPECT_EQ(b.GetBlur(), 0.0f);
  EXPECT_FALSE(b.GetEnabled());
  const auto sepia = LoadEffect(EffectElement("TdocSepiaEffect"));
  EXPECT_EQ(static_cast<const TdocSepiaEffect&>(*sepia).Depth, 0);
}

TEST(EffectXmlTest, ShapeWithAllEffectsRoundTrips) {
  doctest::TPageFixture fixture;
  const auto save = [](const TdocShape& shape) {
    TXmlDocument xml("shape");
    shape.SaveToXml(*xml.GetRoot());
    return xml.WriteToString();
  };
  TdocEffectShape shape;
  for (const TCase& c : Cases()) shape.AddEffect(c.make());
  const std::string saved = save(shape);
  TXmlDocument xml;
  xml.ReadFromString(saved);
  TdocEffectShape copy;
  copy.LoadFromXml(xml.GetRoot());
  ASSERT_EQ(copy.GetEffectCount(), shape.GetEffectCount());
  for (int i = 0; i < copy.GetEffectCount(); ++i)
    EXPECT_EQ(copy.GetEffects(i)->ClassName(), shape.GetEffects(i)->ClassName());
  EXPECT_EQ(save(copy), saved);
  EXPECT_EQ(copy.GetEffects(0)->GetEffectName(), "Brightness/Contrast");
  EXPECT_EQ(copy.GetEffects(2)->GetEffectName(), "HSL Adjustment");
  EXPECT_EQ(copy.GetEffects(4)->GetEffectName(), "Sepia");
  EXPECT_EQ(copy.GetEffects(6)->GetEffectName(), "Shadow");
  EXPECT_EQ(copy.GetEffects(8)->GetEffectName(), "Gradient");
  EXPECT_EQ(copy.GetEffects(12)->GetEffectName(), "AlphaToColor");
}

}  // namespace
