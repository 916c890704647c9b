#pragma once
// TdocBitmapResource: the picture resource of page backgrounds, bitmap
// shapes and texture effects. Its bytes are a raster file in the format
// named by the extension of FileName (raster format registry); its object
// is the decoded TBitmap32.

#include <cstdint>
#include <functional>
#include <memory>

#include "document/resources/Resource.h"

class TBitmap32;
class TCustomBitmap32;
namespace imaging {
class TPixelBudget;
}
namespace document {
class TPoolPicture;
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

  // The label's budget (the owner's) is charged for the picture from the
  // moment the resource knows its size (decoded, or shared with a resource
  // that decoded equal bytes) as long as the resource holds it, unloaded by
  // the cache or not; a resource that joins a label brings its picture's
  // charge along. A charge the label has no room for raises
  // EPictureTooLarge from the step that decodes or shares the picture.

protected:
  ~TdocBitmapResource() override;

  // Moves the picture's charge to the new owner's label; a label without
  // room for it leaves the picture unshown.
  void OwnerChanged() override;

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
  // pool has none of equal bytes; data is left at position 0. With hold, the
  // label is charged for it.
  std::shared_ptr<const TBitmap32> SharePicture(TMapStream& data, bool hold);
  // The picture decoded from data; admit, when set, hears its declared size
  // before its pixels take memory.
  std::unique_ptr<TBitmap32> DecodePicture(TStream& data, std::function<void(std::int64_t, std::int64_t)> admit);
  // The pool's picture of the resource's own bytes.
  std::shared_ptr<document::TPoolPicture> PictureOfData(TMapStream& data);

  // Charges the owner's label for the picture (width x height pixels) in
  // place of what this resource held before; raises EPictureTooLarge past
  // the label's budget.
  void HoldPicture(std::shared_ptr<document::TPoolPicture> picture, std::int64_t width, std::int64_t height);
  void ReleaseLabel();

  std::shared_ptr<const TBitmap32> Shared;
  // The picture that proved a file's bytes, kept for the pool until it is
  // shown, so that it is not decoded again.
  std::shared_ptr<const TBitmap32> Proven;
  // The picture held, its size, and the budget charged for it (nil while
  // the resource belongs to no label).
  std::shared_ptr<document::TPoolPicture> Held;
  std::int64_t HeldWidth = 0;
  std::int64_t HeldHeight = 0;
  std::shared_ptr<imaging::TPixelBudget> ChargedBudget;
};
