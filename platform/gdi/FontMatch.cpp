#include "platform/gdi/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <map>
#include <memory>
#include <tuple>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"

namespace gdi {
namespace {

// Windows face names with no metric-compatible alias in fontconfig's own
// configuration, mapped to the generic family that stands in for them.
constexpr std::array<std::pair<std::string_view, const char*>, 2> kFaceSubstitutes = {{
    {"MS Sans Serif", "sans-serif"},
    {"MS Shell Dlg", "sans-serif"},
}};

const char* SubstituteFamily(const std::string& family) {
  for (const auto& [name, substitute] : kFaceSubstitutes)
    if (name == family) return substitute;
  return family.c_str();
}

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

class TFontMatcher {
public:
  TFontMatcher() : Config(FcInitLoadConfigAndFonts()) {
    if (Config == nullptr) throw EInvalidOperation("Cannot load the font configuration");
  }
  ~TFontMatcher() { FcConfigDestroy(Config); }
  TFontMatcher(const TFontMatcher&) = delete;
  TFontMatcher& operator=(const TFontMatcher&) = delete;

  const TFontFile& Match(std::string_view family, int weight, bool italic) {
    auto key = std::make_tuple(std::string(family), weight, italic);
    auto found = Cache.find(key);
    if (found == Cache.end()) found = Cache.emplace(key, Lookup(std::get<0>(key), weight, italic)).first;
    return found->second;
  }

private:
  TFontFile Lookup(const std::string& family, int weight, bool italic) {
    const std::string utf8 = rtl::Cp1252ToUtf8(family);
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(SubstituteFamily(utf8)));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? 400 : weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    FcConfigSubstitute(Config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(Config, pattern.get(), &result));
    FcChar8* path = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch)
      throw EInvalidOperation("No scalable font is installed");
    TFontFile file;
    file.Path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &file.Index);
    return file;
  }

  FcConfig* Config;
  std::map<std::tuple<std::string, int, bool>, TFontFile> Cache;
};

}  // namespace

TFontFile MatchFontFile(std::string_view family, int weight, bool italic) {
  static TFontMatcher matcher;
  return matcher.Match(family, weight, italic);
}

}  // namespace gdi
