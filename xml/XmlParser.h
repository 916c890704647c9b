#pragma once
// The XML parser: reads UTF-8 text into nodes that keep their names, values
// and attributes as views into that text. It works with an explicit stack,
// so nesting depth is bounded only by memory.

#include <cstddef>
#include <string_view>

class TXmlNode;
class TXmlDocument;

namespace xml::detail {

// Parses the text into new children of container. The text must live as long
// as container's pool (it is the pool's source text). With singleNode only
// the first node is read and a text that does not start with markup gives
// nothing. Text outside markup between top-level nodes is skipped. Returns
// the length of the text read: with singleNode, up to the white space after
// the node (or past the text skipped). On an error (EXmlError) the nodes read
// so far stay in the tree.
std::size_t ParseNodes(TXmlNode& container, std::string_view text, TXmlDocument* document, bool dropComments,
                bool singleNode);

}  // namespace xml::detail
