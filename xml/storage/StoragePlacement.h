#pragma once
// Where the streams of a backing store go: first fit in the gaps between the
// streams it holds, never inside the directory at its head.
//
// The held streams are kept ordered by position together with the gaps in
// front of them, so placing a stream costs a logarithm of their number, not
// a walk over all of them: a document may hold a million streams, and a
// paste writes one for every picture it carries.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace xml {

// Room left behind the directory of a store that holds no stream yet.
inline constexpr std::int64_t kFreeSpaceMargin = 512;

class HeldSpace {
public:
  // A held stream of size bytes at position; key names it uniquely.
  void Add(std::int64_t position, std::int64_t size, const std::string& key);
  void Remove(std::int64_t position, const std::string& key);
  void Clear();
  bool Empty() const { return Spans.empty(); }

  // The position for size new bytes: the first gap between two held streams
  // (in position order) that takes them, no gap starting before
  // directoryEnd, else the end of the last one but not before directoryEnd.
  // With no stream held: directorySize + 512.
  std::int64_t FindFreeSpace(std::int64_t size, std::int64_t directorySize, std::int64_t directoryEnd) const;
  // The key of the held stream with the lowest position when it starts
  // before limit; null when none does.
  const std::string* LowestBelow(std::int64_t limit) const;
  // The end of the held stream reaching furthest; 0 when none is held.
  std::int64_t End() const;

private:
  using Key = std::pair<std::int64_t, std::string>;  // position, name
  struct Span {
    std::int64_t End = 0;
    // The furthest end of the streams before this one; none for the first.
    std::int64_t Reached = 0;
  };
  using SpanMap = std::map<Key, Span>;

  // The gap in front of the span: position - Reached; negative for the
  // first span, which has none (the space before it is never used).
  std::int64_t GapOf(SpanMap::const_iterator span) const;
  // Sets the span's Reached from the spans before it and files its gap;
  // returns whether Reached changed.
  bool Settle(SpanMap::iterator span);
  // Settles the spans from this one on, as far as a change reaches.
  void SettleFrom(SpanMap::iterator span);
  void FileGap(SpanMap::const_iterator span);
  void UnfileGap(SpanMap::const_iterator span);

  SpanMap Spans;
  // The spans whose gap holds at least one byte, and those gap sizes.
  std::map<Key, std::int64_t> Gaps;
  std::multiset<std::int64_t> GapSizes;
};

}  // namespace xml
