// Feeds arbitrary bytes to the XML loader, then walks, reads and writes what
// it made. Every value must be well-formed UTF-8 and the written text must
// load again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void Exercise(const TXmlNode& top) {
  std::vector<const TXmlNode*> pending{&top};
  while (!pending.empty()) {
    const TXmlNode* node = pending.back();
    pending.pop_back();
    const std::string value = node->GetValue();
    Require(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(value)) == value);
    for (int i = 0; i < node->GetAttributeCount(); ++i) {
      const std::string attribute = node->GetAttributeValue(i);
      Require(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(attribute)) == attribute);
      node->ReadAttrBool(node->GetAttributeName(i), false);
    }
    node->GetValueAsFloat(0);
    node->GetValueAsInteger(0);
    node->GetValueAsDateTime(0);
    const std::size_t size = node->GetBinaryValueSize();
    if (size < (1u << 16)) {
      std::string bytes(size, '\0');
      try {
        node->DecodeBinaryValue(bytes.data(), bytes.size());
      } catch (const Exception&) {
      }
    }
    for (int i = 0; i < node->GetChildCount(); ++i) pending.push_back(node->GetChild(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TXmlDocument doc;
  try {
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<std::int64_t>(size));
    stream.SetPosition(0);
    doc.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  Exercise(doc.GetContainer());
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    doc.Layout = layout;
    std::string text;
    try {
      text = doc.WriteToString();
    } catch (const Exception&) {
      continue;  // an unnamed element left by a failed load
    }
    TXmlDocument again;
    try {
      again.ReadFromString(text);
    } catch (const Exception&) {
    }
  }
  return 0;
}
