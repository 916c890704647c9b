#include "imaging/jpeg/JpegScanWalker.h"

#include <algorithm>

using rtl::Format;

namespace {
int CeilDiv(std::int64_t a, std::int64_t b) { return static_cast<int>((a + b - 1) / b); }
}  // namespace

TsdScanWalker::TsdScanWalker(TsdJpegCodingInfo& info, TsdJpegBlockCoder& coder, const std::uint8_t* data,
                             std::size_t size, std::size_t position, TsdDebugEvent debug)
    : Reader(data, size, position), Info(info), Coder(coder), Data(data), Size(size), Debug(std::move(debug)) {
  if (info.ScanCount == 1) {
    // A single-component scan codes the component's own blocks, one per MCU.
    const TsdFrameComponent& component = info.FrameComponents[static_cast<std::size_t>(info.ScanComponents[0].Component)];
    const int height = info.WaitForDNL ? jpeg::kMaxDimension : info.Height;
    McusX = CeilDiv(CeilDiv(std::int64_t{info.Width} * component.Hor, info.MaxHor), 8);
    McusY = CeilDiv(CeilDiv(std::int64_t{height} * component.Ver, info.MaxVer), 8);
  } else {
    McusX = info.HorzMcuCount;
    McusY = info.VertMcuCount;
  }
  Stop = std::int64_t{McusX} * McusY;
  for (TsdScanComponent& component : info.ScanComponents) component.PrevDC = 0;
}

void TsdScanWalker::EnsureRows(int mcuY) {
  for (const TsdScanComponent& scanComponent : Info.ScanComponents) {
    const int ver = Info.ScanCount == 1 ? 1 : Info.FrameComponents[static_cast<std::size_t>(scanComponent.Component)].Ver;
    Coder.Map(scanComponent.Component).EnsureRows((mcuY + 1) * ver);
  }
  RowsReady = mcuY + 1;
}

void TsdScanWalker::Chopped() const {
  if (Reader.MarkerHit) DebugOut(Format("Error: Hit Marker $%.2X", Reader.MarkerCode));
  DebugOut(Format("Error: Premature stream end at position %d", static_cast<std::int64_t>(Reader.GetPosition())));
  throw EInvalidGraphic("Input stream prematurely chopped");
}

// Data bytes may remain before the marker when the window did not reach it;
// they are passed over, stuffed 0xFF 0x00 pairs included.
static std::size_t NextMarker(const std::uint8_t* data, std::size_t size, std::size_t p) {
  while (p < size) {
    if (data[p] == 0xFF && p + 1 < size && data[p + 1] != 0x00) {
      while (p + 2 < size && data[p + 1] == 0xFF) ++p;
      return p;
    }
    p += data[p] == 0xFF ? 2 : 1;
  }
  return size;
}

std::size_t TsdScanWalker::EndPosition() const { return NextMarker(Data, Size, Reader.GetPosition()); }

void TsdScanWalker::RecordTileEntry() {
  TsdJpegTileEntry entry;
  entry.Mcu = Mcu;
  entry.Restarts = Restarts;
  entry.Reader = Reader.Save();
  for (std::size_t s = 0; s < Info.ScanComponents.size(); ++s) entry.Predictions[s] = Info.ScanComponents[s].PrevDC;
  TileEntries->push_back(entry);
}

void TsdScanWalker::ResumeAt(const TsdJpegTileEntry& entry, int stop) {
  Mcu = entry.Mcu;
  Restarts = entry.Restarts;
  Reader.Restore(entry.Reader);
  for (std::size_t s = 0; s < Info.ScanComponents.size(); ++s) Info.ScanComponents[s].PrevDC = entry.Predictions[s];
  Stop = std::min<std::int64_t>(stop, std::int64_t{McusX} * McusY);
  RowsReady = McusY;  // the caller has sized the maps for the blocks it keeps
}

// Whole bytes the window still holds past the padding of the last byte, and
// data bytes before the marker, belong to no MCU: they are passed over.
void TsdScanWalker::SkipToMarker(std::size_t marker) {
  const std::size_t inWindow = static_cast<std::size_t>(std::max(Reader.Available(), 0) / 8);
  const std::size_t skipped = inWindow + (marker - Reader.GetPosition());
  if (skipped > 0)
    DebugOut(Format("WARNING: %d superfluous bytes found at pos %d", static_cast<std::int64_t>(skipped),
                    static_cast<std::int64_t>(Reader.GetPosition() - std::min(inWindow, Reader.GetPosition()))));
}

void TsdScanWalker::Restart() {
  const std::size_t p = NextMarker(Data, Size, Reader.GetPosition());
  if (p + 1 >= Size) Chopped();
  SkipToMarker(p);
  const std::uint8_t code = Data[p + 1];
  std::size_t resume = p + 2;
  if (jpeg::IsRST(code)) {
    const int expected = Restarts % 8;
    if (code - jpeg::mkRST0 != expected)
      DebugOut(Format("WARNING: Restart interval error (expected: %d, found: %d)", expected, code - jpeg::mkRST0));
  } else if (code == jpeg::mkEOI) {
    resume = p;
  } else {
    throw EInvalidGraphic("Unexpected marker in encoded stream");
  }
  ++Restarts;
  Reader.Reset(resume);
}

bool TsdScanWalker::EarlyRestart() {
  if (!Reader.MarkerHit || !jpeg::IsRST(Reader.MarkerCode)) return false;
  DebugOut(Format("Restart interval %d (too early)", Restarts));
  ++Restarts;
  const std::int64_t next = std::int64_t{Info.RestartInterval} * Restarts;
  if (next <= Mcu) return false;
  Mcu = static_cast<int>(std::min<std::int64_t>(next, std::int64_t{McusX} * McusY));
  Reader.Reset(Reader.GetPosition() + 2);
  return true;
}

bool TsdScanWalker::DNLReached() const {
  if (!Reader.MarkerHit || Reader.Available() >= 8) return false;
  const std::size_t p = Reader.GetPosition();
  if (p + 1 >= Size || Data[p + 1] != jpeg::mkDNL) throw EInvalidGraphic("DNL marker expected");
  return true;
}
