#include "imaging/formats/HckGraphic.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckImage.h"

const TGraphicClass& THckGraphic::GraphicClass() {
  static const TGraphicClass record{
      "THckGraphic", []() -> std::unique_ptr<TGraphic> { return std::make_unique<THckGraphic>(); }};
  return record;
}

void THckGraphic::Register() { TPicture::RegisterFileFormat("HCK", "HCK Image", GraphicClass()); }

void THckGraphic::LoadFromStream(TStream& stream) {
  TCustomBitmap32 pixels;
  THckImage image;
  image.LoadFromStream(stream, pixels, 0, TSize{0, 0});
  Assign(&pixels);
}
