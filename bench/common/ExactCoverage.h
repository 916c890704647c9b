#pragma once
// The exact part of each pixel that closed polygons cover: the oracle the
// benchmarks measure antialiased pictures against. Pixel (x, y) is the
// square [x, x + 1) x [y, y + 1). Curves are given as polygons fine enough
// that their chords lie far below a level of 255 from the curve.

#include <vector>

namespace bench {

struct TPointD {
  double X, Y;
};

class TExactCoverage {
public:
  TExactCoverage(int width, int height);

  // A closed contour: its last point joins its first. Contours add up by
  // their signed areas, so a contour inside another running the other way
  // cuts a hole out of it.
  void AddContour(const std::vector<TPointD>& contour);
  // Each pixel's covered part, 0 to 1, row by row.
  std::vector<double> Coverage() const;

private:
  void AddEdge(TPointD from, TPointD to);
  // A piece of an edge inside one pixel.
  void AddPiece(TPointD from, TPointD to);

  int Width, Height;
  // Per row, Width + 1 differences whose running sum along the row is the
  // signed covered part of each pixel.
  std::vector<double> Differences;
};

}  // namespace bench
