#pragma once
// A minimal reader of TrueType tables, written for the tests as an oracle
// independent of FreeType: units per em (head), win ascent and descent
// (OS/2), advance widths (hhea, hmtx) and the Unicode BMP character map
// (cmap format 4).

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace gdi_test {

class TSfntTables {
public:
  explicit TSfntTables(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    Data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (Data.size() < 12) throw std::runtime_error("cannot read " + path);
  }

  int UnitsPerEm() const { return U16(Table("head") + 18); }
  int WinAscent() const { return U16(Table("OS/2") + 74); }
  int WinDescent() const { return U16(Table("OS/2") + 76); }

  int AdvanceOf(char32_t c) const {
    const std::size_t metricsCount = U16(Table("hhea") + 34);
    std::size_t glyph = GlyphOf(c);
    if (glyph >= metricsCount) glyph = metricsCount - 1;
    return U16(Table("hmtx") + 4 * glyph);
  }

private:
  std::uint32_t U16(std::size_t at) const { return (std::uint32_t(Data.at(at)) << 8) | Data.at(at + 1); }
  std::uint32_t U32(std::size_t at) const { return (U16(at) << 16) | U16(at + 2); }

  std::size_t Table(const char* tag) const {
    const std::size_t count = U16(4);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t record = 12 + 16 * i;
      if (std::string(Data.begin() + record, Data.begin() + record + 4) == tag) return U32(record + 8);
    }
    throw std::runtime_error(std::string("no table ") + tag);
  }

  std::size_t GlyphOf(char32_t c) const {
    const std::size_t cmap = Table("cmap");
    for (std::size_t i = 0; i < U16(cmap + 2); ++i) {
      const std::size_t record = cmap + 4 + 8 * i;
      const std::size_t subtable = cmap + U32(record + 4);
      if (U16(record) == 3 && U16(record + 2) == 1 && U16(subtable) == 4) return Format4Glyph(subtable, c);
    }
    throw std::runtime_error("no Unicode BMP character map");
  }

  std::size_t Format4Glyph(std::size_t subtable, char32_t c) const {
    const std::size_t segments = U16(subtable + 6) / 2;
    const std::size_t ends = subtable + 14;
    const std::size_t starts = ends + 2 * segments + 2;
    const std::size_t deltas = starts + 2 * segments;
    const std::size_t offsets = deltas + 2 * segments;
    for (std::size_t s = 0; s < segments; ++s) {
      if (c > U16(ends + 2 * s)) continue;
      const std::uint32_t start = U16(starts + 2 * s);
      if (c < start) return 0;
      const std::uint32_t delta = U16(deltas + 2 * s);
      const std::uint32_t rangeOffset = U16(offsets + 2 * s);
      if (rangeOffset == 0) return (c + delta) & 0xFFFF;
      const std::uint32_t glyph = U16(offsets + 2 * s + rangeOffset + 2 * (c - start));
      return glyph == 0 ? 0 : (glyph + delta) & 0xFFFF;
    }
    return 0;
  }

  std::vector<unsigned char> Data;
};

}  // namespace gdi_test
