#pragma once
// Draws a source bitmap into a target bitmap through an arbitrary transform,
// each target pixel the average of N x N bilinear samples of the source
// (supersampled antialiasing). The renderer puts rotated, scaled and
// translucent shape caches onto the page with it.
//
// Sample positions: the centre of source pixel (i, j) is (i + 0.5, j + 0.5).
// Around the source's clip rectangle the source continues in its outer
// colour, so edges fade into the outer colour instead of being cut.

#include <cstdint>
#include <string>
#include <vector>

#include "document/render/Sampler.h"
#include "imaging/docgraphics/DocGraphics.h"

class TdocMapSampler : public TdocSampler {
public:
  TdocMapSampler();
  std::string ClassName() const override { return "TdocMapSampler"; }

  int GetOversampling() const { return Oversampling; }
  // n x n samples a pixel, n from 1 to 6; raises EInvalidOperation
  // "Illegal oversampling value" otherwise.
  void SetOversampling(int n);

  // Fills the line buffer with target pixels x0 .. x0 + count - 1 of row y;
  // the source and the transform must be set.
  virtual void SampleRow(std::int32_t x0, std::int32_t y, std::int32_t count);
  // Draws the source rectangle (in source pixels) where the transform puts
  // it in the target, blended by the source's combine mode and master alpha.
  // Without a source, target or transform nothing is drawn; a transform
  // that flattens the source to a line or point covers nothing either.
  virtual void Render(const TFloatRect& sourceRect);

  // The row the last SampleRow produced.
  const std::vector<TColor32>& GetLineBuffer() const { return LineBuffer; }

private:
  void SampleRowSingle(std::int32_t x0, std::int32_t y, std::int32_t count);
  void SampleRowSupersampled(std::int32_t x0, std::int32_t y, std::int32_t count);
  // Source position of the target point (x, y) in 1/256 pixel.
  void MapToSource(double x, double y, std::int32_t& sx, std::int32_t& sy) const;
  // Whether the row can walk with integer steps; if so, holds the source
  // offsets from the row's first pixel to its last. Pixel i lies
  // floor(total x i / (count - 1)) from the first.
  bool PrepareRowSteps(std::int32_t x0, std::int32_t y, std::int32_t count);
  // The offsets of every pixel of the row from its first.
  void FillRowSteps(std::int32_t count);
  // Splits the row's pixels into runs whose samples lie a whole source pixel
  // apart along the row and on one source row: their fractions are shared.
  void FindRuns(std::int32_t count);
  void AverageSamples(std::int32_t count);
  void BlendRow(std::int32_t x0, std::int32_t y, std::int32_t count);

  std::vector<TColor32> LineBuffer;
  // Per pixel, the four channel sums of its samples in 16-bit lanes.
  std::vector<std::uint64_t> SampleSums;
  std::vector<std::int32_t> OffsetsX;
  std::vector<std::int32_t> OffsetsY;
  std::int64_t TotalX = 0;
  std::int64_t TotalY = 0;
  struct TRun {
    std::int32_t First;
    std::int32_t Count;
    // Source offsets of the first pixel from the row's first.
    std::int32_t OffsetX;
    std::int32_t OffsetY;
  };
  std::vector<TRun> Runs;
  int Oversampling = 2;
  std::vector<TFloatPoint> SampleOffsets;
};
