#pragma once
// Enumerations and the coding information shared by the JPEG markers and
// coders: frame and scan layout, quantisation and Huffman tables.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TsdJpegScale : std::uint8_t { jsFull, jsDiv2, jsDiv4, jsDiv8 };

enum TsdJpegColorSpace : std::uint8_t {
  jcAutoDetect, jcGray, jcGrayA, jcRGB, jcRGBA, jcYCbCr, jcYCbCrA,
  jcCMYK, jcYCbCrK, jcYCCK, jcPhotoYCC, jcPhotoYCCA, jcITUCieLAB
};

enum TsdJpegDCTCodingMethod : std::uint8_t { dmFast, dmAccurate };

// Receives the codec's English trace lines.
using TsdDebugEvent = std::function<void(const std::string& text)>;

namespace jpeg {

// Coding methods named by the start-of-frame marker.
constexpr int kBaselineDCT = 1;
constexpr int kExtendedDCT = 2;
constexpr int kProgressiveDCT = 3;

// Frames larger than this are refused before anything is allocated for them.
constexpr int kMaxDimension = 65535;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

constexpr int kMaxComponents = 4;
constexpr int kMaxTables = 4;

// Samples per block side and coefficients per block at each load scale.
inline int BlockSide(TsdJpegScale scale) { return 8 >> scale; }
inline int CoefficientsPerBlock(TsdJpegScale scale) { return BlockSide(scale) * BlockSide(scale); }
inline int ScaleDivisor(TsdJpegScale scale) { return 1 << scale; }

}  // namespace jpeg

// One quantisation table: 64 entries in zigzag order.
struct TsdQuantizationTable {
  std::array<std::uint16_t, 64> Quant{};
  std::uint8_t Precision = 0;  // 0: 8-bit values, 1: 16-bit values
  bool Defined = false;
};

// One entry of a Huffman table as a DHT segment lists it.
struct TsdHuffmanCode {
  std::uint8_t L;  // code length 1..16
  std::uint16_t Code;
  std::uint8_t V;  // symbol
};

// A Huffman table: its entries in table order (shorter codes first).
struct TsdHuffmanTable {
  std::vector<TsdHuffmanCode> Codes;
  bool IsEmpty() const { return Codes.empty(); }
};

struct TsdFrameComponent {
  int Hor = 1;  // horizontal sampling
  int Ver = 1;  // vertical sampling
  std::uint8_t ComponentID = 0;
  int QTable = 0;
  int PrevDC = 0;
};

struct TsdScanComponent {
  int Component = 0;  // index into the frame components
  int DCTable = 0;
  int ACTable = 0;
  int PrevDC = 0;
};

struct TsdJpegCodingInfo {
  std::array<TsdQuantizationTable, jpeg::kMaxTables> QuantizationTables{};
  std::array<TsdHuffmanTable, jpeg::kMaxTables> DCHuffmanTables{};
  std::array<TsdHuffmanTable, jpeg::kMaxTables> ACHuffmanTables{};
  std::vector<TsdFrameComponent> FrameComponents;
  std::vector<TsdScanComponent> ScanComponents;
  int FrameCount = 0;
  int ScanCount = 0;
  int MaxHor = 1;
  int MaxVer = 1;
  int McuWidth = 8;
  int McuHeight = 8;
  int RestartInterval = 0;
  int Width = 0;
  int Height = 0;
  int EncodingMethod = 0;
  int SamplePrecision = 8;
  int SS = 0, SE = 63, AH = 0, AL = 0;
  int HorzMcuCount = 0;
  int VertMcuCount = 0;
  // Pixel size of the block last decoded in tile mode.
  int TileWidth = 0;
  int TileHeight = 0;
  bool WaitForDNL = false;

  // Derives the sampling maxima, MCU size and MCU counts from the frame.
  void UpdateFrameLayout();
};
