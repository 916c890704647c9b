#include "app/shapes/FittedText.h"

#include <algorithm>
#include <cstdlib>

namespace app {

int SmallerFontHeight(int height) {
  const int magnitude = std::abs(height);
  const int smaller = std::max(1, std::min(magnitude - 1, magnitude * 9 / 10));
  return height < 0 ? -smaller : smaller;
}

namespace {

bool LinesFit(TCanvas& canvas, const std::vector<std::u16string>& lines, const TRect& rect) {
  int height = 0;
  for (const std::u16string& line : lines) {
    const TSize cell = canvas.TextExtent(line);
    if (cell.cx > rect.Width()) return false;
    height += cell.cy;
  }
  return height <= rect.Height();
}

}  // namespace

std::vector<std::u16string> WrapAtBlanks(TCanvas& canvas, std::u16string_view text, int width) {
  std::vector<std::u16string> lines;
  std::u16string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(u' ', at);
    if (start == std::u16string_view::npos) break;
    const std::size_t end = std::min(text.find(u' ', start), text.size());
    const std::u16string_view word = text.substr(start, end - start);
    std::u16string longer = line;
    if (!longer.empty()) longer.push_back(u' ');
    longer.append(word);
    if (!line.empty() && canvas.TextWidth(longer) > width) {
      lines.push_back(line);
      longer.assign(word);
    }
    line.swap(longer);
    at = end;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

void PaintFittedText(TCanvas& canvas, const TRect& rect, TFont font, std::u16string_view text) {
  std::vector<std::u16string> lines;
  for (;;) {
    canvas.SetFont(font);
    lines = WrapAtBlanks(canvas, text, static_cast<int>(rect.Width()));
    if (LinesFit(canvas, lines, rect) || std::abs(font.GetHeight()) <= 1) break;
    font.SetHeight(SmallerFontHeight(font.GetHeight()));
  }
  int y = rect.Top;
  for (const std::u16string& line : lines) {
    canvas.TextOut(rect.Left, y, line);
    y += canvas.TextHeight(line);
  }
}

}  // namespace app
