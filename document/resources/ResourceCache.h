#pragma once
// The cache of all resources of the process, most recently used first, and
// the one re-entrant lock that guards it and every access to a resource's
// data. Trimming (Purge) keeps the ten most recently used resources loaded
// within the memory budget and unloads the others.

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

class TdocResource;

class TdocResourceCache {
public:
  static constexpr int kKeptResources = 10;
  static constexpr std::int64_t kDefaultBudget = 104857600;

  TdocResourceCache() = default;
  TdocResourceCache(const TdocResourceCache&) = delete;
  TdocResourceCache& operator=(const TdocResourceCache&) = delete;

  std::recursive_mutex& GetLock() { return Lock; }

  // Inserts the resource at the front when it is not listed.
  void Add(TdocResource* resource);
  void Remove(TdocResource* resource);
  // Moves a listed resource that is not first to the front and counts the use.
  void Touch(TdocResource* resource);
  // Walks the list under the lock: a prefix of at most kKeptResources stays
  // loaded while the running total of their memory is within the budget;
  // every other resource is unloaded. A resource that fails to unload stays
  // loaded. Nothing happens with kKeptResources resources or fewer.
  void Purge();

  int GetCount();
  // Uses counted since the last ResetTouches.
  int GetTouches() const { return Touches.load(std::memory_order_relaxed); }
  void ResetTouches() { Touches.store(0, std::memory_order_relaxed); }
  std::int64_t GetBudget() const { return Budget.load(std::memory_order_relaxed); }
  void SetBudget(std::int64_t bytes) { Budget.store(bytes, std::memory_order_relaxed); }

private:
  std::recursive_mutex Lock;
  std::list<TdocResource*> Entries;
  std::unordered_map<TdocResource*, std::list<TdocResource*>::iterator> Places;
  std::atomic<int> Touches{0};
  std::atomic<std::int64_t> Budget{kDefaultBudget};
};

// Holds the resource cache lock for its lifetime.
class TResourceCacheLock {
public:
  TResourceCacheLock();
  ~TResourceCacheLock();
  TResourceCacheLock(const TResourceCacheLock&) = delete;
  TResourceCacheLock& operator=(const TResourceCacheLock&) = delete;
};

namespace document {

// The process's one cache; it exists from its first use to the end of the
// program, so the lock is always there whether the cache thread runs or not.
TdocResourceCache& ResourceCache();

void ResourceCacheAdd(TdocResource* resource);
void ResourceCacheRemove(TdocResource* resource);
void ResourceCacheTouch(TdocResource* resource);
// Re-entrant for the owning thread. Prefer TResourceCacheLock.
void ResourceCacheLock();
void ResourceCacheUnlock();
// Trims at once (the document calls it after each page it saves).
void ResourceCachePurge();

}  // namespace document
