// Saving a label of 10 to 10,000 shapes, half of them drawn through a cache
// (turned), half of them texts. Each save rewrites the page and, with
// thumbnails on, draws the 80 x 60 pixel thumbnail. The reference side is
// our own save of the same document with thumbnails off, so the ratio is
// what the thumbnail adds: it should stay near 1 at every shape count.
// Besides the times, each case reports the most heap memory the save takes
// on top of what the process held before it, beside the memory the document
// itself took when it was built (counted allocations, so that what an
// earlier case freed but the heap kept does not hide a peak). Goal: the
// save's peak stays within the document's memory plus 64 MB at 10,000
// shapes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/common/Comparison.h"
#include "bench/document/core/HeapCounter.h"
#include "document/core/DocumentCore.h"
#include "document/core/StartUp.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "document/text/TextShape.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

constexpr float kLabelWidth = 100;
constexpr float kLabelHeight = 70;
constexpr double kMiB = 1024.0 * 1024.0;

std::unique_ptr<TdocShape> MakeShape(int i) {
  const float x = float(i % 20) * 4.8f + 1, y = float(i / 20 % 14) * 4.8f + 1;
  const float angle = i % 2 == 1 ? 30.0f : 0.0f;
  if (i % 4 < 2) {
    auto text = std::make_unique<TdocTextShape>();
    text->SetFontName("DejaVu Sans");
    text->SetFontHeight(2.5f);
    text->SetText(u"Lot " + std::u16string(1, char16_t(u'0' + i % 10)));
    text->SetDocFrame(x, y, 9, 4, angle);
    return text;
  }
  auto frame = std::make_unique<TdocRectangleShape>();
  frame->SetDocFrame(x, y, 6, 3, angle);
  return frame;
}

// The label as it is when just opened, before anything drew it: no shape
// holds a cache.
void ForgetCaches(TdocPage& page) { page.ClearRenderCacheAll(); }

struct TLabel {
  std::unique_ptr<TdocDocumentCore> Document;
  double OwnBytes = 0;  // heap memory the document took when built
};

TLabel BuildLabel(int shapes) {
  TLabel label;
  const std::int64_t before = bench::HeapBytes();
  label.Document = std::make_unique<TdocDocumentCore>();
  TdocDocumentCore& doc = *label.Document;
  doc.SetPageCount(1);
  doc.SetCurrentPageIndex(0);
  TdocPage& page = *doc.GetPages(0);
  page.SetPageWidth(kLabelWidth);
  page.SetPageHeight(kLabelHeight);
  for (int i = 0; i < shapes; ++i) doc.AddShape(MakeShape(i));
  label.OwnBytes = double(bench::HeapBytes() - before);
  return label;
}

struct TSave {
  double Seconds = 0;
  double PeakBytes = 0;  // heap memory above the start during the save
};

TSave Save(TdocDocumentCore& doc, bool thumbnails) {
  doc.Options.StoreThumbnails = thumbnails;
  ForgetCaches(*doc.GetPages(0));
  doc.GetPages(0)->SetModified(true);
  TMemoryStream out;
  bench::ResetHeapPeak();
  const std::int64_t start = bench::HeapBytes();
  TSave save;
  save.Seconds = bench::Seconds([&] { doc.SaveToStream(out); });
  save.PeakBytes = double(bench::HeapPeakBytes() - start);
  // The save made the thumbnail afresh, or left it alone.
  if (doc.GetPages(0)->GetThumbnailDirty() == thumbnails || out.GetSize() == 0)
    throw std::runtime_error("not saved as asked");
  return save;
}

void SaveLabel(benchmark::State& state) {
  document::StartUp();
  const int shapes = static_cast<int>(state.range(0));
  TLabel label = BuildLabel(shapes);
  bench::TPairTimer timer(state);
  double peakWith = 0, peakWithout = 0;
  for (auto _ : state) {
    const TSave with = Save(*label.Document, true);
    const TSave without = Save(*label.Document, false);
    timer.Add(with.Seconds, without.Seconds);
    peakWith = std::max(peakWith, with.PeakBytes);
    peakWithout = std::max(peakWithout, without.PeakBytes);
  }
  const std::string count = std::to_string(shapes);
  timer.Report("save " + count + " shapes: with thumbnail vs without",
               {"SaveToStream, thumbnail stored", "ours: SaveToStream, StoreThumbnails off"});
  state.counters["doc_MB"] = label.OwnBytes / kMiB;
  state.counters["save_peak_MB"] = peakWith / kMiB;
  state.counters["save_peak_no_thumb_MB"] = peakWithout / kMiB;
}

// An archive of pages never shown since it was opened: only their streams
// exist, each a page with a few shapes.
constexpr int kUnloadedPages = 9999;

void PutStream(TsdStorage& storage, const std::string& name, const std::string& text) {
  TMemoryStream stream;
  stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
  stream.SetPosition(0);
  storage.WriteStream(name, stream);
}

std::unique_ptr<TMemoryStream> ManyPagesArchive() {
  TsdStorage storage;
  PutStream(storage, "Index.xml", "<?xml version=\"1.0\"?><Document><StoreThumbnails>False</StoreThumbnails></Document>");
  for (int i = 1; i <= kUnloadedPages; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Page%04d.xml", i);
    PutStream(storage, name,
              "<Page Index=\"" + std::to_string(i) + "\"><IsDefaultPage>True</IsDefaultPage></Page>");
  }
  auto archive = std::make_unique<TMemoryStream>();
  storage.SaveToStream(*archive);
  return archive;
}

void SaveUnloadedPages(benchmark::State& state) {
  document::StartUp();
  static const std::unique_ptr<TMemoryStream> archive = ManyPagesArchive();
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    archive->SetPosition(0);
    TdocDocumentCore doc;
    doc.LoadFromStream(*archive);
    if (doc.GetPageCount() != kUnloadedPages) throw std::runtime_error("pages not counted");
    TMemoryStream saved;
    const double ours = bench::Seconds([&] { doc.SaveToStream(saved); });
    archive->SetPosition(0);
    TsdStorage storage;
    storage.LoadFromStream(*archive);
    TMemoryStream copied;
    const double streams = bench::Seconds([&] { storage.SaveToStream(copied); });
    timer.Add(ours, streams);
  }
  timer.Report("save 9999 pages never loaded vs their streams copied",
               {"SaveToStream of the opened document", "ours: the container alone written out"});
}

}  // namespace

BENCHMARK(SaveUnloadedPages)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
BENCHMARK(SaveLabel)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(bench::MinTime(3.0));
