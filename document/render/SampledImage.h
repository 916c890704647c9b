#pragma once
// The pixels the map sampler made of a source bitmap for one placement on a
// target: the turned and supersampled rows, not yet blended. As long as the
// source, the transform and the target's size stay the same, drawing again
// only blends these rows, and the result is the one sampling would give.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/render/Transform.h"
#include "imaging/bitmap/Bitmap32.h"

class TdocSampledImage {
public:
  // Whether the rows were sampled through this transform for a target of
  // this size.
  bool Fits(const TdocTransform& toTarget, std::int32_t width, std::int32_t height) const;
  // Samples the pixels that toTarget puts near the source (whose outer colour
  // must be transparent) on a target of width x height, replacing what was held.
  void Sample(TBitmap32& source, const TdocTransform& toTarget, std::int32_t width, std::int32_t height);
  // Blends the rows onto target by the combine mode, with the master alpha.
  void DrawTo(TBitmap32& target, TCombineMode mode, std::uint32_t masterAlpha) const;
  std::size_t PixelCount() const { return Pixels.size(); }
  // Forgets the rows and gives their memory back.
  void Clear();

private:
  struct TRow {
    std::int32_t Y;
    std::int32_t Left;
    std::int32_t Right;
    std::size_t Offset;
  };

  // The transform's coefficients; a never-sampled image fits nothing.
  double Placement[6] = {};
  std::int32_t TargetWidth = -1;
  std::int32_t TargetHeight = -1;
  std::vector<TRow> Rows;
  std::vector<TColor32> Pixels;
};
