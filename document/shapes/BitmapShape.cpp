#include "document/shapes/BitmapShape.h"

#include "document/resources/ResourceHost.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlNode.h"

namespace {

// The editor's cursor over a picture being placed.
constexpr std::int16_t CursorCrossImage = -38;
// Screen pixels per millimetre: a picture shows at 150 dots per inch.
constexpr double PicturePixelsPerMm = 5.905511811023622;

}  // namespace

const TdocShapeClass& TdocBitmapShape::StaticClass() {
  static const TdocShapeClass info{"TdocBitmapShape", [] { return std::unique_ptr<TdocShape>(new TdocBitmapShape); }};
  return info;
}

TdocBitmapShape::TdocBitmapShape() : Image(MakeResource<TdocBitmapResource>()) {
  Cursor = CursorCrossImage;
  Image->OnFileLoaded = [this](TPersistent*) { ImageChanged(); };
  Image->OnChange = [this](TPersistent*) { Refresh(); };
}

TdocBitmapShape::~TdocBitmapShape() {
  Image->OnFileLoaded = nullptr;
  Image->OnChange = nullptr;
}

void TdocBitmapShape::ImageChanged() {
  TdocResourceAccess access(*Image);
  const std::shared_ptr<const TBitmap32> picture = Image->GetSharedBitmap();
  if (picture == nullptr) return;
  SetDocBounds(GetDocLeft(), GetDocTop(), static_cast<float>(picture->GetWidth() / PicturePixelsPerMm),
               static_cast<float>(picture->GetHeight() / PicturePixelsPerMm));
  LockAspectRatio();
  RefreshAll();
}

void TdocBitmapShape::CollectArchiveNames(TStringList& list) const {
  TdocEffectShape::CollectArchiveNames(list);
  Image->CollectArchiveNames(list);
}

void TdocBitmapShape::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  TdocEffectShape::RenameArchiveNames(renames);
  Image->RenameArchiveNames(renames);
}

void TdocBitmapShape::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) {
  TdocResourceAccess access(*Image);
  std::shared_ptr<const TBitmap32> picture;
  try {
    picture = Image->GetSharedBitmap();
  } catch (const Exception&) {
    return;  // a picture that cannot be decoded draws as no picture
  }
  if (picture == nullptr || picture->IsEmpty()) return;
  imaging::SetBitmapStretchFilter(bitmap, options.StretchFilter);
  const TRect target{GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom()};
  imaging::StretchTransferBitmap(&bitmap, target, bitmap.BoundsRect(), picture.get(), picture->BoundsRect(),
                        bitmap.GetResampler(), bitmap.GetDrawMode(), bitmap.OnPixelCombine);
}

void TdocBitmapShape::SetDocument(TdocServices* document) {
  TdocEffectShape::SetDocument(document);
  Image->SetOwner(dynamic_cast<TdocResourceHost*>(document));
}

TdocStorageMode TdocBitmapShape::GetStorageMode() const {
  return static_cast<TdocStorageMode>(Image->GetStorageMode());
}

void TdocBitmapShape::SetStorageMode(TdocStorageMode mode) {
  Image->SetStorageMode(static_cast<TdocResourceStorage>(mode));
}

void TdocBitmapShape::LoadFromXml(TXmlNode* node) {
  TdocEffectShape::LoadFromXml(node);
  const TXmlNode* image = node->FindChild("Image");
  if (image == nullptr) return;
  Image->LoadFromXml(*image);
  // A refused picture file leaves the shape in place, without its picture.
  if (const std::string problem = Image->TakeLoadProblem(); !problem.empty()) DoLoadError(problem);
}

void TdocBitmapShape::SaveToXml(TXmlNode& node) const {
  TdocEffectShape::SaveToXml(node);
  Image->SaveToXml(*node.AddChild("Image"));
}
