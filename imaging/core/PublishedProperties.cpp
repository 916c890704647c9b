#include "imaging/core/PublishedProperties.h"

#include <algorithm>

namespace imaging {

namespace {

std::vector<TPropInfo> PropertiesOf(const TPersistent& object) {
  std::vector<TPropInfo> list;
  if (const auto* published = dynamic_cast<const IPublishedProperties*>(&object))
    published->ListPublishedProperties(list);
  return list;
}

}  // namespace

void CopyPublishedProperties(const TPersistent& source, TPersistent& dest, TTypeKinds kinds) {
  const std::vector<TPropInfo> destProperties = PropertiesOf(dest);
  for (const TPropInfo& property : PropertiesOf(source)) {
    if ((kinds & TypeKindBit(property.Kind)) == 0) continue;
    const auto target = std::find_if(destProperties.begin(), destProperties.end(), [&](const TPropInfo& p) {
      return p.Name == property.Name && p.Kind == property.Kind;
    });
    if (target == destProperties.end()) continue;
    const TPropertyValue value = property.Get(source);
    if (property.Kind == tkClass) {
      auto* sourceObject = std::get<TPersistent*>(value);
      auto* destObject = std::get<TPersistent*>(target->Get(dest));
      if (sourceObject != nullptr && destObject != nullptr) {
        destObject->Assign(sourceObject);
        continue;
      }
    }
    if (target->Set != nullptr) target->Set(dest, value);
  }
}

}  // namespace imaging
