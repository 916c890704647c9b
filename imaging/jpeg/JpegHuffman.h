#pragma once
// Huffman tables in their decoding and encoding forms, and tables optimised
// for measured symbol counts.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/jpeg/JpegBitIO.h"
#include "imaging/jpeg/JpegMarkers.h"
#include "imaging/jpeg/JpegTypes.h"
#include "platform/rtl/Exception.h"

// Decoding table: nodes of 256 entries looked up with the next 8 bits. An
// entry gives the code length (within its node) and the symbol, or links to
// the node of the next 8 bits for longer codes.
class Tsd8bitHuffmanDecoder {
public:
  void Build(const TsdHuffmanTable& table);

  int Decode(TsdBitReader& reader) const {
    std::size_t node = 0;
    for (;;) {
      const Entry& entry = Nodes[node][reader.Peek(8)];
      if (entry.Bits != 0) {
        reader.Skip(entry.Bits);
        return entry.Value;
      }
      if (entry.Link == 0) throw EInvalidGraphic("Invalid Huffman code in encoded stream");
      reader.Skip(8);
      node = entry.Link;
    }
  }

  // Bits of lookahead of the run/value table.
  static constexpr int kLookaheadBits = 10;
  // For AC symbols (run r, size s > 0) whose code and value bits fit in the
  // lookahead: value x 256 + r x 16 + bits taken; 0 for everything else.
  int RunValue(TsdBitReader& reader) const { return RunValues[reader.Peek(kLookaheadBits)]; }

private:
  void BuildRunValues(const TsdHuffmanTable& table);
  struct Entry {
    std::uint8_t Bits = 0;
    std::uint8_t Value = 0;
    std::uint16_t Link = 0;
  };
  std::vector<std::array<Entry, 256>> Nodes;
  std::array<std::int32_t, 1 << kLookaheadBits> RunValues{};
};

// Encoding table: code and length per symbol, and the symbol counts of a dry run.
class Tsd8bitHuffmanEncoder {
public:
  void Build(const TsdHuffmanTable& table);
  std::array<std::uint16_t, 256> Codes{};
  std::array<std::uint8_t, 256> Lengths{};
  std::array<std::uint32_t, 256> Counts{};
};

namespace jpeg {

// Extends an s-bit received value to its signed meaning.
inline int Extend(std::uint32_t value, int bits) {
  const int v = static_cast<int>(value);
  return v < (1 << (bits - 1)) ? v - (1 << bits) + 1 : v;
}

// A DHT table (class and id given) whose code lengths suit the counts: more
// frequent symbols get shorter codes, no code is longer than 16 bits and
// none consists of 1-bits only.
TsdDHTTable OptimizedTable(const std::array<std::uint32_t, 256>& counts, int tableClass, int tableId);

// The tables of ITU-T T.81 Annex K: luminance DC and AC, chrominance DC and AC.
TsdDHTTable StandardTable(int tableClass, int tableId, bool chrominance);

}  // namespace jpeg
