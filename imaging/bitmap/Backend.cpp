#include "imaging/bitmap/Backend.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/LowLevel.h"

void TCustomBackend::ChangeSize(std::int32_t& width, std::int32_t& height, std::int32_t newWidth,
                                std::int32_t newHeight, bool clearBuffer) {
  Changing();
  FinalizeSurface();
  width = 0;
  height = 0;
  if (newWidth > 0 && newHeight > 0) {
    try {
      InitializeSurface(newWidth, newHeight, clearBuffer);
    } catch (...) {
      FinalizeSurface();
      Changed();
      throw;
    }
  }
  width = newWidth;
  height = newHeight;
  Changed();
}

void TCustomBackend::TakeOver(const TColor32* pixels, std::int32_t width, std::int32_t height) {
  FinalizeSurface();
  if (width > 0 && height > 0) {
    InitializeSurface(width, height, false);
    imaging::MoveLongword(pixels, Bits, std::ptrdiff_t{width} * height);
  }
}

void TCustomBackend::Changing() { Owner->SurfaceChanging(); }

void TCustomBackend::Changed() {
  Owner->SurfaceChanged();
  TThreadPersistent::Changed();
}
