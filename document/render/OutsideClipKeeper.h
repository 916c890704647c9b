#pragma once
// Canvas drawing knows no clip rectangle: what it draws while this keeper
// lives outside the bitmap's clip is put back as it was when it was made.
// Without clipping the keeper costs nothing.

#include <vector>

#include "imaging/bitmap/Bitmap32.h"

class TdocOutsideClipKeeper {
public:
  explicit TdocOutsideClipKeeper(TBitmap32& bitmap);
  ~TdocOutsideClipKeeper();

  TdocOutsideClipKeeper(const TdocOutsideClipKeeper&) = delete;
  TdocOutsideClipKeeper& operator=(const TdocOutsideClipKeeper&) = delete;

private:
  TBitmap32& Bitmap;
  std::vector<TColor32> Saved;
};
