// An ellipse and a rounded rectangle, 40 x 30 mm, filled and with a 0.5 mm
// outline, rendered onto a page at 11.811 dots per mm (300 dots per inch)
// as on a first paint or a print: the shape is made anew before each
// iteration, so that its contour and caches are built in the timed part.
// The reference is cairo drawing the same figure from its own arcs (an
// elliptic arc, or four quarter arcs joined by straight sides), filled and
// stroked 0.5 mm wide, in the same run. Goal: ratio at most 1.0.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <memory>
#include <numbers>
#include <string>

#include "bench/common/Comparison.h"
#include "document/shapes/FrameShapes.h"
#include "document/shape/PlainServices.h"
#include "document/core/StartUp.h"

namespace {

constexpr float kResolution = 11.811f;
constexpr float kPage = 50;  // mm
constexpr int kPixels = static_cast<int>(kPage * kResolution);
constexpr float kOutline = 0.5f;
constexpr float kLeft = 5, kTop = 10, kWidth = 40, kHeight = 30;

// The figure's path in millimetres: cairo's own arcs.
void EllipsePath(cairo_t* cairo, const TdocEllipseShape&) {
  cairo_save(cairo);
  cairo_translate(cairo, kLeft + kWidth / 2, kTop + kHeight / 2);
  cairo_scale(cairo, kWidth / 2, kHeight / 2);
  cairo_arc(cairo, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_restore(cairo);
}

void RoundRectPath(cairo_t* cairo, const TdocRoundRectShape& shape) {
  const bool percent = shape.GetCornerPropertiesArePercentage();
  const double rx = std::min(shape.GetCornerWidth() * (percent ? kWidth / 100 : 1.0f), kWidth / 2);
  const double ry = std::min(shape.GetCornerHeight() * (percent ? kHeight / 100 : 1.0f), kHeight / 2);
  // One quarter arc of the unit circle, stretched to rx x ry at a corner.
  const auto corner = [&](double x, double y, double from) {
    cairo_save(cairo);
    cairo_translate(cairo, x, y);
    cairo_scale(cairo, rx, ry);
    cairo_arc(cairo, 0, 0, 1, from, from + std::numbers::pi / 2);
    cairo_restore(cairo);
  };
  constexpr double pi = std::numbers::pi;
  cairo_new_sub_path(cairo);
  corner(kLeft + kWidth - rx, kTop + ry, -pi / 2);
  corner(kLeft + kWidth - rx, kTop + kHeight - ry, 0);
  corner(kLeft + rx, kTop + kHeight - ry, pi / 2);
  corner(kLeft + rx, kTop + ry, pi);
  cairo_close_path(cairo);
}

class TCairoPage {
public:
  TCairoPage() : Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kPixels, kPixels)), Cairo(cairo_create(Surface)) {}
  ~TCairoPage() {
    cairo_destroy(Cairo);
    cairo_surface_destroy(Surface);
  }
  // The figure filled blue and stroked black, on a white page.
  template <class Path>
  void Draw(Path&& path) {
    cairo_identity_matrix(Cairo);
    cairo_set_source_rgb(Cairo, 1, 1, 1);
    cairo_paint(Cairo);
    cairo_scale(Cairo, kResolution, kResolution);
    cairo_new_path(Cairo);
    path(Cairo);
    cairo_set_source_rgb(Cairo, 0, 0, 1);
    cairo_fill_preserve(Cairo);
    cairo_set_source_rgb(Cairo, 0, 0, 0);
    cairo_set_line_width(Cairo, kOutline);
    cairo_set_line_join(Cairo, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(Cairo);
    cairo_surface_flush(Surface);
  }
  const unsigned char* Data() const { return cairo_image_surface_get_data(Surface); }

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

template <class Shape, class Path>
void RenderShape(benchmark::State& state, const std::string& name, Path path) {
  document::StartUp();
  TBitmap32 bitmap;
  bitmap.SetSize(kPixels, kPixels);
  TdocRenderOptions options;
  options.Resolution = kResolution;
  TCairoPage reference;
  bench::TPairTimer timer(state);
  std::size_t points = 0;
  for (auto _ : state) {
    auto fresh = std::make_unique<TFreshPage<Shape>>();
    timer.Iteration(
        [&] {
          bitmap.Clear(clWhite32);
          fresh->Page.RenderShape(bitmap, {0, 0, kPage, kPage}, true, options);
        },
        [&] { reference.Draw([&](cairo_t* cairo) { path(cairo, *fresh->Figure); }); });
    benchmark::DoNotOptimize(bitmap.GetBits()[kPixels * 100 + 100]);
    benchmark::DoNotOptimize(reference.Data()[0]);
    points = fresh->Figure->GetPoints()[0].size();
  }
  timer.Report(name + " 40 x 30 mm at 300 dpi, filled and outlined, first paint",
               {"TdocShape::RenderShape of a new shape (contour of " + std::to_string(points) +
                    " points, fill and outline built), 8 x 8 sub-samples",
                std::string("cairo ") + cairo_version_string() +
                    " its own arcs, cairo_fill_preserve + cairo_stroke 0.5 mm, mitred, default antialiasing"});
}

void Ellipse(benchmark::State& state) { RenderShape<TdocEllipseShape>(state, "ellipse", EllipsePath); }
void RoundRect(benchmark::State& state) { RenderShape<TdocRoundRectShape>(state, "rounded rectangle", RoundRectPath); }

}  // namespace

BENCHMARK(Ellipse)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RoundRect)->UseManualTime()->Unit(benchmark::kMillisecond);
