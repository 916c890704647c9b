#include "platform/gdi/FaceCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>
#include <utility>

#include "platform/gdi/FontMatch.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace gdi {
namespace {

class TFaceCache {
public:
  TFaceCache() {
    if (FT_Init_FreeType(&Library) != 0) throw EInvalidOperation("Cannot initialise the font engine");
  }
  ~TFaceCache() {
    for (auto& [key, face] : Faces) FT_Done_Face(face);
    FT_Done_FreeType(Library);
  }
  TFaceCache(const TFaceCache&) = delete;
  TFaceCache& operator=(const TFaceCache&) = delete;

  FT_Library GetLibrary() const { return Library; }

  FT_Face Open(const TFontFile& file) {
    auto key = std::make_pair(file.Path, file.Index);
    if (auto found = Faces.find(key); found != Faces.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(Library, file.Path.c_str(), file.Index, &face) != 0)
      throw EInvalidOperation(rtl::Format("Cannot open the font file \"%s\"", file.Path));
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);
    Faces.emplace(std::move(key), face);
    return face;
  }

private:
  FT_Library Library = nullptr;
  std::map<std::pair<std::string, int>, FT_Face> Faces;
};

TFaceCache& Cache() {
  static TFaceCache cache;
  return cache;
}

}  // namespace

FT_LibraryRec_* FreeTypeLibrary() { return Cache().GetLibrary(); }

FT_FaceRec_* OpenFace(const TFontFile& file) { return Cache().Open(file); }

}  // namespace gdi
