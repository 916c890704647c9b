#pragma once
// The resource classes by the names stored in "ClassName", filled by the
// start-up of the document subsystem and read-only afterwards.

#include <string>
#include <string_view>
#include <vector>

#include "document/resources/Resource.h"

struct TResourceClassHolder {
  const TResourceClass* ResourceClass;
  std::string ClassName;
};

namespace document {

// Appends the class; a class already listed is ignored.
void RegisterResourceClass(const TResourceClass& resourceClass);
// The class stored under name (exact spelling), or nil.
const TResourceClass* FindResourceClass(std::string_view name);
const std::vector<TResourceClassHolder>& ResourceClasses();

// Registers TdocResource and TdocBitmapResource.
void RegisterResourceClasses();
// Empties the registry (shut-down).
void UnregisterResourceClasses();

}  // namespace document
