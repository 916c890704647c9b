#include "document/render/OutsideClipKeeper.h"

#include <algorithm>
#include <cstddef>

TdocOutsideClipKeeper::TdocOutsideClipKeeper(TBitmap32& bitmap) : Bitmap(bitmap) {
  if (bitmap.GetClipping())
    Saved.assign(bitmap.GetBits(), bitmap.GetBits() + std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight()));
}

TdocOutsideClipKeeper::~TdocOutsideClipKeeper() {
  if (Saved.empty()) return;
  const TRect& clip = Bitmap.GetClipRect();
  const std::size_t width = std::size_t(Bitmap.GetWidth());
  for (std::int32_t y = 0; y < Bitmap.GetHeight(); ++y) {
    const TColor32* from = Saved.data() + std::size_t(y) * width;
    TColor32* to = Bitmap.GetBits() + std::size_t(y) * width;
    if (y < clip.Top || y >= clip.Bottom) {
      std::copy(from, from + width, to);
      continue;
    }
    std::copy(from, from + clip.Left, to);
    std::copy(from + clip.Right, from + width, to + clip.Right);
  }
}
