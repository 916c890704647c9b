#include "document/shapes/SnapBitmap.h"

#include <cmath>

#include "document/shapes/PlaceHolder.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

constexpr float FrameWidth = 120.0f;
constexpr float FrameHeight = 80.0f;

}  // namespace

const TdocShapeClass& TdocSnapBitmap::StaticClass() {
  static const TdocShapeClass info{"TdocSnapBitmap", [] { return std::unique_ptr<TdocShape>(new TdocSnapBitmap); }};
  return info;
}

TdocSnapBitmap::TdocSnapBitmap() {
  document::AddPlaceHolderParts(*this, FrameWidth, FrameHeight);
  SetDocBounds(GetDocLeft(), GetDocTop(), FrameWidth, FrameHeight);
  // From now on the parts follow the frame by their anchors.
  SetGrouped(true);
}

bool TdocSnapBitmap::ShapeAtPoint(const TPoint& screenPoint, TdocShape*& shape) {
  const bool hit = TdocBitmapShape::ShapeAtPoint(screenPoint, shape);
  if (hit && shape != nullptr) shape = this;
  return hit;
}

void TdocSnapBitmap::ImageChanged() {
  TdocResourceAccess access(GetImage());
  const std::shared_ptr<const TBitmap32> picture = GetImage().GetSharedBitmap();
  for (int i = 0; i < GetShapeCount(); ++i) GetShapes(i)->SetVisible(picture == nullptr);
  if (picture == nullptr) return;
  const double pictureArea = static_cast<double>(picture->GetWidth()) * picture->GetHeight();
  const double frameArea = double{GetDocWidth()} * GetDocHeight();
  if (pictureArea == 0 || frameArea == 0) return;
  const double k = std::sqrt(pictureArea / frameArea);
  const auto width = static_cast<float>(picture->GetWidth() / k);
  const auto height = static_cast<float>(picture->GetHeight() / k);
  SetDocBounds(GetDocLeft() + (GetDocWidth() - width) / 2, GetDocTop() + (GetDocHeight() - height) / 2, width, height);
  LockAspectRatio();
  RefreshAll();
}
