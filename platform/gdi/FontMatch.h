#pragma once
// Finding the installed font file for a face name, weight and slant through
// fontconfig. A name that is not installed is substituted by the closest
// face fontconfig offers (a sans face for unknown names); matching never
// refuses a name.

#include <string>
#include <string_view>

namespace gdi {

// The match may lack the weight or slant asked for; the face itself tells.
struct TFontFile {
  std::string Path;
  int Index = 0;  // face index inside a collection file
};

// family is Windows-1252 text as a TFont holds it; weight is a font weight
// (0 means regular). Raises EInvalidOperation only when no scalable font is
// installed at all.
TFontFile MatchFontFile(std::string_view family, int weight, bool italic);

}  // namespace gdi
