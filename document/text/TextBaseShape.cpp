// TdocTextBaseShape: construction, the property setters with their undo
// records, undo replay, and the shape hooks it takes over.

#include "document/text/TextBaseShape.h"

#include <cmath>

#include "document/shape/ShapeByteForm.h"
#include "document/shape/ShapeValues.h"
#include "platform/rtl/Cursors.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

using document::SameText;
using document::UndoTextToFloat;

namespace {

constexpr float MillimetresPerPoint = 25.4f / 72.0f;

float FiniteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

TdocTextBaseShape::TdocTextBaseShape() { Cursor = crDocCrossText; }

TdocTextBaseShape::~TdocTextBaseShape() = default;

// ---- setters

void TdocTextBaseShape::SetText(const std::u16string& value) {
  if (value == Text) return;
  RecordUndo(ckPropertyValue, "Text", rtl::Utf16ToUtf8(Text));
  Text = value;
  TextOrFontChanged();
  if (Editor) ReplaceEditorText();
  UpdatePlaceHolder();
  Relayout();
}

void TdocTextBaseShape::SetFontName(const std::string& value) {
  if (value == FontName) return;
  RecordUndo(ckPropertyValue, "FontName", FontName);
  FontName = value;
  TextOrFontChanged();
  Relayout();
}

void TdocTextBaseShape::SetFontHeight(float value) {
  value = FiniteOr(value, FontHeight);
  if (value == FontHeight) return;
  RecordUndoFloat(ckPropertyValue, "FontHeight", FontHeight);
  FontHeight = value;
  TextOrFontChanged();
  Relayout();
}

void TdocTextBaseShape::SetFontPointSize(float points) { SetFontHeight(points * MillimetresPerPoint); }

void TdocTextBaseShape::SetFontStyle(std::uint8_t value) {
  if (value == FontStyle) return;
  RecordUndoFontStyle(ckPropertyValue, "FontStyle", FontStyle);
  FontStyle = value;
  TextOrFontChanged();
  Relayout();
}

void TdocTextBaseShape::SetFontColor(TColor value) {
  if (value == FontColor) return;
  RecordUndoInteger(ckPropertyValue, "FontColor", FontColor);
  FontColor = value;
  Refresh();
  Changed();
}

void TdocTextBaseShape::SetAlignment(std::uint8_t value) {
  if (value == Alignment) return;
  RecordUndoInteger(ckPropertyValue, "Alignment", Alignment);
  Alignment = value;
  AlignLines();
  RefreshAll();
}

void TdocTextBaseShape::SetVertAlign(std::uint8_t value) {
  if (value == VertAlign) return;
  RecordUndoInteger(ckPropertyValue, "VertAlign", VertAlign);
  VertAlign = value;
  AlignLines();
  RefreshAll();
  Changed();
}

void TdocTextBaseShape::SetAutoSize(bool value) {
  if (value == AutoSize) return;
  RecordUndoBoolean(ckPropertyValue, "AutoSize", AutoSize);
  AutoSize = value;
  Invalidate();
  if (AutoSize) Relayout();
}

void TdocTextBaseShape::SetWordWrap(bool value) {
  if (value == WordWrap) return;
  RecordUndoBoolean(ckPropertyValue, "WordWrap", WordWrap);
  WordWrap = value;
  Relayout();
  Changed();
}

void TdocTextBaseShape::SetCharacterSpacing(float value) {
  value = FiniteOr(value, CharacterSpacing);
  if (value == CharacterSpacing) return;
  RecordUndoFloat(ckPropertyValue, "CharacterSpacing", CharacterSpacing);
  CharacterSpacing = value;
  TextOrFontChanged();
  Relayout();
}

void TdocTextBaseShape::SetWordSpacing(float value) {
  value = FiniteOr(value, WordSpacing);
  if (value == WordSpacing) return;
  RecordUndoFloat(ckPropertyValue, "WordSpacing", WordSpacing);
  WordSpacing = value;
  Relayout();
}

void TdocTextBaseShape::SetUseKerning(bool value) {
  if (value == UseKerning) return;
  RecordUndoBoolean(ckPropertyValue, "UseKerning", UseKerning);
  UseKerning = value;
  Relayout();
}

void TdocTextBaseShape::SetLineHeight(float value) {
  LineHeight = document::SaneLength(value);
  Relayout();
}

void TdocTextBaseShape::SetPaintEditBorder(bool value) {
  if (value == PaintEditBorder) return;
  PaintEditBorder = value;
  if (!value && BorderPainter && GetCurbLeft() == EditBorderCurb && GetCurbTop() == EditBorderCurb &&
      GetCurbRight() == EditBorderCurb && GetCurbBottom() == EditBorderCurb)
    SetCurb(0);
}

// The placeholder child stands in for the text while it is empty.
void TdocTextBaseShape::UpdatePlaceHolder() {
  TdocShape* first = GetShapes(0);
  if (first && first->ClassName() == "TdocPlaceHolder") first->SetVisible(Text.empty());
}

// ---- undo replay

void TdocTextBaseShape::SetPropertyByName(const std::string& name, const std::string& value) {
  {
    // A recorded frame goes back as it was recorded: it is not the user
    // resizing an auto-sized text, which would scale its font.
    Fitting = true;
    auto fitted = TdocBracketGuard([this] { Fitting = false; });
    TdocEffectShape::SetPropertyByName(name, value);
  }
  if (SameText(name, "AutoSize"))
    SetAutoSize(TextToBool(value));
  else if (SameText(name, "Text"))
    SetText(rtl::Utf8ToUtf16(value));
  else if (SameText(name, "FontName"))
    SetFontName(value);
  else if (SameText(name, "FontStyle"))
    SetFontStyle(FontStyleFromText(value));
  else if (SameText(name, "FontHeight"))
    SetFontHeight(UndoTextToFloat(value));
  else if (SameText(name, "FontColor"))
    SetFontColor(rtl::StrToInt(value));
  else if (SameText(name, "Alignment"))
    SetAlignment(static_cast<std::uint8_t>(rtl::StrToInt(value)));
  else if (SameText(name, "VertAlign"))
    SetVertAlign(static_cast<std::uint8_t>(rtl::StrToInt(value)));
  else if (SameText(name, "WordWrap"))
    SetWordWrap(TextToBool(value));
  else if (SameText(name, "WordSpacing"))
    SetWordSpacing(UndoTextToFloat(value));
  else if (SameText(name, "UseKerning"))
    SetUseKerning(TextToBool(value));
  else if (SameText(name, "CharacterSpacing"))
    SetCharacterSpacing(UndoTextToFloat(value));
}

// ---- shape hooks

void TdocTextBaseShape::GetDefaultSize(float& width, float& height) const {
  width = 0;
  height = static_cast<float>(GetLineDistance());
}

void TdocTextBaseShape::SetDocument(TdocServices* document) {
  TdocEffectShape::SetDocument(document);
  if (document) PaintEditBorder = document->GetPaintEditBorder();
}

void TdocTextBaseShape::SetSelected(bool value) {
  const bool wasSelected = GetSelected();
  TdocEffectShape::SetSelected(value);
  if (wasSelected && !GetSelected() && Text.empty() && GetDocument()) GetDocument()->PostAutoDelete(GetShapeId());
}

void TdocTextBaseShape::SetDocSize(float width, float height) {
  const float oldHeight = GetDocHeight();
  if (Fitting || oldHeight == 0) {
    TdocEffectShape::SetDocSize(width, height);
    return;
  }
  if (ScaleFontOnResize && AutoSize) {
    SetFontHeight(FontHeight * height / oldHeight);
    if (!MultiLine) return;
  }
  TdocEffectShape::SetDocSize(width, height);
  if (MultiLine)
    FitToText();
  else
    AlignLines();
}
