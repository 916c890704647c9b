#include "document/ResourceStartUp.h"

#include "document/ResourceRegistry.h"
#include "document/ResourceThread.h"

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
