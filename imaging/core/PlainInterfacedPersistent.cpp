#include "imaging/core/PlainInterfacedPersistent.h"

#include "platform/rtl/Exception.h"

void TPlainInterfacedPersistent::Free(TPlainInterfacedPersistent* object) {
  if (object && object->RefCounted && object->RefCount.load() != 0)
    throw EInvalidOperation("Unmatched reference counting.");
  delete object;
}

std::int32_t TPlainInterfacedPersistent::AddRef() {
  if (!RefCounted) return -1;
  return ++RefCount;
}

std::int32_t TPlainInterfacedPersistent::Release() {
  if (!RefCounted) return -1;
  const std::int32_t count = --RefCount;
  if (count == 0) delete this;
  return count;
}
