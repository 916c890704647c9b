#include "imaging/StartUp.h"

#include <mutex>

#include "imaging/Blend.h"
#include "imaging/Color32.h"
#include "imaging/LowLevel.h"

namespace imaging {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterLowLevelBindings();
    RegisterBlendBindings();
    SetGamma(0.7);
  });
}

}  // namespace imaging
