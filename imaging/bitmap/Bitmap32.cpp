#include "imaging/bitmap/Bitmap32.h"

#include "platform/gdi/Bitmap.h"

TBitmap32::TBitmap32() {
  auto backend = std::make_unique<TGDIBackend>(*this);
  GdiBackend = backend.get();
  backend->OnCanvasChange = [this](TPersistent*) { Changed(); };
  SetBackend(std::move(backend));
}

void TBitmap32::SurfaceChanged() {
  TCustomBitmap32::SurfaceChanged();
  if (OnHandleChanged) OnHandleChanged(this);
}

void TBitmap32::Assign(const TPersistent* source) {
  TCustomBitmap32::Assign(source);
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) SetFont(bitmap->GetCanvas().GetFont());
}

void TBitmap32::AssignTo(TPersistent* dest) const {
  TCustomBitmap32::AssignTo(dest);
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) bitmap->GetCanvas().SetFont(GetFont());
}

void TBitmap32::CopyPropertiesTo(TCustomBitmap32& dest) const {
  TCustomBitmap32::CopyPropertiesTo(dest);
  if (auto* bitmap = dynamic_cast<TBitmap32*>(&dest)) bitmap->SetFont(GetFont());
}
