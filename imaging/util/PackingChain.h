#pragma once
// The packing chain of stored raster planes (HCK pictures and bitmaps kept
// in XML documents): DeltaEncode, FrequencyPack, RlePack, FrequencyPack, and
// its inverse. Unpacking sizes every intermediate buffer from what the data
// states and checks it against what a genuine chain could produce, so lying
// data is refused before it can make it reserve much more than its own size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/util/FrequencyReader.h"

namespace imaging {

// Packs count bytes of source, which is left delta-encoded. Returns cPackOk
// or the failing stage's negative code.
int ChainPack(std::uint8_t* source, std::size_t count, std::vector<std::uint8_t>& packed);

// Unpacks sourceCount packed bytes that must stand for exactly count bytes
// into unpacked, which is sized only once the data has shown that it holds
// that many. Returns cPackCorrupt when the data is inconsistent or unpacks to
// another length.
int ChainUnpack(const std::uint8_t* source, std::size_t sourceCount, std::size_t count,
                std::vector<std::uint8_t>& unpacked);

// The chain unpacked down to its inner frequency-class block, whose bytes
// readers then unpack from any place on, as they are asked for: the
// unpacked data never needs to be held whole.
class TChainUnpacker {
public:
  TChainUnpacker() = default;
  // Its readers point into its block.
  TChainUnpacker(const TChainUnpacker&) = delete;
  TChainUnpacker& operator=(const TChainUnpacker&) = delete;

  // Unpacks the outer stages of sourceCount packed bytes that must stand for
  // exactly count bytes; cPackOk, or cPackCorrupt as ChainUnpack.
  int Open(const std::uint8_t* source, std::size_t sourceCount, std::size_t count);

  class TReader {
  public:
    // Unpacks the next count bytes, at most those left, into dest.
    void Read(std::uint8_t* dest, std::size_t count);

  private:
    friend class TChainUnpacker;
    TReader(const TFrequencyBlock& block, std::size_t position);
    TFrequencyReader Deltas;
    std::uint8_t Previous;  // the unpacked byte before the next one
  };
  // A reader from byte position on (at most count); the unpacker must
  // outlive it.
  TReader ReaderAt(std::size_t position) const { return TReader(Inner, position); }

private:
  std::vector<std::uint8_t> Block;
  TFrequencyBlock Inner;
};

}  // namespace imaging
