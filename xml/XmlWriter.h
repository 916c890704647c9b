#pragma once
// The XML writer: appends a node and its subtree as text, in the compact or
// the readable layout of the node's document. It works with an explicit
// stack, so any depth is safe.

#include <string>

class TXmlNode;
class TXmlDocument;

namespace xml::detail {

// Writes the node as the top of its own text (depth 0). The document gives
// the layout and options (the defaults without one) and the progress event.
void WriteNode(const TXmlNode& node, std::string& out, const TXmlDocument* document);

}  // namespace xml::detail
