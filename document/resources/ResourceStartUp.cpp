#include "document/resources/ResourceStartUp.h"

#include "document/resources/ResourceRegistry.h"
#include "document/resources/ResourceThread.h"

namespace document {

void StartUpResources() {
  RegisterResourceClasses();
  StartResourceCacheThread();
}

void ShutDownResources() {
  StopResourceCacheThread();
  UnregisterResourceClasses();
}

}  // namespace document
