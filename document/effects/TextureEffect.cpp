#include "document/effects/TextureEffect.h"

#include <array>
#include <cmath>
#include <vector>

#include "document/shape/DocServices.h"
#include "document/effects/EffectParams.h"
#include "document/effects/EffectShape.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlNode.h"

namespace {

// One axis of the pattern the bitmap takes its colours from. A tile no longer
// than the bitmap is the pattern itself and repeats. A longer one is drawn
// only where the bitmap shows it: the pattern is as long as the bitmap and
// holds the tile at no more than two places (the tile's end, then its next
// copy), so a tile stretched over millions of pixels costs no more than the
// bitmap.
struct TTileAxis {
  std::int32_t Length = 0;  // pixels of the pattern along the axis
  std::int32_t Start = 0;   // pattern pixel of bitmap pixel 0
  std::array<std::int32_t, 2> Places{};
  int PlaceCount = 1;
};

// tile > 0 pixels long, its origin at origin pixels, over a bitmap length
// pixels long: bitmap pixel i shows tile pixel (i + origin) mod tile.
TTileAxis MakeTileAxis(std::int32_t tile, std::int32_t origin, std::int32_t length) {
  const std::int32_t start = static_cast<std::int32_t>(((std::int64_t{origin} % tile) + tile) % tile);
  TTileAxis axis;
  if (tile <= length) {
    axis.Length = tile;
    axis.Start = start;
    return axis;
  }
  axis.Length = length;
  axis.Places = {-start, tile - start};
  axis.PlaceCount = tile - start < length ? 2 : 1;
  return axis;
}

// The resolution of the bitmap being processed; the render's own resolution
// when the caller did not say.
double ResolutionOf(const TdocRenderOptions& options) {
  return options.BitmapResolution > 0 ? options.BitmapResolution : options.Resolution;
}

}  // namespace

TdocTextureEffect::TdocTextureEffect() : Texture(MakeResource<TdocBitmapResource>()) {
  Texture->SetOwner(this);
  Texture->OnChange = [this](TPersistent*) { ParamChanged(); };
}

TdocTextureEffect::~TdocTextureEffect() = default;

const TdocEffectClass& TdocTextureEffect::StaticClass() {
  static const TdocEffectClass info{"TdocTextureEffect", [] { return std::unique_ptr<TdocEffect>(new TdocTextureEffect); }};
  return info;
}

void TdocTextureEffect::SetShape(TdocEffectShape* shape) {
  // The cache thread asks for the archive under the cache lock.
  TResourceCacheLock lock;
  TdocReplacementEffect::SetShape(shape);
}

TsdStorage* TdocTextureEffect::GetResourceArchive() const {
  const TdocEffectShape* shape = GetShape();
  return shape && shape->GetDocument() ? shape->GetDocument()->GetStorage() : nullptr;
}

std::shared_ptr<imaging::TPixelBudget> TdocTextureEffect::GetPictureBudget() const {
  const TdocEffectShape* shape = GetShape();
  return PictureBudgetOf(shape ? dynamic_cast<const TdocResourceHost*>(shape->GetDocument()) : nullptr);
}

void TdocTextureEffect::Apply(TBitmap32& bitmap, const TdocRenderOptions& options) {
  const TdocEffectShape* shape = GetShape();
  const TBitmap32& mask = GetInput(bitmap);
  if (!shape || bitmap.IsEmpty() || mask.GetWidth() != bitmap.GetWidth() || mask.GetHeight() != bitmap.GetHeight())
    return;
  const double r = ResolutionOf(options);
  if (!(r > 0 && std::isfinite(r))) return;

  // The picture stays decoded until its last pixel has been drawn: the cache
  // thread must not unload it in between.
  TdocResourceAccess access(*Texture);
  const TBitmap32* picture = nullptr;
  try {
    picture = Texture->GetBitmap();
  } catch (const Exception&) {
    return;  // a picture that cannot be decoded draws as no picture
  }
  if (!picture || picture->IsEmpty()) return;

  // Where the frame's top-left corner falls in the bitmap, as the render
  // cache lays its margins out.
  const auto resolution = static_cast<float>(r);
  const double frameLeft = std::ceil(shape->GetExtents()[0] * resolution);
  const double frameTop = std::ceil(shape->GetExtents()[1] * resolution);
  std::int32_t tw, th, ox, oy;
  if (Tiled) {
    if (!(RenderDpm > 0)) return;  // no natural size
    tw = RoundPixels(picture->GetWidth() * r / RenderDpm);
    th = RoundPixels(picture->GetHeight() * r / RenderDpm);
    ox = -RoundPixels(frameLeft + OffsetX * r);
    oy = -RoundPixels(frameTop + OffsetY * r);
  } else {
    tw = RoundPixels(shape->GetDocWidth() * r);
    th = RoundPixels(shape->GetDocHeight() * r);
    ox = -RoundPixels(frameLeft);
    oy = -RoundPixels(frameTop);
  }
  if (tw <= 0 || th <= 0) return;  // a tile without pixels shows nothing

  const std::int32_t w = bitmap.GetWidth(), h = bitmap.GetHeight();
  const TTileAxis across = MakeTileAxis(tw, ox, w), down = MakeTileAxis(th, oy, h);
  TBitmap32 pattern;
  pattern.SetSize(across.Length, down.Length);
  pattern.SetStretchFilter(options.StretchFilter);
  for (int i = 0; i < across.PlaceCount; ++i)
    for (int j = 0; j < down.PlaceCount; ++j) {
      const std::int32_t left = across.Places[static_cast<std::size_t>(i)], top = down.Places[static_cast<std::size_t>(j)];
      imaging::StretchTransferBitmap(&pattern, TRect{left, top, left + tw, top + th}, pattern.BoundsRect(), picture,
                                     picture->BoundsRect(), pattern.GetResampler(), dmOpaque, {});
    }

  std::vector<TColor32> colors(static_cast<std::size_t>(w));
  std::int32_t py = down.Start;
  for (std::int32_t y = 0; y < h; ++y) {
    const TColor32* source = pattern.ScanLine(py);
    std::int32_t px = across.Start;
    for (TColor32& color : colors) {
      color = source[px];
      if (++px == across.Length) px = 0;
    }
    ReplaceRow(bitmap.ScanLine(y), mask.ScanLine(y), colors.data(), colors.size());
    if (++py == down.Length) py = 0;
  }
  bitmap.Changed();
}

void TdocTextureEffect::CollectArchiveNames(TStringList& list) const { Texture->CollectArchiveNames(list); }

void TdocTextureEffect::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  Texture->RenameArchiveNames(renames);
}

void TdocTextureEffect::LoadFromXml(const TXmlNode& node) {
  TdocReplacementEffect::LoadFromXml(node);
  OffsetX = ReadFloatParam(node, "OffsetX");
  OffsetY = ReadFloatParam(node, "OffsetY");
  RenderDpm = ReadFloatParam(node, "RenderDpm");
  Tiled = node.ReadChildBool("Tiled", false);
  if (const TXmlNode* texture = node.FindChild("Texture"))
    Texture->LoadFromXml(*texture);
  else
    Texture->Clear();
  // A texture that cannot be shown is told as a picture shape's is.
  if (const std::string problem = Texture->TakeLoadProblem(); !problem.empty() && GetShape())
    GetShape()->DoLoadError(problem);
}

void TdocTextureEffect::SaveToXml(TXmlNode& node) const {
  TdocReplacementEffect::SaveToXml(node);
  node.WriteChildFloat("OffsetX", OffsetX, 0);
  node.WriteChildFloat("OffsetY", OffsetY, 0);
  node.WriteChildFloat("RenderDpm", RenderDpm, 0);
  node.WriteChildBool("Tiled", Tiled, false);
  Texture->SaveToXml(*node.AddChild("Texture"));
}
