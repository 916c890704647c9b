#pragma once
// How many scans a progressive picture may have, and how much decoding they
// may ask for. Progressive data can repeat a scan any number of times: a few
// kilobytes of scans that only carry end-of-band runs make the decoder walk
// every block of a large picture again for each of them.
//
// A legal progression codes each coefficient of a component by at most 14
// scans (a first scan and at most 13 refinements, one bit each), so its
// scans cover at most 64 x 14 coefficients per block of a component: that
// ceiling never refuses a file a conforming encoder wrote. Encoders write
// about 10 scans, a few dozen at most even with one scan per component;
// 64 scans of one component are far above that and bound the walks over
// the blocks, which cost time even where a scan codes a single coefficient.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/jpeg/JpegTypes.h"

namespace jpeg {

constexpr int kMaxScansPerComponent = 64;
constexpr int kMaxCoefficientPasses = 64 * 14;

enum class TScanRefusal { Scans, CoefficientPasses };

// The message of a refusal (count past limit); empty for the English one.
using TScanRefusalWording = std::function<std::string(TScanRefusal kind, int count, int limit)>;
// Replaces the English wording; an empty function restores it.
void SetScanRefusalWording(TScanRefusalWording wording);
std::string ScanRefusalText(TScanRefusal kind, int count, int limit);

// What the scans of one progressive frame have asked for so far, per frame
// component.
class TScanBudget {
public:
  // Counts the current scan of info (its components, coefficients Ss..Se)
  // before it is decoded; raises EInvalidGraphic, in the wording above, when
  // it takes one of its components past a limit.
  void Charge(const TsdJpegCodingInfo& info);

private:
  std::array<int, kMaxComponents> Scans{};
  std::array<int, kMaxComponents> CoefficientPasses{};
};

}  // namespace jpeg
