// Loading, using and trimming resources on several threads at once, with
// the cache thread running: every use sees its own picture, whole. Run
// under ThreadSanitizer by ./test.sh.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "document/resources/BitmapResource.h"
#include "document/resources/ResourceThread.h"
#include "tests/document/resources/ResourceTestSupport.h"
#include "xml/XmlDocument.h"

namespace {

using namespace resource_test;

constexpr int kResources = 24;
constexpr int kSide = 16;
// The threads run at least this long, and on until the users have made this
// many uses and the cache thread has trimmed once, however busy the machine
// (within a limit far beyond that).
constexpr auto kDuration = std::chrono::seconds(2);
constexpr int kLeastUses = 1000;
constexpr auto kLimit = std::chrono::seconds(60);

struct Shared {
  TestHost Host;
  std::vector<TResourcePtr<TdocBitmapResource>> Resources;
  std::vector<std::string> Xml;  // empty for resources kept nowhere
  std::vector<TColor32> Expected;
  std::atomic<bool> Stop{false};
  std::atomic<int> Wrong{0};
  std::atomic<int> Uses{0};
};

TdocResourceStorage StorageOf(int index) {
  constexpr TdocResourceStorage kStorages[] = {rsEmbedded, rsArchive, rsNone};
  return kStorages[index % 3];
}

void Prepare(Shared& shared) {
  for (int i = 0; i < kResources; ++i) {
    TBitmap32 picture;
    FillPicture(picture, kSide, kSide, static_cast<std::uint32_t>(i));
    auto resource = MakeResource<TdocBitmapResource>();
    resource->SetOwner(&shared.Host);
    resource->SetStorageMode(StorageOf(i));
    resource->SetBitmap(&picture);
    TXmlDocument document("Image");
    resource->SaveToXml(*document.GetRoot());
    shared.Xml.push_back(StorageOf(i) == rsNone ? std::string() : document.WriteToString());
    shared.Expected.push_back(picture.GetPixel(kSide - 1, kSide - 1));
    shared.Resources.push_back(std::move(resource));
  }
}

void Use(Shared& shared, unsigned seed) {
  std::mt19937 random(seed);
  while (!shared.Stop) {
    const auto i = static_cast<std::size_t>(random() % kResources);
    TdocResource& resource = *shared.Resources[i];
    TdocResourceAccess access(resource);
    const TBitmap32* bitmap = shared.Resources[i]->GetBitmap();
    if (bitmap == nullptr || bitmap->GetWidth() != kSide || bitmap->GetPixel(kSide - 1, kSide - 1) != shared.Expected[i])
      ++shared.Wrong;
    ++shared.Uses;
  }
}

// Reads resources back from their XML and moves them between the archive
// and the XML, as loading pages and changing storage do.
void Load(Shared& shared) {
  std::mt19937 random(99);
  while (!shared.Stop) {
    const auto i = static_cast<std::size_t>(random() % kResources);
    if (shared.Xml[i].empty()) continue;
    TXmlDocument document;
    document.ReadFromString(shared.Xml[i]);
    TdocBitmapResource& resource = *shared.Resources[i];
    TdocResourceAccess access(resource);
    resource.LoadFromXml(*document.GetRoot());
    resource.SetStorageMode(resource.GetStorageMode() == rsArchive ? rsEmbedded : rsArchive);
    resource.SetStorageMode(StorageOf(static_cast<int>(i)));
  }
}

void Trim(Shared& shared, std::atomic<std::uint32_t>& now) {
  while (!shared.Stop) {
    document::ResourceCachePurge();
    now += 100;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

class ResourceStress : public ResourceTest {};

TEST_F(ResourceStress, LoadUseAndTrimOnSeveralThreads) {
  Shared shared;
  Prepare(shared);
  // Room for about three pictures: most uses find theirs trimmed.
  document::ResourceCache().SetBudget(3 * kSide * kSide * 4);
  std::atomic<std::uint32_t> now{0};
  TdocResourceThread cacheThread(document::ResourceCache(), [&] { return now.load(); });
  std::vector<std::thread> threads;
  for (unsigned seed = 1; seed <= 3; ++seed) threads.emplace_back(Use, std::ref(shared), seed);
  threads.emplace_back(Load, std::ref(shared));
  threads.emplace_back(Trim, std::ref(shared), std::ref(now));
  const auto start = std::chrono::steady_clock::now();
  const auto busy = [&] {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed < kDuration) return true;
    return elapsed < kLimit && (shared.Uses < kLeastUses || cacheThread.GetPurgeCount() == 0);
  };
  while (busy()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  shared.Stop = true;
  for (auto& thread : threads) thread.join();
  RecordProperty("uses", shared.Uses.load());
  RecordProperty("trims", cacheThread.GetPurgeCount());
  EXPECT_EQ(shared.Wrong, 0);
  EXPECT_GE(shared.Uses, kLeastUses);
  EXPECT_GT(cacheThread.GetPurgeCount(), 0);
}

}  // namespace
