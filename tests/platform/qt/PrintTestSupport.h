#pragma once
// What the print tests share: a scratch folder and a page image of known ink.

#include <cmath>
#include <filesystem>
#include <string>

#include "platform/gdi/Surface.h"
#include "platform/qt/Printer.h"

// A fresh folder under the system's temporary folder, removed afterwards.
class TScratchDir {
public:
  explicit TScratchDir(const std::string& name)
      : Path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TScratchDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }

  const std::filesystem::path Path;
};

// Device pixels of a length in millimetres on the printer.
inline int DevicePixels(const TPrinter& printer, double mm) {
  return static_cast<int>(std::lround(mm * printer.GetResolution() / 25.4));
}

inline double DeviceMm(const TPrinter& printer, int pixels) { return pixels * 25.4 / printer.GetResolution(); }

// A small all-black image whose alpha bytes are 0, as canvas drawing leaves
// them: printing must still show it black.
class TBlackTile {
public:
  TBlackTile() : Memory(8, 4) {}
  TPixelSurface Surface() { return Memory.Surface(); }

private:
  TMemorySurface Memory;
};
