#include "PdfProbe.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

std::string Run(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
  return output;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

std::vector<TPdfPageSize> PdfPageSizes(const std::string& path) {
  const std::string info = Run("pdfinfo -f 1 -l 100000 " + Quoted(path) + " 2>/dev/null");
  std::vector<TPdfPageSize> pages;
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    int number = 0;
    TPdfPageSize size;
    if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf pts", &number, &size.WidthPt, &size.HeightPt) == 3)
      pages.push_back(size);
  }
  return pages;
}

TGrayPage RenderPdfPage(const std::string& path, int page, int dpi) {
  const std::filesystem::path out = std::filesystem::temp_directory_path() / ("probe-" + std::to_string(getpid()));
  const std::string number = std::to_string(page);
  Run("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + number + " -l " + number + " " +
      Quoted(path) + " " + Quoted(out.string()));
  const std::string pgm = out.string() + ".pgm";
  std::ifstream file(pgm, std::ios::binary);
  TGrayPage result;
  std::string magic;
  int maxValue = 0;
  file >> magic >> result.Width >> result.Height >> maxValue;
  file.get();
  if (magic != "P5" || maxValue != 255 || result.Width <= 0 || result.Height <= 0) return {};
  result.Pixels.resize(static_cast<std::size_t>(result.Width) * result.Height);
  file.read(reinterpret_cast<char*>(result.Pixels.data()), static_cast<std::streamsize>(result.Pixels.size()));
  std::filesystem::remove(pgm);
  return result;
}

TInkBox InkBox(const TGrayPage& page, int dpi) { return InkBoxIn(page, dpi, {0, 0, 1.0e9, 1.0e9, true}); }

TInkBox InkBoxIn(const TGrayPage& page, int dpi, const TInkBox& area) {
  const double pixelsPerMm = dpi / 25.4;
  const auto pixel = [pixelsPerMm](double mm, int limit) {
    return static_cast<int>(std::clamp(std::lround(mm * pixelsPerMm), 0L, static_cast<long>(limit)));
  };
  const int x0 = pixel(area.Left, page.Width), x1 = pixel(area.Right, page.Width);
  const int y0 = pixel(area.Top, page.Height), y1 = pixel(area.Bottom, page.Height);
  int left = page.Width, top = page.Height, right = -1, bottom = -1;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (page.At(x, y) < 128) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  if (right < 0) return {};
  const double mmPerPixel = 25.4 / dpi;
  return {left * mmPerPixel, top * mmPerPixel, right * mmPerPixel, bottom * mmPerPixel, true};
}

std::filesystem::path QueueOutputDir() {
  if (const char* dir = std::getenv("LABEL_PRINT_OUTPUT_DIR"); dir != nullptr && *dir != '\0') return dir;
  const passwd* user = getpwuid(getuid());
  return std::filesystem::path(user != nullptr ? user->pw_dir : "/root") / "PDF";
}

std::string AwaitQueueOutput(const std::string& title, std::vector<TPdfPageSize>& pages) {
  constexpr auto arrivalTimeout = std::chrono::seconds(30);
  const auto deadline = std::chrono::steady_clock::now() + arrivalTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(QueueOutputDir(), error)) {
      if (entry.path().filename().string().find(title) == std::string::npos) continue;
      pages = PdfPageSizes(entry.path().string());
      if (!pages.empty()) return entry.path().string();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return {};
}
