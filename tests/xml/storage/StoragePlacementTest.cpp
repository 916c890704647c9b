// First-fit placement of held streams against the rule worked out plainly:
// sort the held streams by position and walk the gaps between them. Random
// runs place, remove and ask for room of every size, with empty streams
// between and inside others as hostile files may list them, and with the
// directory reaching over the first streams as it does while it grows.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "xml/storage/StoragePlacement.h"

namespace {

struct TPlainSpan {
  std::int64_t Position = 0;
  std::int64_t Size = 0;
};

// The rule as written: the first gap behind the first held stream and not
// before the directory's end that holds the bytes, else the end of the
// furthest stream; with none held, the directory size and 512.
std::int64_t PlainFirstFit(const std::map<std::string, TPlainSpan>& held, std::int64_t size,
                           std::int64_t directorySize, std::int64_t directoryEnd) {
  if (held.empty()) return directorySize + 512;
  std::vector<TPlainSpan> sorted;
  for (const auto& [name, span] : held) sorted.push_back(span);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TPlainSpan& a, const TPlainSpan& b) { return a.Position < b.Position; });
  std::int64_t reached = sorted[0].Position + sorted[0].Size;
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    const std::int64_t start = std::max(reached, directoryEnd);
    if (sorted[i].Position - start >= size) return start;
    reached = std::max(reached, sorted[i].Position + sorted[i].Size);
  }
  return std::max(reached, directoryEnd);
}

std::int64_t PlainEnd(const std::map<std::string, TPlainSpan>& held) {
  std::int64_t end = 0;
  for (const auto& [name, span] : held) end = std::max(end, span.Position + span.Size);
  return end;
}

std::int64_t PlainLowest(const std::map<std::string, TPlainSpan>& held) {
  std::int64_t lowest = INT64_MAX;
  for (const auto& [name, span] : held) lowest = std::min(lowest, span.Position);
  return lowest;
}

}  // namespace

TEST(StoragePlacement, FirstFitAgreesWithThePlainRuleThroughRandomRuns) {
  std::mt19937 random(20261207);
  auto pick = [&random](std::int64_t below) {
    return std::uniform_int_distribution<std::int64_t>(0, below - 1)(random);
  };
  for (int run = 0; run < 40; ++run) {
    xml::HeldSpace space;
    std::map<std::string, TPlainSpan> held;
    int named = 0;
    for (int step = 0; step < 400; ++step) {
      const std::int64_t directoryEnd = pick(PlainEnd(held) + 60);
      const std::int64_t directorySize = directoryEnd - 6;
      const std::int64_t size = pick(4) == 0 ? 0 : pick(40);
      const std::int64_t placed = space.FindFreeSpace(size, directorySize, directoryEnd);
      ASSERT_EQ(placed, PlainFirstFit(held, size, directorySize, directoryEnd))
          << "run " << run << " step " << step << " size " << size << " directory end " << directoryEnd;
      ASSERT_EQ(space.End(), PlainEnd(held));
      const std::int64_t limit = pick(PlainEnd(held) + 10);
      const std::string* lowest = space.LowestBelow(limit);
      ASSERT_EQ(lowest != nullptr, PlainLowest(held) < limit);
      if (lowest) {
        ASSERT_EQ(held.at(*lowest).Position, PlainLowest(held));
      }
      const int action = static_cast<int>(pick(10));
      const std::string name = "s" + std::to_string(named++);
      if (action < 5) {
        space.Add(placed, size, name);
        held[name] = {placed, size};
      } else if (action < 6) {
        // An empty stream anywhere, inside another one too.
        const std::int64_t anywhere = pick(PlainEnd(held) + 20);
        space.Add(anywhere, 0, name);
        held[name] = {anywhere, 0};
      } else if (!held.empty()) {
        auto victim = std::next(held.begin(), static_cast<std::ptrdiff_t>(pick(static_cast<std::int64_t>(held.size()))));
        space.Remove(victim->second.Position, victim->first);
        held.erase(victim);
      }
    }
  }
}
