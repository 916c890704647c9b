#pragma once
// TdocTextBaseShape: a shape that shows a text in one font, size, style and
// colour, laid out as lines inside its frame. It holds the text model, the
// line breaking, the automatic sizing of the frame, in-place editing with
// caret and selection, undo replay and the XML form; measuring and drawing
// belong to its descendants (TdocTextShape draws with the canvas, the glyph
// texts with outlines).
//
// Lengths are millimetres in the shape's own frame (origin at its top-left
// corner, y down). Text positions are UTF-16 units; spans count from 1.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/editor/BorderPainter.h"
#include "document/effects/EffectShape.h"
#include "document/text/LineEdit.h"

class TdocTextBaseShape;

// The sample by which the text shapes measure a font: a text is never taken
// narrower than it, and its height is the font's cell.
inline constexpr std::u16string_view kFontReferenceText = u"Www";

// One laid-out line of the text.
class TdocTextSpan : public TPersistent {
public:
  explicit TdocTextSpan(TdocTextBaseShape* owner) : Owner(owner) {}

  std::string ClassName() const override { return "TdocTextSpan"; }
  virtual void SaveToXml(TXmlNode& node) const;
  virtual void LoadFromXml(const TXmlNode& node);

  // The first character's 1-based index in the text and the line's length.
  std::int32_t CharPos = 1;
  std::int32_t CharCount = 0;
  float LineTop = 0;   // top of the line in the frame
  float LineLeft = 0;  // alignment offset
  float Height = 0;    // measured
  float Width = 0;     // measured
  TdocTextBaseShape* Owner;
};

// Ordinals are stored.
enum TdocTextAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TdocVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };

class TdocTextBaseShape : public TdocEffectShape {
public:
  TdocTextBaseShape();
  ~TdocTextBaseShape() override;

  // ---- properties; each setter records the old value for undo
  const std::u16string& GetText() const { return Text; }
  virtual void SetText(const std::u16string& value);
  virtual const std::string& GetFontName() const { return FontName; }
  virtual void SetFontName(const std::string& value);
  virtual float GetFontHeight() const { return FontHeight; }
  virtual void SetFontHeight(float value);
  // FontHeight from points (1/72 inch).
  void SetFontPointSize(float points);
  virtual std::uint8_t GetFontStyle() const { return FontStyle; }
  virtual void SetFontStyle(std::uint8_t value);
  virtual TColor GetFontColor() const { return FontColor; }
  virtual void SetFontColor(TColor value);
  std::uint8_t GetAlignment() const { return Alignment; }
  void SetAlignment(std::uint8_t value);
  std::uint8_t GetVertAlign() const { return VertAlign; }
  void SetVertAlign(std::uint8_t value);
  bool GetAutoSize() const { return AutoSize; }
  void SetAutoSize(bool value);
  bool GetWordWrap() const { return WordWrap; }
  void SetWordWrap(bool value);
  float GetCharacterSpacing() const { return CharacterSpacing; }
  void SetCharacterSpacing(float value);
  float GetWordSpacing() const { return WordSpacing; }
  void SetWordSpacing(float value);
  bool GetUseKerning() const { return UseKerning; }
  void SetUseKerning(bool value);
  float GetLineHeight() const { return LineHeight; }
  // Not recorded for undo; a negative or non-finite factor counts as 0.
  virtual void SetLineHeight(float value);
  bool GetMultiLine() const { return MultiLine; }
  bool GetScaleFontOnResize() const { return ScaleFontOnResize; }
  void SetScaleFontOnResize(bool value) { ScaleFontOnResize = value; }
  bool GetPaintEditBorder() const { return PaintEditBorder; }
  // Switching it off while a border painter exists lowers a curb of
  // exactly 2 mm (the painter's) to 0.
  void SetPaintEditBorder(bool value);

  // ---- layout
  int GetSpanCount() const { return static_cast<int>(Spans.size()); }
  const TdocTextSpan& GetSpans(int index) const { return *Spans.at(std::size_t(index)); }
  virtual TdocTextSpan& AddSpan();
  // Line distance in millimetres: FontHeight x LineHeight.
  virtual double GetLineDistance() const;
  // Extent of the characters charPos .. charPos + charCount - 1 (1-based).
  virtual void MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) = 0;
  // Invalidate, FitToText, RefreshAll, Changed.
  virtual void Relayout();
  // Breaks the text into lines, fits an auto-sized frame to them keeping
  // its anchored edge or centre, and aligns the lines.
  void FitToText();
  // Width of the widest line and height of all lines (multi-line), else
  // the only line's extent.
  void GetTextExtent(double& width, double& height) const;
  void AlignLines();

  // ---- in-place editing
  TdocLineEdit* GetEditor() const { return Editor.get(); }
  // While the document edits the shape its edit border and selection stand
  // in for the resize handles (PaintEditState).
  void PaintHandles(TCanvas& canvas) const override;
  // Caret index under a client pixel on the line under it: the caret left of
  // the click (round(x) against floor(caret x)), except in the last
  // character, whose click gives the caret after it; the line's first caret
  // left of the line, its last right of it; -1 below all lines and when not
  // editing.
  std::int32_t CaretFromPoint(int x, int y) const;
  std::int32_t GetCaretIndex() const { return CaretIndex; }
  bool GetCaretBlink() const { return CaretBlink; }
  // The caret's blink phase changes; the document calls it on its timer.
  void CaretTick();
  // Caret position before each character and after the last one.
  const std::vector<TFloatPoint>& GetCaretPositions() const { return CaretX; }
  const std::vector<std::int32_t>& GetCaretLines() const { return CaretLine; }
  void BuildCaretPositions();
  const TdocBorderPainter* GetBorderPainter() const { return BorderPainter.get(); }

  void StartEdit() override;
  void EndEdit(bool accept) override;
  void EditKeyDown(TKey& key, TShiftState shift) override;
  void EditKeyPress(char16_t& key) override;
  void EditKeyUp(TKey& key, TShiftState shift) override;
  void EditDblClick() override;
  void EditMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void EditMouseMove(TShiftState shift, int x, int y) override;
  void PaintEditState(TCanvas& canvas) override;

  // ---- shape overrides
  void GetDefaultSize(float& width, float& height) const override;
  void SetDocument(TdocServices* document) override;
  void SetSelected(bool value) override;
  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  virtual void PrepareMeasureFont() {}
  virtual void PrepareCaretFont(double /*scale*/) {}
  // Fills the caret positions of the span's characters (shape-local x,
  // without the line's left offset) at the given pixels per millimetre.
  virtual void MeasureCaretPositions(const TdocTextSpan& /*span*/, double /*scale*/) {}
  void SetDocSize(float width, float height) override;
  // Called when a change of text or font makes earlier measurements stale.
  std::uint64_t GetLayoutStamp() const { return LayoutStamp; }
  void TextOrFontChanged() { ++LayoutStamp; }
  // The caret positions measured by MeasureCaretPositions.
  std::vector<TFloatPoint>& CaretPositions() { return CaretX; }
  std::u16string_view SpanText(const TdocTextSpan& span) const;
  // True while the frame is being fitted: size changes then come from the
  // fitting, not from the user.
  bool IsFitting() const { return Fitting; }
  // Marks a fitting until the guard goes; nested brackets keep the mark.
  auto FittingBracket() {
    const bool was = Fitting;
    Fitting = true;
    return TdocBracketGuard([this, was] { Fitting = was; });
  }

  bool MultiLine = false;
  bool WordWrap = false;
  bool ScaleFontOnResize = true;

private:
  // The curb the edit border needs around the frame, in millimetres.
  static constexpr float EditBorderCurb = 2.0f;

  void WrapLines();
  void WrapHardLine(std::int32_t start, std::int32_t count);
  void AddMeasuredLayoutSpan(std::int32_t charPos, std::int32_t charCount);
  bool StoredSpansFitText() const;
  void LoadTextProperties(const TXmlNode& node);
  void ReplaceEditorText();
  void EditorChanged();
  std::int32_t NavigateLines(std::int32_t charPos, TKey key) const;
  bool IsCaretStop(std::int32_t index) const;
  std::int32_t NearestCaretOnLine(int line, float x) const;
  void CloseEdit(bool accept);
  void PaintSelection(TCanvas& canvas) const;
  void PaintCaret(TCanvas& canvas) const;
  TFloatPoint CaretOnScreen(std::int32_t index, float dy) const;
  void UpdatePlaceHolder();

  std::vector<std::unique_ptr<TdocTextSpan>> Spans;
  bool AutoSize = true;
  bool Fitting = false;
  std::string FontName = "Arial";
  float FontHeight = 12.0f;
  std::uint8_t FontStyle = 0;
  TColor FontColor = 0;
  std::u16string Text;
  std::uint8_t Alignment = taLeftJustify;
  std::uint8_t VertAlign = vaTop;
  bool CaretBlink = false;
  std::int32_t CaretIndex = 0;
  std::unique_ptr<TdocLineEdit> Editor;
  std::u16string SavedText;
  std::int32_t SelStart = 0;
  std::int32_t SelLength = 0;
  bool UseKerning = false;
  float WordSpacing = 0;
  float CharacterSpacing = 0;
  std::vector<TFloatPoint> CaretX;
  std::vector<std::int32_t> CaretLine;
  float LineHeight = 1.0f;
  bool PaintEditBorder = true;
  std::unique_ptr<TdocBorderPainter> BorderPainter;
  bool FirstClick = false;
  std::uint64_t LayoutStamp = 0;
};
