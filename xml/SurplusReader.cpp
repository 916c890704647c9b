#include "xml/SurplusReader.h"

#include <algorithm>

std::string_view TsdSurplusReader::Peek() {
  Surplus.erase(0, Used);
  Used = 0;
  char block[65536];
  for (std::int64_t n; (n = Stream.Read(block, sizeof block)) > 0;) Surplus.append(block, static_cast<std::size_t>(n));
  return Surplus;
}

void TsdSurplusReader::Consume(std::size_t count) { Used = std::min(Surplus.size(), Used + count); }
