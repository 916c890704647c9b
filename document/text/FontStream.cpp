// The "Fonts.dat" stream of the font manager: little-endian fields back to
// back. "FNT", version 256, the font count, then per font its name, style,
// metrics, use count (the shapes using it) and glyphs, per glyph its metrics and, when present,
// its contours of 16.16 points in font units (y down).

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "document/text/FontManager.h"
#include "document/text/OutlineNotice.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace {

constexpr char kSignature[3] = {'F', 'N', 'T'};
constexpr std::uint16_t kVersion = 256;

// The smallest records that can follow a count: what a count of N claims at
// least N times over.
constexpr std::int64_t kMinFontBytes = 4 + 1 + 4 * 4;  // empty name, no glyph
constexpr std::int64_t kMinGlyphBytes = 2 + 6 * 4 + 1;  // no outline
constexpr std::int64_t kContourHeaderBytes = 4;
constexpr std::int64_t kPointBytes = 8;

[[noreturn]] void RaiseCorrupt() { throw EReadError("Font file is corrupt or incorrect"); }

// A count the rest of the stream can hold records of the given least size for.
std::int32_t ReadCount(TStream& stream, std::int64_t recordBytes) {
  const auto count = rtl::ReadLE<std::int32_t>(stream);
  if (count < 0 || count > stream.Remaining() / recordBytes) RaiseCorrupt();
  return count;
}

// The outline, or null when it has more than MaxGlyphPoints points: then
// the rest of it is read past, never held. points receives the count.
std::unique_ptr<TPolygon32> ReadOutline(TStream& stream, std::int64_t& points) {
  const std::int32_t contourCount = ReadCount(stream, kContourHeaderBytes);
  TArrayOfArrayOfFixedPoint contours;
  points = 0;
  for (std::int32_t c = 0; c < contourCount; ++c) {
    const std::int32_t count = ReadCount(stream, kPointBytes);
    points += count;
    if (points > MaxGlyphPoints) {
      contours.clear();
      stream.Seek(count * kPointBytes, TSeekOrigin::soCurrent);
      continue;
    }
    TArrayOfFixedPoint& contour = contours.emplace_back(static_cast<std::size_t>(count));
    for (TFixedPoint& p : contour) {
      p.X = rtl::ReadLE<std::int32_t>(stream);
      p.Y = rtl::ReadLE<std::int32_t>(stream);
    }
  }
  if (points > MaxGlyphPoints) return nullptr;
  auto outline = std::make_unique<TPolygon32>();
  outline->SetPoints(std::move(contours));
  return outline;
}

// A glyph whose outline has too many points is read past and answered as
// null, its points told in leftOut.
std::unique_ptr<TdocGlyph> ReadGlyph(TStream& stream, TdocFont* font, std::vector<std::string>& leftOut) {
  auto glyph = std::make_unique<TdocGlyph>(rtl::ReadLE<std::uint16_t>(stream), font);
  glyph->Advance = rtl::ReadLE<std::int32_t>(stream);
  glyph->Advance2 = rtl::ReadLE<std::int32_t>(stream);
  glyph->OriginX = rtl::ReadLE<std::int32_t>(stream);
  glyph->OriginY = rtl::ReadLE<std::int32_t>(stream);
  glyph->BlackBoxX = rtl::ReadLE<std::int32_t>(stream);
  glyph->BlackBoxY = rtl::ReadLE<std::int32_t>(stream);
  if (rtl::ReadLE<std::uint8_t>(stream) != 1) return glyph;
  std::int64_t points = 0;
  glyph->Outline = ReadOutline(stream, points);
  if (glyph->Outline) return glyph;
  leftOut.push_back(OutlineNoticeText(TOutlineNotice::GlyphTooLarge, points, MaxGlyphPoints));
  return nullptr;
}

void WriteOutline(TStream& stream, const TPolygon32& outline) {
  const TArrayOfArrayOfFixedPoint& contours = outline.GetPoints();
  rtl::WriteLE(stream, static_cast<std::int32_t>(contours.size()));
  for (const TArrayOfFixedPoint& contour : contours) {
    rtl::WriteLE(stream, static_cast<std::int32_t>(contour.size()));
    for (const TFixedPoint& p : contour) {
      rtl::WriteLE(stream, p.X);
      rtl::WriteLE(stream, p.Y);
    }
  }
}

void WriteGlyph(TStream& stream, const TdocGlyph& glyph) {
  rtl::WriteLE(stream, static_cast<std::uint16_t>(glyph.Code));
  for (std::int32_t value : {glyph.Advance, glyph.Advance2, glyph.OriginX, glyph.OriginY, glyph.BlackBoxX,
                             glyph.BlackBoxY})
    rtl::WriteLE(stream, value);
  rtl::WriteLE(stream, static_cast<std::uint8_t>(glyph.Outline ? 1 : 0));
  if (glyph.Outline) WriteOutline(stream, *glyph.Outline);
}

}  // namespace

void TdocFontManager::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(kSignature, sizeof kSignature);
  rtl::WriteLE(stream, kVersion);
  rtl::WriteLE(stream, static_cast<std::int32_t>(Fonts.GetCount()));
  for (int i = 0; i < Fonts.GetCount(); ++i) {
    const TdocFont& font = *Fonts.GetItem(i);
    rtl::WriteLE(stream, static_cast<std::int32_t>(font.Name.size()));
    stream.WriteBuffer(font.Name.data(), static_cast<std::int64_t>(font.Name.size()));
    rtl::WriteLE(stream, static_cast<std::uint8_t>(font.StyleBits));
    rtl::WriteLE(stream, font.Ascent);
    rtl::WriteLE(stream, font.Descent);
    rtl::WriteLE(stream, font.GetUseCount());
    rtl::WriteLE(stream, static_cast<std::int32_t>(font.glyphs.GetCount()));
    for (int g = 0; g < font.glyphs.GetCount(); ++g) WriteGlyph(stream, *font.glyphs.GetItem(g));
  }
}

std::vector<std::string> TdocFontManager::LoadFromStream(TStream& stream) {
  char signature[sizeof kSignature];
  stream.ReadBuffer(signature, sizeof signature);
  if (!std::equal(std::begin(signature), std::end(signature), std::begin(kSignature))) RaiseCorrupt();
  if (rtl::ReadLE<std::uint16_t>(stream) != kVersion) throw EReadError("Font file has unknown version");

  const std::int32_t fontCount = ReadCount(stream, kMinFontBytes);
  std::vector<std::unique_ptr<TdocFont>> loaded;
  std::vector<std::string> leftOut;
  for (std::int32_t f = 0; f < fontCount; ++f) {
    std::string name(static_cast<std::size_t>(ReadCount(stream, 1)), '\0');
    stream.ReadBuffer(name.data(), static_cast<std::int64_t>(name.size()));
    auto& font = loaded.emplace_back(std::make_unique<TdocFont>(this, std::move(name), rtl::ReadLE<std::uint8_t>(stream)));
    font->Ascent = rtl::ReadLE<std::int32_t>(stream);
    font->Descent = rtl::ReadLE<std::int32_t>(stream);
    font->StoredUses = rtl::ReadLE<std::int32_t>(stream);
    font->StoredMetrics = true;
    const std::int32_t glyphCount = ReadCount(stream, kMinGlyphBytes);
    for (std::int32_t g = 0; g < glyphCount; ++g) {
      auto glyph = ReadGlyph(stream, font.get(), leftOut);
      int index = 0;
      // A code stored twice keeps its first glyph.
      if (glyph && font->glyphs.FindCode(glyph->Code, index) == nullptr) font->glyphs.Insert(index, std::move(glyph));
    }
  }
  for (auto& font : loaded) MergeFont(std::move(font));
  return leftOut;
}

void TdocFontManager::MergeFont(std::unique_ptr<TdocFont> loaded) {
  TdocFont* present = FindFont(loaded->Name, loaded->StyleBits);
  if (present == nullptr) {
    Fonts.Insert(Fonts.GetCount(), std::move(loaded));
    return;
  }
  TdocGlyphList& stored = loaded->glyphs;
  while (stored.GetCount() > 0) {
    std::unique_ptr<TdocGlyph> glyph = stored.Extract(stored.GetCount() - 1);
    int index = 0;
    if (present->glyphs.FindCode(glyph->Code, index) != nullptr) continue;
    glyph->font = present;
    present->glyphs.Insert(index, std::move(glyph));
  }
}
