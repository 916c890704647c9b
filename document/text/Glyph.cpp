#include "document/text/Glyph.h"

TdocGlyph* TdocGlyphList::FindCode(char16_t code, int& index) const {
  const TdocGlyph probe(code);
  return Find(probe, index) ? Items[index].get() : nullptr;
}

std::int64_t TdocGlyph::PointCount(const TPolygon32& outline) {
  std::int64_t points = 0;
  for (const TArrayOfFixedPoint& contour : outline.GetPoints()) points += static_cast<std::int64_t>(contour.size());
  return points;
}
