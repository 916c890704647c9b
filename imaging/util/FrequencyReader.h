#pragma once
// Decoding of a frequency-class block (Packing.h) from any entry on: the
// block is checked once, then readers decode its entries in order, each
// from where it was placed, several of them at once if need be.

#include <array>
#include <cstddef>
#include <cstdint>

namespace imaging {

struct TFrequencyBlock {
  // Reads the block from at most sourceCount bytes: cPackOk once its header,
  // table and sections are found to hold every entry its classes announce,
  // each of a rank within the table; cPackCorrupt otherwise.
  int Open(const std::uint8_t* source, std::size_t sourceCount);

  std::size_t Length = 0;  // the entries the block decodes to
  const std::uint8_t* Classes = nullptr;
  const std::uint8_t* Class3 = nullptr;
  const std::uint8_t* Nibbles = nullptr;
  const std::uint8_t* Bits = nullptr;
  std::array<std::uint8_t, 256> Table{};
};

class TFrequencyReader {
public:
  // At entry `entry` (at most the block's length) of an opened block, which
  // must outlive the reader.
  TFrequencyReader(const TFrequencyBlock& block, std::size_t entry);

  // The sum modulo 256 of the entries before the one the reader was placed
  // at: what a delta decoding has reached there.
  std::uint8_t SumBefore() const { return Sum; }
  // Decodes the next count entries, at most those left, into dest; returns
  // how many it decoded.
  std::size_t Read(std::uint8_t* dest, std::size_t count);

private:
  std::uint8_t Decode(unsigned cls);

  const TFrequencyBlock* Block;
  std::size_t Entry;
  std::size_t BitsRead = 0;
  std::size_t NibblesRead = 0;
  const std::uint8_t* Class3 = nullptr;
  std::uint8_t Sum = 0;
};

}  // namespace imaging
