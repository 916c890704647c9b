#include "imaging/jpeg/JpegBaselineCoder.h"

#include <algorithm>
#include <cstring>

#include "imaging/jpeg/JpegVector.h"

namespace jpeg {

void CheckScanTables(const TsdJpegCodingInfo& info, bool needsDC, bool needsAC) {
  for (const TsdScanComponent& component : info.ScanComponents) {
    if ((needsDC && info.DCHuffmanTables[static_cast<std::size_t>(component.DCTable)].IsEmpty()) ||
        (needsAC && info.ACHuffmanTables[static_cast<std::size_t>(component.ACTable)].IsEmpty()))
      throw EInvalidGraphic("Scan uses an undefined Huffman table");
    const int qtable = info.FrameComponents[static_cast<std::size_t>(component.Component)].QTable;
    if (!info.QuantizationTables[static_cast<std::size_t>(qtable)].Defined)
      throw EInvalidGraphic("Scan uses an undefined quantisation table");
  }
}

void TrimToFrameHeight(TsdJpegCodingInfo& info, TsdJpegBlockCoder& coder) {
  if (info.WaitForDNL) throw EInvalidGraphic("DNL marker expected");
  for (int c = 0; c < coder.MapCount(); ++c)
    coder.Map(c).TrimRows(info.VertMcuCount * info.FrameComponents[static_cast<std::size_t>(c)].Ver);
}

}  // namespace jpeg

namespace {

// Where each zigzag position is stored within the kept square, or the spare
// slot past it for positions the load scale drops.
std::array<std::uint8_t, 64> StorageOrder(TsdJpegScale scale) {
  const int side = jpeg::BlockSide(scale);
  std::array<std::uint8_t, 64> order{};
  for (std::size_t k = 0; k < 64; ++k) {
    const int natural = jpeg::kZigzagToNatural[k];
    const int row = natural / 8, column = natural % 8;
    order[k] = static_cast<std::uint8_t>(row < side && column < side ? row * side + column : side * side);
  }
  return order;
}

void DecodeBlock(TsdBitReader& reader, const Tsd8bitHuffmanDecoder& dc, const Tsd8bitHuffmanDecoder& ac, int& prediction,
                 std::int16_t* block, const std::uint8_t* order) {
  reader.Fill();
  const int size = dc.Decode(reader);
  if (size > 15) throw EInvalidGraphic("Invalid DC difference in encoded stream");
  if (size > 0) prediction = static_cast<std::int16_t>(prediction + jpeg::Extend(reader.Get(size), size));
  block[order[0]] = static_cast<std::int16_t>(prediction);
  for (int k = 1; k < 64;) {
    if (reader.Available() < 32) reader.Fill();
    if (const int runValue = ac.RunValue(reader)) {
      reader.Skip(runValue & 15);
      k += (runValue >> 4) & 15;
      if (k > 63) throw EInvalidGraphic("Invalid AC coefficient index in encoded stream");
      block[order[k]] = static_cast<std::int16_t>(runValue >> 8);
      ++k;
      continue;
    }
    const int symbol = ac.Decode(reader);
    const int run = symbol >> 4, bits = symbol & 15;
    if (bits == 0) {
      if (run != 15) break;
      k += 16;
      continue;
    }
    k += run;
    if (k > 63) throw EInvalidGraphic("Invalid AC coefficient index in encoded stream");
    block[order[k]] = static_cast<std::int16_t>(jpeg::Extend(reader.Get(bits), bits));
    ++k;
  }
}

}  // namespace

void TsdJpegBaselineCoder::Initialize(TsdJpegScale scale) {
  TsdJpegBlockCoder::Initialize(scale);
  SetupMaps(jpeg::CoefficientsPerBlock(scale));
}

template <class PlaceFn>
void TsdJpegBaselineCoder::DecodeBlocks(TsdScanWalker& walker, PlaceFn&& place) {
  const std::array<std::uint8_t, 64> order = StorageOrder(Scale);
  const auto kept = static_cast<std::size_t>(jpeg::CoefficientsPerBlock(Scale));
  walker.Run(
      [&](int s, TsdJpegBlockMap& map, int x, int y) {
        TsdScanComponent& component = Info.ScanComponents[static_cast<std::size_t>(s)];
        const auto& dc = DCDecoders[static_cast<std::size_t>(component.DCTable)];
        const auto& ac = ACDecoders[static_cast<std::size_t>(component.ACTable)];
        std::int16_t* target = place(s, map, x, y);
        if (Scale == jsFull && target) {
          DecodeBlock(walker.Reader, dc, ac, component.PrevDC, target, order.data());
          return;
        }
        // Room for a whole block (dropped at full scale) or the kept square
        // and its spare slot (reduced scales).
        std::int16_t scratch[64];
        std::fill_n(scratch, kept, std::int16_t{0});
        DecodeBlock(walker.Reader, dc, ac, component.PrevDC, scratch, order.data());
        if (target) std::memcpy(target, scratch, kept * sizeof(std::int16_t));
      },
      [&] {
        for (TsdScanComponent& component : Info.ScanComponents) component.PrevDC = 0;
      });
}

void TsdJpegBaselineCoder::DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) {
  jpeg::CheckScanTables(Info, true, true);
  if (TileMode) StartTileScan(data, size);
  for (const TsdScanComponent& component : Info.ScanComponents) {
    DCDecoders[static_cast<std::size_t>(component.DCTable)].Build(Info.DCHuffmanTables[static_cast<std::size_t>(component.DCTable)]);
    ACDecoders[static_cast<std::size_t>(component.ACTable)].Build(Info.ACHuffmanTables[static_cast<std::size_t>(component.ACTable)]);
  }
  TsdScanWalker walker(Info, *this, data, size, position, OnDebugOut);
  if (TileMode) {
    walker.RecordTileEntries(TileEntries);
    DecodeBlocks(walker, [](int, TsdJpegBlockMap&, int, int) -> std::int16_t* { return nullptr; });
    walker.RecordTileEntry();
  } else {
    DecodeBlocks(walker, [](int, TsdJpegBlockMap& map, int x, int y) { return map.Coefficients(x, y); });
  }
  position = walker.EndPosition();
  HasCoefficients = true;
}

// Tiles are cut from the frame's MCU grid, which only a scan holding every
// component follows; such a scan is then the only one.
void TsdJpegBaselineCoder::StartTileScan(const std::uint8_t* data, std::size_t size) {
  if (!TileEntries.empty() || Info.ScanCount != Info.FrameCount)
    throw EInvalidGraphic("Tiled loading needs all components in one scan");
  SetupMaps(jpeg::CoefficientsPerBlock(Scale), 0, 0);
  TileData = data;
  TileSize = size;
}

void TsdJpegBaselineCoder::DecodeTile(int left, int top, int right, int bottom) {
  SetupMaps(jpeg::CoefficientsPerBlock(Scale), right - left, bottom - top);
  for (int c = 0; c < MapCount(); ++c) Map(c).EnsureRows(Map(c).GetBlocksY());
  TsdScanWalker walker(Info, *this, TileData, TileSize, 0, OnDebugOut);
  const int columns = walker.McuColumns();
  const auto place = [&](int s, TsdJpegBlockMap& map, int x, int y) -> std::int16_t* {
    const TsdFrameComponent& component =
        Info.FrameComponents[static_cast<std::size_t>(Info.ScanComponents[static_cast<std::size_t>(s)].Component)];
    x -= left * component.Hor;
    y -= top * component.Ver;
    return x >= 0 && x < map.GetBlocksX() && y >= 0 && y < map.GetBlocksY() ? map.Coefficients(x, y) : nullptr;
  };
  for (int row = top; row < bottom; ++row) {
    const int first = row * columns + left;
    // The first entry is MCU 0, so one stands at or before any MCU.
    const auto after = std::upper_bound(TileEntries.begin(), TileEntries.end(), first,
                                        [](int mcu, const TsdJpegTileEntry& entry) { return mcu < entry.Mcu; });
    walker.ResumeAt(*std::prev(after), row * columns + right);
    DecodeBlocks(walker, place);
  }
  HasSamples = false;
}

void TsdJpegBaselineCoder::DecodeFinish() { jpeg::TrimToFrameHeight(Info, *this); }

// ---- encoding ----

namespace {

// Counts the symbols instead of writing them.
class TsdDryRunBitWriter {
public:
  void Symbol(Tsd8bitHuffmanEncoder& encoder, int symbol) { ++encoder.Counts[static_cast<std::size_t>(symbol)]; }
  void Put(std::uint32_t, int) {}
  void Restart(int) {}
  void Flush() {}
};

class TsdHuffmanWriter {
public:
  explicit TsdHuffmanWriter(TStream& stream) : Writer(stream) {}
  void Symbol(Tsd8bitHuffmanEncoder& encoder, int symbol) {
    const auto s = static_cast<std::size_t>(symbol);
    if (encoder.Lengths[s] == 0) throw EInvalidGraphic("Huffman table has no code for a symbol of the scan");
    Writer.Put(encoder.Codes[s], encoder.Lengths[s]);
  }
  void Put(std::uint32_t bits, int count) { Writer.Put(bits, count); }
  void Restart(int number) { Writer.PutMarker(static_cast<std::uint8_t>(jpeg::mkRST0 + number)); }
  void Flush() { Writer.Flush(); }

private:
  TsdBitWriter Writer;
};

// The category s of a value and its s low bits as sent (v, or v + 2^s - 1 when negative).
struct CodedValue {
  int Bits;
  std::uint32_t Code;
};

CodedValue Code(int value) {
  if (value == 0) return {0, 0};
  const auto magnitude = static_cast<std::uint32_t>(value < 0 ? -value : value);
  const int bits = 32 - __builtin_clz(magnitude);
  const auto code = static_cast<std::uint32_t>(value < 0 ? value - 1 : value) & ((1u << bits) - 1);
  return {bits, code};
}

template <class Writer>
void PutValue(Writer& writer, Tsd8bitHuffmanEncoder& encoder, int run, int value) {
  const CodedValue coded = Code(value);
  writer.Symbol(encoder, run << 4 | coded.Bits);
  if (coded.Bits) writer.Put(coded.Code, coded.Bits);
}

typedef std::uint16_t Units16 __attribute__((vector_size(32)));

// 1 in each lane whose coefficient is not zero: the top bit of x | -x
// (a comparison of vectors wider than the hardware's compiles to
// lane-by-lane code).
JPEG_KERNEL jpeg::Bytes32 NonZeroLanes(const std::int16_t* coefficients) {
  Units16 u;
  std::memcpy(&u, coefficients, sizeof(u));
  return reinterpret_cast<jpeg::Bytes32>((u | (0 - u)) >> 15);
}

// One byte per coefficient, 1 where it is non-zero, in natural order.
template <class Isa>
JPEG_KERNEL jpeg::Bytes32 NonZeroBytes(const std::int16_t* coefficients) {
  const jpeg::Bytes32 bytesA = NonZeroLanes(coefficients), bytesB = NonZeroLanes(coefficients + 16);
  return jpeg::Shuffle<Isa, jpeg::Bytes32, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38,
                       40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62>(bytesA, bytesB);
}

// Bit k set for each non-zero AC coefficient at zigzag position k: runs of
// zeros are then found by counting bits.
template <class Isa>
JPEG_KERNEL void ZigzagNonZeroMask(const std::int16_t* block, std::uint64_t* mask) {
  const jpeg::Bytes32 low = NonZeroBytes<Isa>(block), high = NonZeroBytes<Isa>(block + 32);
  const jpeg::Bytes32 zigzag[2] = {
      jpeg::Shuffle<Isa, jpeg::Bytes32, 0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48,
                    41, 34, 27, 20, 13, 6, 7, 14, 21, 28>(low, high),
      jpeg::Shuffle<Isa, jpeg::Bytes32, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45,
                    38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63>(low, high)};
  std::uint64_t words[8];
  std::memcpy(words, zigzag, sizeof(words));
  std::uint64_t bits = 0;
  // Gathers the low bit of each of eight bytes into one byte, byte i to bit i.
  for (int i = 0; i < 8; ++i) bits |= (words[i] * 0x0102040810204080u) >> 56 << (8 * i);
  *mask = bits & ~std::uint64_t{1};
}

template <class Writer>
void EncodeBlock(Writer& writer, Tsd8bitHuffmanEncoder& dc, Tsd8bitHuffmanEncoder& ac, int& prediction,
                 const std::int16_t* block) {
  const int diff = block[0] - prediction;
  prediction = block[0];
  const CodedValue coded = Code(diff);
  writer.Symbol(dc, coded.Bits);
  if (coded.Bits) writer.Put(coded.Code, coded.Bits);
  std::uint64_t mask;
  JPEG_DISPATCH(ZigzagNonZeroMask, block, &mask);
  int last = 0;
  while (mask) {
    const int k = __builtin_ctzll(mask);
    mask &= mask - 1;
    int run = k - last - 1;
    for (; run >= 16; run -= 16) writer.Symbol(ac, 0xF0);
    PutValue(writer, ac, run, block[jpeg::kZigzagToNatural[static_cast<std::size_t>(k)]]);
    last = k;
  }
  if (last != 63) writer.Symbol(ac, 0x00);
}

}  // namespace

template <class Writer>
void TsdJpegBaselineCoder::EncodeBlocks(Writer& writer) {
  const bool single = Info.ScanCount == 1;
  const int mcusX = single ? Map(Info.ScanComponents[0].Component).GetBlocksX() : Info.HorzMcuCount;
  const int mcusY = single ? Map(Info.ScanComponents[0].Component).GetBlocksY() : Info.VertMcuCount;
  for (TsdScanComponent& component : Info.ScanComponents) component.PrevDC = 0;
  const int total = mcusX * mcusY;
  int restarts = 0;
  for (int mcu = 0; mcu < total; ++mcu) {
    const int mcuX = mcu % mcusX, mcuY = mcu / mcusX;
    for (TsdScanComponent& scanComponent : Info.ScanComponents) {
      const TsdFrameComponent& component = Info.FrameComponents[static_cast<std::size_t>(scanComponent.Component)];
      TsdJpegBlockMap& map = Map(scanComponent.Component);
      auto& dc = DCEncoders[static_cast<std::size_t>(scanComponent.DCTable)];
      auto& ac = ACEncoders[static_cast<std::size_t>(scanComponent.ACTable)];
      const int hor = single ? 1 : component.Hor, ver = single ? 1 : component.Ver;
      for (int by = 0; by < ver; ++by)
        for (int bx = 0; bx < hor; ++bx)
          EncodeBlock(writer, dc, ac, scanComponent.PrevDC, map.Coefficients(mcuX * hor + bx, mcuY * ver + by));
    }
    if (Info.RestartInterval > 0 && (mcu + 1) % Info.RestartInterval == 0 && mcu + 1 < total) {
      writer.Restart(restarts % 8);
      ++restarts;
      for (TsdScanComponent& component : Info.ScanComponents) component.PrevDC = 0;
    }
  }
  writer.Flush();
}

void TsdJpegBaselineCoder::EncodeScan(TStream* stream) {
  if (Scale != jsFull) throw EInvalidGraphic("Operation can only be performed with LoadScale = lsFull");
  DCUsed.fill(false);
  ACUsed.fill(false);
  for (const TsdScanComponent& component : Info.ScanComponents) {
    DCUsed[static_cast<std::size_t>(component.DCTable)] = true;
    ACUsed[static_cast<std::size_t>(component.ACTable)] = true;
  }
  if (!stream) {
    for (auto& encoder : DCEncoders) encoder.Counts.fill(0);
    for (auto& encoder : ACEncoders) encoder.Counts.fill(0);
    TsdDryRunBitWriter counter;
    EncodeBlocks(counter);
    return;
  }
  jpeg::CheckScanTables(Info, true, true);
  for (std::size_t t = 0; t < jpeg::kMaxTables; ++t) {
    DCEncoders[t].Build(Info.DCHuffmanTables[t]);
    ACEncoders[t].Build(Info.ACHuffmanTables[t]);
  }
  TsdHuffmanWriter writer(*stream);
  EncodeBlocks(writer);
}

std::unique_ptr<TsdJpegMarker> TsdJpegBaselineCoder::CreateOptimizedDHT() {
  auto marker = std::make_unique<TsdDHTMarker>(&Info, jpeg::mkDHT);
  bool any = false;
  for (int tableClass = 0; tableClass < 2; ++tableClass)
    for (std::size_t t = 0; t < jpeg::kMaxTables; ++t) {
      const bool used = tableClass == 0 ? DCUsed[t] : ACUsed[t];
      const auto& counts = tableClass == 0 ? DCEncoders[t].Counts : ACEncoders[t].Counts;
      if (!used) continue;
      TsdDHTTable table = jpeg::OptimizedTable(counts, tableClass, static_cast<int>(t));
      if (table.Values.empty()) continue;
      marker->AddTable(std::move(table));
      any = true;
    }
  if (!any) return nullptr;
  return marker;
}
