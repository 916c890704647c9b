// A page of 50 turned, half-transparent shapes rendered at 11.811 dots per mm
// (300 dots per inch): first from cold caches (every shape draws itself and
// is resampled onto the page), then again from the warm caches (resampling
// only). The shapes draw text over ellipses, once plain and once with a soft
// shadow. The row compares the warm render (ours) with the cold one (the
// reference); goal: ratio at most 0.1.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

#include "bench/common/Comparison.h"
#include "document/shape/PlainServices.h"
#include "document/shape/Shape.h"
#include "document/core/StartUp.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/polygon/Polygon32.h"

namespace {

constexpr float kResolution = 11.811f;
constexpr float kPageWidth = 148, kPageHeight = 105;

// A label-like shape: an antialiased ellipse with rings inside and three
// lines of text over it, the outline and glyph work that text, barcode and
// polygon shapes do for every repaint they are not cached for.
class TLabelShape : public TdocShape {
public:
  bool Shadow = false;

  bool HasCanvasPaint() const override { return true; }
  // A soft grey shadow under the drawing, the way the shadow effect makes
  // one: the alpha blurred over one millimetre.
  void ProcessRenderedBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override {
    if (Shadow) {
      TBitmap32 shadow;
      shadow.Assign(&bitmap);
      imaging::AlphaToIntensity(shadow, 1.0f);
      imaging::BlurIntensityMap(shadow, options.BitmapResolution);
      imaging::IntensityToAlpha(shadow, 0xFF404040u);
      imaging::MergeBitmapOver(bitmap, shadow, 160);
    }
    TdocShape::ProcessRenderedBitmap(bitmap, options);
  }
  void PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) override {
    TFont& font = canvas.GetFont();
    font.SetName("DejaVu Sans");
    font.SetHeight(-static_cast<int>(std::lround(3.5 * options.BitmapResolution)));  // 3.5 mm letters
    const int line = static_cast<int>(std::lround(5 * options.BitmapResolution));
    for (int i = 0; i < 3; ++i)
      canvas.TextOut(GetPixelLeft() + line / 2, GetPixelTop() + line / 2 + i * line, "Lot 4711-0815 BEST BEFORE");
  }
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override {
    const TdocTransform& t = GetDeviceTransform();
    for (const auto& [scale, color] : {std::pair{1.0, 0xFF3060C0u}, {0.6, 0xFFE0B020u}, {0.3, 0xFF208040u}}) {
      TPolygon32 polygon;
      polygon.Antialiased = true;
      for (int i = 0; i < 512; ++i) {
        const double a = 2 * std::numbers::pi * i / 512;
        const float x = GetDocWidth() / 2 * float(1 + scale * std::cos(a));
        const float y = GetDocHeight() / 2 * float(1 + scale * std::sin(a));
        const TFloatPoint p = t.TransformPoint({x, y});
        polygon.Add({static_cast<TFixed>(p.X * 65536), static_cast<TFixed>(p.Y * 65536)});
      }
      polygon.DrawFill(bitmap, color);
    }
  }
};

void RenderPageOfTurnedShapes(benchmark::State& state) {
  document::StartUp();
  TdocPlainServices document;
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, kPageWidth, kPageHeight, 0);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> x(0, kPageWidth - 30), y(0, kPageHeight - 20), angle(0, 360);
  for (int i = 0; i < 50; ++i) {
    auto shape = std::make_unique<TLabelShape>();
    shape->SetDocFrame(x(random), y(random), 30, 20, angle(random));
    shape->SetMasterAlpha(160);
    shape->Shadow = state.range(0) != 0;
    if (shape->Shadow) shape->SetCurb(1.5f);
    page.AddShape(std::move(shape));
  }
  TBitmap32 bitmap;
  bitmap.SetSize(int(std::ceil(kPageWidth * kResolution)), int(std::ceil(kPageHeight * kResolution)));
  TdocRenderOptions options;
  options.Resolution = kResolution;
  auto render = [&] {
    bitmap.Clear(clWhite32);
    page.RenderShape(bitmap, {0, 0, kPageWidth, kPageHeight}, true, options);
  };
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    page.ClearRenderCacheAll();
    const double cold = bench::Seconds(render);
    timer.Add(bench::Seconds(render), cold);
  }
  const std::string shapes = state.range(0) != 0 ? "text over ellipse with soft shadow" : "text over ellipse";
  timer.Report(std::string("page of 50 turned shapes, ") + (state.range(0) != 0 ? "shadowed" : "plain") + ", warm/cold",
               {"render from warm caches (resampling only), " + shapes, "the same render from cold caches (no library)"});
}

}  // namespace

BENCHMARK(RenderPageOfTurnedShapes)->Arg(0)->Arg(1)->ArgName("shadow")->UseManualTime()->Unit(benchmark::kMillisecond);
