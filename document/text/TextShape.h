#pragma once
// TdocTextShape: a label's ordinary text, measured and drawn with the
// canvas's font engine into the shape's bitmap. TdocMemoShape is the
// multi-line text that also shows its text as a list of lines.
//
// Text is measured at 300 dots per inch, and drawn at the resolution of the
// bitmap it goes into with each line's font size fitted to the box that
// measurement gave, so the text keeps its size in millimetres at every zoom
// and on paper.

#include <cstdint>
#include <string>
#include <vector>

#include "document/text/TextBaseShape.h"
#include "xml/storage/WidestringList.h"

class TdocTextShape : public TdocTextBaseShape {
public:
  TdocTextShape();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  void MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) override;
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;

protected:
  void PrepareMeasureFont() override;
  void PrepareCaretFont(double scale) override;
  void MeasureCaretPositions(const TdocTextSpan& span, double scale) override;

private:
  // Sets the canvas font to the shape's face and style at the pixel height
  // (negative: em size).
  void SelectFont(TCanvas& canvas, int pixelHeight) const;
  // Fits the canvas font to the span's measured box at scale pixels per
  // millimetre and answers the line's offset inside the box (alignment).
  double FitLineFont(TCanvas& canvas, const TdocTextSpan& span, double scale) const;

  // Running pixel widths of the text at the measuring font: Prefix[i] is
  // the width of the first i UTF-16 units; valid for PrefixStamp.
  std::vector<std::int64_t> Prefix;
  std::uint64_t PrefixStamp = ~std::uint64_t{0};
  int MeasuredCellHeight = 0;
  int ReferenceWidth = 0;
};

class TdocMemoShape : public TdocTextShape {
public:
  TdocMemoShape();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // The text as lines; changing them sets the text.
  TsdWidestringList& GetLines() { return Lines; }
  void SetText(const std::u16string& value) override;
  void EditKeyDown(TKey& key, TShiftState shift) override;
  void LoadFromXml(TXmlNode* node) override;

private:
  void CopyTextToLines(const std::u16string& text);

  TsdWidestringList Lines;
};
