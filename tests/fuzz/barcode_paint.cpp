// Paints barcodes with arbitrary settings on a small surface. A setting the
// barcode cannot draw must end in one of the framework's exceptions; the
// pixels outside the surface are never touched (the sanitizers watch).
// Input: type, option and position bytes, Modul, three 32-bit integers
// (Left, Top, Height), a 64-bit angle and ratio, a font height byte, then
// the text.

#include <cstdint>
#include <cstring>
#include <string>

#include "barcode/Barcode.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exception.h"

namespace {

class TReader {
public:
  TReader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}

  template <class T>
  T Take() {
    T value{};
    const std::size_t n = std::min(sizeof(T), Size);
    std::memcpy(&value, Data, n);
    Data += n, Size -= n;
    return value;
  }
  std::string Rest() const { return std::string(reinterpret_cast<const char*>(Data), Size); }

private:
  const std::uint8_t* Data;
  std::size_t Size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TReader input(data, size);
  TVmBarcode barcode(nullptr);
  barcode.SetTyp(static_cast<TBarcodeType>(input.Take<std::uint8_t>() % (BarcodeTypeCount + 1)));
  barcode.SetShowText(static_cast<TBarcodeOption>(input.Take<std::uint8_t>() % 4));
  barcode.SetShowTextPosition(static_cast<TShowTextPosition>(input.Take<std::uint8_t>() % 6));
  barcode.SetModul(input.Take<std::uint8_t>() % 52);
  barcode.SetLeft(input.Take<std::int32_t>());
  barcode.SetTop(input.Take<std::int32_t>());
  barcode.SetHeight(input.Take<std::int32_t>());
  barcode.SetAngle(input.Take<double>());
  barcode.SetRatio(input.Take<double>());
  barcode.SetChecksum(input.Take<std::uint8_t>() % 2 == 1);
  TFont font;
  font.SetHeight(static_cast<std::int8_t>(input.Take<std::uint8_t>()));  // glyph size is the canvas's business
  barcode.SetShowTextFont(font);
  barcode.SetText(input.Rest());

  TMemorySurface pixels(48, 40);
  TCanvas canvas(pixels.Surface());
  try {
    barcode.PaintBarcode(canvas);
  } catch (const Exception&) {
  }
  return 0;
}
