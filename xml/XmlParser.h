#pragma once
// The XML parser: reads UTF-8 text into nodes that keep their names, values
// and attributes as views into that text. It works with an explicit stack,
// so nesting depth is bounded only by memory.

#include <string_view>

class TXmlNode;
class TXmlDocument;

namespace xml::detail {

// Parses the text into new children of container. The text must live as long
// as container's pool (it is the pool's source text). With singleNode only
// the first node is read and a text without markup gives nothing. On an error
// (EXmlError) the nodes read so far stay in the tree.
void ParseNodes(TXmlNode& container, std::string_view text, TXmlDocument* document, bool dropComments,
                bool singleNode);

}  // namespace xml::detail
