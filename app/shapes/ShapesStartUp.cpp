#include "app/shapes/ShapesStartUp.h"

#include <mutex>

#include "app/shapes/BarcodeShape.h"
#include "document/shape/ClassRegistry.h"
#include "document/core/StartUp.h"

namespace app {

void StartUpShapes() {
  static std::once_flag once;
  std::call_once(once, [] {
    document::StartUp();
    RegisterShapeClass(TdocBarCodeShape::StaticClass());
  });
}

}  // namespace app
