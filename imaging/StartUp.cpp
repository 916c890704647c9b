#include "imaging/StartUp.h"

#include <mutex>

#include "imaging/Blend.h"
#include "imaging/BmpFormat.h"
#include "imaging/Color32.h"
#include "imaging/HckImage.h"
#include "imaging/LowLevel.h"
#include "imaging/Resamplers.h"

namespace imaging {
namespace {

// The order decides which format wins an extension or a file's content.
void RegisterRasterFormats() {
  TdocBmpFormat::Register();
  // The JPEG format registers here, between BMP and HCK.
  THckImage::Register();
}

}  // namespace

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterLowLevelBindings();
    RegisterBlendBindings();
    RegisterResamplers();
    SetGamma(0.7);
    RegisterRasterFormats();
  });
}

}  // namespace imaging
