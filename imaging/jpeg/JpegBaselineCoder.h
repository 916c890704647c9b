#pragma once
// Sequential Huffman coding: decodes baseline (and 8-bit extended) scans and
// encodes baseline scans, with restart intervals and optimised tables.

#include <array>
#include <vector>

#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegHuffman.h"
#include "imaging/jpeg/JpegScanWalker.h"

class TsdJpegBaselineCoder : public TsdJpegBlockCoder {
public:
  using TsdJpegBlockCoder::TsdJpegBlockCoder;

  void Initialize(TsdJpegScale scale) override;
  void DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) override;
  void DecodeFinish() override;
  void EncodeScan(TStream* stream) override;
  std::unique_ptr<TsdJpegMarker> CreateOptimizedDHT() override;

  // In tile mode, after the scan was read: decodes the MCUs left..right-1 of
  // the rows top..bottom-1 into maps of that size. The scan's bytes must be
  // where they were when it was read.
  void DecodeTile(int left, int top, int right, int bottom);

private:
  template <class Writer>
  void EncodeBlocks(Writer& writer);
  // Decodes the blocks the walker visits into place(scanComponent, map, x, y),
  // or drops them where that gives no place.
  template <class PlaceFn>
  void DecodeBlocks(TsdScanWalker& walker, PlaceFn&& place);
  void StartTileScan(const std::uint8_t* data, std::size_t size);

  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> DCDecoders;
  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> ACDecoders;
  std::array<Tsd8bitHuffmanEncoder, jpeg::kMaxTables> DCEncoders;
  std::array<Tsd8bitHuffmanEncoder, jpeg::kMaxTables> ACEncoders;
  std::array<bool, jpeg::kMaxTables> DCUsed{};
  std::array<bool, jpeg::kMaxTables> ACUsed{};
  // Tile mode: the scan's bytes and where decoding stood every 8th MCU of a
  // row, ending with the state after the last MCU.
  const std::uint8_t* TileData = nullptr;
  std::size_t TileSize = 0;
  std::vector<TsdJpegTileEntry> TileEntries;
};

// Frames of the extended sequential process with 8-bit samples code their
// scans exactly like baseline ones (they may only use more tables).
class TsdJpegExtendedCoder : public TsdJpegBaselineCoder {
public:
  using TsdJpegBaselineCoder::TsdJpegBaselineCoder;
};

namespace jpeg {
// Checks that every table the current scan names is defined.
void CheckScanTables(const TsdJpegCodingInfo& info, bool needsDC, bool needsAC);
// Reduces the frame's maps to the rows of a height fixed by a DNL segment.
void TrimToFrameHeight(TsdJpegCodingInfo& info, TsdJpegBlockCoder& coder);
}  // namespace jpeg
