#pragma once
// TdocBitmapResource: the picture resource of page backgrounds, bitmap
// shapes and texture effects. Its bytes are a raster file in the format
// named by the extension of FileName (raster format registry); its object
// is the decoded TBitmap32.

#include <cstdint>
#include <memory>

#include "document/resources/Resource.h"

class TBitmap32;
class TCustomBitmap32;
namespace imaging {
class TPixelBudget;
}

class TdocBitmapResource final : public TdocResource {
public:
  static const TResourceClass& Class();
  const TResourceClass& GetClass() const override { return Class(); }

  // The decoded picture, nil without one. Use it only inside an access
  // bracket (TdocResourceAccess) held for as long as the pointer is used.
  TBitmap32* GetBitmap();
  // Whether there is a picture to keep: bytes or an object, whether or not
  // they decode (a refused picture is kept all the same).
  bool HoldsPicture();
  // A copy of source becomes the picture (FileName gets ".hck" when it has
  // no extension); nil clears the resource.
  void SetBitmap(const TCustomBitmap32* source);
  // To be called after drawing on the picture.
  void ObjectChanged();
  // The picture for drawing, shared with every picture resource that holds
  // the same bytes; nil without a picture. The resource keeps it until it
  // changes or is unloaded, and frees its own decoded copy in its favour.
  std::shared_ptr<const TBitmap32> GetSharedBitmap();

  void Changed() override;
  void Clear() override;
  void Unload() override;
  // The picture decoded from the old stream goes with its bytes.
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override;
  // Bytes that do not decode, or a picture past the budget of a picture or
  // of the owner's label, are kept (saving the document keeps them) but the
  // picture is not shown, and the reason waits for TakeLoadProblem.
  void LoadFromXml(const TXmlNode& node) override;

protected:
  ~TdocBitmapResource() override;

  // Saves in the format of the extension; an extension that names no format
  // able to write into a stream becomes ".hck" first, so no edit is lost.
  void SaveObjectToStream(TStream& data, const TPersistent& object) override;
  std::unique_ptr<TPersistent> LoadObjectFromStream(TStream& data) override;
  // A picture whose format cannot be read from a stream is decoded and kept
  // as ".hck" bytes, and the extension of FileName becomes ".hck".
  void LoadDataFromFile(const std::string& name) override;
  std::int64_t GetObjectSize() override;

private:
  // The picture of data from the pool of shown pictures, decoded when the
  // pool has none of equal bytes; data is left at position 0.
  std::shared_ptr<const TBitmap32> SharePicture(TMapStream& data);

  // Charges the label's budget for a picture of width x height, in place of
  // what this resource charged before; raises EPictureTooLarge past it.
  void ChargeLabel(std::int64_t width, std::int64_t height);

  std::shared_ptr<const TBitmap32> Shared;
  // The budget charged and the pixels charged to it.
  std::shared_ptr<imaging::TPixelBudget> ChargedBudget;
  std::int64_t ChargedPixels = 0;
};
