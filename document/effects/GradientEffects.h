#pragma once
// Effects that paint new colour into a shape instead of adjusting its
// colours. TdocReplacementEffect turns a mask pixel (of the bitmap its
// Source chooses, GetInput) into how much of a new colour replaces the old one; the gradient
// and texture effects build on it. TdocGradientEffect fills the shape with a
// 256-colour gradient in one of nine directions; TdocAlphaToColorEffect
// turns a shape's alpha mask into an opaque two-colour image.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "document/effects/Effect.h"

class TdocReplacementEffect : public TdocEffect {
public:
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  // Amount and alpha (0..255) of a mask pixel by Replace: 0, 1, 2 take the
  // red, green or blue as the amount and the mask's alpha; 3 replaces fully
  // wherever the mask has alpha and keeps the mask's alpha; 4 replaces fully
  // and opaquely wherever it has alpha. Other values replace nothing.
  void GetWeights(TColor32 mask, std::uint32_t& alpha, std::uint32_t& amount) const;

  // Puts colors into row by the weights of the mask row.
  void ReplaceRow(TColor32* row, const TColor32* mask, const TColor32* colors, std::size_t count) const;

  std::uint8_t Replace = 3;
};

// The replacement rule: with amount and alpha both above 0 the destination
// becomes color (amount 255) or color merged over it with amount as master
// alpha, and its alpha becomes color's alpha scaled by alpha.
TColor32 ReplaceColor(TColor32 destination, TColor32 color, std::uint32_t alpha, std::uint32_t amount);

struct TdocColorStop {
  double Position = 0;  // 0..1 along the gradient
  TColor32 Color = 0;
};

// Stops in list order; AddStop keeps them sorted, the XML loader does not.
class TdocColorStopList {
public:
  // Before the first stop whose position is greater, else at the end.
  void AddStop(TColor32 color, double position);
  void Append(const TdocColorStop& stop) { Stops.push_back(stop); }
  void Clear() { Stops.clear(); }
  int GetCount() const { return static_cast<int>(Stops.size()); }
  // Nil outside 0..count-1.
  const TdocColorStop* GetStop(int index) const;

private:
  std::vector<TdocColorStop> Stops;
};

using TdocPalette = std::array<TColor32, 256>;

// Directions, fill methods and presets by the names stored in XML.
constexpr int GradientDirectionCount = 9;
constexpr int GradientFillMethodCount = 4;
constexpr int GradientPresetCount = 24;
constexpr int RainbowPreset = 15;
std::string_view GradientDirectionName(int direction);  // empty outside the table
std::string_view GradientFillMethodName(int method);
std::string_view GradientPresetName(int preset);
// Adds the preset's stops (none for the spectrum and unknown presets).
void AddPresetStops(int preset, TdocColorStopList& stops);
// The visible spectrum from 380 to 780 nm.
TdocPalette SpectrumPalette();
// Each channel mixed by t, held within 0..1 (0 gives c1, 1 gives c2), rounded
// halves to even.
TColor32 LerpColor(TColor32 c1, TColor32 c2, float t);

enum TdocPaletteMethod : std::uint8_t { pmTwoColors, pmPreset, pmColorStops, pmStored };

class TdocGradientEffect final : public TdocReplacementEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }

  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  // The palette is rebuilt at the next Apply.
  void Prepare() override { PaletteValid = false; }
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  // The 256 colours, built from the parameters when they changed.
  const TdocPalette& GetPalette();

  TColor32 Color1 = 0xFFFFFFFFu;
  TColor32 Color2 = 0xFF000000u;
  std::int32_t Direction = 0;
  std::int32_t FillMethod = 0;
  std::uint8_t PaletteMethod = pmTwoColors;
  std::int32_t Preset = 0;
  TdocColorStopList ColorStops;
  // Used as it is for the stored method; built from the parameters otherwise.
  TdocPalette Palette{};

private:
  void BuildPalette();
  // The colour of each place along the gradient's line.
  std::vector<TColor32> ColorLine(std::size_t length) const;
  void LoadColorStops(const TXmlNode& node);
  void LoadPalette(const TXmlNode& node);

  bool PaletteValid = false;
};

class TdocAlphaToColorEffect final : public TdocEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }
  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;

  // Fixed: neither is stored nor changeable.
  static constexpr TColor32 OpaqueColor = 0xFF000000u;
  static constexpr TColor32 TransparentColor = 0xFFFFFFFFu;
};

// Registers the gradient, then the alpha-to-colour effect.
void RegisterGradientEffects();
