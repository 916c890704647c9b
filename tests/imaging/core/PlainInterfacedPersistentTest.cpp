// Optional reference counting of the raster library's persistent objects.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "imaging/core/ThreadPersistent.h"
#include "platform/rtl/Exception.h"

namespace {

// A notifiable object (the base of bitmaps and resamplers) that reports its end.
class TWatched : public TNotifiablePersistent {
public:
  explicit TWatched(bool& destroyed) : Destroyed(destroyed) {}
  ~TWatched() override { Destroyed = true; }

private:
  bool& Destroyed;
};

TEST(PlainInterfacedPersistent, AnUncountedObjectCountsNothing) {
  bool destroyed = false;
  auto* object = new TWatched(destroyed);
  EXPECT_FALSE(object->GetRefCounted());
  EXPECT_EQ(object->AddRef(), -1);
  EXPECT_EQ(object->AddRef(), -1);
  EXPECT_EQ(object->Release(), -1);
  EXPECT_EQ(object->GetRefCount(), 0);
  EXPECT_FALSE(destroyed);
  TPlainInterfacedPersistent::Free(object);  // references are not its business
  EXPECT_TRUE(destroyed);
}

TEST(PlainInterfacedPersistent, ACountedObjectGoesWithItsLastReference) {
  bool destroyed = false;
  auto* object = new TWatched(destroyed);
  object->SetRefCounted(true);
  EXPECT_EQ(object->GetRefCount(), 0);  // built, no reference yet
  EXPECT_EQ(object->AddRef(), 1);
  EXPECT_EQ(object->AddRef(), 2);
  try {
    TPlainInterfacedPersistent::Free(object);
    FAIL() << "freed while referenced";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Unmatched reference counting.");
  }
  EXPECT_FALSE(destroyed);  // kept for the holders of the references
  EXPECT_EQ(object->Release(), 1);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(object->Release(), 0);
  EXPECT_TRUE(destroyed);
}

TEST(PlainInterfacedPersistent, ReferencesFromManyThreadsAreCountedExactly) {
  bool destroyed = false;
  auto* object = new TWatched(destroyed);
  object->SetRefCounted(true);
  object->AddRef();  // held by the test throughout
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([object] {
      for (int i = 0; i < 20000; ++i) {
        object->AddRef();
        object->Release();
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(object->GetRefCount(), 1);
  EXPECT_FALSE(destroyed);
  object->Release();
  EXPECT_TRUE(destroyed);
}

}  // namespace
