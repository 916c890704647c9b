#include "imaging/core/PerfTimer.h"

#include <chrono>
#include <thread>

#include "platform/rtl/Numbers.h"

namespace {

std::int64_t Counter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TPerfTimer::TPerfTimer() : Frequency(1'000'000'000) { Start(); }

void TPerfTimer::Start() { StartValue = Counter(); }

std::int64_t TPerfTimer::ReadValue() const {
  return rtl::Round64(static_cast<double>(Counter() - StartValue) * 1'000'000 / static_cast<double>(Frequency));
}

namespace imaging {

std::uint32_t GetTickCount() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}

int GetProcessorCount() {
  const unsigned count = std::thread::hardware_concurrency();
  return count == 0 ? 1 : static_cast<int>(count);
}

}  // namespace imaging
