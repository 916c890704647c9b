#include "imaging/util/PackingChain.h"

#include <algorithm>

#include "imaging/util/Packing.h"

namespace imaging {
namespace {

// A buffer of n bytes with a valid address also when n is 0.
std::vector<std::uint8_t> Buffer(std::size_t n) { return std::vector<std::uint8_t>(std::max<std::size_t>(n, 1)); }

}  // namespace

int ChainPack(std::uint8_t* source, std::size_t count, std::vector<std::uint8_t>& packed) {
  packed.clear();
  std::vector<std::uint8_t> block = Buffer(PackedSizeBound(count));
  std::size_t blockLength = 0;
  if (const int error = DeltaFrequencyPack(source, count, block.data(), block.size(), blockLength)) return error;
  std::vector<std::uint8_t> runs = Buffer(PackedSizeBound(blockLength));
  std::size_t runsLength = 0;
  if (const int error = RlePack(block.data(), blockLength, runs.data(), runs.size(), runsLength)) return error;
  packed = Buffer(PackedSizeBound(runsLength));
  std::size_t packedLength = 0;
  if (const int error = FrequencyPack(runs.data(), runsLength, packed.data(), packed.size(), packedLength))
    return error;
  packed.resize(packedLength);
  return cPackOk;
}

int ChainUnpack(const std::uint8_t* source, std::size_t sourceCount, std::size_t count,
                std::vector<std::uint8_t>& unpacked) {
  unpacked.clear();
  TChainUnpacker unpacker;
  if (const int error = unpacker.Open(source, sourceCount, count)) return error;
  unpacked = Buffer(count);
  unpacker.ReaderAt(0).Read(unpacked.data(), count);
  unpacked.resize(count);
  return cPackOk;
}

int TChainUnpacker::Open(const std::uint8_t* source, std::size_t sourceCount, std::size_t count) {
  Block.clear();
  if (source == nullptr) return cPackNoSource;
  // The largest inner block and run-length stream a genuine chain makes.
  const std::size_t maxBlock = PackedSizeBound(count);
  const std::size_t maxRuns = PackedSizeBound(maxBlock);

  std::size_t runsLength = 0;
  if (const int error = FrequencyUnpackedLength(source, sourceCount, runsLength)) return error;
  if (runsLength > maxRuns) return cPackCorrupt;
  std::vector<std::uint8_t> runs = Buffer(runsLength);
  std::size_t written = 0;
  if (const int error = FrequencyUnpack(source, sourceCount, runs.data(), runs.size(), written)) return error;

  std::size_t blockLength = 0;
  if (const int error = RleUnpackedLength(runs.data(), runsLength, blockLength)) return error;
  if (blockLength > maxBlock) return cPackCorrupt;
  Block = Buffer(blockLength);
  if (const int error = RleUnpack(runs.data(), runsLength, Block.data(), Block.size(), written)) return error;
  if (const int error = Inner.Open(Block.data(), blockLength)) return error;
  return Inner.Length == count ? cPackOk : cPackCorrupt;
}

TChainUnpacker::TReader::TReader(const TFrequencyBlock& block, std::size_t position)
    : Deltas(block, position), Previous(Deltas.SumBefore()) {}

void TChainUnpacker::TReader::Read(std::uint8_t* dest, std::size_t count) {
  const std::size_t decoded = Deltas.Read(dest, count);
  Previous = DeltaDecodeFrom(Previous, dest, decoded, dest);
}

}  // namespace imaging
