#pragma once
// TdocTextureEffect: fills a shape with a picture. The picture is scaled to a
// tile and repeated over the shape's rendering (tiled), or stretched once over
// the shape's frame and repeated only in the margins around it (not tiled);
// each pixel goes in through the replacement rule, weighted by the mask the
// effect's Source chooses. The picture is a bitmap resource owned by the
// effect and stored with the document like any picture.

#include "document/resources/BitmapResource.h"
#include "document/effects/GradientEffects.h"
#include "document/resources/ResourceHost.h"

class TdocTextureEffect final : public TdocReplacementEffect, private TdocResourceHost {
public:
  TdocTextureEffect();
  ~TdocTextureEffect() override;

  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }

  // Draws nothing without a picture (or one that cannot be decoded), without
  // an owner shape, or when the tile has no pixels or no finite size.
  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void SetShape(TdocEffectShape* shape) override;
  void CollectArchiveNames(TStringList& list) const override;
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override;
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  // The picture; use it inside an access bracket (TdocResourceAccess).
  TdocBitmapResource& GetTexture() const { return *Texture; }

  // Position of the texture's origin from the frame's top-left corner, mm
  // (tiled only).
  float OffsetX = 0.0f;
  float OffsetY = 0.0f;
  // Dots per millimetre at which one picture pixel has its natural size.
  float RenderDpm = 5.905512f;
  bool Tiled = true;

private:
  // The archive of the owner shape's document, for a picture kept there.
  TsdStorage* GetResourceArchive() const override;
  // The budget of the owner shape's document.
  std::shared_ptr<imaging::TPixelBudget> GetPictureBudget() const override;

  TResourcePtr<TdocBitmapResource> Texture;
};
