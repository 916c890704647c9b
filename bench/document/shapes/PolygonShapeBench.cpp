// An ellipse and a rounded rectangle, 40 x 30 mm, filled and with a 0.5 mm
// outline, rendered onto a page at 11.811 dots per mm (300 dots per inch)
// as on a first paint or a print: the shape is made anew before each
// iteration, so that its contour and caches are built in the timed part.
// The reference is cairo drawing the same figure from its own arcs (an
// elliptic arc, or four quarter arcs joined by straight sides), filled and
// stroked 0.5 mm wide, in the same run, at its default antialiasing and at
// its fast one. The shapes always draw with 8 x 8 sub-samples; the pictures
// of both sides are measured against the exact one (the covered part of
// each pixel by the fill and by the outline band, from the true curves),
// and a ratio counts only where ours is as exact. Goal: ratio at most 1.0.
// The page fills its bitmap at exactly the resolution, or the shape would
// be drawn that much smaller than cairo's figure.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "bench/common/ExactCoverage.h"
#include "document/shapes/FrameShapes.h"
#include "document/shape/PlainServices.h"
#include "document/core/StartUp.h"

namespace {

constexpr float kResolution = 11.811f;
constexpr int kPixels = 590;
// About 50 mm: the page fills the bitmap at exactly the resolution.
constexpr float kPage = kPixels / kResolution;
constexpr float kOutline = 0.5f;
constexpr float kLeft = 5, kTop = 10, kWidth = 40, kHeight = 30;

// A quarter of an ellipse of radii Rx x Ry around (X, Y), from the angle
// From on (clockwise on the page), in millimetres.
struct TQuarterArc {
  double X, Y, Rx, Ry, From;
};
// Quarter arcs joined by straight sides, closed.
using TFigure = std::vector<TQuarterArc>;

constexpr double kPi = std::numbers::pi;

TFigure EllipseFigure(const TdocEllipseShape&) {
  TFigure figure;
  for (const double from : {0.0, kPi / 2, kPi, 3 * kPi / 2})
    figure.push_back({kLeft + kWidth / 2, kTop + kHeight / 2, kWidth / 2, kHeight / 2, from});
  return figure;
}

TFigure RoundRectFigure(const TdocRoundRectShape& shape) {
  const bool percent = shape.GetCornerPropertiesArePercentage();
  const double rx = std::min(shape.GetCornerWidth() * (percent ? kWidth / 100 : 1.0f), kWidth / 2);
  const double ry = std::min(shape.GetCornerHeight() * (percent ? kHeight / 100 : 1.0f), kHeight / 2);
  return {{kLeft + kWidth - rx, kTop + ry, rx, ry, -kPi / 2},
          {kLeft + kWidth - rx, kTop + kHeight - ry, rx, ry, 0},
          {kLeft + rx, kTop + kHeight - ry, rx, ry, kPi / 2},
          {kLeft + rx, kTop + ry, rx, ry, kPi}};
}

// The figure's path from cairo's own arcs: each a quarter of the unit
// circle stretched to its radii.
void TracePath(cairo_t* cairo, const TFigure& figure) {
  cairo_new_sub_path(cairo);
  for (const TQuarterArc& arc : figure) {
    cairo_save(cairo);
    cairo_translate(cairo, arc.X, arc.Y);
    cairo_scale(cairo, arc.Rx, arc.Ry);
    cairo_arc(cairo, 0, 0, 1, arc.From, arc.From + kPi / 2);
    cairo_restore(cairo);
  }
  cairo_close_path(cairo);
}

// ---- the exact picture

// A point of the figure's edge and the edge's outward unit normal there, in
// pixels.
struct TEdgePoint {
  bench::TPointD At, Normal;
};

// Chords of a quarter arc: at 250 pixels radius their sag stays below
// 1e-5 pixel.
constexpr int kArcChords = 4096;

std::vector<TEdgePoint> EdgeOf(const TFigure& figure) {
  std::vector<TEdgePoint> edge;
  for (const TQuarterArc& arc : figure)
    for (int i = 0; i <= kArcChords; ++i) {
      const double angle = arc.From + kPi / 2 * i / kArcChords, c = std::cos(angle), s = std::sin(angle);
      // The gradient of (x / rx)^2 + (y / ry)^2 points along (ry cos, rx sin).
      const double nx = arc.Ry * c, ny = arc.Rx * s, length = std::hypot(nx, ny);
      edge.push_back({{(arc.X + arc.Rx * c) * kResolution, (arc.Y + arc.Ry * s) * kResolution},
                      {nx / length, ny / length}});
    }
  return edge;
}

// The edge moved along its normal by the distance given in pixels.
std::vector<bench::TPointD> Offset(const std::vector<TEdgePoint>& edge, double distance) {
  std::vector<bench::TPointD> points;
  for (const TEdgePoint& p : edge) points.push_back({p.At.X + distance * p.Normal.X, p.At.Y + distance * p.Normal.Y});
  return points;
}

// Each pixel's colour, channel by channel, of the exact picture: blue
// filled with the covered part of the fill, then black over it with the
// covered part of the outline band (half its width either side of the
// edge).
struct TExactPicture {
  std::vector<double> Fill, Band;

  explicit TExactPicture(const TFigure& figure) {
    const std::vector<TEdgePoint> edge = EdgeOf(figure);
    std::vector<bench::TPointD> points;
    for (const TEdgePoint& p : edge) points.push_back(p.At);
    bench::TExactCoverage fill(kPixels, kPixels);
    fill.AddContour(points);
    Fill = fill.Coverage();
    const double half = kOutline / 2 * kResolution;
    std::vector<bench::TPointD> inner = Offset(edge, -half);
    std::reverse(inner.begin(), inner.end());
    bench::TExactCoverage band(kPixels, kPixels);
    band.AddContour(Offset(edge, half));
    band.AddContour(inner);
    Band = band.Coverage();
  }
  // Red, green and blue of pixel i in levels of 255.
  std::array<double, 3> Colour(std::size_t i) const {
    const double white = 255 * (1 - Fill[i]) * (1 - Band[i]), blue = 255 * (1 - Band[i]);
    return {white, white, blue};
  }
};

// Root mean square over the page's pixels and channels, and the largest
// difference, in levels of 255.
struct TPictureError {
  double Rms = 0;
  int Largest = 0;
  std::string Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "error %.2f rms, %d at most", Rms, Largest);
    return text;
  }
};

template <class Pixel>
TPictureError PictureError(const TExactPicture& exact, Pixel pixel) {
  TPictureError error;
  double squares = 0;
  for (int y = 0; y < kPixels; ++y)
    for (int x = 0; x < kPixels; ++x) {
      const TColor32 colour = pixel(x, y);
      const std::array<double, 3> expected = exact.Colour(static_cast<std::size_t>(y) * kPixels + x);
      const int channels[3] = {static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                               static_cast<int>(colour & 0xFF)};
      for (int c = 0; c < 3; ++c) {
        const double difference = channels[c] - expected[c];
        squares += difference * difference;
        error.Largest = std::max(error.Largest, static_cast<int>(std::lround(std::abs(difference))));
      }
    }
  error.Rms = std::sqrt(squares / (3.0 * kPixels * kPixels));
  return error;
}

class TCairoPage {
public:
  explicit TCairoPage(cairo_antialias_t antialias)
      : Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kPixels, kPixels)), Cairo(cairo_create(Surface)) {
    cairo_set_antialias(Cairo, antialias);
  }
  ~TCairoPage() {
    cairo_destroy(Cairo);
    cairo_surface_destroy(Surface);
  }
  // The figure filled blue and stroked black, on a white page.
  void Draw(const TFigure& figure) {
    cairo_identity_matrix(Cairo);
    cairo_set_source_rgb(Cairo, 1, 1, 1);
    cairo_paint(Cairo);
    cairo_scale(Cairo, kResolution, kResolution);
    cairo_new_path(Cairo);
    TracePath(Cairo, figure);
    cairo_set_source_rgb(Cairo, 0, 0, 1);
    cairo_fill_preserve(Cairo);
    cairo_set_source_rgb(Cairo, 0, 0, 0);
    cairo_set_line_width(Cairo, kOutline);
    cairo_set_line_join(Cairo, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(Cairo);
    cairo_surface_flush(Surface);
  }
  const unsigned char* Data() const { return cairo_image_surface_get_data(Surface); }
  TColor32 Pixel(int x, int y) const {
    TColor32 pixel;  // opaque, so premultiplied is plain
    std::memcpy(&pixel, Data() + std::ptrdiff_t{cairo_image_surface_get_stride(Surface)} * y + 4 * x, 4);
    return pixel;
  }

private:
  cairo_surface_t* Surface;
  cairo_t* Cairo;
};

// A page holding one new shape of the class, its caches empty.
template <class Shape>
struct TFreshPage {
  TdocPlainServices Document;
  TdocShape Page;
  Shape* Figure = nullptr;

  TFreshPage() {
    Page.SetDocument(&Document);
    Page.SetDocFrame(0, 0, kPage, kPage, 0);
    Figure = static_cast<Shape*>(Page.GetShapes(Page.AddShape(std::make_unique<Shape>())));
    Figure->SetDocFrame(kLeft, kTop, kWidth, kHeight, 0);
    Figure->SetOutlineWidth(kOutline);
  }
};

// Cairo's antialiasing on the reference side, by the case's argument.
struct TCairoQuality {
  cairo_antialias_t Antialias;
  const char* Name;
};
constexpr TCairoQuality kCairoQualities[] = {{CAIRO_ANTIALIAS_DEFAULT, "default antialiasing"},
                                             {CAIRO_ANTIALIAS_FAST, "fast antialiasing"}};

template <class Shape>
void RenderShape(benchmark::State& state, const std::string& name, TFigure (*figureOf)(const Shape&)) {
  document::StartUp();
  const TCairoQuality& quality = kCairoQualities[state.range(0)];
  TBitmap32 bitmap;
  bitmap.SetSize(kPixels, kPixels);
  TdocRenderOptions options;
  options.Resolution = kResolution;
  TCairoPage reference(quality.Antialias);
  const TFigure figure = figureOf(*TFreshPage<Shape>().Figure);
  bench::TPairTimer timer(state);
  std::size_t points = 0;
  for (auto _ : state) {
    auto fresh = std::make_unique<TFreshPage<Shape>>();
    timer.Iteration(
        [&] {
          bitmap.Clear(clWhite32);
          fresh->Page.RenderShape(bitmap, {0, 0, kPage, kPage}, true, options);
        },
        [&] { reference.Draw(figure); });
    benchmark::DoNotOptimize(bitmap.GetBits()[kPixels * 100 + 100]);
    benchmark::DoNotOptimize(reference.Data()[0]);
    points = fresh->Figure->GetPoints()[0].size();
  }
  // Both pictures of the last iteration against the exact one.
  const TExactPicture exact(figure);
  const TPictureError ours = PictureError(exact, [&](int x, int y) { return bitmap.GetPixel(x, y); });
  const TPictureError cairo = PictureError(exact, [&](int x, int y) { return reference.Pixel(x, y); });
  timer.Report(name + " 40 x 30 mm, 300 dpi, first paint, cairo " +
                   (quality.Antialias == CAIRO_ANTIALIAS_DEFAULT ? "default" : "fast"),
               {"TdocShape::RenderShape of a new shape (contour of " + std::to_string(points) +
                    " points, fill and outline built), 8 x 8 sub-samples; " + ours.Text(),
                std::string("cairo ") + cairo_version_string() +
                    " its own arcs, cairo_fill_preserve + cairo_stroke 0.5 mm, mitred, " + quality.Name + "; " +
                    cairo.Text()},
               {ours.Rms, cairo.Rms, "rms levels of 255 over the page's channels from the exact picture"});
}

void Ellipse(benchmark::State& state) { RenderShape<TdocEllipseShape>(state, "ellipse", EllipseFigure); }
void RoundRect(benchmark::State& state) { RenderShape<TdocRoundRectShape>(state, "rounded rectangle", RoundRectFigure); }

}  // namespace

BENCHMARK(Ellipse)->Arg(0)->Arg(1)->ArgName("cairo_fast")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RoundRect)->Arg(0)->Arg(1)->ArgName("cairo_fast")->UseManualTime()->Unit(benchmark::kMillisecond);
