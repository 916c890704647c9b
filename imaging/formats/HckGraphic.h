#pragma once
// THckGraphic: HCK pictures as a platform bitmap, loaded whole (never
// reduced) into 32-bit pixels.

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Picture.h"
#include "platform/rtl/Stream.h"

class THckGraphic : public TBitmap {
public:
  std::string ClassName() const override { return "THckGraphic"; }
  static const TGraphicClass& GraphicClass();
  // Registers the class with the picture registry as "HCK Image" for "HCK".
  static void Register();
  // Loads the first page at the stream's position; errors as THckImage's.
  void LoadFromStream(TStream& stream) override;
};
