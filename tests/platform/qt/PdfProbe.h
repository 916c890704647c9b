#pragma once
// Reads printed PDF files back with poppler's command-line tools, which
// share nothing with the toolkit that wrote them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TPdfPageSize {
  double WidthPt = 0;
  double HeightPt = 0;
};

// Page count and the size of every page in points, from pdfinfo; no pages
// when the file is not a readable PDF.
std::vector<TPdfPageSize> PdfPageSizes(const std::string& path);

struct TGrayPage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // rows top-down, 0 black .. 255 white
  std::uint8_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

// One page rendered by pdftoppm in grey at the given resolution.
TGrayPage RenderPdfPage(const std::string& path, int page, int dpi);

struct TInkBox {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;  // in millimetres from the sheet's top-left corner
  bool Found = false;
};

// The bounding box of the pixels darker than mid-grey, in millimetres.
TInkBox InkBox(const TGrayPage& page, int dpi);
// The same within area (millimetres; Found is ignored).
TInkBox InkBoxIn(const TGrayPage& page, int dpi, const TInkBox& area);

// Where the CUPS PDF queue writes: LABEL_PRINT_OUTPUT_DIR, by default ~/PDF
// of the printing user.
std::filesystem::path QueueOutputDir();
// The queue names its files after the job title; the file is complete once
// poppler can read its pages. Empty when none arrives within 30 s.
std::string AwaitQueueOutput(const std::string& title, std::vector<TPdfPageSize>& pages);

constexpr double PointsPerMm = 72.0 / 25.4;
