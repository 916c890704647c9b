// Arbitrary bytes as a BMP stream: reading must either give a bitmap within
// the picture budget that writes back and reads again identically, or raise
// an exception; a header past the budget is always refused.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/startup/CoreStartUp.h"
#include "platform/rtl/Exception.h"
#include "tests/fuzz/BmpSizeLimit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUp();
  TMemoryStream input;
  input.WriteBuffer(data, static_cast<std::int64_t>(size));
  input.SetPosition(0);
  TCustomBitmap32 bitmap;
  try {
    bitmap.LoadFromStream(input);
  } catch (const Exception&) {
    return 0;
  }
  if (fuzz::DeclaredBmpPixels(data, size) > imaging::MaxPicturePixels) std::terminate();
  fuzz::RequireWithinBudget(bitmap);
  if (fuzz::PixelsOf(bitmap) > fuzz::kMaxRoundTripPixels) return 0;
  TMemoryStream output;
  bitmap.SaveToStream(output, size % 2 == 0);
  output.SetPosition(0);
  TCustomBitmap32 again;
  again.LoadFromStream(output);
  if (again.GetWidth() != bitmap.GetWidth() || again.GetHeight() != bitmap.GetHeight()) std::terminate();
  const std::ptrdiff_t count = bitmap.IsEmpty() ? 0 : std::ptrdiff_t{bitmap.GetWidth()} * bitmap.GetHeight();
  for (std::ptrdiff_t i = 0; i < count; ++i)
    if (again.GetBits()[i] != bitmap.GetBits()[i]) std::terminate();
  return 0;
}
