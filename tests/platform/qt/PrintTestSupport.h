#pragma once
// What the print tests share: a scratch folder and a page image of known ink.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "PdfProbe.h"
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

// The device rectangle of a rectangle given in millimetres.
inline TRect DeviceRect(const TPrinter& printer, double left, double top, double right, double bottom) {
  return Rect(DevicePixels(printer, left), DevicePixels(printer, top), DevicePixels(printer, right),
              DevicePixels(printer, bottom));
}

// Renders the first page at 150 dpi and expects the ink exactly where the
// printer was told to put it, within 0.2 mm.
inline void ExpectInkAt(const std::string& pdf, const TPrinter& printer, const TRect& dest) {
  constexpr int dpi = 150;
  constexpr double toleranceMm = 0.2;
  const TGrayPage page = RenderPdfPage(pdf, 1, dpi);
  ASSERT_GT(page.Width, 0) << pdf;
  const TInkBox ink = InkBox(page, dpi);
  ASSERT_TRUE(ink.Found) << pdf;
  EXPECT_NEAR(ink.Left, DeviceMm(printer, dest.Left), toleranceMm);
  EXPECT_NEAR(ink.Top, DeviceMm(printer, dest.Top), toleranceMm);
  EXPECT_NEAR(ink.Right, DeviceMm(printer, dest.Right), toleranceMm);
  EXPECT_NEAR(ink.Bottom, DeviceMm(printer, dest.Bottom), toleranceMm);
}

// A small all-black image whose alpha bytes are 0, as canvas drawing leaves
// them: printing must still show it black.
class TBlackTile {
public:
  TBlackTile() : Memory(8, 4) {}
  TPixelSurface Surface() { return Memory.Surface(); }

private:
  TMemorySurface Memory;
};
