#include "imaging/jpeg/JpegProgressiveCoder.h"

#include "imaging/jpeg/JpegBaselineCoder.h"
#include "imaging/jpeg/JpegScanWalker.h"

namespace {

struct ScanBits {
  int Start, End, Low;
};

void DecodeDCFirst(TsdBitReader& reader, const Tsd8bitHuffmanDecoder& dc, int& prediction, std::int16_t* block, int low) {
  reader.Fill();
  const int size = dc.Decode(reader);
  if (size > 15) throw EInvalidGraphic("Invalid DC difference in encoded stream");
  if (size > 0) prediction = static_cast<std::int16_t>(prediction + jpeg::Extend(reader.Get(size), size));
  block[0] = static_cast<std::int16_t>(prediction * (1 << low));
}

void DecodeDCRefine(TsdBitReader& reader, std::int16_t* block, int low) {
  reader.Fill();
  if (reader.Get(1)) block[0] = static_cast<std::int16_t>(block[0] | (1 << low));
}

// Reads the length of an end-of-band run announced by a symbol with run r.
int ReadEOBRun(TsdBitReader& reader, int run) {
  reader.Fill();
  return (1 << run) + (run > 0 ? static_cast<int>(reader.Get(run)) : 0);
}

void DecodeACFirst(TsdBitReader& reader, const Tsd8bitHuffmanDecoder& ac, int& eobRun, std::int16_t* block,
                   const ScanBits& scan) {
  if (eobRun > 0) {
    --eobRun;
    return;
  }
  for (int k = scan.Start; k <= scan.End; ++k) {
    reader.Fill();
    const int symbol = ac.Decode(reader);
    const int run = symbol >> 4, bits = symbol & 15;
    if (bits == 0) {
      if (run != 15) {
        eobRun = ReadEOBRun(reader, run) - 1;
        return;
      }
      k += 15;
      continue;
    }
    k += run;
    if (k > scan.End) throw EInvalidGraphic("Invalid AC coefficient index in encoded stream");
    block[jpeg::kZigzagToNatural[static_cast<std::size_t>(k)]] =
        static_cast<std::int16_t>(jpeg::Extend(reader.Get(bits), bits) * (1 << scan.Low));
  }
}

// Adds the next bit of precision to a coefficient that is already non-zero.
void Correct(TsdBitReader& reader, std::int16_t& coefficient, int bit) {
  if (reader.Get(1) && (coefficient & bit) == 0)
    coefficient = static_cast<std::int16_t>(coefficient >= 0 ? coefficient + bit : coefficient - bit);
}

void DecodeACRefine(TsdBitReader& reader, const Tsd8bitHuffmanDecoder& ac, int& eobRun, std::int16_t* block,
                    const ScanBits& scan) {
  const int bit = 1 << scan.Low;
  int k = scan.Start;
  if (eobRun == 0) {
    for (; k <= scan.End; ++k) {
      reader.Fill();
      const int symbol = ac.Decode(reader);
      int run = symbol >> 4;
      const int bits = symbol & 15;
      int value = 0;
      if (bits != 0) {
        value = reader.Get(1) ? bit : -bit;
      } else if (run != 15) {
        eobRun = ReadEOBRun(reader, run);
        break;
      }
      // Passes over `run` zero coefficients, refining the non-zero ones on the way.
      for (; k <= scan.End; ++k) {
        std::int16_t& coefficient = block[jpeg::kZigzagToNatural[static_cast<std::size_t>(k)]];
        if (reader.Available() < 1) reader.Fill();
        if (coefficient != 0) Correct(reader, coefficient, bit);
        else if (run-- == 0) break;
      }
      if (value != 0) {
        if (k > scan.End) throw EInvalidGraphic("Invalid AC coefficient index in encoded stream");
        block[jpeg::kZigzagToNatural[static_cast<std::size_t>(k)]] = static_cast<std::int16_t>(value);
      }
    }
  }
  if (eobRun > 0) {
    for (; k <= scan.End; ++k) {
      std::int16_t& coefficient = block[jpeg::kZigzagToNatural[static_cast<std::size_t>(k)]];
      if (coefficient == 0) continue;
      if (reader.Available() < 1) reader.Fill();
      Correct(reader, coefficient, bit);
    }
    --eobRun;
  }
}

}  // namespace

void TsdJpegProgressiveCoder::Initialize(TsdJpegScale scale) {
  TsdJpegBlockCoder::Initialize(scale);
  SetupMaps(64);
}

void TsdJpegProgressiveCoder::CheckScanParameters() const {
  const int ss = Info.SS, se = Info.SE, ah = Info.AH, al = Info.AL;
  const bool dcScan = ss == 0;
  const bool valid = se <= 63 && ss <= se && (dcScan ? se == 0 : Info.ScanCount == 1) && al <= 13 &&
                     (ah == 0 || al == ah - 1);
  if (!valid)
    throw EInvalidGraphic(rtl::Format("Invalid progressive parameters: Ss=%d, Se=%d, Ah=%d, Al=%d", ss, se, ah, al));
}

void TsdJpegProgressiveCoder::DecodeScan(const std::uint8_t* data, std::size_t size, std::size_t& position) {
  CheckScanParameters();
  Budget.Charge(Info);
  const bool dcScan = Info.SS == 0;
  const bool refine = Info.AH != 0;
  jpeg::CheckScanTables(Info, dcScan && !refine, !dcScan);
  for (const TsdScanComponent& component : Info.ScanComponents) {
    const auto dc = static_cast<std::size_t>(component.DCTable), ac = static_cast<std::size_t>(component.ACTable);
    if (dcScan && !refine) DCDecoders[dc].Build(Info.DCHuffmanTables[dc]);
    if (!dcScan) ACDecoders[ac].Build(Info.ACHuffmanTables[ac]);
  }
  const ScanBits scan{Info.SS, Info.SE, Info.AL};
  EOBRun = 0;
  TsdScanWalker walker(Info, *this, data, size, position, OnDebugOut);
  walker.Run(
      [&](int s, TsdJpegBlockMap& map, int x, int y) {
        TsdScanComponent& component = Info.ScanComponents[static_cast<std::size_t>(s)];
        std::int16_t* block = map.Coefficients(x, y);
        if (dcScan && !refine)
          DecodeDCFirst(walker.Reader, DCDecoders[static_cast<std::size_t>(component.DCTable)], component.PrevDC, block, scan.Low);
        else if (dcScan)
          DecodeDCRefine(walker.Reader, block, scan.Low);
        else if (!refine)
          DecodeACFirst(walker.Reader, ACDecoders[static_cast<std::size_t>(component.ACTable)], EOBRun, block, scan);
        else
          DecodeACRefine(walker.Reader, ACDecoders[static_cast<std::size_t>(component.ACTable)], EOBRun, block, scan);
      },
      [&] {
        EOBRun = 0;
        for (TsdScanComponent& component : Info.ScanComponents) component.PrevDC = 0;
      });
  position = walker.EndPosition();
  HasCoefficients = true;
}

void TsdJpegProgressiveCoder::DecodeFinish() {
  jpeg::TrimToFrameHeight(Info, *this);
  for (int c = 0; c < MapCount(); ++c) Map(c).ReduceTo(jpeg::BlockSide(Scale));
}

void TsdJpegProgressiveCoder::EncodeScan(TStream*) {
  throw EInvalidGraphic("Progressive jpeg files cannot be encoded");
}

std::unique_ptr<TsdJpegMarker> TsdJpegProgressiveCoder::CreateOptimizedDHT() { return nullptr; }
