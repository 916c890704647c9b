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
  // Pixels first .. end - 1 of a row, counted from its start.
  struct TSpan {
    std::int32_t First;
    std::int32_t End;
  };
  // Samples the span of the row x0 .. x0 + count - 1 into the line buffer;
  // the rest of the buffer is left as it was. The row's sample positions do
  // not depend on the span.
  void SampleSpan(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span);
  void SampleRowSingle(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span);
  void SampleRowSupersampled(std::int32_t x0, std::int32_t y, std::int32_t count, TSpan span);
  // The part of the row whose samples can read a pixel of the source's clip
  // rectangle, a little widened; every pixel outside it is the outer
  // colour. The whole row when the row cannot walk with integer steps.
  TSpan ReachingSpan(std::int32_t x0, std::int32_t y, std::int32_t count);
  // Source position of the target point (x, y) in 1/256 pixel.
  void MapToSource(double x, double y, std::int32_t& sx, std::int32_t& sy) const;
  // Whether the row can walk with integer steps; if so, holds the source
  // offsets from the row's first pixel to its last. Pixel i lies
  // floor(total x i / (count - 1)) from the first.
  bool PrepareRowSteps(std::int32_t x0, std::int32_t y, std::int32_t count);
  // The offsets of the span's pixels from the row's first.
  void FillRowSteps(std::int32_t count, TSpan span);
  // Whether the runs below would be shorter than is worth sampling a run at
  // a time, on average.
  bool ShortRuns(std::int32_t count) const;
  // Splits the row's pixels into runs whose samples lie a whole source pixel
  // apart along the row and on one source row: their fractions are shared.
  // Only for rows without ShortRuns.
  void FindRuns(std::int32_t count);
  void AverageSamples(TSpan span);
  // Blends the span of the line buffer onto the row x0 .. of the target.
  void BlendRow(std::int32_t x0, std::int32_t y, TSpan span);

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
