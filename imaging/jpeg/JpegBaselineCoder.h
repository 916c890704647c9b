#pragma once
// Sequential Huffman coding: decodes baseline (and 8-bit extended) scans and
// encodes baseline scans, with restart intervals and optimised tables.

#include <array>

#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegHuffman.h"

class TsdJpegBaselineCoder : public TsdJpegBlockCoder {
public:
  using TsdJpegBlockCoder::TsdJpegBlockCoder;

  void Initialize(TsdJpegScale scale) override;
  void DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) override;
  void DecodeFinish() override;
  void EncodeScan(TStream* stream) override;
  std::unique_ptr<TsdJpegMarker> CreateOptimizedDHT() override;

private:
  template <class Writer>
  void EncodeBlocks(Writer& writer);

  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> DCDecoders;
  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> ACDecoders;
  std::array<Tsd8bitHuffmanEncoder, jpeg::kMaxTables> DCEncoders;
  std::array<Tsd8bitHuffmanEncoder, jpeg::kMaxTables> ACEncoders;
  std::array<bool, jpeg::kMaxTables> DCUsed{};
  std::array<bool, jpeg::kMaxTables> ACUsed{};
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
