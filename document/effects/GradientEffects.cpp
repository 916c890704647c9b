#include "document/effects/GradientEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/core/CpuFeatures.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "imaging/resample/BoxDownsample.h"
#include "platform/rtl/Format.h"
#include "xml/XmlFloat.h"
#include "xml/XmlNode.h"

namespace {

constexpr float kStep = 0.003921569f;  // 1 / 255, as the palettes step

// The index of name in a table of count names, or -1.
template <class NameOf>
int IndexOfName(std::string_view text, int count, NameOf&& nameOf) {
  for (int i = 0; i < count; ++i)
    if (nameOf(i) == text) return i;
  return -1;
}

void ReadNamedIndex(const TXmlNode& node, std::string_view child, int count, std::string_view (*nameOf)(int),
                    std::int32_t& value) {
  const int index = IndexOfName(node.ReadChildString(child), count, nameOf);
  if (index >= 0) value = index;
}

TdocPalette TwoColorPalette(TColor32 c1, TColor32 c2) {
  TdocPalette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = LerpColor(c1, c2, static_cast<float>(i) * kStep);
  return palette;
}

// Walks the stops, at least two, in list order along 0..1.
void StopsPalette(const TdocColorStopList& stops, TdocPalette& palette) {
  const TdocColorStop* from = stops.GetStop(0);
  const TdocColorStop* to = stops.GetStop(1);
  int next = 2;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const float t = static_cast<float>(i) * kStep;
    while (t > static_cast<float>(to->Position) && next < stops.GetCount()) {
      from = to;
      to = stops.GetStop(next++);
    }
    const float p0 = static_cast<float>(from->Position), p1 = static_cast<float>(to->Position);
    const float k = p1 - p0 > 0 ? 1 / (p1 - p0) : 1.0f;
    palette[i] = LerpColor(from->Color, to->Color, std::clamp((t - p0) * k, 0.0f, 1.0f));
  }
}

// Entry i of the palette taken from the working palette by the fill method.
std::size_t FillIndex(std::int32_t method, std::size_t i) {
  const auto mirrored = static_cast<std::size_t>(std::abs(255 - 2 * static_cast<int>(i)));
  switch (method) {
    case 1: return 255 - i;
    case 2: return 255 - mirrored;
    case 3: return mirrored;
    default: return i;
  }
}

// Start of each of count spans when length is divided among them.
std::vector<std::int32_t> SpanStarts(std::int32_t length, std::int32_t count) {
  std::vector<std::int32_t> starts, widths;
  imaging::SplitIntoSpans(length, count, starts, widths);
  return starts;
}

// Replace 3, the common case, kept free of the general weights and of
// branches so that it runs on vector lanes (the widest the processor has):
// full replacement wherever the mask has alpha, alpha scaled by the mask's.
// (t + 1 + t / 256) / 256 is t / 255 for every product of two bytes.
LABEL_AVX2_CLONES void ReplaceWhereAlpha(TColor32* row, const TColor32* mask, const TColor32* colors, std::size_t count) {
  for (std::size_t x = 0; x < count; ++x) {
    const std::uint32_t alpha = mask[x] >> 24, color = colors[x];
    const std::uint32_t t = (color >> 24) * alpha;
    const std::uint32_t replaced = (color & 0x00FFFFFFu) | ((t + 1 + (t >> 8)) >> 8) << 24;
    row[x] = alpha != 0 ? replaced : row[x];
  }
}

std::string HexColor(TColor32 color) { return rtl::Format("$%.8X", color); }

}  // namespace

// ---- replacement

void TdocReplacementEffect::LoadFromXml(const TXmlNode& node) {
  TdocEffect::LoadFromXml(node);
  Replace = static_cast<std::uint8_t>(node.ReadChildInteger("Replace", 0));
}

void TdocReplacementEffect::SaveToXml(TXmlNode& node) const {
  TdocEffect::SaveToXml(node);
  node.WriteChildInteger("Replace", Replace, 0);
}

void TdocReplacementEffect::GetWeights(TColor32 mask, std::uint32_t& alpha, std::uint32_t& amount) const {
  alpha = mask >> 24;
  switch (Replace) {
    case 0: amount = mask >> 16 & 0xFF; break;
    case 1: amount = mask >> 8 & 0xFF; break;
    case 2: amount = mask & 0xFF; break;
    case 3: amount = alpha != 0 ? 255 : 0; break;
    case 4: amount = alpha = alpha != 0 ? 255 : 0; break;
    default: amount = alpha = 0;
  }
}

TColor32 ReplaceColor(TColor32 destination, TColor32 color, std::uint32_t alpha, std::uint32_t amount) {
  if (amount == 0 || alpha == 0) return destination;
  const std::uint32_t a = std::min<std::uint32_t>((color >> 24) * alpha / 255, 255);
  const TColor32 mixed = amount >= 255 ? color : imaging::MergeColorWithAlpha(color, destination, amount);
  return (mixed & 0x00FFFFFFu) | a << 24;
}

void TdocReplacementEffect::ReplaceRow(TColor32* row, const TColor32* mask, const TColor32* colors,
                                       std::size_t count) const {
  if (Replace == 3) {
    ReplaceWhereAlpha(row, mask, colors, count);
    return;
  }
  std::uint32_t alpha, amount;
  for (std::size_t x = 0; x < count; ++x) {
    GetWeights(mask[x], alpha, amount);
    row[x] = ReplaceColor(row[x], colors[x], alpha, amount);
  }
}

// ---- colour stops

void TdocColorStopList::AddStop(TColor32 color, double position) {
  const auto after = std::find_if(Stops.begin(), Stops.end(), [position](const auto& s) { return s.Position > position; });
  Stops.insert(after, TdocColorStop{position, color});
}

const TdocColorStop* TdocColorStopList::GetStop(int index) const {
  return index >= 0 && index < GetCount() ? &Stops[static_cast<std::size_t>(index)] : nullptr;
}

// ---- gradient

const TdocEffectClass& TdocGradientEffect::StaticClass() {
  static const TdocEffectClass info{"TdocGradientEffect", [] { return std::unique_ptr<TdocEffect>(new TdocGradientEffect); }};
  return info;
}

const TdocPalette& TdocGradientEffect::GetPalette() {
  if (!PaletteValid) BuildPalette();
  return Palette;
}

void TdocGradientEffect::BuildPalette() {
  PaletteValid = true;
  // A stored palette is the colours themselves: nothing is derived from it.
  if (PaletteMethod == pmStored) return;
  if (PaletteMethod == pmPreset) {
    ColorStops.Clear();
    AddPresetStops(Preset, ColorStops);
  }
  // The two colours stand in wherever a method yields no colours (too few
  // stops, an unknown preset or method), so no entry is ever undefined.
  TdocPalette working{};
  if (PaletteMethod == pmPreset && Preset == RainbowPreset)
    working = SpectrumPalette();
  else if ((PaletteMethod == pmPreset || PaletteMethod == pmColorStops) && ColorStops.GetCount() >= 2)
    StopsPalette(ColorStops, working);
  else
    working = TwoColorPalette(Color1, Color2);
  for (std::size_t i = 0; i < Palette.size(); ++i) Palette[i] = working[FillIndex(FillMethod, i)];
}

std::vector<TColor32> TdocGradientEffect::ColorLine(std::size_t length) const {
  std::vector<TColor32> line(length, Palette[0]);
  if (length < 2) return line;  // a line of one place would divide by zero
  const double step = 255.0 / static_cast<double>(length - 1);
  for (std::size_t k = 0; k < length; ++k) line[k] = Palette[static_cast<std::size_t>(std::nearbyint(k * step))];
  return line;
}

void TdocGradientEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (!PaletteValid) BuildPalette();
  const TBitmap32& mask = GetInput(bitmap);
  const std::int32_t w = bitmap.GetWidth(), h = bitmap.GetHeight();
  if (bitmap.IsEmpty() || mask.GetWidth() != w || mask.GetHeight() != h) return;
  const auto W = static_cast<std::size_t>(w), H = static_cast<std::size_t>(h);
  const std::int32_t m = std::max(w, h);
  std::vector<std::int32_t> xs, ys;
  if (Direction >= 2 && Direction < GradientDirectionCount) {
    xs = SpanStarts(m, w);
    ys = SpanStarts(m, h);
  }
  std::size_t length = 1;
  switch (Direction) {
    case 0: length = W; break;
    case 1: length = H; break;
    case 2:
    case 3: length = 2 * static_cast<std::size_t>(m); break;
    case 4:
    case 5:
    case 6:
    case 7: length = static_cast<std::size_t>(m); break;
    case 8: length = static_cast<std::size_t>(m / 2 + 1); break;
    default: break;
  }
  std::vector<TColor32> line = ColorLine(length);
  if (Direction < 0 || Direction >= GradientDirectionCount) line.assign(1, Color1);
  const auto at = [&](std::size_t k) { return line[std::min(k, line.size() - 1)]; };
  const auto X = [&](std::size_t x) { return static_cast<std::size_t>(xs[x]); };
  const auto Y = [&](std::size_t y) { return static_cast<std::size_t>(ys[y]); };
  std::vector<TColor32> colors(W);
  for (std::size_t y = 0; y < H; ++y) {
    // Horizontal rows are the colour line itself.
    const TColor32* source = Direction == 0 ? line.data() : colors.data();
    switch (Direction) {
      case 0: break;
      case 1: std::fill(colors.begin(), colors.end(), line[y]); break;
      case 2: for (std::size_t x = 0; x < W; ++x) colors[x] = at(X(x) + Y(y)); break;
      case 3: for (std::size_t x = 0; x < W; ++x) colors[x] = at(X(W - 1 - x) + Y(y)); break;
      case 4: for (std::size_t x = 0; x < W; ++x) colors[x] = at(std::max(X(x), Y(y))); break;
      case 5: for (std::size_t x = 0; x < W; ++x) colors[x] = at(std::max(X(W - 1 - x), Y(y))); break;
      case 6: for (std::size_t x = 0; x < W; ++x) colors[x] = at(std::max(X(x), Y(H - 1 - y))); break;
      case 7: for (std::size_t x = 0; x < W; ++x) colors[x] = at(std::max(X(W - 1 - x), Y(H - 1 - y))); break;
      case 8: {
        const auto distance = [](std::size_t a, std::size_t centre) { return a > centre ? a - centre : centre - a; };
        for (std::size_t x = 0; x < W; ++x) colors[x] = at(std::max(X(distance(x, W / 2)), Y(distance(y, H / 2))));
        break;
      }
      default: std::fill(colors.begin(), colors.end(), line[0]);
    }
    ReplaceRow(bitmap.ScanLine(static_cast<std::int32_t>(y)), mask.ScanLine(static_cast<std::int32_t>(y)), source, W);
  }
  bitmap.Changed();
}

void TdocGradientEffect::LoadFromXml(const TXmlNode& node) {
  TdocReplacementEffect::LoadFromXml(node);
  Color1 = static_cast<TColor32>(node.ReadChildInteger("Color1", 0));
  Color2 = static_cast<TColor32>(node.ReadChildInteger("Color2", 0));
  ReadNamedIndex(node, "Direction", GradientDirectionCount, GradientDirectionName, Direction);
  ReadNamedIndex(node, "FillMethod", GradientFillMethodCount, GradientFillMethodName, FillMethod);
  PaletteMethod = static_cast<std::uint8_t>(node.ReadChildInteger("PaletteMethod", 0));
  switch (PaletteMethod) {
    case pmPreset: ReadNamedIndex(node, "Preset", GradientPresetCount, GradientPresetName, Preset); break;
    case pmColorStops: LoadColorStops(node); break;
    case pmStored: LoadPalette(node); break;
    default: break;
  }
  PaletteValid = false;
}

void TdocGradientEffect::LoadColorStops(const TXmlNode& node) {
  ColorStops.Clear();
  const TXmlNode* list = node.FindChild("ColorStops");
  if (!list) return;
  TXmlNodeList stops;
  list->FindChildren("Stop", stops);
  for (int i = 0; i < stops.GetCount(); ++i) {
    const TXmlNode& stop = *stops.GetItem(i);
    double position = 0;
    if (!xml::ParseXmlFloat(stop.ReadAttrString("Position"), position)) position = 0;
    ColorStops.Append({position, static_cast<TColor32>(stop.ReadAttrInteger("Color", 0))});
  }
}

void TdocGradientEffect::LoadPalette(const TXmlNode& node) {
  // Entries without a "C" read as 0; children beyond the 256 entries are
  // ignored.
  Palette.fill(0);
  const TXmlNode* stored = node.FindChild("Palette");
  if (!stored) return;
  TXmlNodeList entries;
  stored->FindChildren("C", entries);
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(entries.GetCount()), Palette.size());
  for (std::size_t i = 0; i < count; ++i)
    Palette[i] = static_cast<TColor32>(entries.GetItem(static_cast<int>(i))->GetValueAsInteger(0));
}

void TdocGradientEffect::SaveToXml(TXmlNode& node) const {
  TdocReplacementEffect::SaveToXml(node);
  node.WriteChildHex("Color1", static_cast<std::int32_t>(Color1), 8, 0);
  node.WriteChildHex("Color2", static_cast<std::int32_t>(Color2), 8, 0);
  node.WriteChildString("Direction", GradientDirectionName(Direction));
  node.WriteChildString("FillMethod", GradientFillMethodName(FillMethod));
  node.WriteChildInteger("PaletteMethod", PaletteMethod, 0);
  if (PaletteMethod == pmPreset) node.WriteChildString("Preset", GradientPresetName(Preset));
  if (PaletteMethod == pmColorStops) {
    TXmlNode* list = node.AddChild("ColorStops");
    for (int i = 0; i < ColorStops.GetCount(); ++i) {
      const TdocColorStop& stop = *ColorStops.GetStop(i);
      TXmlNode* element = list->AddChild("Stop");
      element->WriteAttrInteger("Color", static_cast<std::int32_t>(stop.Color), 0);
      element->WriteAttrFloat("Position", stop.Position, 0);
    }
  }
  if (PaletteMethod == pmStored) {
    TXmlNode* stored = node.AddChild("Palette");
    for (const TColor32 color : Palette) stored->AddChild("C")->SetValue(HexColor(color));
  }
}

// ---- alpha to colour

const TdocEffectClass& TdocAlphaToColorEffect::StaticClass() {
  static const TdocEffectClass info{"TdocAlphaToColorEffect",
                                    [] { return std::unique_ptr<TdocEffect>(new TdocAlphaToColorEffect); }};
  return info;
}

void TdocAlphaToColorEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  if (bitmap.IsEmpty()) return;
  TColor32* bits = bitmap.GetBits();
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  for (std::size_t i = 0; i < count; ++i) bits[i] = imaging::CombineColors(OpaqueColor, TransparentColor, bits[i] >> 24);
  bitmap.Changed();
}

void RegisterGradientEffects() {
  RegisterEffectClass(TdocGradientEffect::StaticClass(), 1);
  RegisterEffectClass(TdocAlphaToColorEffect::StaticClass(), 1);
}
