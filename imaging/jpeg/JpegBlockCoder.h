#pragma once
// The base of the JPEG coders: the coefficient map of every frame component,
// the inverse DCT into bitmap rows through a colour transform with
// up-sampling, and the way back with down-sampling and the forward DCT.

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/jpeg/JpegColorTransforms.h"
#include "imaging/jpeg/JpegDct.h"
#include "imaging/jpeg/JpegPixelMap.h"
#include "imaging/jpeg/JpegTypes.h"
#include "platform/rtl/Stream.h"

class TsdJpegMarker;

// The coefficients of one component: a fixed number per block, blocks row by
// row. Storage grows one block row at a time as decoding reaches it, so a
// frame header alone never makes the codec allocate.
class TsdJpegBlockMap {
public:
  void Resize(int blocksX, int blocksY, int coefficientsPerBlock);
  void EnsureRows(int rows);
  // Keeps only the first rows (a frame whose height a DNL segment fixed).
  void TrimRows(int rows);
  // Keeps the top-left side x side square of every 8 x 8 block.
  void ReduceTo(int side);

  std::int16_t* Coefficients(int x, int y) {
    return Rows[static_cast<std::size_t>(y)].get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(PerBlock);
  }
  int GetBlocksX() const { return BlocksX; }
  int GetBlocksY() const { return BlocksY; }
  int GetAllocatedRows() const { return AllocatedRows; }
  int GetCoefficientsPerBlock() const { return PerBlock; }

private:
  int BlocksX = 0;
  int BlocksY = 0;
  int PerBlock = 64;
  int AllocatedRows = 0;
  // One zeroed allocation per block row: growing never copies earlier rows.
  std::vector<std::unique_ptr<std::int16_t[]>> Rows;
};

class TsdJpegCoder {
public:
  explicit TsdJpegCoder(TsdJpegCodingInfo& info) : Info(info) {}
  virtual ~TsdJpegCoder() = default;
  TsdJpegCoder(const TsdJpegCoder&) = delete;
  TsdJpegCoder& operator=(const TsdJpegCoder&) = delete;

  virtual void Initialize(TsdJpegScale scale);
  // Decodes the entropy-coded data of the current scan from data[position..];
  // on return position stands on the marker that ended the scan.
  virtual void DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) = 0;
  virtual void DecodeFinish() {}
  // Encodes the current scan into stream; without a stream only the symbol
  // statistics for optimised tables are gathered.
  virtual void EncodeScan(TStream* stream) = 0;
  // A DHT segment with tables optimised for the statistics of the last dry
  // run, or nothing when no table was used.
  virtual std::unique_ptr<TsdJpegMarker> CreateOptimizedDHT() = 0;

  bool HasCoefficients = false;
  bool HasSamples = false;
  // Decoding keeps only where blocks begin; blocks are decoded on demand.
  bool TileMode = false;
  TsdJpegScale Scale = jsFull;
  TsdJpegDCTCodingMethod Method = dmAccurate;
  TsdDebugEvent OnDebugOut;

protected:
  void DebugOut(const std::string& text) const {
    if (OnDebugOut) OnDebugOut(text);
  }
  TsdJpegCodingInfo& Info;
};

class TsdJpegBlockCoder : public TsdJpegCoder {
public:
  using TsdJpegCoder::TsdJpegCoder;

  // Sizes the maps for the frame with coefficientsPerBlock per block.
  void SetupMaps(int coefficientsPerBlock);
  // Sizes the maps for mcusX x mcusY MCUs of the frame.
  void SetupMaps(int coefficientsPerBlock, int mcusX, int mcusY);
  TsdJpegBlockMap& Map(int component) { return Maps[static_cast<std::size_t>(component)]; }
  int MapCount() const { return static_cast<int>(Maps.size()); }

  // Inverse DCT of every block and conversion into the bitmap, whose size is
  // the frame at the load scale and whose format is the transform's.
  void SamplesToBitmap(TsdJpegPixelMap& bitmap, TsdColorTransform& transform);
  // Conversion of the bitmap into samples, down-sampling, forward DCT and
  // quantisation into the maps.
  void BitmapToCoefficients(const TsdJpegPixelMap& bitmap, TsdColorTransform& transform);

private:
  std::vector<TsdJpegBlockMap> Maps;
};
