#pragma once
// The selection text: shapes carried between documents (and through the
// system clipboard) as an XML document with the root "Selection" and one
// "shape" element per shape, bottom first. Each element names the shape's
// class in its "ClassName" child and holds the shape's byte form in Base64.

#include <string>
#include <string_view>
#include <vector>

class TdocShape;

// One shape of a selection text: its class name and its byte form.
struct TdocSelectionItem {
  std::string ClassName;
  std::string Bytes;
};

// The readable XML text of the shapes, in the order given.
std::string WriteSelectionXml(const std::vector<const TdocShape*>& shapes);
// The shapes of a selection text. A text that is not XML, whose root is not
// "Selection" or that holds no "shape" element gives none. A "shape" element
// whose Base64 is broken raises the decoder's error.
std::vector<TdocSelectionItem> ReadSelectionXml(std::string_view text);
// Whether the text may be a selection: it begins with the XML declaration.
bool IsSelectionText(std::string_view text);
