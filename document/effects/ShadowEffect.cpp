#include "document/effects/ShadowEffect.h"

#include <algorithm>
#include <cmath>

#include "document/effects/EffectParams.h"
#include "document/effects/ShadowStream.h"
#include "document/shape/ShapeValues.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/docgraphics/BoxBlurRuns.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlNode.h"

namespace {

// The intensity factor as the mask takes it: not below 0 (a negative factor
// would turn into huge unsigned values, a fully opaque shadow) and not so
// large that alpha x 256 x factor leaves 32 bits. 256 already saturates any
// alpha above 0; the blur still spreads a larger value further, but nothing
// a user could want needs more.
float MaskFactor(float intensity) { return intensity > 0 ? std::min(intensity, 256.0f) : 0.0f; }

// The sweep's buffers, kept from one drawing to the next: one set for every
// shadow a thread draws, so a stack of shadows holds no more than one does.
TShadowBuffersPtr& ShadowSweepBuffers() {
  thread_local TShadowBuffersPtr buffers;
  return buffers;
}

// A margin of a stored number that is not finite counts as 0, so the
// shape's cache keeps a size it can have.
double Finite(float value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace

const TdocEffectClass& TdocShadowEffect::StaticClass() {
  static const TdocEffectClass info{"TdocShadowEffect", [] { return std::unique_ptr<TdocEffect>(new TdocShadowEffect); }};
  return info;
}

void TdocShadowEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& options) {
  if (bitmap.IsEmpty()) return;
  const double resolution = options.BitmapResolution;
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  // The shape's alpha as intensities, moved by the offset as the pixel array
  // moves as a whole (rows wrapping into each other; an offset larger than
  // the bitmap moves nothing): one pass instead of copy, convert and shift.
  const std::int64_t offset = std::int64_t{RoundPixels(DeltaY * resolution)} * bitmap.GetWidth() + RoundPixels(DeltaX * resolution);
  const std::int64_t shift = (offset < 0 ? -offset : offset) > std::int64_t(count) ? 0 : offset;
  const std::array<TColor32, 256> intensity = imaging::AlphaIntensities(MaskFactor(Intensity));
  const TColor32 rgb = imaging::ColorToColor32(Color) & 0x00FFFFFFu;
  const float radius = static_cast<float>(Blur * resolution);
  const TShadowSweep sweep{shift, MaskFactor(Intensity), imaging::BlurWindow(radius), rgb};
  if (DrawShadowSweep(bitmap.GetBits(), std::size_t(bitmap.GetWidth()), std::size_t(bitmap.GetHeight()), sweep, ShadowSweepBuffers())) {
    bitmap.Changed();
    return;
  }
  TBitmap32 shadow;
  shadow.SetSize(bitmap.GetWidth(), bitmap.GetHeight());
  const TColor32* bits = bitmap.GetBits();
  TColor32* map = shadow.GetBits();
  const std::size_t from = static_cast<std::size_t>(std::clamp<std::int64_t>(shift, 0, std::int64_t(count)));
  const std::size_t to = static_cast<std::size_t>(std::clamp<std::int64_t>(std::int64_t(count) + shift, 0, std::int64_t(count)));
  std::fill(map, map + from, 0);
  for (std::size_t k = from; k < to; ++k) map[k] = intensity[bits[k - shift] >> 24];
  std::fill(map + to, map + count, 0);
  imaging::BlurIntensityMap(shadow, radius);
  PutShadowUnder(bitmap.GetBits(), map, count, rgb);
  bitmap.Changed();
}

void TdocShadowEffect::AdjustExtents(float& left, float& top, float& right, float& bottom) const {
  const double spread = 1.5f * Finite(Blur), dx = Finite(DeltaX), dy = Finite(DeltaY);
  left = static_cast<float>(left + std::max(0.0, spread - dx));
  top = static_cast<float>(top + std::max(0.0, spread - dy));
  right = static_cast<float>(right + std::max(0.0, spread + dx));
  bottom = static_cast<float>(bottom + std::max(0.0, spread + dy));
}

void TdocShadowEffect::SetLength(float& field, float value, const char* name) {
  if (value == field) return;
  Changed();
  RecordUndo(name, document::FloatToUndoText(field));
  field = value;
  ParamChanged();
}

void TdocShadowEffect::SetDeltaX(float value) { SetLength(DeltaX, value, "DeltaX"); }
void TdocShadowEffect::SetDeltaY(float value) { SetLength(DeltaY, value, "DeltaY"); }
void TdocShadowEffect::SetBlur(float value) { SetLength(Blur, value, "Blur"); }

void TdocShadowEffect::SetIntensity(float value) {
  if (value == Intensity) return;
  RecordUndo("Intensity", document::FloatToUndoText(Intensity));
  Intensity = value;
  ParamChanged();
}

void TdocShadowEffect::SetColor(TColor value) {
  if (value == Color) return;
  Changed();
  RecordUndo("Color", rtl::IntToStr(Color));
  Color = value;
  ParamChanged();
}

void TdocShadowEffect::SetPropertyByName(const std::string& name, const std::string& value) {
  if (name == "DeltaX")
    SetDeltaX(document::UndoTextToFloat(value));
  else if (name == "DeltaY")
    SetDeltaY(document::UndoTextToFloat(value));
  else if (name == "Intensity")
    SetIntensity(document::UndoTextToFloat(value));
  else if (name == "Blur")
    SetBlur(document::UndoTextToFloat(value));
  else if (name == "Color")
    SetColor(rtl::StrToInt(value));
  else
    TdocEffect::SetPropertyByName(name, value);
}

void TdocShadowEffect::LoadFromXml(const TXmlNode& node) {
  TdocEffect::LoadFromXml(node);
  DeltaX = ReadFloatParam(node, "DeltaX");
  DeltaY = ReadFloatParam(node, "DeltaY");
  Intensity = ReadFloatParam(node, "Intensity");
  Blur = ReadFloatParam(node, "Blur");
  Color = node.ReadChildColor("Color", clBlack);
}

void TdocShadowEffect::SaveToXml(TXmlNode& node) const {
  TdocEffect::SaveToXml(node);
  node.WriteChildFloat("DeltaX", DeltaX, 0);
  node.WriteChildFloat("DeltaY", DeltaY, 0);
  node.WriteChildFloat("Intensity", Intensity, 0);
  node.WriteChildFloat("Blur", Blur, 0);
  node.WriteChildColor("Color", Color, clBlack);
}
