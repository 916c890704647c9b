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
#include <memory>
#include <string>
#include <string_view>

#include "document/text/OutlineBudget.h"
#include "document/text/OutlineNotice.h"
#include "document/text/TextBaseShape.h"
#include "imaging/polygon/Polygon32.h"

class TdocFont;
class TdocFontRenderer;

// A text drawn as outlines draws at most this many characters: each costs
// its glyph's points at every layout and paint, and no real label comes
// near. The rest of the text is kept, edited and saved; a document that
// loads such a text is told, and so is the user whose edit takes a text
// past it (or past what the label's outlined texts draw together,
// OutlineBudget.h).
inline constexpr std::size_t MaxOutlinedCharacters = 10000;


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

  // An edit that takes the text from drawn whole to drawn in part tells the
  // document (DoEditNotice), once.
  void SetText(const std::u16string& value) override;
  // The characters the outline last built holds, and how many it would
  // hold without the limits.
  std::int64_t GetDrawnCharacters() const { return Drawn.Characters; }
  std::int64_t GetDrawableCharacters() const { return Drawable; }

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
  // (Re)builds Outline from the text, within what one text and the label's
  // budget allow, and takes what it drew from the budget.
  virtual void BuildOutline();
  // What the next build may draw: the label budget's free part with the
  // text's own charge given back, at most MaxOutlinedCharacters characters.
  TdocOutlineCharge OpenOutlineCharge();
  // Takes what the build drew out of drawable characters from the budget.
  void CloseOutlineCharge(const TdocOutlineCharge& drawn, std::int64_t drawable);
  // A build without font: nothing drawn, nothing charged.
  void ChargeNothing();
  bool DrawnWhole() const { return Drawn.Characters >= Drawable; }
  // Fills outline, mapped through the device transform, in the opaque font
  // colour by the non-zero rule.
  void FillOutline(TBitmap32& bitmap, const TPolygon32& outline) const;

  std::unique_ptr<TPolygon32> Outline;

private:
  void ReleaseFont();
  void GiveBackOutlineCharge();
  // What tells that the text is not drawn whole.
  std::string DrawnInPartMessage() const;

  std::shared_ptr<TdocOutlineBudget> ChargedBudget;
  TdocOutlineCharge Drawn;
  std::int64_t Drawable = 0;
  // Counts builds, so an edit knows whether its layout built the outline.
  std::uint64_t OutlineBuilds = 0;

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
