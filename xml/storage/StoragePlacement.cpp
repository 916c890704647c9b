#include "xml/storage/StoragePlacement.h"

#include <algorithm>
#include <limits>

namespace xml {
namespace {

constexpr std::int64_t kNothingReached = std::numeric_limits<std::int64_t>::min();

std::int64_t SaturatedSum(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::int64_t>::max() : sum;
}

}  // namespace

void HeldSpace::Add(std::int64_t position, std::int64_t size, const std::string& key) {
  // Streams mostly come in position order: a directory read from a file,
  // a stream written behind the last one.
  const auto span = Spans.emplace_hint(Spans.end(), Key{position, key}, Span{position + size, kNothingReached});
  Settle(span);
  SettleFrom(std::next(span));
}

void HeldSpace::Remove(std::int64_t position, const std::string& key) {
  const auto span = Spans.find(Key{position, key});
  if (span == Spans.end()) return;
  UnfileGap(span);
  SettleFrom(Spans.erase(span));
}

void HeldSpace::Clear() {
  Spans.clear();
  Gaps.clear();
  GapSizes.clear();
}

std::int64_t HeldSpace::FindFreeSpace(std::int64_t size, std::int64_t directorySize,
                                      std::int64_t directoryEnd) const {
  if (Spans.empty()) return directorySize + kFreeSpaceMargin;
  if (size == 0) {
    // Any gap takes nothing, even one of no bytes between two streams.
    for (auto span = Spans.lower_bound(Key{directoryEnd, std::string()}); span != Spans.end(); ++span)
      if (GapOf(span) >= 0) return std::max(span->second.Reached, directoryEnd);
  } else if (!GapSizes.empty() && *GapSizes.rbegin() >= size) {
    for (auto gap = Gaps.lower_bound(Key{SaturatedSum(directoryEnd, size), std::string()}); gap != Gaps.end(); ++gap)
      if (gap->first.first - gap->second >= size) return std::max(gap->second, directoryEnd);
  }
  return std::max(End(), directoryEnd);
}

const std::string* HeldSpace::LowestBelow(std::int64_t limit) const {
  if (Spans.empty() || Spans.begin()->first.first >= limit) return nullptr;
  return &Spans.begin()->first.second;
}

std::int64_t HeldSpace::End() const {
  if (Spans.empty()) return 0;
  const Span& last = std::prev(Spans.end())->second;
  return std::max(last.Reached, last.End);
}

std::int64_t HeldSpace::GapOf(SpanMap::const_iterator span) const {
  return span == Spans.begin() ? -1 : span->first.first - span->second.Reached;
}

bool HeldSpace::Settle(SpanMap::iterator span) {
  std::int64_t reached = kNothingReached;
  if (span != Spans.begin()) {
    const Span& before = std::prev(span)->second;
    reached = std::max(before.Reached, before.End);
  }
  const bool changed = reached != span->second.Reached;
  UnfileGap(span);
  span->second.Reached = reached;
  FileGap(span);
  return changed;
}

void HeldSpace::SettleFrom(SpanMap::iterator span) {
  while (span != Spans.end() && Settle(span)) ++span;
}

void HeldSpace::FileGap(SpanMap::const_iterator span) {
  const std::int64_t gap = GapOf(span);
  if (gap < 1) return;
  Gaps.emplace(span->first, span->second.Reached);
  GapSizes.insert(gap);
}

void HeldSpace::UnfileGap(SpanMap::const_iterator span) {
  const auto gap = Gaps.find(span->first);
  if (gap == Gaps.end()) return;
  GapSizes.erase(GapSizes.find(gap->first.first - gap->second));
  Gaps.erase(gap);
}

}  // namespace xml
