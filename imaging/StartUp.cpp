#include "imaging/StartUp.h"

#include <mutex>

#include "imaging/Blend.h"
#include "imaging/Color32.h"
#include "imaging/LowLevel.h"
#include "imaging/Resamplers.h"

namespace imaging {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterLowLevelBindings();
    RegisterBlendBindings();
    RegisterResamplers();
    SetGamma(0.7);
  });
}

}  // namespace imaging
