// Line breaking, frame fitting, line alignment and caret positions of
// TdocTextBaseShape.

#include <algorithm>
#include <cmath>

#include "document/text/TextBaseShape.h"
#include "platform/rtl/Strings.h"
#include "xml/storage/WidestringList.h"

namespace {

using rtl::IsHighSurrogate;
using rtl::IsLowSurrogate;

bool IsBreakCharacter(char16_t c) { return c == u' ' || c == u'-'; }
bool IsInk(char16_t c) { return c > 32; }
bool IsSkippedAfterLine(char16_t c) { return c == u'\n' || c == u'\r' || c == u' '; }

}  // namespace

TdocTextSpan& TdocTextBaseShape::AddSpan() {
  Spans.push_back(std::make_unique<TdocTextSpan>(this));
  return *Spans.back();
}

double TdocTextBaseShape::GetLineDistance() const { return double{FontHeight} * LineHeight; }

std::u16string_view TdocTextBaseShape::SpanText(const TdocTextSpan& span) const {
  const std::size_t first = std::min<std::size_t>(std::size_t(std::max(span.CharPos - 1, 0)), Text.size());
  return std::u16string_view(Text).substr(first, std::size_t(std::max(span.CharCount, 0)));
}

void TdocTextBaseShape::Relayout() {
  Invalidate();
  FitToText();
  RefreshAll();
  Changed();
}

void TdocTextBaseShape::AddMeasuredLayoutSpan(std::int32_t charPos, std::int32_t charCount) {
  TdocTextSpan& span = AddSpan();
  span.CharPos = charPos;
  span.CharCount = charCount;
}

// Breaks one hard line (count characters from the 1-based start) at the
// frame width. From the whole rest of the line, candidates get shorter by
// a word (at a space or hyphen), or by a character inside a word, until one
// is narrower than the frame; then the blanks after it are skipped. The
// last break and the last visible character before every position are
// looked up in tables, so each candidate costs one measurement.
void TdocTextBaseShape::WrapHardLine(std::int32_t start, std::int32_t count) {
  const std::u16string_view line = std::u16string_view(Text).substr(std::size_t(start - 1), std::size_t(count));
  // lastBreak[n]: index of the last space or hyphen among the first n
  // characters (-1: none); lastInk[n]: length of the first n characters
  // without their trailing blanks and control characters.
  std::vector<std::int32_t> lastBreak(std::size_t(count) + 1, -1);
  std::vector<std::int32_t> lastInk(std::size_t(count) + 1, 0);
  for (std::int32_t n = 1; n <= count; ++n) {
    const char16_t c = line[std::size_t(n - 1)];
    lastBreak[std::size_t(n)] = IsBreakCharacter(c) ? n - 1 : lastBreak[std::size_t(n - 1)];
    lastInk[std::size_t(n)] = IsInk(c) ? n : lastInk[std::size_t(n - 1)];
  }
  const double frameWidth = GetDocWidth();
  std::int32_t offset = 0;
  while (offset < count) {
    const std::int32_t restLength = count - offset;
    std::int32_t k = restLength;
    while (k > 1) {
      double height = 0;
      double width = 0;
      MeasureText(start + offset, k, height, width);
      if (width < frameWidth) break;
      const std::int32_t breakAt = lastBreak[std::size_t(offset + k)];
      std::int32_t before = breakAt >= offset + 1 ? breakAt - offset : k - 1;
      // Never between the two halves of a surrogate pair.
      if (before > 1 && IsLowSurrogate(line[std::size_t(offset + before)]) &&
          IsHighSurrogate(line[std::size_t(offset + before - 1)]))
        --before;
      before = std::max(before, 1);
      k = std::max(lastInk[std::size_t(offset + before)] - offset, 0);
      // A line of nothing but blanks is left behind by skipping them below;
      // any other character must go on the line, or the rest never shrinks.
      if (k == 0 && !IsSkippedAfterLine(line[std::size_t(offset)])) k = 1;
    }
    AddMeasuredLayoutSpan(start + offset, k);
    std::int32_t i = k;
    while (i < restLength && IsSkippedAfterLine(line[std::size_t(offset + i)])) ++i;
    offset += i;
  }
}

void TdocTextBaseShape::WrapLines() {
  PrepareMeasureFont();
  Spans.clear();
  const auto length = static_cast<std::int32_t>(Text.size());
  if (!MultiLine) {
    AddMeasuredLayoutSpan(1, length);
  } else {
    std::int64_t position = 1;
    for (;;) {
      const std::int64_t start = position;
      const std::int64_t count = xml::WideScanLine(Text, position);
      if (count == -1) break;
      if (count == -2)
        AddMeasuredLayoutSpan(static_cast<std::int32_t>(start), 0);
      else if (WordWrap && count > 0)
        WrapHardLine(static_cast<std::int32_t>(start), static_cast<std::int32_t>(count));
      else
        AddMeasuredLayoutSpan(static_cast<std::int32_t>(start), static_cast<std::int32_t>(count));
      if (count == -2) break;
    }
  }
  for (const auto& span : Spans) {
    double height = 0;
    double width = 0;
    MeasureText(span->CharPos, span->CharCount, height, width);
    span->Width = static_cast<float>(width);
    span->Height = static_cast<float>(height);
  }
}

void TdocTextBaseShape::GetTextExtent(double& width, double& height) const {
  width = 0;
  height = 0;
  if (Spans.empty()) return;
  if (!MultiLine) {
    width = Spans.front()->Width;
    height = Spans.front()->Height;
    return;
  }
  for (const auto& span : Spans) width = std::max<double>(width, span->Width);
  height = GetLineDistance() * double(Spans.size());
}

void TdocTextBaseShape::FitToText() {
  WrapLines();
  if (AutoSize) {
    auto fitted = FittingBracket();
    auto update = UpdateBracket();
    double width = 0;
    double height = 0;
    GetTextExtent(width, height);
    if (width == 0 && height == 0) MeasureText(0, 0, height, width);
    if (MultiLine && WordWrap) width = GetDocWidth();
    double x = GetDocLeft();
    double y = GetDocTop();
    if (Alignment == taRightJustify)
      x = double{GetDocLeft()} + GetDocWidth() - width;
    else if (Alignment == taCenter)
      x = GetDocLeft() + (GetDocWidth() - width) * 0.5;
    if (VertAlign == vaCenter)
      y = GetDocTop() + (GetDocHeight() - height) * 0.5;
    else if (VertAlign == vaBottom)
      y = double{GetDocTop()} + GetDocHeight() - height;
    SetDocBounds(static_cast<float>(x), static_cast<float>(y), static_cast<float>(width), static_cast<float>(height));
  }
  AlignLines();
}

void TdocTextBaseShape::AlignLines() {
  const double frameWidth = GetDocWidth();
  for (const auto& span : Spans) {
    span->LineLeft = 0;
    if (Alignment == taRightJustify)
      span->LineLeft = static_cast<float>(frameWidth - span->Width);
    else if (Alignment == taCenter)
      span->LineLeft = static_cast<float>((frameWidth - span->Width) * 0.5);
  }
  double width = 0;
  double height = 0;
  GetTextExtent(width, height);
  double y = 0;
  if (VertAlign == vaCenter)
    y = (GetDocHeight() - height) * 0.5;
  else if (VertAlign == vaBottom)
    y = GetDocHeight() - height;
  for (const auto& span : Spans) {
    span->LineTop = static_cast<float>(y);
    y += GetLineDistance();
  }
  if (Editor) BuildCaretPositions();
}

// ---- caret positions

void TdocTextBaseShape::BuildCaretPositions() {
  CaretX.assign(Text.size() + 1, TFloatPoint{});
  CaretLine.assign(Text.size() + 1, -1);
  if (Text.empty() || !GetDocument()) return;
  const double scale = GetDocument()->GetScreenScale();
  if (!(scale > 0) || !std::isfinite(scale)) return;
  PrepareCaretFont(scale);
  for (std::size_t i = 0; i < Spans.size(); ++i) {
    const TdocTextSpan& span = *Spans[i];
    MeasureCaretPositions(span, scale);
    for (std::int32_t p = span.CharPos - 1; p <= span.CharPos - 1 + span.CharCount; ++p) {
      CaretX[std::size_t(p)].X += span.LineLeft;
      CaretX[std::size_t(p)].Y = span.LineTop;
      CaretLine[std::size_t(p)] = static_cast<std::int32_t>(i);
    }
  }
}

// Positions inside a surrogate pair take no caret.
bool TdocTextBaseShape::IsCaretStop(std::int32_t index) const {
  if (index < 0 || std::size_t(index) >= CaretLine.size() || CaretLine[std::size_t(index)] < 0) return false;
  return index == 0 || std::size_t(index) >= Text.size() ||
         !(IsLowSurrogate(Text[std::size_t(index)]) && IsHighSurrogate(Text[std::size_t(index - 1)]));
}

// The caret stop of the line nearest to x; the first of equals wins.
std::int32_t TdocTextBaseShape::NearestCaretOnLine(int line, float x) const {
  const TdocTextSpan& span = *Spans[std::size_t(line)];
  std::int32_t best = span.CharPos - 1;
  float bestDistance = INFINITY;
  for (std::int32_t p = span.CharPos - 1; p <= span.CharPos - 1 + span.CharCount; ++p) {
    if (!IsCaretStop(p) || CaretLine[std::size_t(p)] != line) continue;
    const float distance = std::fabs(CaretX[std::size_t(p)].X - x);
    if (distance < bestDistance) {
      best = p;
      bestDistance = distance;
    }
  }
  return best;
}

std::int32_t TdocTextBaseShape::CaretFromPoint(int x, int y) const {
  if (!Editor) return -1;
  if (Spans.empty() || CaretX.size() != Text.size() + 1) return 0;
  TFloatPoint p = ScreenToShape({float(x), float(y)});
  if (GetMirrored()) p.X = GetDocWidth() - p.X;
  const double distance = GetLineDistance();
  const auto hit = std::find_if(Spans.begin(), Spans.end(), [&](const auto& span) { return p.Y < span->LineTop + distance; });
  if (hit == Spans.end()) return -1;
  const TdocTextSpan& span = **hit;
  const std::int32_t first = span.CharPos - 1, last = first + span.CharCount;
  if (p.X >= span.LineLeft + span.Width) return last;
  const long click = std::lround(p.X);
  const auto caretFloor = [this](std::int32_t k) { return std::floor(CaretX[std::size_t(k)].X); };
  // Left of the line the caret stays at its start.
  if (click < caretFloor(first)) return first;
  std::int32_t k = first;
  while (k < last - 1 && click >= caretFloor(k + 1)) ++k;
  if (k < last - 1) return k;
  // In the last character: after it, unless the click is on its own caret.
  return std::lround(CaretX[std::size_t(k)].X) >= click ? k : last;
}

std::int32_t TdocTextBaseShape::NavigateLines(std::int32_t charPos, TKey key) const {
  const auto last = static_cast<std::int32_t>(Text.size());
  if (charPos < 0 || charPos > last || CaretLine.size() != Text.size() + 1) return charPos;
  const std::int32_t line = CaretLine[std::size_t(charPos)];
  switch (key) {
    case VK_LEFT: {
      std::int32_t p = charPos - 1;
      while (p > 0 && !IsCaretStop(p)) --p;
      return std::max(p, 0);
    }
    case VK_RIGHT: {
      std::int32_t p = charPos + 1;
      while (p < last && !IsCaretStop(p)) ++p;
      return std::min(p, last);
    }
    default:
      break;
  }
  if (line < 0) return charPos;
  const TdocTextSpan& span = *Spans[std::size_t(line)];
  switch (key) {
    case VK_END:
      return span.CharPos - 1 + span.CharCount;
    case VK_HOME:
      return span.CharPos - 1;
    case VK_UP:
    case VK_DOWN: {
      const int target = key == VK_UP ? line - 1 : line + 1;
      if (target < 0 || target >= static_cast<int>(Spans.size())) return charPos;
      return NearestCaretOnLine(target, CaretX[std::size_t(charPos)].X);
    }
    default:
      return charPos;
  }
}
