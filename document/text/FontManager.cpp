#include "document/text/FontManager.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "document/text/GlyphPolygon.h"
#include "platform/gdi/GlyphOutline.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

std::int32_t SaturatedIncrement(std::int32_t count) {
  return count == std::numeric_limits<std::int32_t>::max() ? count : count + 1;
}

std::int32_t SaturatedDecrement(std::int32_t count) {
  return count == std::numeric_limits<std::int32_t>::min() ? count : count - 1;
}

}  // namespace

TdocFont::TdocFont(TdocFontManager* manager, std::string name, TFontStyles styleBits)
    : manager(manager), Name(std::move(name)), StyleBits(styleBits) {}

TdocFont::~TdocFont() = default;

void TdocFont::CreateHandle() {
  if (handle) return;
  TFont font;
  font.SetName(Name);
  font.SetHeight(-kEmUnits);
  font.SetWeight((StyleBits & FontStyleBit(fsBold)) != 0 ? 700 : 400);
  font.SetStyle(StyleBits);
  try {
    handle = std::make_unique<gdi::TOutlineFont>(font);
  } catch (const Exception&) {
    throw Exception(rtl::Format("Unable to create font with name \"%s\"", Name));
  }
  if (StoredMetrics) return;
  const gdi::TOutlineTextMetrics metrics = handle->GetOutlineTextMetrics();
  Ascent = metrics.Ascent;
  Descent = metrics.Descent;
}

TdocGlyph* TdocFont::GetGlyph(char16_t code) {
  int index = 0;
  if (TdocGlyph* glyph = glyphs.FindCode(code, index)) return glyph;
  CreateHandle();
  auto glyph = std::make_unique<TdocGlyph>(code, this);
  LoadGlyph(*glyph);
  TdocGlyph* result = glyph.get();
  glyphs.Insert(index, std::move(glyph));
  return result;
}

void TdocFont::LoadGlyph(TdocGlyph& glyph) {
  const gdi::TGlyphOutline outline = handle->GetGlyphOutline(glyph.Code);
  glyph.Advance = outline.Metrics.CellIncX;
  glyph.Advance2 = outline.Metrics.CellIncX;
  glyph.OriginX = outline.Metrics.GlyphOrigin.X;
  glyph.OriginY = outline.Metrics.GlyphOrigin.Y;
  glyph.BlackBoxX = static_cast<std::int32_t>(outline.Metrics.BlackBoxX);
  glyph.BlackBoxY = static_cast<std::int32_t>(outline.Metrics.BlackBoxY);
  if (outline.Records.size() < gdi::kPolygonHeaderSize) return;
  if (rtl::FromLittleEndian<std::uint32_t>(outline.Records.data() + 4) != gdi::TT_POLYGON_TYPE) return;
  glyph.Outline = std::make_unique<TPolygon32>();
  OutlineToPolygon(outline.Records, *glyph.Outline);
  if (TdocGlyph::PointCount(*glyph.Outline) > MaxGlyphPoints) glyph.Outline.reset();
}

double TdocFont::GetLineHeight(double fontHeight) const {
  return (double(Ascent) + Descent) * fontHeight / kEmUnits;
}

std::int32_t TdocFont::GetUseCount() const {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{RefCount} + std::max(StoredUses, 0), 0, std::numeric_limits<std::int32_t>::max()));
}

TdocFont* TdocFontManager::AcquireFont(const std::string& name, TFontStyles styleBits, TdocFont* previous) {
  if (previous != nullptr && previous->Name == name && previous->StyleBits == styleBits) return previous;
  // Released after the new font is taken, so a font in use is never purged;
  // released also when the new one cannot be created.
  TdocFont* font = nullptr;
  try {
    font = TakeFont(name, styleBits);
  } catch (...) {
    ReleaseFont(previous);
    throw;
  }
  ReleaseFont(previous);
  return font;
}

TdocFont* TdocFontManager::TakeFont(const std::string& name, TFontStyles styleBits) {
  if (name.empty()) return nullptr;
  if (TdocFont* font = FindFont(name, styleBits)) {
    font->RefCount = SaturatedIncrement(font->RefCount);
    return font;
  }
  TdocFont* font = AddFont(name, styleBits);
  font->RefCount = 1;
  return font;
}

void TdocFontManager::ReleaseFont(TdocFont* font) {
  if (font == nullptr) return;
  font->RefCount = SaturatedDecrement(font->RefCount);
  PurgeFonts();
}

void TdocFontManager::PurgeFonts() {
  for (int i = Fonts.GetCount() - 1; i >= 0; --i) {
    if (Fonts.GetItem(i)->GetUseCount() < 1) Fonts.Delete(i);
  }
}

TdocFontManager::TUseCounts TdocFontManager::GetUseCounts() const {
  TUseCounts counts;
  for (int i = 0; i < Fonts.GetCount(); ++i) counts.emplace_back(Fonts.GetItem(i), Fonts.GetItem(i)->RefCount);
  return counts;
}

void TdocFontManager::TakeOverStoredUses(const TUseCounts& before) {
  for (const auto& [font, count] : before) {
    if (IndexOfFont(font) < 0) continue;
    TdocFont& present = *const_cast<TdocFont*>(font);
    const std::int64_t acquired = std::int64_t{present.RefCount} - count;
    if (acquired > 0) present.StoredUses = static_cast<std::int32_t>(std::max<std::int64_t>(0, present.StoredUses - acquired));
  }
}

void TdocFontManager::ForgetStoredUses() {
  for (int i = 0; i < Fonts.GetCount(); ++i) Fonts.GetItem(i)->StoredUses = 0;
  PurgeFonts();
}

int TdocFontManager::IndexOfFont(const TdocFont* font) const {
  for (int i = 0; i < Fonts.GetCount(); ++i)
    if (Fonts.GetItem(i) == font) return i;
  return -1;
}

TdocFont* TdocFontManager::FindFont(const std::string& name, TFontStyles styleBits) const {
  for (int i = 0; i < Fonts.GetCount(); ++i) {
    TdocFont* font = Fonts.GetItem(i);
    if (font->Name == name && font->StyleBits == styleBits) return font;
  }
  return nullptr;
}

TdocFont* TdocFontManager::AddFont(const std::string& name, TFontStyles styleBits) {
  auto font = std::make_unique<TdocFont>(this, name, styleBits);
  font->CreateHandle();
  TdocFont* result = font.get();
  Fonts.Insert(Fonts.GetCount(), std::move(font));
  return result;
}
