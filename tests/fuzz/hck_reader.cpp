// Arbitrary bytes as an HCK picture through the registry (content check,
// page choice, reduction to a small target): reading must either raise an
// exception or give a bitmap that our writer stores and reads back unchanged.
// The last byte also chooses the page.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/ImageFiler.h"
#include "imaging/startup/SubsystemStartUp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUpSubsystem();
  TMemoryStream input;
  input.WriteBuffer(data, static_cast<std::int64_t>(size));
  input.SetPosition(0);
  const std::int32_t page = size == 0 ? 0 : data[size - 1] % 3;
  TCustomBitmap32 bitmap;
  try {
    imaging::LoadRasterFromStream(input, ".hck", bitmap, page, TSize{48, 32});
  } catch (const Exception&) {
    return 0;
  }
  if (bitmap.GetWidth() > 48 || bitmap.GetHeight() > 32) std::terminate();
  TMemoryStream output;
  THckImage().SaveToStream(output, bitmap);
  output.SetPosition(0);
  TCustomBitmap32 again;
  THckImage().LoadFromStream(output, again, 0, TSize{0, 0});
  if (bitmap.IsEmpty()) return 0;
  if (again.GetWidth() != bitmap.GetWidth() || again.GetHeight() != bitmap.GetHeight()) std::terminate();
  const std::ptrdiff_t count = std::ptrdiff_t{bitmap.GetWidth()} * bitmap.GetHeight();
  for (std::ptrdiff_t i = 0; i < count; ++i)
    if (again.GetBits()[i] != bitmap.GetBits()[i]) std::terminate();
  return 0;
}
