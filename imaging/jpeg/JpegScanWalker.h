#pragma once
// Walks the MCUs of one scan while decoding: block order, restart intervals
// (with repair of misnumbered or early restart markers), the end of data and
// a height that a DNL segment delivers after the scan.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/jpeg/JpegBitIO.h"
#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegMarkers.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

// Where decoding stood before one MCU of a scan: enough to decode from that
// MCU on without the MCUs before it.
struct TsdJpegTileEntry {
  int Mcu = 0;
  int Restarts = 0;
  TsdBitReader::TState Reader;
  std::array<int, jpeg::kMaxComponents> Predictions{};  // DC predictions by scan component
};

class TsdScanWalker {
public:
  TsdScanWalker(TsdJpegCodingInfo& info, TsdJpegBlockCoder& coder, const std::uint8_t* data, std::size_t size,
                std::size_t position, TsdDebugEvent debug);

  // Calls block(scanComponent, map, blockX, blockY) for every block of the
  // scan in coding order and reset() at every restart.
  template <class BlockFn, class ResetFn>
  void Run(BlockFn&& block, ResetFn&& reset);

  TsdBitReader Reader;
  // Where the marker after the scan begins.
  std::size_t EndPosition() const;

  // Records an entry before every 8th MCU of each row while running.
  void RecordTileEntries(std::vector<TsdJpegTileEntry>& entries) { TileEntries = &entries; }
  // Records where decoding stands now.
  void RecordTileEntry();
  // Goes on from an entry and stops before MCU stop.
  void ResumeAt(const TsdJpegTileEntry& entry, int stop);
  int McuColumns() const { return McusX; }

private:
  void EnsureRows(int mcuY);
  void Restart();
  bool EarlyRestart();
  bool DNLReached() const;
  [[noreturn]] void Chopped() const;
  void SkipToMarker(std::size_t marker);
  void DebugOut(const std::string& text) const {
    if (Debug) Debug(text);
  }

  TsdJpegCodingInfo& Info;
  TsdJpegBlockCoder& Coder;
  const std::uint8_t* Data;
  std::size_t Size;
  TsdDebugEvent Debug;
  int McusX = 0;
  int McusY = 0;
  int Mcu = 0;
  std::int64_t Stop = 0;  // the MCU before which Run ends
  std::vector<TsdJpegTileEntry>* TileEntries = nullptr;
  int Restarts = 0;
  int RowsReady = 0;  // MCU rows whose blocks are allocated
};

template <class BlockFn, class ResetFn>
void TsdScanWalker::Run(BlockFn&& block, ResetFn&& reset) {
  const bool single = Info.ScanCount == 1;
  const int restartInterval = Info.RestartInterval;
  const std::int64_t total = std::int64_t{McusX} * McusY;
  // Kept in locals: the block decoder's stores could otherwise make the
  // compiler read them again for every MCU.
  const std::int64_t stop = Stop;
  const bool recordTiles = TileEntries != nullptr;
  while (Mcu < stop) {
    const int mcuX = Mcu % McusX, mcuY = Mcu / McusX;
    if (recordTiles && mcuX % 8 == 0) RecordTileEntry();
    if (mcuY >= RowsReady) EnsureRows(mcuY);
    for (int s = 0; s < Info.ScanCount; ++s) {
      const TsdFrameComponent& component = Info.FrameComponents[static_cast<std::size_t>(Info.ScanComponents[static_cast<std::size_t>(s)].Component)];
      TsdJpegBlockMap& map = Coder.Map(Info.ScanComponents[static_cast<std::size_t>(s)].Component);
      if (single) {
        block(s, map, mcuX, mcuY);
        continue;
      }
      for (int by = 0; by < component.Ver; ++by)
        for (int bx = 0; bx < component.Hor; ++bx) block(s, map, mcuX * component.Hor + bx, mcuY * component.Ver + by);
    }
    if (Reader.EndOfData()) {
      if (restartInterval > 0 && EarlyRestart()) {
        reset();
        continue;
      }
      Chopped();
    }
    ++Mcu;
    if (restartInterval > 0 && Mcu % restartInterval == 0 && Mcu < total) {
      Restart();
      reset();
    }
    if (Info.WaitForDNL && Mcu % McusX == 0 && DNLReached()) break;
  }
}
