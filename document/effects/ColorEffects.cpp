#include "document/effects/ColorEffects.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "document/effects/ColorTablesAvx2.h"
#include "document/effects/EffectParams.h"
#include "document/effects/HslAdjustLanes.h"
#include "imaging/core/CpuFeatures.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "xml/XmlNode.h"

namespace {

// The identity table the lookup effects start from.
const TdocColorLUTEffect::TTable& IdentityTable() {
  static const TdocColorLUTEffect::TTable table = [] {
    TdocColorLUTEffect::TTable t{};
    std::iota(t.begin(), t.end(), std::uint8_t{0});
    return t;
  }();
  return table;
}

constexpr bool HasAlpha(TColor32 pixel) { return pixel > 0x00FFFFFFu; }

// Changes every pixel with alpha by process, in memory order. The change is
// worked out for every pixel and kept only where there is alpha: a select
// instead of a branch that mispredicts at every antialiased edge.
template <class Process>
void ForEachPixelWithAlpha(TBitmap32& bitmap, Process&& process) {
  if (bitmap.IsEmpty()) return;
  TColor32* bits = bitmap.GetBits();
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  for (std::size_t i = 0; i < count; ++i) {
    const TColor32 pixel = bits[i];
    TColor32 changed = pixel;
    process(changed);
    bits[i] = HasAlpha(pixel) ? changed : pixel;
  }
}

// A hue moved by any number of turns back into 0..1, as subtracting or adding
// whole turns one at a time would leave it (1.0 itself stays 1.0), without
// the loop: a huge shift must not take forever.
float WrapHue(float hue) {
  const double h = hue;
  if (h > 1.0) return static_cast<float>(h - std::ceil(h - 1.0));
  if (h < 0.0) return static_cast<float>(h - std::floor(h));
  return hue;
}

}  // namespace

// ---- brightness and contrast

TdocColorLUTEffect::TdocColorLUTEffect()
    : RedTable(IdentityTable()), GreenTable(IdentityTable()), BlueTable(IdentityTable()) {}

void TdocColorLUTEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  const auto lookUp = [this](TColor32& pixel) {
    pixel = (pixel & 0xFF000000u) | TColor32{RedTable[pixel >> 16 & 0xFF]} << 16 |
            TColor32{GreenTable[pixel >> 8 & 0xFF]} << 8 | BlueTable[pixel & 0xFF];
  };
  if (bitmap.IsEmpty() || !imaging::HasCPUFeature(cfAVX2)) {
    ForEachPixelWithAlpha(bitmap, lookUp);
    return;
  }
  TColor32* bits = bitmap.GetBits();
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  for (std::size_t i = MapColorTablesAvx2(bits, count, RedTable, GreenTable, BlueTable); i < count; ++i)
    if (HasAlpha(bits[i])) lookUp(bits[i]);
  bitmap.Changed();
}

const TdocEffectClass& TdocBrightContrEffect::StaticClass() {
  static const TdocEffectClass info{"TdocBrightContrEffect", [] { return std::unique_ptr<TdocEffect>(new TdocBrightContrEffect); }};
  return info;
}

void TdocBrightContrEffect::Prepare() {
  for (int i = 0; i < 256; ++i) {
    // Not a number (a stored "NaN") counts as below the range.
    RedTable[static_cast<std::size_t>(i)] = RoundToByte((i - 127) * static_cast<long double>(Contrast) + 127.0L + Brightness);
  }
  GreenTable = RedTable;
  BlueTable = RedTable;
}

void TdocBrightContrEffect::LoadFromXml(const TXmlNode& node) {
  TdocColorLUTEffect::LoadFromXml(node);
  Brightness = ReadFloatParam(node, "Brightness");
  Contrast = ReadFloatParam(node, "Contrast");
}

void TdocBrightContrEffect::SaveToXml(TXmlNode& node) const {
  TdocColorLUTEffect::SaveToXml(node);
  node.WriteChildFloat("Brightness", Brightness, 0);
  node.WriteChildFloat("Contrast", Contrast, 0);
}

// ---- colour functions

void TdocColorFunctionEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  ForEachPixelWithAlpha(bitmap, [this](TColor32& pixel) { ProcessPixel(pixel); });
}

const TdocEffectClass& TdocHSLAdjustEffect::StaticClass() {
  static const TdocEffectClass info{"TdocHSLAdjustEffect", [] { return std::unique_ptr<TdocEffect>(new TdocHSLAdjustEffect); }};
  return info;
}

void TdocHSLAdjustEffect::ProcessPixel(TColor32& pixel) const {
  // A parameter that is not a number shifts nothing.
  const auto finite = [](float v) { return std::isnan(v) ? 0.0f : v; };
  float h, s, l;
  imaging::Color32ToHSL(pixel, h, s, l);
  h = std::isfinite(Hue) ? WrapHue(h + Hue) : h;
  s = std::clamp(s + finite(Saturation), 0.0f, 1.0f);
  l = std::clamp(l + finite(Lightness), 0.0f, 1.0f);
  pixel = (pixel & 0xFF000000u) | (imaging::HSLToColor32(h, s, l) & 0x00FFFFFFu);
}

void TdocHSLAdjustEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (bitmap.IsEmpty()) return;
  if (imaging::HasCPUFeature(cfAVX2) && imaging::HasCPUFeature(cfFMA)) {
    const auto finite = [](float v) { return std::isnan(v) ? 0.0f : v; };
    const THslShift shift{Hue, std::isfinite(Hue), finite(Saturation), finite(Lightness)};
    TColor32* bits = bitmap.GetBits();
    const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
    const bool wide = imaging::HasCPUFeature(cfAVX512);
    for (std::size_t i = wide ? AdjustHslAvx512(bits, count, shift) : AdjustHslAvx2(bits, count, shift); i < count; ++i)
      if (HasAlpha(bits[i])) TdocHSLAdjustEffect::ProcessPixel(bits[i]);
    bitmap.Changed();
    return;
  }
  // The result depends on the colour bytes alone, and rendered labels repeat
  // few colours: results are remembered in a small direct-mapped table.
  constexpr unsigned kBits = 16;
  std::vector<std::uint64_t> memo(std::size_t{1} << kBits, 0);  // colour | 1 << 24 in the high half
  ForEachPixelWithAlpha(bitmap, [&](TColor32& pixel) {
    const std::uint32_t rgb = pixel & 0x00FFFFFFu;
    std::uint64_t& slot = memo[(rgb * 2654435761u) >> (32 - kBits)];
    if (slot >> 32 != (rgb | 1u << 24)) {
      TColor32 adjusted = rgb | 0xFF000000u;
      TdocHSLAdjustEffect::ProcessPixel(adjusted);
      slot = std::uint64_t{rgb | 1u << 24} << 32 | (adjusted & 0x00FFFFFFu);
    }
    pixel = (pixel & 0xFF000000u) | static_cast<std::uint32_t>(slot);
  });
}

void TdocHSLAdjustEffect::LoadFromXml(const TXmlNode& node) {
  TdocColorFunctionEffect::LoadFromXml(node);
  Hue = ReadFloatParam(node, "Hue");
  Saturation = ReadFloatParam(node, "Saturation");
  Lightness = ReadFloatParam(node, "Lightness");
}

void TdocHSLAdjustEffect::SaveToXml(TXmlNode& node) const {
  TdocColorFunctionEffect::SaveToXml(node);
  node.WriteChildFloat("Hue", Hue, 0);
  node.WriteChildFloat("Saturation", Saturation, 0);
  node.WriteChildFloat("Lightness", Lightness, 0);
}

const TdocEffectClass& TdocSepiaEffect::StaticClass() {
  static const TdocEffectClass info{"TdocSepiaEffect", [] { return std::unique_ptr<TdocEffect>(new TdocSepiaEffect); }};
  return info;
}

void TdocSepiaEffect::ProcessPixel(TColor32& pixel) const {
  // A negative depth would wrap channel values; it tints nothing instead.
  const std::uint32_t depth = static_cast<std::uint32_t>(std::clamp<std::int32_t>(Depth, 0, 255));
  const std::uint32_t gray = (61 * (pixel >> 16 & 0xFF) + 174 * (pixel >> 8 & 0xFF) + 21 * (pixel & 0xFF)) >> 8;
  pixel = (pixel & 0xFF000000u) | std::min(255u, gray + 2 * depth) << 16 | std::min(255u, gray + depth) << 8 | gray;
}

void TdocSepiaEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  ForEachPixelWithAlpha(bitmap, [this](TColor32& pixel) { TdocSepiaEffect::ProcessPixel(pixel); });
}

void TdocSepiaEffect::LoadFromXml(const TXmlNode& node) {
  TdocColorFunctionEffect::LoadFromXml(node);
  Depth = node.ReadChildInteger("Depth", 0);
}

void TdocSepiaEffect::SaveToXml(TXmlNode& node) const {
  TdocColorFunctionEffect::SaveToXml(node);
  node.WriteChildInteger("Depth", Depth, 0);
}

void RegisterColorEffects() {
  (void)IdentityTable();
  RegisterEffectClass(TdocBrightContrEffect::StaticClass(), 1);
  RegisterEffectClass(TdocHSLAdjustEffect::StaticClass(), 1);
  RegisterEffectClass(TdocSepiaEffect::StaticClass(), 1);
}
