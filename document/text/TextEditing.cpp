// In-place editing of TdocTextBaseShape: the edit buffer, keys and mouse,
// and the caret, selection and edit frame drawn over the page as state.

#include <algorithm>
#include <array>
#include <cmath>

#include "document/render/ScreenPolygon.h"
#include "document/text/TextBaseShape.h"

namespace {

constexpr int CaretBlinkInterval = 400;  // milliseconds
constexpr TColor CaretColor = 8388608;   // navy
constexpr int CaretWidth = 2;
constexpr TColor SelectionColor = 8421504;  // grey
constexpr int HatchPeriod = 8;              // pixels between hatch lines

TPoint Pixel(const TFloatPoint& p) { return Point(document::ScreenRound(p.X), document::ScreenRound(p.Y)); }

bool OnDiagonalCross(int x, int y) {
  const auto wrap = [](int v) { return ((v % HatchPeriod) + HatchPeriod) % HatchPeriod; };
  return wrap(x + y) == 0 || wrap(x - y) == 0;
}

bool InsideConvex(const std::array<TFloatPoint, 4>& quad, float x, float y) {
  int sign = 0;
  for (std::size_t i = 0; i < quad.size(); ++i) {
    const TFloatPoint& a = quad[i];
    const TFloatPoint& b = quad[(i + 1) % quad.size()];
    const float cross = (b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X);
    if (cross == 0) continue;
    const int side = cross > 0 ? 1 : -1;
    if (sign != 0 && side != sign) return false;
    sign = side;
  }
  return true;
}

// A diagonal-cross hatch in the colour over the quadrilateral's pixels
// (their centres inside), without an outline.
void FillHatched(TCanvas& canvas, const std::array<TFloatPoint, 4>& quad, TColor color) {
  const TPixelSurface& surface = canvas.GetSurface();
  float left = quad[0].X, right = quad[0].X, top = quad[0].Y, bottom = quad[0].Y;
  for (const TFloatPoint& p : quad) {
    left = std::min(left, p.X);
    right = std::max(right, p.X);
    top = std::min(top, p.Y);
    bottom = std::max(bottom, p.Y);
  }
  const int x0 = std::max(0, static_cast<int>(std::floor(std::max(left, -1.0f))));
  const int x1 = std::min(surface.Width - 1, static_cast<int>(std::ceil(std::min(right, float(surface.Width)))));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::max(top, -1.0f))));
  const int y1 = std::min(surface.Height - 1, static_cast<int>(std::ceil(std::min(bottom, float(surface.Height)))));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (OnDiagonalCross(x, y) && InsideConvex(quad, x + 0.5f, y + 0.5f)) canvas.SetPixel(x, y, color);
}

}  // namespace

// ---- the edit buffer

void TdocTextBaseShape::StartEdit() {
  SavedText = Text;
  if (!AllowEdit) {
    CloseEdit(false);
    return;
  }
  BuildCaretPositions();
  CaretBlink = false;
  if (GetDocument()) GetDocument()->SetCaretTimer(*this, CaretBlinkInterval);
  Editor = std::make_unique<TdocLineEdit>();
  Editor->SetText(Text);
  Editor->OnChange = [this](TdocLineEdit*) { EditorChanged(); };
  if (MultiLine)
    Editor->OnKeyNavigation = [this](TdocLineEdit*, std::int32_t charPos, TKey key) { return NavigateLines(charPos, key); };
  if (TdocServices* document = GetDocument()) {
    Editor->ReadClipboard = [document] { return document->GetClipboardText(); };
    Editor->WriteClipboard = [document](const std::u16string& text) { document->SetClipboardText(text); };
  }
  Editor->SelectAll();
  FirstClick = true;
  Invalidate();
}

void TdocTextBaseShape::EndEdit(bool accept) {
  if (!Editor) return;
  if (!accept) SetText(SavedText);
  if (GetDocument()) GetDocument()->SetCaretTimer(*this, 0);
  Editor.reset();
  Invalidate();
}

void TdocTextBaseShape::CloseEdit(bool accept) {
  if (GetDocument()) GetDocument()->CloseShapeEdit(accept);
}

void TdocTextBaseShape::CaretTick() {
  CaretBlink = !CaretBlink;
  InvalidateArea();
}

// The text changed from outside while editing: the editor takes it and
// keeps its caret.
void TdocTextBaseShape::ReplaceEditorText() {
  const std::int32_t caret = Editor->GetCharPos();
  auto onChange = std::move(Editor->OnChange);
  Editor->OnChange = nullptr;
  auto restore = TdocBracketGuard([this, &onChange] { Editor->OnChange = std::move(onChange); });
  Editor->SetText(Text);
  Editor->SetCharPos(caret);
}

void TdocTextBaseShape::EditorChanged() {
  SetText(Editor->GetText());
  if (SelStart != Editor->GetSelStart() || SelLength != Editor->GetSelLength() || CaretIndex != Editor->GetCharPos()) {
    SelStart = Editor->GetSelStart();
    SelLength = Editor->GetSelLength();
    CaretIndex = Editor->GetCharPos();
    Invalidate();
  }
  BuildCaretPositions();
}

// ---- keys and mouse

void TdocTextBaseShape::EditKeyDown(TKey& key, TShiftState shift) {
  if (!Editor) return;
  if (key == VK_ESCAPE || key == VK_CANCEL)
    CloseEdit(false);
  else if (key == VK_TAB || key == VK_RETURN || key == VK_EXECUTE || key == VK_F2)
    CloseEdit(true);
  else
    Editor->KeyDown(key, shift);
}

void TdocTextBaseShape::EditKeyPress(char16_t& key) {
  if (Editor) Editor->KeyPress(key);
}

void TdocTextBaseShape::EditKeyUp(TKey& key, TShiftState shift) {
  if (Editor) Editor->KeyUp(key, shift);
}

void TdocTextBaseShape::EditDblClick() {
  if (Editor) Editor->SelectAll();
}

void TdocTextBaseShape::EditMouseDown(TMouseButton button, TShiftState /*shift*/, int x, int y) {
  if (!Editor) return;
  if (!PointInShape(Point(x, y))) {
    CloseEdit(true);
    return;
  }
  if (button != mbLeft) return;
  {
    auto onChange = std::move(Editor->OnChange);
    Editor->OnChange = nullptr;
    auto restore = TdocBracketGuard([this, &onChange] { Editor->OnChange = std::move(onChange); });
    Editor->SetText(Text);
    Editor->ClearSelection();
    Editor->SetCharPos(CaretFromPoint(x, y));
  }
  EditorChanged();
}

void TdocTextBaseShape::EditMouseMove(TShiftState /*shift*/, int x, int y) {
  if (!Editor) return;
  TdocServices* document = GetDocument();
  if (!document) return;
  document->SetEditCursor(PointInShape(Point(x, y)) ? crIBeam : crDefault);
  if (!document->IsMouseButtonHeld()) return;
  if (FirstClick) {
    FirstClick = false;
    return;
  }
  const std::int32_t caret = Editor->GetCharPos();
  std::int32_t anchor = caret;
  if (Editor->GetSelLength() > 0)
    anchor = caret == Editor->GetSelStart() ? Editor->GetSelStart() + Editor->GetSelLength() : Editor->GetSelStart();
  Editor->SetSelection(anchor, CaretFromPoint(x, y));
}

// ---- what the edit shows

TFloatPoint TdocTextBaseShape::CaretOnScreen(std::int32_t index, float dy) const {
  TFloatPoint p = CaretX[std::size_t(index)];
  if (GetMirrored()) p.X = GetDocWidth() - p.X;
  p.Y += dy;
  return ShapeToScreen(p);
}

void TdocTextBaseShape::PaintSelection(TCanvas& canvas) const {
  const std::int32_t end = std::min<std::int32_t>(SelStart + SelLength, static_cast<std::int32_t>(Text.size()));
  const auto distance = static_cast<float>(GetLineDistance());
  std::int32_t runStart = SelStart;
  while (runStart < end) {
    const std::int32_t line = CaretLine[std::size_t(runStart)];
    std::int32_t runEnd = runStart + 1;
    while (runEnd < end && CaretLine[std::size_t(runEnd)] == line) ++runEnd;
    if (line >= 0) {
      // The run ends at the caret after its last character when that still
      // lies on the line, else at that last character's own caret.
      const std::int32_t last = CaretLine[std::size_t(runEnd)] == line ? runEnd : runEnd - 1;
      FillHatched(canvas,
                  {CaretOnScreen(runStart, 0), CaretOnScreen(last, 0), CaretOnScreen(last, distance),
                   CaretOnScreen(runStart, distance)},
                  SelectionColor);
    }
    runStart = runEnd;
  }
}

void TdocTextBaseShape::PaintCaret(TCanvas& canvas) const {
  if (!CaretBlink || CaretIndex < 0 || std::size_t(CaretIndex) >= CaretX.size()) return;
  const TPen saved = canvas.GetPen();
  canvas.GetPen().SetStyle(psSolid);
  canvas.GetPen().SetMode(pmCopy);
  canvas.GetPen().SetColor(CaretColor);
  canvas.GetPen().SetWidth(CaretWidth);
  const TPoint top = Pixel(CaretOnScreen(CaretIndex, 0));
  const TPoint bottom = Pixel(CaretOnScreen(CaretIndex, static_cast<float>(GetLineDistance())));
  canvas.MoveTo(top.X, top.Y);
  canvas.LineTo(bottom.X, bottom.Y);
  canvas.SetPen(saved);
}

void TdocTextBaseShape::PaintHandles(TCanvas& canvas) const {
  if (!IsEditing()) TdocEffectShape::PaintHandles(canvas);
}

void TdocTextBaseShape::PaintEditState(TCanvas& canvas) {
  if (!Editor || canvas.GetSurface().IsEmpty()) return;
  if (PaintEditBorder) {
    if (!BorderPainter) {
      BorderPainter = std::make_unique<TdocBorderPainter>(this);
      if (GetCurbLeft() < EditBorderCurb) SetCurb(EditBorderCurb);
    }
    BorderPainter->Layout();
    BorderPainter->Paint(canvas);
  }
  if (CaretX.size() == Text.size() + 1) {
    PaintSelection(canvas);
    PaintCaret(canvas);
  }
}
