#pragma once
// TdocResourceThread: the one background thread of the program. It wakes
// every 10 ms and trims the resource cache when more than 2000 ms have
// passed since its last trim and more than 20 resource uses were counted.
// It is joined when it is destroyed, so it never outlives what it trims.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class TdocResourceCache;

// Milliseconds of a clock that wraps around at 2^32, as tick counts do.
using TTickSource = std::function<std::uint32_t()>;

class TdocResourceThread {
public:
  static constexpr std::uint32_t kPurgeInterval = 2000;
  static constexpr int kTouchThreshold = 20;
  static constexpr std::chrono::milliseconds kWakeInterval{10};

  // Starts at once with lower than normal priority; ticks defaults to a
  // monotonic clock.
  explicit TdocResourceThread(TdocResourceCache& cache, TTickSource ticks = {});
  ~TdocResourceThread();
  TdocResourceThread(const TdocResourceThread&) = delete;
  TdocResourceThread& operator=(const TdocResourceThread&) = delete;

  // Whether a trim is due (the tick difference taken modulo 2^32).
  static bool PurgeDue(std::uint32_t now, std::uint32_t lastPurge, int touches);
  static std::uint32_t SystemTicks();

  // Trims run by the thread so far.
  int GetPurgeCount() const { return PurgeCount.load(); }
  std::thread::native_handle_type GetNativeHandle() { return Thread.native_handle(); }

private:
  void Execute();
  void Step();

  TdocResourceCache& Cache;
  TTickSource Ticks;
  std::uint32_t LastPurge;
  std::atomic<int> PurgeCount{0};
  std::mutex StopLock;
  std::condition_variable StopSignal;
  bool Stopping = false;
  std::thread Thread;  // last: starts once everything above is built
};

namespace document {

// The cache thread of the program, started by the document subsystem's
// start-up and joined by its shut-down; both are idempotent.
void StartResourceCacheThread();
void StopResourceCacheThread();
bool ResourceCacheThreadRunning();

}  // namespace document
