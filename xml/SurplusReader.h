#pragma once
// Reads the characters of a stream for a parser that looks past what it
// parses: what it read and did not use stays in a push-back buffer, and the
// next read gets it first. This is how nodes are parsed one after the other
// from one stream.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/rtl/Stream.h"

class TsdSurplusReader {
public:
  // The stream is not owned.
  explicit TsdSurplusReader(TStream& stream) : Stream(stream) {}

  // Every character not used yet: the pushed-back ones, then the rest of the
  // stream, which is read to its end.
  std::string_view Peek();
  // The first count characters of Peek are used; the others stay pushed back.
  void Consume(std::size_t count);

private:
  TStream& Stream;
  std::string Surplus;
  std::size_t Used = 0;
};
