#pragma once
// What the texts a label draws as outlines may draw together. Each character
// costs its glyph's points at every layout and paint, and a label of a few
// kilobytes can hold any number of long texts on any number of pages, so the
// characters and points of all its outlined texts are counted against one
// budget, shared by the label's font manager whatever the page: a text takes
// what it draws when its outline is built and gives it back when it is built
// again, changes document or goes. A text past the budget is kept whole and
// drawn only up to the character where the budget ran out.
//
// The limits are far above what a label needs (five texts of the 10 000
// characters one text draws; a curved line of letters takes some 170 to 230
// points a character), and keep any label within a second or two and a few
// hundred megabytes.

#include <algorithm>
#include <cstdint>
#include <limits>

inline constexpr std::int64_t MaxLabelOutlinedCharacters = 50000;
inline constexpr std::int64_t MaxLabelOutlinePoints = std::int64_t{12} << 20;

// Characters laid out and the outline points they made.
struct TdocOutlineCharge {
  std::int64_t Characters = 0;
  std::int64_t Points = 0;

  static constexpr TdocOutlineCharge Unlimited() {
    return {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max()};
  }
  TdocOutlineCharge Minus(const TdocOutlineCharge& used) const {
    return {Characters - used.Characters, Points - used.Points};
  }
};

// Main thread only, as the fonts are.
class TdocOutlineBudget {
public:
  // What one more text may draw now.
  TdocOutlineCharge Free() const;
  // Takes what a text drew (within Free) and gives it back.
  void Take(const TdocOutlineCharge& drawn);
  void GiveBack(const TdocOutlineCharge& drawn);
  TdocOutlineCharge GetUsed() const { return Used; }

private:
  static constexpr TdocOutlineCharge Limit{MaxLabelOutlinedCharacters, MaxLabelOutlinePoints};
  TdocOutlineCharge Used;
};
