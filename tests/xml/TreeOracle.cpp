#include "tests/xml/TreeOracle.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "xml/XmlNode.h"

namespace xmltest {
namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void AddText(std::vector<std::string>& events, const std::string& text) {
  const std::string t = Trimmed(text);
  if (!t.empty()) events.push_back("text " + t);
}

// The raw content of a comment, CDATA or instruction node: its written form
// without the delimiters (our values keep these as they stand).
std::string RawContent(const TXmlNode& node, std::size_t open, std::size_t close) {
  const std::string written = node.WriteToString();
  return written.substr(open, written.size() - open - close);
}

struct Collector {
  std::vector<std::string> Events;
  std::string LastError;
};

void CollectError(void* context, const char* message, ...) {
  auto* collector = static_cast<Collector*>(context);
  collector->LastError += message;
}

std::string QualifiedName(const xmlNs* ns, const xmlChar* name) {
  std::string qualified;
  if (ns && ns->prefix) qualified = std::string(reinterpret_cast<const char*>(ns->prefix)) + ":";
  return qualified + reinterpret_cast<const char*>(name);
}

void WalkLibxml2(xmlNode* node, std::vector<std::string>& events) {
  // An explicit stack: libxml2 trees in these tests may be deep.
  std::vector<std::pair<xmlNode*, bool>> stack{{node, false}};
  while (!stack.empty()) {
    auto [n, closing] = stack.back();
    stack.pop_back();
    if (closing) {
      events.push_back("end");
      continue;
    }
    switch (n->type) {
      case XML_ELEMENT_NODE: {
        events.push_back("start " + QualifiedName(n->ns, n->name));
        for (xmlNs* ns = n->nsDef; ns; ns = ns->next) {
          const std::string prefix = ns->prefix ? std::string(":") + reinterpret_cast<const char*>(ns->prefix) : "";
          events.push_back("attr xmlns" + prefix + "=" + reinterpret_cast<const char*>(ns->href));
        }
        for (xmlAttr* a = n->properties; a; a = a->next) {
          xmlChar* value = xmlNodeListGetString(n->doc, a->children, 1);
          events.push_back("attr " + QualifiedName(a->ns, a->name) + "=" +
                           (value ? reinterpret_cast<const char*>(value) : ""));
          xmlFree(value);
        }
        stack.emplace_back(n, true);
        std::vector<xmlNode*> children;
        for (xmlNode* c = n->children; c; c = c->next) children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.emplace_back(*it, false);
        break;
      }
      case XML_TEXT_NODE: AddText(events, reinterpret_cast<const char*>(n->content)); break;
      case XML_CDATA_SECTION_NODE:
        events.push_back(std::string("cdata ") + reinterpret_cast<const char*>(n->content));
        break;
      case XML_COMMENT_NODE:
        events.push_back(std::string("comment ") + reinterpret_cast<const char*>(n->content));
        break;
      case XML_PI_NODE:
        events.push_back(std::string("pi ") + reinterpret_cast<const char*>(n->name) + " " +
                         (n->content ? reinterpret_cast<const char*>(n->content) : ""));
        break;
      default: break;
    }
  }
}

// libxml2 joins adjacent CDATA sections; so do both views.
std::vector<std::string> JoinCData(std::vector<std::string> events) {
  std::vector<std::string> joined;
  for (auto& e : events) {
    if (!joined.empty() && e.rfind("cdata ", 0) == 0 && joined.back().rfind("cdata ", 0) == 0) {
      joined.back() += e.substr(6);
    } else {
      joined.push_back(std::move(e));
    }
  }
  return joined;
}

}  // namespace

std::vector<std::string> Canonical(const TXmlNode& top) {
  std::vector<std::string> events;
  std::vector<std::pair<const TXmlNode*, bool>> stack{{&top, false}};
  while (!stack.empty()) {
    auto [node, closing] = stack.back();
    stack.pop_back();
    if (closing) {
      events.push_back("end");
      continue;
    }
    switch (node->GetKind()) {
      case nkElement:
        events.push_back("start " + std::string(node->GetName()));
        for (int i = 0; i < node->GetAttributeCount(); ++i)
          events.push_back("attr " + node->GetAttributeName(i) + "=" + node->GetAttributeValue(i));
        AddText(events, node->GetValue());
        stack.emplace_back(node, true);
        for (int i = node->GetChildCount() - 1; i >= 0; --i) stack.emplace_back(node->GetChild(i), false);
        break;
      case nkCharData: AddText(events, node->GetValue()); break;
      case nkCData: events.push_back("cdata " + RawContent(*node, 9, 3)); break;
      case nkComment: events.push_back("comment " + RawContent(*node, 4, 3)); break;
      case nkInstruction: {
        const std::string raw = RawContent(*node, 2, 2);
        const auto blank = raw.find_first_of(" \t\r\n");
        const std::string target = raw.substr(0, blank);
        const std::string data = blank == std::string::npos ? "" : Trimmed(raw.substr(blank));
        events.push_back("pi " + target + " " + data);
        break;
      }
      default: break;
    }
  }
  return JoinCData(std::move(events));
}

std::vector<std::string> CanonicalByLibxml2(const std::string& text, bool& ok, std::string* error) {
  Collector collector;
  xmlSetGenericErrorFunc(&collector, CollectError);
  xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "test.xml", nullptr, XML_PARSE_HUGE);
  xmlSetGenericErrorFunc(nullptr, nullptr);
  ok = doc != nullptr;
  if (error) *error = collector.LastError;
  std::vector<std::string> events;
  if (doc) {
    WalkLibxml2(xmlDocGetRootElement(doc), events);
    xmlFreeDoc(doc);
  }
  return JoinCData(std::move(events));
}

bool WellFormed(const std::string& bytes, std::string* error) {
  bool ok = false;
  CanonicalByLibxml2(bytes, ok, error);
  return ok;
}

std::string RunCommand(const std::string& command, const std::string& input) {
  char inName[] = "/tmp/xmltestXXXXXX";
  const int fd = mkstemp(inName);
  {
    std::ofstream in(inName, std::ios::binary);
    in << input;
  }
  close(fd);
  const std::string full = "(" + command + ") < " + inName;
  FILE* pipe = popen(full.c_str(), "r");
  std::string output;
  char buffer[4096];
  std::size_t n;
  while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  if (pipe) pclose(pipe);
  std::remove(inName);
  return output;
}

}  // namespace xmltest
