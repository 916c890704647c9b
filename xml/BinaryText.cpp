#include "xml/BinaryText.h"

#include "xml/NodeData.h"
#include "xml/XmlTypes.h"

namespace xml::detail {

std::size_t CountNonSpace(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += IsSpaceChar(c) ? 0 : 1;
  return count;
}

void ThrowMissingData() { throw EXmlError("Missing data in binary stream"); }
void ThrowInvalidCharacter() { throw EXmlError("Invalid character in binary stream"); }

}  // namespace xml::detail
