#pragma once
// Byte-buffer packers for the planes of raster images: a delta filter, a
// run-length packer, a frequency-class packer and the merging and splitting
// of interleaved samples into byte planes. The packed layouts are file
// formats and must not change.
//
// Every routine works on caller-owned memory and reports failures as a
// negative code instead of raising. Packers and unpackers are told how much
// room their destination has and stop with cPackDestTooSmall rather than
// write past it; unpackers read nothing outside the source bytes they are
// given and stop with cPackCorrupt on truncated or inconsistent data.

#include <cstddef>
#include <cstdint>

namespace imaging {

constexpr int cPackOk = 0;
constexpr int cPackNoSource = -2;        // source pointer missing
constexpr int cPackNoDest = -3;          // destination pointer missing
constexpr int cPackBadChannels = -4;     // channel count outside 1..8
constexpr int cPackDestTooSmall = -5;    // the output does not fit the destination
constexpr int cPackCorrupt = -6;         // packed data truncated or inconsistent
constexpr int cPackTooLarge = -7;        // input longer than a frequency-class block can describe

// A buffer of this many bytes holds the output of any packer below for count
// input bytes. Saturates instead of wrapping for absurd counts. Bounds compose
// stage by stage: in a chain of packers, the buffer for a stage that packs n
// bytes needs PackedSizeBound(n), which for later stages can exceed
// PackedSizeBound of the original size.
std::size_t PackedSizeBound(std::size_t count);

// dest[i] = source[i] - source[i-1] (mod 256), source[-1] = 0. In place allowed.
int DeltaEncode(const std::uint8_t* source, std::size_t count, std::uint8_t* dest);
// dest[i] = source[i] + dest[i-1] (mod 256), dest[-1] = 0. In place allowed.
int DeltaDecode(const std::uint8_t* source, std::size_t count, std::uint8_t* dest);
// The same going on from dest[-1] = previous; returns the last byte decoded
// (previous when count is 0). Both buffers must be given.
std::uint8_t DeltaDecodeFrom(std::uint8_t previous, const std::uint8_t* source, std::size_t count, std::uint8_t* dest);

// Run-length stream: records of a signed control byte c; 0..127 is followed
// by c literal bytes, -126..-1 by one byte repeated 1 - c times.
int RlePack(const std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
            std::size_t& destCount);
// Decodes records until sourceCount bytes are consumed. The control bytes
// -127 and -128, never written by the packer, are refused as corrupt.
int RleUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest, std::size_t destCapacity,
              std::size_t& destCount);
// The number of bytes RleUnpack would write for these records, found
// without writing any; cPackCorrupt where RleUnpack would stop.
int RleUnpackedLength(const std::uint8_t* source, std::size_t sourceCount, std::size_t& length);

// Frequency-class block: each byte becomes a 2-bit class plus 0, 1, 4 or 8
// index bits into a table of byte values ordered by frequency.
int FrequencyPack(const std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
                  std::size_t& destCount);
// Unpacks one block read from at most sourceCount bytes; destCount receives
// the length the block states.
int FrequencyUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest,
                    std::size_t destCapacity, std::size_t& destCount);
// The length a block states, once its header, table and class section are
// found within sourceCount bytes (so it is at most about 4 x sourceCount);
// cPackCorrupt otherwise. Lets callers size the output before unpacking.
int FrequencyUnpackedLength(const std::uint8_t* source, std::size_t sourceCount, std::size_t& length);

// DeltaEncode in place on source (which is left delta-encoded), then FrequencyPack.
int DeltaFrequencyPack(std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
                       std::size_t& destCount);
// FrequencyUnpack, then DeltaDecode in place on dest.
int DeltaFrequencyUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest,
                         std::size_t destCapacity, std::size_t& destCount);

// Interleaves channels (1..8) byte planes of count / channels bytes into
// samples; the count % channels trailing bytes are copied after them as they
// are. Source and dest may be the same or overlapping buffers.
int MergePlanes(const std::uint8_t* source, std::uint8_t* dest, std::size_t count, int channels);
// The inverse of MergePlanes: samples back into planes.
int SplitPlanes(const std::uint8_t* source, std::uint8_t* dest, std::size_t count, int channels);

}  // namespace imaging
