#include "document/text/Glyph.h"

TdocGlyph* TdocGlyphList::FindCode(char16_t code, int& index) const {
  const TdocGlyph probe(code);
  return Find(probe, index) ? Items[index].get() : nullptr;
}
