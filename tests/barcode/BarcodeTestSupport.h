#pragma once
// Independent readers for the barcode tests: the module alphabet read by its
// own rules, EAN/UPC decoders built from the published digit tables, zbar
// reading painted bitmaps, and a canvas over its own pixels.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "barcode/Barcode.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exception.h"

namespace bctest {

// Element widths "1" to "4" of a module string.
std::string ElementWidths(std::string_view modules);
// One character per module unit: "1" bar, "0" space, "A" short bar.
std::string ModuleBits(std::string_view modules);
// Digits of an EAN-13 (UPC-A with a leading 0) or UPC-E (number system, six
// digits, check digit from the parity) symbol; "?" when it is not valid.
std::string DecodeEan13(std::string_view modules);
std::string DecodeUpcE(std::string_view modules);

// A backdrop neither bars nor spaces are drawn in.
constexpr TColor Backdrop = 0x607080;

struct TPaintSurface {
  TPaintSurface(int width, int height, TColor backdrop = Backdrop);
  TColor At(int x, int y) const { return Canvas.GetPixel(x, y); }
  std::vector<std::uint32_t> Pixels() { return {Memory.Surface().Bits, Memory.Surface().Bits + Width * Height}; }

  const int Width, Height;
  TMemorySurface Memory;
  TCanvas Canvas;
};

using TScan = std::pair<std::string, std::string>;  // symbology and data

// zbar's reading of the barcode painted alone on white inside a quiet zone
// (Left and Top are moved there; Height 0 becomes 24): the one symbol read.
TScan ScanPainted(TVmBarcode& barcode);
// Every symbol zbar finds in a width x height picture of grey bytes.
std::vector<TScan> ScanGrey(const std::vector<unsigned char>& grey, int width, int height);

std::unique_ptr<TVmBarcode> MakeBarcode(TBarcodeType typ, const std::string& text, bool checksum = false);

// The message of the Exception that f raises, or "<no exception>".
template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<no exception>";
}

}  // namespace bctest
