#pragma once
// Walks the MCUs of one scan while decoding: block order, restart intervals
// (with repair of misnumbered or early restart markers), the end of data and
// a height that a DNL segment delivers after the scan.

#include <cstdint>
#include <string>

#include "imaging/jpeg/JpegBitIO.h"
#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegMarkers.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

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

private:
  void EnsureRows(int mcuY);
  void Restart();
  bool EarlyRestart();
  bool DNLReached() const;
  [[noreturn]] void Chopped() const;
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
  int Restarts = 0;
  int RowsReady = 0;  // MCU rows whose blocks are allocated
};

template <class BlockFn, class ResetFn>
void TsdScanWalker::Run(BlockFn&& block, ResetFn&& reset) {
  const bool single = Info.ScanCount == 1;
  const int restartInterval = Info.RestartInterval;
  const std::int64_t total = std::int64_t{McusX} * McusY;
  while (Mcu < total) {
    const int mcuX = Mcu % McusX, mcuY = Mcu / McusX;
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
