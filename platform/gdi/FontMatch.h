#pragma once
// Finding the installed font file for a face name, weight and slant through
// fontconfig. A name that is not installed is substituted by the closest
// face fontconfig offers (a sans face for unknown names); matching never
// refuses a name.

#include <string>
#include <string_view>

namespace gdi {

struct TFontFile {
  std::string Path;
  int Index = 0;       // face index inside a collection file
  int Weight = 400;    // the face's own weight, 100..1000
  bool Italic = false; // the face is itself italic or oblique
};

// family is Windows-1252 text as a TFont holds it; weight is a font weight
// (0 means regular). Raises EInvalidOperation only when no scalable font is
// installed at all.
TFontFile MatchFontFile(std::string_view family, int weight, bool italic);

}  // namespace gdi
