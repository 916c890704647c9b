#pragma once
// Progressive Huffman decoding: spectral selection and successive
// approximation. Coefficients are kept whole until the last scan and reduced
// to the load scale afterwards. Progressive files are never written.

#include <array>

#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegHuffman.h"
#include "imaging/jpeg/JpegScanBudget.h"

class TsdJpegProgressiveCoder : public TsdJpegBlockCoder {
public:
  using TsdJpegBlockCoder::TsdJpegBlockCoder;

  void Initialize(TsdJpegScale scale) override;
  void DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) override;
  void DecodeFinish() override;
  void EncodeScan(TStream* stream) override;
  std::unique_ptr<TsdJpegMarker> CreateOptimizedDHT() override;

private:
  void CheckScanParameters() const;

  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> DCDecoders;
  std::array<Tsd8bitHuffmanDecoder, jpeg::kMaxTables> ACDecoders;
  int EOBRun = 0;
  jpeg::TScanBudget Budget;
};
