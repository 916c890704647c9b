// The thumbnail a saved label carries draws its barcodes. Read back from the
// saved file, it is compared column by column with the page drawn at the
// paper's resolution and reduced by area averaging written here: wherever
// the large drawing, reduced, is dark with bars, the thumbnail is too.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "ShapeTestSupport.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Bitmap.h"

namespace {

// A 100 x 70 mm page in the 80 x 60 thumbnail less a pixel a side: 0.78
// pixels a millimetre, 78 x 55 pixels from (1, 2).
constexpr float ThumbLabelWidth = 100, ThumbLabelHeight = 70;
constexpr double ThumbnailDpm = 0.78;
constexpr int ThumbPageLeft = 1, ThumbPageTop = 2;
constexpr double ThumbPaperDpm = TdocBarCodeShape::PrintDotsPerMm;

struct TThumbFrame {
  TBarcodeType Typ;
  const char* Text;
  float Left, Top, Width, Height;
};

// Barcodes as a user makes them, with their readable text under the bars.
const TThumbFrame ThumbFrames[] = {
    {bcCodeEAN13, "400638133393", 5, 5, 40, 25},
    {bcCode128B, "Label 128", 55, 5, 40, 20},
    {bcCode39, "LABEL-39", 5, 40, 60, 25},
    {bcCodeUPC_A, "03600029145", 70, 40, 25, 20},
};

double ThumbGreyOf(std::uint32_t pixel) {
  return 0.299 * (pixel >> 16 & 0xFF) + 0.587 * (pixel >> 8 & 0xFF) + 0.114 * (pixel & 0xFF);
}

// Mean grey of the rows [top, bottom) millimetres in each column of the
// paper drawing, then of the paper columns under each thumbnail column
// from first to last, each weighted by the part of it the thumbnail column
// covers.
std::vector<double> ReducedPaperColumns(const TBitmap32& paper, double top, double bottom, int first, int last) {
  const int fromRow = static_cast<int>(std::ceil(top * ThumbPaperDpm)), toRow = static_cast<int>(bottom * ThumbPaperDpm);
  std::vector<double> columns(static_cast<std::size_t>(paper.GetWidth()));
  for (int x = 0; x < paper.GetWidth(); ++x) {
    for (int y = fromRow; y < toRow; ++y) columns[static_cast<std::size_t>(x)] += ThumbGreyOf(paper.GetPixel(x, y));
    columns[static_cast<std::size_t>(x)] /= toRow - fromRow;
  }
  std::vector<double> reduced;
  const double ratio = ThumbPaperDpm / ThumbnailDpm;
  for (int column = first; column < last; ++column) {
    const double from = (column - ThumbPageLeft) * ratio, to = from + ratio;
    double sum = 0, weight = 0;
    for (int x = static_cast<int>(from); x < std::min<double>(std::ceil(to), paper.GetWidth()); ++x) {
      const double w = std::min(to, x + 1.0) - std::max(from, double(x));
      sum += w * columns[static_cast<std::size_t>(x)];
      weight += w;
    }
    reduced.push_back(sum / weight);
  }
  return reduced;
}

// Mean grey of each thumbnail column from first to last over the whole
// thumbnail rows inside [top, bottom) millimetres.
std::vector<double> ThumbnailColumns(const TPixelSurface& thumbnail, double top, double bottom, int first, int last) {
  const int fromRow = ThumbPageTop + static_cast<int>(std::ceil(top * ThumbnailDpm));
  const int toRow = ThumbPageTop + static_cast<int>(std::floor(bottom * ThumbnailDpm));
  std::vector<double> columns;
  for (int x = first; x < last; ++x) {
    double sum = 0;
    for (int y = fromRow; y < toRow; ++y) sum += ThumbGreyOf(thumbnail.Pixel(x, y));
    columns.push_back(sum / (toRow - fromRow));
  }
  return columns;
}

// Each column averaged with its two neighbours: bars a fraction of a
// thumbnail pixel wide shade a column or the next as the frame's edge falls.
std::vector<double> Blurred(const std::vector<double>& columns) {
  std::vector<double> blurred(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::size_t left = i > 0 ? i - 1 : i, right = std::min(i + 1, columns.size() - 1);
    blurred[i] = (columns[left] + columns[i] + columns[right]) / 3;
  }
  return blurred;
}

double MeanDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

struct BarcodeThumbnailTest : ::testing::Test {
  void SetUp() override {
    std::string pattern = testing::TempDir() + "thumbnail-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
    app::StartUpShapes();
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }

  std::string Folder;
};

TEST_F(BarcodeThumbnailTest, TheSavedThumbnailDrawsTheBarsOfEveryBarcodeThatPrints) {
  const std::string file = Folder + "/label.stor";
  {
    TdocDocumentCore label;
    label.SetPageCount(1);
    label.SetCurrentPageIndex(0);
    label.GetPages(0)->SetPageWidth(ThumbLabelWidth);
    label.GetPages(0)->SetPageHeight(ThumbLabelHeight);
    for (const TThumbFrame& frame : ThumbFrames) {
      auto shape = std::make_unique<TdocBarCodeShape>();
      shape->CreateNewBarcode();
      shape->GetBarcode()->SetTyp(frame.Typ);
      shape->GetBarcode()->SetText(frame.Text);
      shape->SetDocFrame(frame.Left, frame.Top, frame.Width, frame.Height, 0);
      label.AddShape(std::move(shape));
    }
    ASSERT_EQ(RefusedBarcodeMessage(*label.GetPages(0), ThumbPaperDpm), "") << "every barcode prints";
    label.SaveToFile(file);
  }
  TdocDocumentCore reopened;
  reopened.LoadFromFile(file);
  TdocPage& page = *reopened.GetPages(0);
  const TBitmap* thumbnail = page.GetThumbnail();
  ASSERT_NE(thumbnail, nullptr);
  ASSERT_EQ(thumbnail->GetWidth(), 80);
  const TPixelSurface& pixels = thumbnail->GetSurface();
  TBitmap32 paper;
  paper.SetSize(static_cast<int>(std::lround(ThumbLabelWidth * ThumbPaperDpm)), static_cast<int>(std::lround(ThumbLabelHeight * ThumbPaperDpm)));
  page.RenderPageAtResolution(paper, static_cast<float>(ThumbPaperDpm), clWhite32);

  for (const TThumbFrame& frame : ThumbFrames) {
    // The band of the bars, above the readable text.
    const double top = frame.Top + 0.1 * frame.Height, bottom = frame.Top + 0.5 * frame.Height;
    const int first = ThumbPageLeft + static_cast<int>(std::ceil(frame.Left * ThumbnailDpm));
    const int last = ThumbPageLeft + static_cast<int>((frame.Left + frame.Width) * ThumbnailDpm);
    const std::vector<double> expected = ReducedPaperColumns(paper, top, bottom, first, last);
    const std::vector<double> drawn = ThumbnailColumns(pixels, top, bottom, first, last);
    int barColumns = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      if (expected[i] < 170) {
        // The frame's edge may fall a pixel apart at the thumbnail's scale.
        ++barColumns;
        const double darkest = std::min({drawn[i], drawn[i > 0 ? i - 1 : i], drawn[std::min(i + 1, drawn.size() - 1)]});
        EXPECT_LT(darkest, 200) << frame.Text << ": column " << first + static_cast<int>(i) << " should hold bars";
      }
    }
    EXPECT_GE(barColumns, static_cast<int>(0.6 * frame.Width * ThumbnailDpm)) << frame.Text;
    const double difference = MeanDifference(Blurred(drawn), Blurred(expected));
    // Measured: 1.2 to 7.9 grey levels; the refusal's words in place of the
    // bars make it 60 and more.
    EXPECT_LT(difference, 20) << frame.Text;
  }
}

}  // namespace
