// What one more character of a transformed text and one more shadow on a
// shape cost. Each case is timed beside the smallest case of its kind scaled
// up to its size in the same run (ratio: ours per unit / smallest per unit,
// so 1 is a cost in proportion to the count and below 1 a bounded one):
// - curved and projective texts of 10^2 to 10^5 characters, laid out and
//   drawn through the shape's cache at 150 dots per inch (goal: ratio <= 1.2);
// - a 40 x 30 mm rectangle under 1 to 400 shadows, drawn the same way
//   (goal: ratio <= 6: the margins of a stack add up, so each of its shadows
//   runs over a larger bitmap than a single one does, until the stack's
//   shadows together walk the pixels of one picture (the picture budget);
//   a longer stack is cached coarser and costs no more as a whole).
// Peak memory growth of one run is reported beside the smallest case's
// (ratio: how many times the smallest case's growth the case takes).

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/common/Comparison.h"
#include "document/core/StartUp.h"
#include "document/effects/ShadowEffect.h"
#include "document/shape/PlainServices.h"
#include "document/shapes/FrameShapes.h"
#include "document/text/ProjectiveText.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

constexpr float kResolution = 150 / 25.4f;  // dots per mm
constexpr float kPage = 200;                // mm, square

long StatusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return 0;
}

// How far f raises the peak resident memory above what is resident before.
// It runs in a child whose heap has given its free pages back first: the
// benchmark's own earlier runs keep theirs, and f would reuse them unseen.
double PeakGrowthKiB(const std::function<void()>& f) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from now
    const long before = StatusKiB("VmRSS:");
    try {
      f();
    } catch (...) {
      _exit(1);
    }
    const long growth = StatusKiB("VmHWM:") - before;
    _exit(write(channel[1], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth) ? 0 : 1);
  }
  close(channel[1]);
  long growth = -1;
  if (child < 0 || read(channel[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth)) growth = -1;
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return static_cast<double>(growth);
}

// A page of its own with one shape made by make, drawn once through the
// shape's cache; everything is freed before it returns.
void DrawOnce(const std::function<std::unique_ptr<TdocShape>()>& make) {
  TdocPlainServices document;
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, kPage, kPage, 0);
  TdocShape& shape = *page.GetShapes(page.AddShape(make()));
  TBitmap32 bitmap;
  bitmap.SetSize(int(kPage * kResolution), int(kPage * kResolution));
  bitmap.Clear(0xFFFFFFFFu);
  TdocRenderOptions options;
  options.Resolution = kResolution;
  shape.RenderShape(bitmap, {0, 0, kPage, kPage}, false, options);
}

// Ours at count units beside the smallest case (smallest units) scaled up.
void CompareWithSmallest(benchmark::State& state, const std::string& name, const std::string& goal,
                         const bench::TSides& sides, long count, long smallest, const std::function<void(long)>& draw) {
  document::StartUp();
  bench::PinHeapThresholds();
  draw(smallest);  // fonts and glyphs loaded, buffers made
  const double scale = double(count) / double(smallest);
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Add(bench::Seconds([&] { draw(count); }), scale * bench::Seconds([&] { draw(smallest); }));
  timer.Report(name + ", per unit, goal <= " + goal, sides, double(count));
  bench::AddRow(state, name + ", peak RSS growth against the smallest case's", PeakGrowthKiB([&] { draw(count); }),
                PeakGrowthKiB([&] { draw(smallest); }), "KiB", sides);
}

std::u16string Words(long length) {
  std::u16string text;
  while (long(text.size()) < length) text += u"Hello World ";
  text.resize(std::size_t(length));
  return text;
}

void CurvedText(benchmark::State& state) {
  const long count = long(state.range(0));
  CompareWithSmallest(state, "curved text of " + std::to_string(count) + " characters", "1.2",
                      {"TdocCurvedText at 30 degrees laid out and drawn at 150 dpi", "ours: the 100-character text, times the count / 100"},
                      count, 100, [](long length) {
                        DrawOnce([length] {
                          auto text = std::make_unique<TdocCurvedText>();
                          text->SetFontName("DejaVu Sans");
                          text->SetText(Words(length));
                          text->SetCurveAngle(30);
                          return text;
                        });
                      });
}

void ProjectiveText(benchmark::State& state) {
  const long count = long(state.range(0));
  CompareWithSmallest(state, "projective text of " + std::to_string(count) + " characters", "1.2",
                      {"TdocProjectiveText in its 40 x 30 mm quadrilateral laid out and drawn at 150 dpi",
                       "ours: the 100-character text, times the count / 100"},
                      count, 100, [](long length) {
                        DrawOnce([length] {
                          auto text = std::make_unique<TdocProjectiveText>();
                          text->SetFontName("DejaVu Sans");
                          text->SetText(Words(length));
                          return text;
                        });
                      });
}

void StackedShadows(benchmark::State& state) {
  const long count = long(state.range(0));
  CompareWithSmallest(state, std::to_string(count) + " shadows on a rectangle", "6",
                      {"TdocRectangleShape 40 x 30 mm under default shadows, drawn at 150 dpi",
                       "ours: the rectangle under one shadow, times the count"},
                      count, 1, [](long shadows) {
                        DrawOnce([shadows] {
                          auto rectangle = std::make_unique<TdocRectangleShape>();
                          rectangle->SetDocBounds(80, 80, 40, 30);
                          for (long i = 0; i < shadows; ++i) rectangle->AddEffect(std::make_unique<TdocShadowEffect>());
                          return rectangle;
                        });
                      });
}

}  // namespace

BENCHMARK(CurvedText)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(0.5));
BENCHMARK(ProjectiveText)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(0.5));
BENCHMARK(StackedShadows)->Arg(1)->Arg(10)->Arg(30)->Arg(100)->Arg(400)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(0.5));
