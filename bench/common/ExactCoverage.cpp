#include "bench/common/ExactCoverage.h"

#include <algorithm>
#include <cmath>

namespace bench {

TExactCoverage::TExactCoverage(int width, int height)
    : Width(width), Height(height), Differences(static_cast<std::size_t>(width + 1) * height) {}

void TExactCoverage::AddContour(const std::vector<TPointD>& contour) {
  for (std::size_t i = 0; i < contour.size(); ++i) AddEdge(contour[i], contour[(i + 1) % contour.size()]);
}

// Splits the edge where it crosses a pixel border, so that each piece lies
// in one pixel.
void TExactCoverage::AddEdge(TPointD from, TPointD to) {
  std::vector<double> cuts{0, 1};
  const auto crossings = [&](double a, double b) {
    if (a == b) return;
    for (double k = std::ceil(std::min(a, b)); k <= std::floor(std::max(a, b)); ++k) cuts.push_back((k - a) / (b - a));
  };
  crossings(from.X, to.X);
  crossings(from.Y, to.Y);
  std::sort(cuts.begin(), cuts.end());
  const auto at = [&](double t) { return TPointD{from.X + t * (to.X - from.X), from.Y + t * (to.Y - from.Y)}; };
  for (std::size_t i = 1; i < cuts.size(); ++i)
    if (cuts[i] > cuts[i - 1]) AddPiece(at(cuts[i - 1]), at(cuts[i]));
}

// Along a scanline y inside the pixel's row, the piece adds its winding to
// everything right of it: the part of its own pixel right of its x, and the
// whole of every pixel further right. Averaged over the row's height, its
// own pixel gets dy x (x + 1 - the piece's mean x), where dy is the piece's
// signed height; the pixels after it get dy.
void TExactCoverage::AddPiece(TPointD from, TPointD to) {
  const double dy = to.Y - from.Y;
  if (dy == 0) return;
  const double meanX = (from.X + to.X) / 2;
  const int row = static_cast<int>(std::floor((from.Y + to.Y) / 2));
  if (row < 0 || row >= Height) return;
  double* differences = &Differences[static_cast<std::size_t>(row) * (Width + 1)];
  const int column = static_cast<int>(std::floor(meanX));
  if (column < 0) {
    differences[0] += dy;
  } else if (column < Width) {
    const double own = dy * (column + 1 - meanX);
    differences[column] += own;
    differences[column + 1] += dy - own;
  }
}

std::vector<double> TExactCoverage::Coverage() const {
  std::vector<double> coverage;
  coverage.reserve(static_cast<std::size_t>(Width) * Height);
  for (int y = 0; y < Height; ++y) {
    double sum = 0;
    for (int x = 0; x < Width; ++x) {
      sum += Differences[static_cast<std::size_t>(y) * (Width + 1) + x];
      coverage.push_back(std::min(std::abs(sum), 1.0));
    }
  }
  return coverage;
}

}  // namespace bench
