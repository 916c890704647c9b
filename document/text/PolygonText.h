#pragma once
// TdocPolygonText: a text whose glyphs are filled outlines from the
// document's shared fonts rather than text drawn by the canvas's font
// engine, so that it scales, turns and prints exactly. TdocPolygonMemo is
// its multi-line form.
//
// Outlines are built in the shape's own millimetres and mapped through the
// device transform of the bitmap they are drawn into, so the text keeps its
// size in millimetres at every resolution.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "document/text/TextBaseShape.h"
#include "imaging/polygon/Polygon32.h"

class TdocFont;
class TdocFontRenderer;

// A text drawn as outlines draws at most this many characters: each costs
// its glyph's points at every layout and paint, and no real label comes
// near. The rest of the text is kept, edited and saved; a document that
// loads such a text is told.
inline constexpr std::size_t MaxOutlinedCharacters = 10000;

// The message of a loaded text of length characters, drawn only up to limit;
// the program words it in its interface's language, an empty answer (or
// none set) gives the engine's English. Set from the main thread.
using TLongTextWording = std::function<std::string(std::int64_t length, std::int64_t limit)>;
void SetLongTextWording(TLongTextWording wording);
std::string LongTextMessage(std::int64_t length, std::int64_t limit);

class TdocPolygonText : public TdocTextBaseShape {
public:
  TdocPolygonText();
  ~TdocPolygonText() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // The shared font, nil while the shape has no document with fonts.
  TdocFont* GetFont() const { return Font; }
  // The outline last built, in 16.16 millimetres of the shape's frame.
  const TPolygon32& GetOutline() const { return *Outline; }

  double GetLineDistance() const override;
  void MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) override;
  void Relayout() override;
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void SetDocument(TdocServices* document) override;
  void Loaded() override;

protected:
  virtual void ConfigureRenderer(TdocFontRenderer& renderer) const;
  void MeasureCaretPositions(const TdocTextSpan& span, double scale) override;
  // Font := the document's shared font for the shape's name and style.
  void AcquireShapeFont() const;
  bool HasFont() const;
  // The start of text that is drawn: its first MaxOutlinedCharacters.
  static std::u16string_view DrawnPart(std::u16string_view text);
  // Fills outline, mapped through the device transform, in the opaque font
  // colour by the non-zero rule.
  void FillOutline(TBitmap32& bitmap, const TPolygon32& outline) const;

  std::unique_ptr<TPolygon32> Outline;

private:
  void ReleaseFont();

  // Acquired on demand, also from const measuring calls; counted in use by
  // the font manager.
  mutable TdocFont* Font = nullptr;
};

class TdocPolygonMemo : public TdocPolygonText {
public:
  TdocPolygonMemo();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // Enter goes to the editor: it starts a new line.
  void EditKeyDown(TKey& key, TShiftState shift) override;
};
