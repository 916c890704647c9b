#include "imaging/startup/CoreStartUp.h"

#include <mutex>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/Color32.h"
#include "imaging/core/LowLevel.h"
#include "imaging/core/MaskFilters.h"
#include "imaging/core/MicroTiles.h"
#include "imaging/resample/Resamplers.h"

namespace imaging {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterLowLevelBindings();
    RegisterBlendBindings();
    RegisterResamplers();
    RegisterMicroTilesBindings();
    RegisterFiltersBindings();
    SetGamma(0.7);
  });
}

}  // namespace imaging
