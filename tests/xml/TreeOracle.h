#pragma once
// An independent view of XML trees for the tests: libxml2 parses the same
// text, and both trees are flattened into one canonical event list (elements,
// attributes, trimmed non-blank text, CDATA, comments, instructions).

#include <string>
#include <vector>

class TXmlNode;

namespace xmltest {

// Events of our tree below the node (the node itself included).
std::vector<std::string> Canonical(const TXmlNode& node);

// Events of libxml2's tree of the text's root element; ok tells whether
// libxml2 found the text well-formed (errors are kept in error).
std::vector<std::string> CanonicalByLibxml2(const std::string& text, bool& ok, std::string* error = nullptr);

// Whether libxml2 reads the bytes as a well-formed document.
bool WellFormed(const std::string& bytes, std::string* error = nullptr);

// Runs a shell command with the input on standard input; returns its output.
std::string RunCommand(const std::string& command, const std::string& input);

}  // namespace xmltest
