#include "document/StartUp.h"

#include <mutex>

#include "document/ClassRegistry.h"
#include "document/EffectShape.h"
#include "document/ResourceRegistry.h"
#include "document/TextShape.h"
#include "imaging/startup/SubsystemStartUp.h"

namespace document {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    imaging::StartUpSubsystem();
    RegisterShapeClass(TdocShape::StaticClass());
    RegisterShapeClass(TdocEffectShape::StaticClass());
    RegisterShapeClass(TdocGroupShape::StaticClass());
    RegisterShapeClass(TdocTextShape::StaticClass());
    RegisterShapeClass(TdocMemoShape::StaticClass());
    RegisterEffectClass(TdocEffect::StaticClass(), 0);
    RegisterResourceClasses();
  });
}

}  // namespace document
