#pragma once
// Mapping tables of the kernel resampler: for each destination position of
// a clip range, the source positions it takes and their weights in units of
// 1/256, summing to exactly 256.

#include <cstdint>
#include <span>
#include <vector>

class TCustomKernel;

struct TMappingEntry {
  std::int32_t Pos;
  std::int32_t Weight;
  friend bool operator==(const TMappingEntry&, const TMappingEntry&) = default;
};

class TMappingTable {
public:
  // Destination positions.
  std::size_t Count() const { return Starts.size() - 1; }
  std::span<const TMappingEntry> operator[](std::size_t index) const {
    return {Entries.data() + Starts[index], Entries.data() + Starts[index + 1]};
  }

  void Append(TMappingEntry entry) { Entries.push_back(entry); }
  // Ends the list of the current position (started by the last EndList).
  void EndList() { Starts.push_back(static_cast<std::uint32_t>(Entries.size())); }
  std::span<TMappingEntry> CurrentList() { return {Entries.data() + Starts.back(), Entries.data() + Entries.size()}; }

private:
  std::vector<std::uint32_t> Starts{0};
  std::vector<TMappingEntry> Entries;
};

namespace imaging {

// A kernel value in units of 1/256 at the given scale, rounded and held
// within 16 bits (only kernels with absurd settings reach that bound; it
// keeps every sum of the resampler finite). NaN counts as 0.
std::int32_t KernelWeight(float filterValue, double scale);

// The table of destination positions clipLo .. clipHi - 1 of the range
// dstLo .. dstHi, mapped onto source positions srcLo .. srcHi - 1 through the
// kernel (stretched by the scale when shrinking). Source positions are held
// within srcLo .. srcHi - 1. Empty when either range or the clip is empty.
TMappingTable BuildMappingTable(std::int32_t dstLo, std::int32_t dstHi, std::int32_t clipLo, std::int32_t clipHi,
                                std::int32_t srcLo, std::int32_t srcHi, const TCustomKernel& kernel);

}  // namespace imaging
