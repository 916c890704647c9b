#include "tests/xml/TestSupport.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include "platform/rtl/Format.h"
#include "xml/XmlNode.h"

namespace xmltest {
namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// libxml2 joins adjacent CDATA sections, so both views do.
void Add(std::vector<std::string>& events, const std::string& kind, const std::string& content) {
  if (kind == "text" && Trimmed(content).empty()) return;
  if (kind == "cdata" && !events.empty() && events.back().starts_with("cdata ")) events.back() += content;
  else events.push_back(kind + " " + (kind == "text" ? Trimmed(content) : content));
}

std::string Str(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

std::string QualifiedName(const xmlNs* ns, const xmlChar* name) {
  return ns && ns->prefix ? rtl::Format("%s:%s", Str(ns->prefix), Str(name)) : Str(name);
}

void WalkLibxml2(const xmlNode* node, std::vector<std::string>& events) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
      Add(events, "start", QualifiedName(node->ns, node->name));
      for (const xmlNs* ns = node->nsDef; ns; ns = ns->next)
        Add(events, "attr", rtl::Format("xmlns%s%s=%s", ns->prefix ? ":" : "", Str(ns->prefix), Str(ns->href)));
      for (const xmlAttr* a = node->properties; a; a = a->next) {
        xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
        Add(events, "attr", QualifiedName(a->ns, a->name) + "=" + Str(value));
        xmlFree(value);
      }
      for (const xmlNode* child = node->children; child; child = child->next) WalkLibxml2(child, events);
      events.push_back("end");
      break;
    case XML_TEXT_NODE: Add(events, "text", Str(node->content)); break;
    case XML_CDATA_SECTION_NODE: Add(events, "cdata", Str(node->content)); break;
    case XML_COMMENT_NODE: Add(events, "comment", Str(node->content)); break;
    case XML_PI_NODE: Add(events, "pi", Str(node->name) + " " + Str(node->content)); break;
    default: break;
  }
}

// The raw content of a comment or instruction: its written form
// without the delimiters.
std::string RawContent(const TXmlNode& node, std::size_t open, std::size_t close) {
  const std::string written = node.WriteToString();
  return written.substr(open, written.size() - open - close);
}

void Walk(const TXmlNode& node, std::vector<std::string>& events) {
  switch (node.GetKind()) {
    case nkElement:
      Add(events, "start", std::string(node.GetName()));
      for (int i = 0; i < node.GetAttributeCount(); ++i)
        Add(events, "attr", node.GetAttributeName(i) + "=" + node.GetAttributeValue(i));
      Add(events, "text", node.GetValue());
      for (int i = 0; i < node.GetChildCount(); ++i) Walk(*node.GetChild(i), events);
      events.push_back("end");
      break;
    case nkCharData: Add(events, "text", node.GetValue()); break;
    case nkCData: Add(events, "cdata", node.GetValue()); break;
    case nkComment: Add(events, "comment", RawContent(node, 4, 3)); break;
    case nkInstruction: {
      const std::string raw = RawContent(node, 2, 2);
      const auto blank = std::min(raw.find_first_of(" \t\r\n"), raw.size());
      Add(events, "pi", raw.substr(0, blank) + " " + Trimmed(raw.substr(blank)));
      break;
    }
    default: break;
  }
}

void CollectError(void* context, const char* message, ...) { *static_cast<std::string*>(context) += message; }

}  // namespace

std::vector<std::string> Canonical(const TXmlNode& node) {
  std::vector<std::string> events;
  Walk(node, events);
  return events;
}

namespace {
// libxml2's tree of the bytes, nil (and a failure) when it refuses them.
xmlDoc* ReadByLibxml2(const std::string& bytes) {
  std::string error;
  xmlSetGenericErrorFunc(&error, CollectError);
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "test.xml", nullptr, XML_PARSE_HUGE);
  xmlSetGenericErrorFunc(nullptr, nullptr);
  if (doc == nullptr) ADD_FAILURE() << "libxml2 refused the text: " << error << "\n" << bytes;
  return doc;
}
}  // namespace

std::vector<std::string> CanonicalByLibxml2(const std::string& bytes) {
  xmlDoc* doc = ReadByLibxml2(bytes);
  std::vector<std::string> events;
  if (doc != nullptr) WalkLibxml2(xmlDocGetRootElement(doc), events);
  xmlFreeDoc(doc);
  return events;
}

std::vector<std::string> ChildTextsByLibxml2(const std::string& bytes) {
  xmlDoc* doc = ReadByLibxml2(bytes);
  std::vector<std::string> texts;
  if (doc == nullptr) return texts;
  for (xmlNode* child = xmlDocGetRootElement(doc)->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    xmlChar* content = xmlNodeGetContent(child);
    texts.emplace_back(reinterpret_cast<const char*>(content));
    xmlFree(content);
  }
  xmlFreeDoc(doc);
  return texts;
}

}  // namespace xmltest
