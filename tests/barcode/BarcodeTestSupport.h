#pragma once
// Independent readers of module strings for the barcode tests: the module
// alphabet read by its own rules, a decoder of EAN/UPC symbols from the
// published digit tables, and a zbar scan of the rendered bars.

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "barcode/Barcode.h"
#include "platform/gdi/Surface.h"

namespace bctest {

// Element widths in modules ("1" to "4") of a module string whose elements
// are whole multiples of the narrow module.
std::string ElementWidths(std::string_view modules);

// One character per module: "1" bar, "0" space.
std::string ModuleBits(std::string_view modules);

// Digits of an EAN-13 (UPC-A with a leading 0) or UPC-E (number system, six
// digits, check digit from the parity) symbol, decoded from its module bits
// with the standard tables; "?" when the symbol is not valid.
std::string DecodeEan13(std::string_view modules);
std::string DecodeUpcE(std::string_view modules);

struct TScan {
  std::string Symbology;
  std::string Data;
  bool operator==(const TScan&) const = default;
};

// zbar's reading of a grey image, one byte a pixel, rows without padding:
// the one symbol read, or {"", ""}.
TScan ScanGrey(const std::vector<unsigned char>& pixels, unsigned width, unsigned height);

// The same for a canvas surface, its pixels taken by their green channel and
// each magnified to magnify x magnify: zbar misses elements one pixel wide.
TScan ScanSurface(const TPixelSurface& surface, int magnify = 1);

// Encodes the barcode, renders the modules with the pixel widths a scanner
// would see at its Modul and Ratio and scans them with zbar.
TScan ScanOne(TVmBarcode& barcode);

// A barcode of the given type and text with Modul 2.
std::unique_ptr<TVmBarcode> MakeBarcode(TBarcodeType typ, const std::string& text, bool checksum = false);

// The message of the E that f raises, or "<no exception>"; another
// exception type passes through and fails the test.
template <class E, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "<no exception>";
}

// GoogleTest output of scans.
void PrintTo(const TScan& scan, std::ostream* os);

}  // namespace bctest
