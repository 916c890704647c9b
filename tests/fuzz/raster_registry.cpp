// Arbitrary bytes as a picture of unknown kind: the registry chooses the
// format by content (HCK and JPEG by their signatures, BMP for the rest)
// and that format reads it. Reading must raise an exception or give a
// bitmap within the picture budget that the same format writes, and reads
// back at the same size; a BMP header past the budget is always refused.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/RasterFormat.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "tests/fuzz/BmpSizeLimit.h"

namespace {

TSize Loaded(const TRasterClass& rasterClass, TStream& stream, TCustomBitmap32& bitmap) {
  rasterClass.Create()->LoadFromStream(stream, bitmap, 0, TSize{64, 64});
  return TSize{bitmap.GetWidth(), bitmap.GetHeight()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUpSubsystem();
  TMemoryStream input;
  input.WriteBuffer(data, static_cast<std::int64_t>(size));
  input.SetPosition(0);
  const TRasterClass* rasterClass = imaging::RasterFormats().FindByContent(input);
  // BMP takes whatever no format with a content test claims.
  if (rasterClass == nullptr || input.GetPosition() != 0) std::terminate();
  TCustomBitmap32 bitmap;
  TSize loaded;
  try {
    loaded = Loaded(*rasterClass, input, bitmap);
  } catch (const Exception&) {
    return 0;
  }
  if (fuzz::DeclaredBmpPixels(data, size) > imaging::MaxPicturePixels) std::terminate();
  fuzz::RequireWithinBudget(bitmap);
  if (bitmap.IsEmpty() || fuzz::PixelsOf(bitmap) > fuzz::kMaxRoundTripPixels) return 0;
  TMemoryStream output;
  rasterClass->Create()->SaveToStream(output, bitmap);
  output.SetPosition(0);
  if (imaging::RasterFormats().FindByContent(output) != rasterClass) std::terminate();
  TCustomBitmap32 again;
  if (!(Loaded(*rasterClass, output, again) == loaded)) std::terminate();
  return 0;
}
