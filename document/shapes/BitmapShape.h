#pragma once
// TdocBitmapShape: a raster picture stretched into the shape's frame. The
// picture is held by the shape's picture resource (its bytes kept in one of
// the resource storages); a new picture sizes the frame to the picture at
// 150 dots per inch and locks the aspect ratio.
//
// Drawing uses the decoded picture the resource shares with every other
// resource holding the same bytes, so copies of one picture cost one
// decoded bitmap however many shapes show it.

#include "document/resources/BitmapResource.h"
#include "document/effects/EffectShape.h"

class TdocBitmapShape : public TdocEffectShape {
public:
  TdocBitmapShape();
  ~TdocBitmapShape() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  TdocBitmapResource& GetImage() const { return *Image; }

  // The resource holds a new picture: the frame takes its size at 150
  // dots per inch and keeps its proportions from then on.
  virtual void ImageChanged();

  void CollectArchiveNames(TStringList& list) const override;
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override;
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void SetDocument(TdocServices* document) override;
  TdocStorageMode GetStorageMode() const override;
  void SetStorageMode(TdocStorageMode mode) override;
  // An "Image" element is read by the resource; without one the picture
  // stays as it was.
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

private:
  TResourcePtr<TdocBitmapResource> Image;
};
