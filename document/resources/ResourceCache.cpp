#include "document/resources/ResourceCache.h"

#include "document/resources/Resource.h"

void TdocResourceCache::Add(TdocResource* resource) {
  std::lock_guard guard(Lock);
  if (Places.contains(resource)) return;
  Entries.push_front(resource);
  Places.emplace(resource, Entries.begin());
}

void TdocResourceCache::Remove(TdocResource* resource) {
  std::lock_guard guard(Lock);
  const auto place = Places.find(resource);
  if (place == Places.end()) return;
  Entries.erase(place->second);
  Places.erase(place);
}

void TdocResourceCache::Touch(TdocResource* resource) {
  std::lock_guard guard(Lock);
  const auto place = Places.find(resource);
  if (place == Places.end() || place->second == Entries.begin()) return;
  Entries.splice(Entries.begin(), Entries, place->second);
  Touches.fetch_add(1, std::memory_order_relaxed);
}

int TdocResourceCache::GetCount() {
  std::lock_guard guard(Lock);
  return static_cast<int>(Entries.size());
}

void TdocResourceCache::Purge() {
  std::lock_guard guard(Lock);
  if (Entries.size() <= static_cast<std::size_t>(kKeptResources)) return;
  const std::int64_t budget = GetBudget();
  std::int64_t total = 0;
  int index = 0;
  for (TdocResource* resource : Entries) {
    if (index < kKeptResources && total <= budget) {
      total += resource->GetMemorySize();
    } else {
      try {
        resource->Unload();
      } catch (const std::exception&) {
        // Its bytes could not be stored: it stays loaded, nothing is lost.
      }
    }
    ++index;
  }
}

TResourceCacheLock::TResourceCacheLock() { document::ResourceCacheLock(); }

TResourceCacheLock::~TResourceCacheLock() { document::ResourceCacheUnlock(); }

namespace document {

TdocResourceCache& ResourceCache() {
  static TdocResourceCache cache;
  return cache;
}

void ResourceCacheAdd(TdocResource* resource) { ResourceCache().Add(resource); }

void ResourceCacheRemove(TdocResource* resource) { ResourceCache().Remove(resource); }

void ResourceCacheTouch(TdocResource* resource) { ResourceCache().Touch(resource); }

void ResourceCacheLock() { ResourceCache().GetLock().lock(); }

void ResourceCacheUnlock() { ResourceCache().GetLock().unlock(); }

void ResourceCachePurge() { ResourceCache().Purge(); }

}  // namespace document
