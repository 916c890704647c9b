// An ellipse and a rounded rectangle, 40 x 30 mm, filled and with a 0.5 mm
// outline, rendered onto a page at 11.811 dots per mm (300 dots per inch)
// through the shape rendering path, timed against cairo filling and
// stroking the same contours (the shape's own points, 0.5 mm wide, mitred)
// in the same run. Counters: our processor time per shape, cairo's, and the
// ratio;
// goal: at most 1.0.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <ctime>
#include <memory>

#include "document/shapes/FrameShapes.h"
#include "document/shape/PlainServices.h"
#include "document/core/StartUp.h"

namespace {

constexpr float kResolution = 11.811f;
constexpr float kPage = 50;  // mm
constexpr int kPixels = static_cast<int>(kPage * kResolution);
constexpr float kOutline = 0.5f;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The thread's processor time, so that other work on a shared machine
// weighs on neither side.
template <class F>
double Seconds(F&& f) {
  const double start = ThreadSeconds();
  f();
  return ThreadSeconds() - start;
}

class TCairoPage {
public:
  TCairoPage() : Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kPixels, kPixels)), Cairo(cairo_create(Surface)) {}
  ~TCairoPage() {
    cairo_destroy(Cairo);
    cairo_surface_destroy(Surface);
  }
  // The contour in page millimetres, filled blue and stroked black.
  void Draw(const TdocContour& contour, float left, float top) {
    cairo_identity_matrix(Cairo);
    cairo_set_source_rgb(Cairo, 1, 1, 1);
    cairo_paint(Cairo);
    cairo_scale(Cairo, kResolution, kResolution);
    cairo_new_path(Cairo);
    for (const TFloatPoint& p : contour) cairo_line_to(Cairo, left + p.X, top + p.Y);
    cairo_close_path(Cairo);
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

template <class Shape>
void RenderShape(benchmark::State& state) {
  document::StartUp();
  TdocPlainServices document;
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, kPage, kPage, 0);
  auto* shape = static_cast<TdocPolygonShape*>(page.GetShapes(page.AddShape(std::make_unique<Shape>())));
  shape->SetDocFrame(5, 10, 40, 30, 0);
  shape->SetOutlineWidth(kOutline);
  TBitmap32 bitmap;
  bitmap.SetSize(kPixels, kPixels);
  TdocRenderOptions options;
  options.Resolution = kResolution;
  auto ours = [&] {
    bitmap.Clear(clWhite32);
    page.RenderShape(bitmap, {0, 0, kPage, kPage}, true, options);
  };
  ours();  // the contour of this resolution, for cairo to draw as well
  const TdocContour contour = shape->GetPoints()[0];
  TCairoPage reference;
  double ourTime = 0, referenceTime = 0;
  for (auto _ : state) {
    const double t = Seconds(ours);
    ourTime += t;
    referenceTime += Seconds([&] { reference.Draw(contour, 5, 10); });
    benchmark::DoNotOptimize(bitmap.GetBits()[kPixels * 100 + 100]);
    benchmark::DoNotOptimize(reference.Data()[0]);
    state.SetIterationTime(t);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1e3 * ourTime / n;
  state.counters["cairo_ms"] = 1e3 * referenceTime / n;
  state.counters["ratio"] = ourTime / referenceTime;
  state.counters["points"] = static_cast<double>(contour.size());
}

void Ellipse(benchmark::State& state) { RenderShape<TdocEllipseShape>(state); }
void RoundRect(benchmark::State& state) { RenderShape<TdocRoundRectShape>(state); }

}  // namespace

BENCHMARK(Ellipse)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RoundRect)->UseManualTime()->Unit(benchmark::kMillisecond);
