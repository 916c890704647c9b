#include "document/resources/ResourceThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <exception>
#include <memory>

#include "document/resources/ResourceCache.h"

namespace {

// Trimming may wait for the main thread; it never should make it wait.
constexpr int kNiceIncrement = 5;

void LowerThreadPriority() {
  const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), current + kNiceIncrement);
}

}  // namespace

TdocResourceThread::TdocResourceThread(TdocResourceCache& cache, TTickSource ticks)
    : Cache(cache),
      Ticks(ticks ? std::move(ticks) : TTickSource(&SystemTicks)),
      LastPurge(Ticks()),
      Thread([this] { Execute(); }) {}

TdocResourceThread::~TdocResourceThread() {
  {
    std::lock_guard guard(StopLock);
    Stopping = true;
  }
  StopSignal.notify_all();
  Thread.join();
}

bool TdocResourceThread::PurgeDue(std::uint32_t now, std::uint32_t lastPurge, int touches) {
  return static_cast<std::uint32_t>(now - lastPurge) > kPurgeInterval && touches > kTouchThreshold;
}

std::uint32_t TdocResourceThread::SystemTicks() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void TdocResourceThread::Execute() {
  LowerThreadPriority();
  std::unique_lock lock(StopLock);
  while (!Stopping) {
    lock.unlock();
    Step();
    lock.lock();
    StopSignal.wait_for(lock, kWakeInterval, [this] { return Stopping; });
  }
}

void TdocResourceThread::Step() {
  const std::uint32_t now = Ticks();
  if (!PurgeDue(now, LastPurge, Cache.GetTouches())) return;
  try {
    Cache.Purge();
  } catch (const std::exception&) {
    // A failed trim only leaves memory in use; the next one tries again.
  }
  LastPurge = now;
  Cache.ResetTouches();
  PurgeCount.fetch_add(1);
}

namespace document {
namespace {

// Built after the cache it trims, so that at the end of the program the
// thread is joined before the cache goes away.
struct TThreadHolder {
  TThreadHolder() : Cache(ResourceCache()) {}
  TdocResourceCache& Cache;
  std::unique_ptr<TdocResourceThread> Thread;
};

std::unique_ptr<TdocResourceThread>& CacheThread() {
  static TThreadHolder holder;
  return holder.Thread;
}

}  // namespace

void StartResourceCacheThread() {
  if (!CacheThread()) CacheThread() = std::make_unique<TdocResourceThread>(ResourceCache());
}

void StopResourceCacheThread() { CacheThread().reset(); }

bool ResourceCacheThreadRunning() { return CacheThread() != nullptr; }

}  // namespace document
