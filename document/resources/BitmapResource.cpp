#include "document/resources/BitmapResource.h"

#include "document/resources/PicturePool.h"
#include "document/resources/ResourceHost.h"

#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/ImageFiler.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/formats/RasterFormat.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

constexpr const char* kPackedExtension = ".hck";

TResourcePtr<TdocResource> CreateBitmapResource() { return MakeResource<TdocBitmapResource>(); }

bool FormatCan(const std::string& fileName, TRasterFlags flag) {
  const TRasterClass* rasterClass = imaging::FindRasterClassByExtension(fileName);
  return rasterClass != nullptr && (imaging::GetRasterClassFlags(*rasterClass) & flag) != 0;
}

void SaveBitmapToStream(const TCustomBitmap32& bitmap, const std::string& extension, TStream& data) {
  TdocImageFiler filer;
  filer.SetExtension(extension);
  filer.Stream = &data;
  filer.SaveBitmap(bitmap);
}

}  // namespace

const TResourceClass& TdocBitmapResource::Class() {
  static const TResourceClass resourceClass{"TdocBitmapResource", &CreateBitmapResource};
  return resourceClass;
}

TdocBitmapResource::~TdocBitmapResource() { ReleaseLabel(); }

TBitmap32* TdocBitmapResource::GetBitmap() { return dynamic_cast<TBitmap32*>(GetObject()); }

bool TdocBitmapResource::HoldsPicture() {
  TdocResourceAccess access(*this);
  if (CurrentObject() != nullptr) return true;
  EnsureData();
  return GetData().GetSize() > 0;
}

void TdocBitmapResource::SetBitmap(const TCustomBitmap32* source) {
  TdocResourceAccess access(*this);
  if (CurrentObject() == nullptr) {
    ReplaceObject(std::make_unique<TBitmap32>());
    if (GetFileExtension().empty()) SetFileName(kPackedExtension);
  }
  if (source != nullptr) {
    // Pixels drawn in memory stand for no bytes yet: a picture of their own.
    HoldPicture(document::UnsharedPicture(), source->GetWidth(), source->GetHeight());
    CurrentObject()->Assign(source);
    MarkObjectChanged();
  } else {
    Clear();
  }
  Changed();
}

void TdocBitmapResource::ObjectChanged() {
  TdocResourceAccess access(*this);
  MarkObjectChanged();
  Changed();
}

std::shared_ptr<const TBitmap32> TdocBitmapResource::GetSharedBitmap() {
  TdocResourceAccess access(*this);
  document::ResourceCacheTouch(this);
  if (Shared != nullptr) return Shared;
  EncodeObject();
  EnsureData();
  TMapStream& data = GetData();
  if (data.GetSize() == 0) return nullptr;
  Shared = SharePicture(data, true);
  Proven.reset();
  if (CurrentObject() != nullptr) ReleaseObject();
  return Shared;
}

std::shared_ptr<const TBitmap32> TdocBitmapResource::SharePicture(TMapStream& data, bool hold) {
  const std::shared_ptr<document::TPoolPicture> picture = PictureOfData(data);
  data.SetPosition(0);
  std::shared_ptr<const TBitmap32> decoded = document::DecodedPicture(*picture, [&] {
    return DecodePicture(data, [&](std::int64_t width, std::int64_t height) {
      if (hold) HoldPicture(picture, width, height);
    });
  });
  data.SetPosition(0);
  if (hold && decoded != nullptr) HoldPicture(picture, decoded->GetWidth(), decoded->GetHeight());
  return decoded;
}

std::shared_ptr<document::TPoolPicture> TdocBitmapResource::PictureOfData(TMapStream& data) {
  if (Held != nullptr && Held->IsHeldBy(data)) return Held;
  return document::IdentifyPicture(data, GetFileExtension());
}

// A picture decoded from the bytes as they still are stays: a large picture
// loaded from its file is decoded once.
void TdocBitmapResource::Changed() {
  if (!(GetState() == 1 && Held != nullptr && Held->IsHeldBy(GetData()))) Shared.reset();
  TdocResource::Changed();
}

void TdocBitmapResource::Clear() {
  Shared.reset();
  Proven.reset();
  TdocResource::Clear();
  ReleaseLabel();
  Held.reset();
}

void TdocBitmapResource::LoadFromXml(const TXmlNode& node) {
  TdocResourceAccess access(*this);
  TdocResource::LoadFromXml(node);
  try {
    GetSharedBitmap();  // decoded now, to be shown in a moment anyway
  } catch (const Exception& refused) {
    KeepLoadProblem(refused.what());
  }
}

void TdocBitmapResource::HoldPicture(std::shared_ptr<document::TPoolPicture> picture, std::int64_t width,
                                     std::int64_t height) {
  std::shared_ptr<imaging::TPixelBudget> budget = GetOwner() != nullptr ? GetOwner()->GetPictureBudget() : nullptr;
  if (budget != ChargedBudget) ReleaseLabel();
  if (budget != nullptr) budget->Hold(this, picture, width, height, picture->ByteCount());
  ChargedBudget = std::move(budget);
  Held = std::move(picture);
  HeldWidth = width;
  HeldHeight = height;
}

// Only the budget charged is asked: the owner may be gone already.
void TdocBitmapResource::ReleaseLabel() {
  if (ChargedBudget != nullptr) ChargedBudget->Release(this);
  ChargedBudget.reset();
}

void TdocBitmapResource::OwnerChanged() {
  TResourceCacheLock lock;
  ReleaseLabel();
  if (Held == nullptr || GetOwner() == nullptr) return;
  try {
    HoldPicture(Held, HeldWidth, HeldHeight);
  } catch (const EPictureTooLarge&) {
    Shared.reset();  // asked again at the next paint, which is refused the same way
  }
}

void TdocBitmapResource::Unload() {
  TResourceCacheLock lock;
  if (GetAccessCount() > 0) return;
  Shared.reset();
  Proven.reset();
  TdocResource::Unload();
}

void TdocBitmapResource::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  TdocResourceAccess access(*this);
  TdocResource::RenameArchiveNames(renames);
  // A pasted picture may have been decoded while its name still led to
  // another stream of the document.
  if (GetState() == 0) Shared.reset();
}

void TdocBitmapResource::SaveObjectToStream(TStream& data, const TPersistent& object) {
  const auto* bitmap = dynamic_cast<const TCustomBitmap32*>(&object);
  if (bitmap == nullptr) return;
  if (!FormatCan(GetFileName(), rfSavesToStream)) SetFileName(kPackedExtension);
  SaveBitmapToStream(*bitmap, GetFileExtension(), data);
}

// The data is the resource's own, rewound: it is known before the decoder
// moves through it.
std::unique_ptr<TPersistent> TdocBitmapResource::LoadObjectFromStream(TStream& data) {
  const std::shared_ptr<document::TPoolPicture> picture = PictureOfData(GetData());
  data.SetPosition(0);
  return DecodePicture(data, [this, &picture](std::int64_t width, std::int64_t height) {
    HoldPicture(picture, width, height);
  });
}

std::unique_ptr<TBitmap32> TdocBitmapResource::DecodePicture(TStream& data,
                                                             std::function<void(std::int64_t, std::int64_t)> admit) {
  auto bitmap = std::make_unique<TBitmap32>();
  // Also without admit: no admission of an outer caller hears this picture.
  const imaging::TPictureAdmission admission(std::move(admit));
  imaging::LoadRasterFromStream(data, GetFileExtension(), *bitmap, 0, TSize{0, 0});
  return bitmap;
}

// A file is taken only when it decodes as a picture of a registered format:
// a document may name any file, and its bytes must never be shown, copied
// or embedded unless they are a picture. Bytes kept as they are in the file
// are proven by their decoded picture: the one shown already for equal
// bytes, or else one decoded here (a large picture inserted many times is
// decoded once).
void TdocBitmapResource::LoadDataFromFile(const std::string& name) {
  try {
    if (FormatCan(name, rfLoadsFromStream)) {
      TdocResource::LoadDataFromFile(name);
      Proven = SharePicture(GetData(), false);
      return;
    }
    TBitmap32 bitmap;
    bitmap.LoadFromFile(name);
    TMapStream packed;
    SaveBitmapToStream(bitmap, kPackedExtension, packed);
    packed.SetPosition(0);
    GetData().Swap(packed);
  } catch (const Exception& error) {
    GetData().Clear();
    throw EResourceError(rtl::Format("\"%s\" is not a picture of a known format: %s", name, error.what()));
  }
  SetFileName(kPackedExtension);
}

std::int64_t TdocBitmapResource::GetObjectSize() {
  const auto* bitmap = dynamic_cast<const TCustomBitmap32*>(CurrentObject());
  return bitmap != nullptr ? std::int64_t{bitmap->GetWidth()} * bitmap->GetHeight() * 4 : 0;
}
