#pragma once
// The XML writer: appends a node and its subtree as text, in the compact or
// the readable layout of the node's document. It works with an explicit
// stack, so any depth is safe, and can write an element whose children are
// made while it is written.

#include <functional>
#include <string>
#include <string_view>

class TXmlNode;
class TXmlDocument;

namespace xml::detail {

// Writes the node as the top of its own text (depth 0). The document gives
// the layout and options (the defaults without one) and the progress event.
void WriteNode(const TXmlNode& node, std::string& out, const TXmlDocument* document);

// Writes the element as WriteNode does while its children are still being
// made, so that only a few of them need exist at a time: more appends the
// next ones (false once none are to come), and each batch is written, its
// text handed to emit, and deleted before more is called again. The children
// the element had before are written and kept. The pieces emitted make
// exactly the text WriteNode gives for the element with every child.
void WriteGrowingNode(TXmlNode& element, const std::function<bool(TXmlNode&)>& more,
                      const std::function<void(std::string_view)>& emit, const TXmlDocument* document);

}  // namespace xml::detail
