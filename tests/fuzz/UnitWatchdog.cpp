// A watchdog of the fuzz targets' own. libFuzzer's -timeout was not always
// heard (units of 12 to 23 s went by unreported), so every target is linked
// with --wrap=LLVMFuzzerTestOneInput: libFuzzer then calls the wrapper
// below, which times the target's own function. A thread of the watchdog
// looks at the clock; a unit that runs past LABEL_FUZZ_UNIT_SECONDS (10 by
// default) is reported and aborted, whichever thread is busy, and libFuzzer
// keeps the unit as it does for any crash.
//
// libFuzzer may run one input twice in a row (it runs it again to look for
// a leak): the second run goes on the first one's clock, so a unit is timed
// as a whole, both runs together.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

extern "C" int __real_LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using TClock = std::chrono::steady_clock;

std::int64_t UnitLimitSeconds() {
  const char* text = std::getenv("LABEL_FUZZ_UNIT_SECONDS");
  const long seconds = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return seconds > 0 ? seconds : 10;
}

// When the running unit started, in clock ticks; 0 between units.
std::atomic<TClock::rep> UnitStart{0};

[[noreturn]] void ReportSlowUnit(std::int64_t limit) {
  std::fprintf(stderr, "==%d== ERROR: fuzz unit watchdog: a unit ran for more than %lld s\n", ::getpid(),
               static_cast<long long>(limit));
  std::fflush(stderr);
  std::abort();
}

void Watch(std::int64_t limit) {
  const auto allowed = std::chrono::duration_cast<TClock::duration>(std::chrono::seconds(limit)).count();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const TClock::rep start = UnitStart.load();
    if (start != 0 && TClock::now().time_since_epoch().count() - start > allowed) ReportSlowUnit(limit);
  }
}

// The input of the last run when it was a first run, and the time it took;
// only the thread libFuzzer calls the target on touches them.
std::optional<std::vector<std::uint8_t>> FirstRunInput;
TClock::duration FirstRunSpent{};

bool RepeatsFirstRun(const std::uint8_t* data, std::size_t size) {
  return FirstRunInput && size == FirstRunInput->size() &&
         (size == 0 || std::equal(data, data + size, FirstRunInput->begin()));
}

void StartWatchOnce() {
  static const bool started = [] {
    std::thread(Watch, UnitLimitSeconds()).detach();
    return true;
  }();
  (void)started;
}

}  // namespace

extern "C" int __wrap_LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StartWatchOnce();
  const bool repeat = RepeatsFirstRun(data, size);
  const TClock::time_point start = TClock::now() - (repeat ? FirstRunSpent : TClock::duration{});
  UnitStart.store(start.time_since_epoch().count());
  const int result = __real_LLVMFuzzerTestOneInput(data, size);
  UnitStart.store(0);
  if (repeat) {
    FirstRunInput.reset();
  } else {
    FirstRunInput.emplace(data, data + size);
    FirstRunSpent = TClock::now() - start;
  }
  return result;
}
