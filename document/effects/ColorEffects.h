#pragma once
// Per-pixel colour effects: brightness and contrast through lookup tables,
// hue/saturation/lightness adjustment and sepia toning. Each changes the
// colour bytes of the pixels that have alpha and leaves every byte of a fully
// transparent pixel as it is; alpha never changes.

#include <array>
#include <cstdint>

#include "document/effects/Effect.h"

// Maps each colour channel through its own 256-entry table.
class TdocColorLUTEffect : public TdocEffect {
public:
  TdocColorLUTEffect();
  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;

  using TTable = std::array<std::uint8_t, 256>;
  TTable RedTable, GreenTable, BlueTable;
};

// One transfer line for all three channels: v = (i - 127) x Contrast + 127 +
// Brightness, held within 0..255. The fields are plain: Prepare (which the
// owner runs after loading) rebuilds the tables from them.
class TdocBrightContrEffect final : public TdocColorLUTEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }
  std::string GetEffectName() const override { return "Brightness/Contrast"; }

  void Prepare() override;
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  float Brightness = 0.0f;  // in channel units
  float Contrast = 1.0f;    // slope around 127
};

// A colour function applied to every pixel with alpha, in memory order.
class TdocColorFunctionEffect : public TdocEffect {
public:
  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  virtual void ProcessPixel(TColor32& /*pixel*/) const {}
};

// Shifts the hue (in turns) and adds to saturation and lightness (0..1).
class TdocHSLAdjustEffect final : public TdocColorFunctionEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }
  std::string GetEffectName() const override { return "HSL Adjustment"; }

  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void ProcessPixel(TColor32& pixel) const override;
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  float Hue = 0.0f;
  float Lightness = 0.0f;
  float Saturation = 0.0f;
};

// Grey by luminance, then a brown tint of Depth channel units.
class TdocSepiaEffect final : public TdocColorFunctionEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }

  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void ProcessPixel(TColor32& pixel) const override;
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  std::int32_t Depth = 35;
};

// Registers the three concrete classes, in this order.
void RegisterColorEffects();
