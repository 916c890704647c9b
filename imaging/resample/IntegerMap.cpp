#include "imaging/resample/IntegerMap.h"

#include <algorithm>

bool TIntegerMap::SetSize(std::int32_t width, std::int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width && height == Height) return false;
  Values.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  Width = width;
  Height = height;
  Changed();
  Resized();
  return true;
}
