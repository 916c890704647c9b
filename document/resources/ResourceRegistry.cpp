#include "document/resources/ResourceRegistry.h"

#include <algorithm>

#include "document/resources/BitmapResource.h"

namespace document {
namespace {

std::vector<TResourceClassHolder>& Holders() {
  static std::vector<TResourceClassHolder> holders;
  return holders;
}

}  // namespace

void RegisterResourceClass(const TResourceClass& resourceClass) {
  auto& holders = Holders();
  const bool listed = std::any_of(holders.begin(), holders.end(), [&](const TResourceClassHolder& holder) {
    return holder.ResourceClass == &resourceClass;
  });
  if (!listed) holders.push_back({&resourceClass, resourceClass.ClassName});
}

const TResourceClass* FindResourceClass(std::string_view name) {
  for (const TResourceClassHolder& holder : Holders())
    if (holder.ClassName == name) return holder.ResourceClass;
  return nullptr;
}

const std::vector<TResourceClassHolder>& ResourceClasses() { return Holders(); }

void RegisterResourceClasses() {
  RegisterResourceClass(TdocResource::Class());
  RegisterResourceClass(TdocBitmapResource::Class());
}

void UnregisterResourceClasses() { Holders().clear(); }

}  // namespace document
