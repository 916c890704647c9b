#include "document/core/SelectionXml.h"

#include "document/shape/Shape.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Exception.h"
#include "xml/Base64.h"
#include "xml/XmlDocument.h"

namespace {

constexpr std::string_view RootName = "Selection";
constexpr std::string_view ShapeName = "shape";
constexpr std::string_view ClassNameName = "ClassName";
constexpr std::string_view Declaration = "<?xml";

std::string DecodeBytes(std::string_view base64) {
  std::string bytes(xml::Base64DecodedSize(base64), '\0');
  xml::DecodeBase64(base64, bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

std::string WriteSelectionXml(const std::vector<const TdocShape*>& shapes) {
  TXmlDocument document(RootName);
  document.Layout = xlReadable;
  TXmlNode& root = *document.GetRoot();
  for (const TdocShape* shape : shapes) {
    TXmlNode& node = *root.AddChild(ShapeName);
    node.WriteChildString(ClassNameName, shape->ClassName());
    const std::string bytes = ShapesToString(*shape);
    node.SetValue(xml::EncodeBase64(bytes.data(), bytes.size()));
  }
  return document.WriteToString();
}

std::vector<TdocSelectionItem> ReadSelectionXml(std::string_view text) {
  std::vector<TdocSelectionItem> items;
  TXmlDocument document;
  try {
    document.ReadFromString(text);
  } catch (const Exception&) {
    return items;  // not XML: nothing to paste
  }
  const TXmlNode* root = document.GetRoot();
  if (!root || root->GetName() != RootName) return items;
  for (int i = 0; i < root->GetChildCount(); ++i) {
    const TXmlNode& node = *root->GetChild(i);
    if (node.GetName() != ShapeName) continue;
    items.push_back({node.ReadChildString(ClassNameName), DecodeBytes(node.GetValue())});
  }
  return items;
}

bool IsSelectionText(std::string_view text) { return text.starts_with(Declaration); }
