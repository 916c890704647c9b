// Feeds arbitrary bytes to every unpacker with a bounded output buffer, and
// checks that every packer's output fits PackedSizeBound and unpacks back.
// The first input byte chooses the output capacity and the channel count.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/util/Packing.h"

using namespace imaging;

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Exactly sized heap copy, so the sanitizer sees any access past the end.
std::unique_ptr<std::uint8_t[]> Copy(const std::uint8_t* data, std::size_t size) {
  auto copy = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
  if (size != 0) std::memcpy(copy.get(), data, size);
  return copy;
}

using Unpacker = int (*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t&);

void FeedUnpacker(Unpacker unpack, const std::uint8_t* data, std::size_t size, std::size_t capacity) {
  const auto source = Copy(data, size);
  auto dest = std::make_unique<std::uint8_t[]>(capacity == 0 ? 1 : capacity);
  std::size_t written = 0;
  const int code = unpack(source.get(), size, dest.get(), capacity, written);
  Require(code == cPackOk || code == cPackCorrupt || code == cPackDestTooSmall);
  Require(code != cPackOk || written <= capacity);
}

void FeedPlanes(const std::uint8_t* data, std::size_t size, int channels) {
  const auto source = Copy(data, size);
  auto planes = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
  auto back = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
  const int split = SplitPlanes(source.get(), planes.get(), size, channels);
  const int merged = MergePlanes(planes.get(), back.get(), size, channels);
  const bool valid = channels >= 1 && channels <= 8;
  Require(split == (valid ? cPackOk : cPackBadChannels) && merged == split);
  Require(!valid || std::memcmp(source.get(), back.get(), size) == 0);
}

// Packers get their own copy of the input, which a delta packer rewrites.
using Packer = int (*)(std::uint8_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t&);

int RlePackCopy(std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t capacity,
                std::size_t& written) {
  return RlePack(source, count, dest, capacity, written);
}

int FrequencyPackCopy(std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t capacity,
                      std::size_t& written) {
  return FrequencyPack(source, count, dest, capacity, written);
}

// Packs into exactly PackedSizeBound bytes; returns the packed bytes.
std::vector<std::uint8_t> PackWithinBound(Packer pack, const std::uint8_t* data, std::size_t size) {
  const auto source = Copy(data, size);
  const std::size_t bound = PackedSizeBound(size);
  auto dest = std::make_unique<std::uint8_t[]>(bound);
  std::size_t written = 0;
  Require(pack(source.get(), size, dest.get(), bound, written) == cPackOk && written <= bound);
  return std::vector<std::uint8_t>(dest.get(), dest.get() + written);
}

void RoundTrip(Packer pack, Unpacker unpack, const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> packed = PackWithinBound(pack, data, size);
  const auto source = Copy(packed.data(), packed.size());
  auto dest = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
  std::size_t written = 0;
  Require(unpack(source.get(), packed.size(), dest.get(), size, written) == cPackOk && written == size);
  Require(size == 0 || std::memcmp(dest.get(), data, size) == 0);
}

// A valid block with a few bytes changed, chosen by the input itself: lying
// blocks that get past the header checks, which random bytes rarely do.
void FeedDamagedBlock(const std::uint8_t* data, std::size_t size, std::size_t capacity) {
  std::vector<std::uint8_t> block = PackWithinBound(FrequencyPackCopy, data, size);
  for (std::size_t i = 0; i + 1 < size && i < 8; i += 2) block[(data[i] * 131u + i) % block.size()] ^= data[i + 1];
  FeedUnpacker(FrequencyUnpack, block.data(), block.size(), capacity);
  FeedUnpacker(DeltaFrequencyUnpack, block.data(), block.size(), size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t capacity = std::size_t{data[0]} * 97;
  const int channels = data[0] % 10;
  ++data;
  --size;

  FeedUnpacker(RleUnpack, data, size, capacity);
  FeedUnpacker(FrequencyUnpack, data, size, capacity);
  FeedUnpacker(DeltaFrequencyUnpack, data, size, capacity);
  FeedPlanes(data, size, channels);

  RoundTrip(RlePackCopy, RleUnpack, data, size);
  RoundTrip(FrequencyPackCopy, FrequencyUnpack, data, size);
  RoundTrip(DeltaFrequencyPack, DeltaFrequencyUnpack, data, size);
  FeedDamagedBlock(data, size, capacity);
  return 0;
}
