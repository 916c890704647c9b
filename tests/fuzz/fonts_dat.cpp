// Reads arbitrary bytes as "Fonts.dat". Refusal must be an EReadError and
// leave the manager as it was; an accepted stream must save and read back to
// the same bytes, and its stored glyphs must lay out and render.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/text/FontManager.h"
#include "document/text/FontRenderer.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::uint8_t> Save(const TdocFontManager& manager) {
  TMemoryStream stream;
  manager.SaveToStream(stream);
  return stream.Bytes();
}

bool Load(TdocFontManager& manager, const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<std::int64_t>(size));
  stream.SetPosition(0);
  try {
    manager.LoadFromStream(stream);
    return true;
  } catch (const EReadError&) {
    return false;
  }
}

// Only glyphs already stored are drawn, so no font engine is asked.
void RenderStoredGlyphs(TdocFont& font) {
  TdocGlyphPlacementList placements;
  TdocFontRenderer renderer(&font);
  renderer.FontHeight = 3.5;
  renderer.InkBounds = true;
  renderer.CharacterSpacing = 0.1;
  renderer.Placements = &placements;
  std::u16string text;
  for (int i = 0; i < font.GetGlyphs().GetCount() && i < 8; ++i) text += font.GetGlyphs()[i]->Code;
  double width = 0, height = 0;
  renderer.GetTextWidth(text, width, height);
  for (double maxSegment : {0.0, 50.0}) {
    renderer.MaxSegment = maxSegment;
    TPolygon32 polygon;
    renderer.RenderText(text, polygon, 1.5, 20.25, 5.9);
    Check(placements.GetCount() == static_cast<int>(text.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TdocFontManager manager;
  if (!Load(manager, data, size)) {
    Check(manager.GetFontCount() == 0);
    return 0;
  }
  const std::vector<std::uint8_t> saved = Save(manager);
  TdocFontManager reopened;
  Check(Load(reopened, saved.data(), saved.size()));
  Check(Save(reopened) == saved);
  // Reading the same stream again adds no font.
  const int count = manager.GetFontCount();
  Check(Load(manager, saved.data(), saved.size()));
  Check(manager.GetFontCount() == count);
  for (int i = 0; i < manager.GetFontCount(); ++i) RenderStoredGlyphs(*manager.GetFont(i));
  return 0;
}
