#pragma once
// A minimal reader of TrueType tables, written for the tests as an oracle
// independent of FreeType: units per em (head), win ascent and descent
// (OS/2), advance widths (hhea, hmtx) and the Unicode BMP character map
// (cmap format 4).

#include <algorithm>
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

  // Glyphs past the last long metric share its advance.
  int AdvanceOf(char32_t c) const {
    const std::size_t metricsCount = U16(Table("hhea") + 34);
    return U16(Table("hmtx") + 4 * std::min(GlyphOf(c), metricsCount - 1));
  }

private:
  std::uint32_t U16(std::size_t at) const { return (std::uint32_t(Data.at(at)) << 8) | Data.at(at + 1); }
  std::uint32_t U32(std::size_t at) const { return (U16(at) << 16) | U16(at + 2); }

  std::size_t Table(const char* tag) const {
    for (std::size_t record = 12; record < 12 + 16 * U16(4); record += 16) {
      if (std::string(Data.begin() + record, Data.begin() + record + 4) == tag) return U32(record + 8);
    }
    throw std::runtime_error(std::string("no table ") + tag);
  }

  // The glyph of c in the platform 3, encoding 1 subtable, which must be of format 4.
  std::size_t GlyphOf(char32_t c) const {
    const std::size_t cmap = Table("cmap");
    std::size_t map = 0;
    for (std::size_t record = cmap + 4; record < cmap + 4 + 8 * U16(cmap + 2); record += 8) {
      if (U16(record) == 3 && U16(record + 2) == 1) map = cmap + U32(record + 4);
    }
    if (map == 0 || U16(map) != 4) throw std::runtime_error("no Unicode BMP character map");
    const std::size_t segments = U16(map + 6) / 2, ends = map + 14, starts = ends + 2 * segments + 2;
    const std::size_t deltas = starts + 2 * segments, offsets = deltas + 2 * segments;
    for (std::size_t s = 0; s < segments; ++s) {
      if (c > U16(ends + 2 * s)) continue;
      const std::uint32_t start = U16(starts + 2 * s), delta = U16(deltas + 2 * s), rangeOffset = U16(offsets + 2 * s);
      if (c < start) return 0;
      if (rangeOffset == 0) return (c + delta) & 0xFFFF;
      const std::uint32_t glyph = U16(offsets + 2 * s + rangeOffset + 2 * (c - start));
      return glyph == 0 ? 0 : (glyph + delta) & 0xFFFF;
    }
    return 0;
  }

  std::vector<unsigned char> Data;
};

}  // namespace gdi_test
