#pragma once
// A persistent object whose interface references may be counted: only an
// object that asks for it is counted, and then it frees itself when the last
// reference goes. Interfaces themselves are abstract classes reached by
// dynamic_cast. A counted object is destroyed through Release or Free,
// never by a plain delete, so that references still held are caught.

#include <atomic>
#include <cstdint>

#include "platform/rtl/Persistent.h"

class TPlainInterfacedPersistent : public TPersistent {
public:
  TPlainInterfacedPersistent() = default;
  TPlainInterfacedPersistent(const TPlainInterfacedPersistent&) = delete;
  TPlainInterfacedPersistent& operator=(const TPlainInterfacedPersistent&) = delete;
  ~TPlainInterfacedPersistent() override = default;

  // Destroys the object (nothing for null). A counted object that still has
  // references is kept, and EInvalidOperation "Unmatched reference
  // counting." is raised: its holders would use it after this.
  static void Free(TPlainInterfacedPersistent* object);

  std::string ClassName() const override { return "TPlainInterfacedPersistent"; }

  // The new count, or -1 for an object that is not counted.
  std::int32_t AddRef();
  // The new count, or -1 for an object that is not counted; a counted object
  // created with new is deleted when its count reaches 0.
  std::int32_t Release();

  bool GetRefCounted() const { return RefCounted; }
  // Counting is chosen before the first reference is taken.
  void SetRefCounted(bool value) { RefCounted = value; }
  std::int32_t GetRefCount() const { return RefCount.load(); }

private:
  bool RefCounted = false;
  std::atomic<std::int32_t> RefCount{0};
};
