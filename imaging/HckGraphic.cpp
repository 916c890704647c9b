#include "imaging/HckGraphic.h"

#include "imaging/CustomBitmap32.h"
#include "imaging/HckImage.h"

void THckGraphic::LoadFromStream(TStream& stream) {
  TCustomBitmap32 pixels;
  THckImage image;
  image.LoadFromStream(stream, pixels, 0, TSize{0, 0});
  Assign(&pixels);
}
