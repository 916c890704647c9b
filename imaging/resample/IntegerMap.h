#pragma once
// TIntegerMap: Width x Height signed 32-bit integers, row after row (a
// kernel resampler keeps its weight table in one).

#include <cstdint>
#include <vector>

#include "imaging/core/ThreadPersistent.h"

class TIntegerMap : public TCustomMap {
public:
  std::string ClassName() const override { return "TIntegerMap"; }

  // Resizes the array to width x height (negative sizes count as 0); cells
  // keep their place in the array and new ones are 0. Notifies and fires
  // OnResize when the size changed.
  bool SetSize(std::int32_t width, std::int32_t height) override;
  bool IsEmpty() const override { return Values.empty(); }

  // Address of cell (x, y); callers keep 0 <= x < Width and 0 <= y < Height.
  std::int32_t* ValPtr(std::int32_t x, std::int32_t y) { return Values.data() + std::ptrdiff_t{y} * Width + x; }
  const std::int32_t* ValPtr(std::int32_t x, std::int32_t y) const {
    return Values.data() + std::ptrdiff_t{y} * Width + x;
  }
  std::int32_t& Value(std::int32_t x, std::int32_t y) { return *ValPtr(x, y); }
  std::int32_t Value(std::int32_t x, std::int32_t y) const { return *ValPtr(x, y); }

private:
  std::vector<std::int32_t> Values;
};
