#include "document/StartUp.h"

#include <mutex>

#include "document/ClassRegistry.h"
#include "imaging/startup/SubsystemStartUp.h"

namespace document {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    imaging::StartUpSubsystem();
    RegisterShapeClass(TdocShape::StaticClass());
  });
}

}  // namespace document
