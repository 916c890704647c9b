#pragma once
// High-resolution timer in microseconds, the millisecond tick count and the
// number of processors.

#include <cstdint>

class TPerfTimer {
public:
  TPerfTimer();
  void Start();
  // Microseconds since Start, rounded.
  std::int64_t ReadValue() const;

private:
  std::int64_t Frequency;
  std::int64_t StartValue = 0;
};

namespace imaging {

std::uint32_t GetTickCount();
int GetProcessorCount();

}  // namespace imaging
