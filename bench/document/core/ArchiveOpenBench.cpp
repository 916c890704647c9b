// Opening a document archive of 25 pages, each with 40 shapes and a 2-megapixel
// background picture kept in the archive, against opening the same document
// cut to its first page. Pages are read when first shown, so the long
// document should open almost as fast as the short one (goal: at most 1.3x).
// The reference side is our own one-page open: no library opens these files.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "bench/common/Comparison.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "imaging/bitmap/Bitmap32.h"

namespace {

constexpr int kPages = 25;
constexpr int kShapesPerPage = 40;
constexpr int kPictureWidth = 1600;
constexpr int kPictureHeight = 1250;

void AddPicture(TdocPage& page, int seed) {
  TBitmap32 picture;
  picture.SetSize(kPictureWidth, kPictureHeight);
  for (int y = 0; y < kPictureHeight; ++y)
    for (int x = 0; x < kPictureWidth; ++x)
      picture.SetPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>((x * 3 + y * 5 + seed * 11) & 0xFFFFFF));
  page.SetIsDefaultPage(false);
  TdocBitmapResource& background = page.GetOwnBackground();
  TdocResourceAccess access(background);
  background.SetBitmap(&picture);
  background.SetStorageMode(rsArchive);
}

std::string WriteDocument(int pages) {
  const std::string fileName = (std::filesystem::temp_directory_path() /
                                ("archive-open-bench-" + std::to_string(pages) + ".stor"))
                                   .string();
  TdocDocumentCore doc;
  doc.SetPageCount(pages);
  for (int p = 0; p < pages; ++p) {
    doc.SetCurrentPageIndex(p);
    for (int i = 0; i < kShapesPerPage; ++i) {
      auto shape = std::make_unique<TdocRectangleShape>();
      shape->SetDocFrame(5.0f + float(i % 8) * 24.0f, 5.0f + float(i / 8) * 50.0f, 20, 40, float(i * 9));
      doc.AddShape(std::move(shape));
    }
    AddPicture(*doc.GetPages(p), p);
  }
  doc.SaveToFile(fileName);
  return fileName;
}

void OpenLongDocument(benchmark::State& state) {
  document::StartUp();
  bench::PinHeapThresholds();
  static const std::string longFile = WriteDocument(kPages);
  static const std::string shortFile = WriteDocument(1);
  bench::TPairTimer timer(state);
  // Each side opens into a new document, so closing the one before is not
  // part of the time.
  auto open = [](const std::string& fileName, int pages) {
    TdocDocumentCore doc;
    const double seconds = bench::Seconds([&] { doc.LoadFromFile(fileName); });
    if (doc.GetPageCount() != pages || doc.ShapeCount() != kShapesPerPage) throw std::runtime_error("not loaded");
    return seconds;
  };
  for (auto _ : state) timer.Add(open(longFile, kPages), open(shortFile, 1));
  timer.Report("open 25 pages (40 shapes, 2 MP picture each) vs 1 page",
               {"LoadFromFile, 25-page archive", "ours: LoadFromFile, the same document with its first page only"});
}

}  // namespace

BENCHMARK(OpenLongDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(2.0));
