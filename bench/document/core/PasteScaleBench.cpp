// Pasting a selection of 20000 picture shapes, each carrying its picture,
// against pasting 10000 of them: a ratio near 2 says a paste grows linearly
// with the resources it carries. The reference is our own smaller paste:
// no library pastes these selections.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/common/Comparison.h"
#include "document/core/DocumentCore.h"
#include "document/core/StartUp.h"
#include "document/core/TextClipboard.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

constexpr int kShapes = 20000;

struct TBenchClipboard : TdocTextClipboard {
  std::string GetText() const override { return Text; }
  void SetText(const std::string& text) override { Text = text; }
  std::string Text;
};

// The selection text of count picture shapes, each with a 6 x 4 picture of
// its own kept in the archive, copied from a document of their own.
std::string PictureSelection(int count) {
  TdocDocumentCore source;
  for (int i = 0; i < count; ++i) {
    TBitmap32 picture;
    picture.SetSize(6, 4);
    picture.Clear(0xFF000000u | static_cast<std::uint32_t>(i));
    auto shape = std::make_unique<TdocBitmapShape>();
    TdocBitmapShape& added = *shape;
    source.AddShape(std::move(shape));
    added.GetImage().SetBitmap(&picture);
    added.SetStorageMode(stArchive);
    added.SetSelected(true);
  }
  std::string text;
  source.CopySelectionToXml(text);
  return text;
}

double Paste(const std::string& selection) {
  TBenchClipboard clipboard;
  clipboard.Text = selection;
  TdocDocumentCore doc;
  doc.SetTextClipboard(&clipboard);
  return bench::Seconds([&] { doc.Paste(); });
}

void PasteTwentyThousandPictures(benchmark::State& state) {
  document::StartUp();
  bench::PinHeapThresholds();
  static const std::string all = PictureSelection(kShapes), half = PictureSelection(kShapes / 2);
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Add(Paste(all), Paste(half));
  timer.Report("paste 20000 pictures vs 10000", {"Paste, 20000 picture shapes with their pictures",
                                                 "ours: the same with 10000 picture shapes"});
}

}  // namespace

BENCHMARK(PasteTwentyThousandPictures)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(5.0));
