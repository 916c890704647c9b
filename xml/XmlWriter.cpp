#include "xml/XmlWriter.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "xml/OutputText.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace xml::detail {
namespace {
using namespace std::string_view_literals;

// The forms of the definitions that are written "<!KEYWORD name value>".
std::string_view DefinitionKeyword(TXmlNodeKind kind) {
  switch (kind) {
    case nkElementDecl: return "<!ELEMENT "sv;
    case nkAttListDecl: return "<!ATTLIST "sv;
    case nkEntityDecl: return "<!ENTITY "sv;
    case nkNotationDecl: return "<!NOTATION "sv;
    default: return {};
  }
}

// The character reference of a white space character.
std::string_view WhiteSpaceReference(char c) {
  switch (c) {
    case ' ': return "&#32;"sv;
    case '\t': return "&#9;"sv;
    case '\n': return "&#10;"sv;
    default: return "&#13;"sv;
  }
}
}  // namespace

class Writer {
public:
  Writer(std::string& out, const TXmlDocument* document) : Out(out), Document(document) {
    if (document) {
      Layout = document->Layout;
      Indent = document->IndentString;
      FullEndTags = document->FullEndTags;
    }
    if (Layout == xlReadable) LineBreak = "\r\n"sv;
    else if (Layout != xlCompact) LineBreak = "\n"sv;
  }

  void Write(const TXmlNode& top) {
    Open(top, 0);
    CloseAll();
  }

  // The element's opening and the children it has; true when it stays open
  // for more (it has a child after its leading text).
  bool OpenGrowing(const TXmlNode& element) {
    if (!Open(element, 0)) return false;
    WriteGrowingChildren();
    return true;
  }

  // The children appended to the open element since the last call. They may
  // be deleted afterwards: the writer then forgets them.
  void WriteGrowingChildren() {
    while (Stack.size() > 1 || Stack.front().Next < Stack.front().Node->Children.Count) Step();
  }
  void ForgetGrowingChildren() { Stack.front().Next = Stack.front().Node->Children.Count; }

  // Writes what is left of the open elements and closes them.
  void CloseAll() {
    while (!Stack.empty()) Step();
    Progress();
  }

  // Hands the text written so far to emit. Between batches it ends with
  // the last child, its line break still to come, so the indentation that
  // looks back for a line break loses nothing.
  template <class Emit>
  void Drain(const Emit& emit) {
    Out.Drain(emit);
  }

private:
  struct Frame {
    const TXmlNode* Node;
    std::uint32_t Next;  // index of the next child to write
    int Depth;
    // A child was written; the white space after it waits for what comes
    // next, which a growing element does not know yet.
    bool ChildDone = false;
    bool ChildWasText = false;
  };

  void Step() {
    Frame& f = Stack.back();
    if (f.ChildDone) AfterChild(f);
    if (f.Next == f.Node->Children.Count) {
      const Frame done = f;
      Stack.pop_back();
      Close(*done.Node, done.Depth);
      if (!Stack.empty()) ChildWritten(Stack.back(), *done.Node);
      return;
    }
    const TXmlNode* child = f.Node->Children.Items[f.Next++];
    const int depth = f.Depth + 1;
    if (Open(*child, depth)) return;
    Progress();
    ChildWritten(Stack.back(), *child);
  }

  static void ChildWritten(Frame& f, const TXmlNode& child) {
    f.ChildDone = true;
    f.ChildWasText = child.Kind == nkCharData;
  }

  // Layout white space never touches character data in an element: the
  // reader would take it for part of the text, or cut the text's own blanks
  // together with it. So no line break is written before or after it, and a
  // line that does not start after a line break is not indented.
  static bool IsTextOf(const TXmlNode& parent, std::uint32_t index) {
    return parent.Kind == nkElement && index < parent.Children.Count && parent.Children.Items[index]->Kind == nkCharData;
  }

  // The line break after a child, except around character data.
  void AfterChild(Frame& f) {
    f.ChildDone = false;
    if ((f.ChildWasText && f.Node->Kind == nkElement) || IsTextOf(*f.Node, f.Next)) return;
    Out.append(LineBreak);
  }

  // Writes the node's opening; true when its children follow (it is on the
  // stack and closed later).
  bool Open(const TXmlNode& node, int depth) {
    if (node.Kind != nkCharData) WriteIndent(depth);
    switch (node.Kind) {
      case nkElement: return OpenElement(node, depth);
      case nkComment: return Line("<!--"sv, node.Value.View(), "-->"sv);
      case nkCData: return Line("<![CDATA["sv, node.Value.View(), "]]>"sv);
      case nkDeclaration:
        Out.append("<?xml"sv);
        WriteAttributes(node, true);
        Out.append("?>"sv);
        return false;
      case nkStyleSheet:
        Out.append("<?xml-stylesheet"sv);
        WriteAttributes(node, false);
        Out.append("?>"sv);
        return false;
      case nkDocType: return OpenDocType(node, depth);
      case nkElementDecl:
      case nkAttListDecl:
      case nkEntityDecl:
      case nkNotationDecl:
        Out.append(DefinitionKeyword(node.Kind));
        Out.append(node.Name.View());
        return Line(" "sv, node.Value.View(), ">"sv);
      case nkSpecial: return Line("<!"sv, node.Value.View(), ">"sv);
      case nkInstruction: return Line("<?"sv, node.Value.View(), "?>"sv);
      case nkCharData:
        WriteText(node.Value.View());
        return false;
      case nkUnknown: return Line("<"sv, node.Value.View(), ">"sv);
    }
    throw EXmlError("Illegal element type");
  }

  bool Line(std::string_view open, std::string_view value, std::string_view close) {
    Out.append(open);
    Out.append(value);
    Out.append(close);
    return false;
  }

  bool OpenElement(const TXmlNode& node, int depth) {
    if (node.Name.Empty()) throw EXmlError("Missing element name");
    Out += '<';
    Out.append(node.Name.View());
    WriteAttributes(node, false);
    const bool hasChildren = node.Children.Count > 0;
    if (node.Value.Empty() && !hasChildren && !FullEndTags && depth > 0) {
      Out.append("/>"sv);
      return false;
    }
    Out += '>';
    WriteText(node.Value.View());
    // Character data that comes first continues the value, as the reader
    // takes it.
    std::uint32_t next = 0;
    for (; IsTextOf(node, next); ++next) WriteText(node.Children.Items[next]->Value.View());
    if (next == node.Children.Count) {
      WriteEndTag(node);
      return false;
    }
    Out.append(LineBreak);
    Stack.push_back({&node, next, depth});
    return true;
  }

  // An element's value or character data. The reader drops text that is
  // only white space, and in the readable layout cuts line ends and blanks
  // off its end as line breaks and indentation: such characters of the
  // text's own are written as references, which it keeps. So a value of
  // blanks alone, or one that ends in blanks, reads back as it was.
  void WriteText(std::string_view text) {
    const bool blank = text.find_first_not_of(" \t\r\n"sv) == std::string_view::npos;
    const std::string_view cut = blank ? " \t\r\n"sv : Layout == xlReadable ? " \r\n"sv : ""sv;
    const std::size_t end = cut.empty() ? text.size() : text.find_last_not_of(cut) + 1;
    Out.append(text.substr(0, end));
    for (const char c : text.substr(end)) Out.append(WhiteSpaceReference(c));
  }

  bool OpenDocType(const TXmlNode& node, int depth) {
    Out.append("<!DOCTYPE "sv);
    Out.append(node.Name.View());
    Out += ' ';
    Out.append(node.Value.View());
    if (node.Children.Count == 0) {
      Out += '>';
      return false;
    }
    Out.append(" ["sv);
    Out.append(LineBreak);
    Stack.push_back({&node, 0, depth});
    return true;
  }

  void Close(const TXmlNode& node, int depth) {
    if (node.Kind == nkDocType) {
      Out.append("]>"sv);
    } else {
      WriteIndent(depth);
      WriteEndTag(node);
    }
    Progress();
  }

  void WriteEndTag(const TXmlNode& node) {
    Out.append("</"sv);
    Out.append(node.Name.View());
    Out += '>';
  }

  // A declaration drops attributes without a value.
  void WriteAttributes(const TXmlNode& node, bool dropEmpty) {
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      if (dropEmpty && node.GetAttributeValue(i).empty()) continue;
      Out += ' ';
      Out.append(node.Attributes.Items[i].View());
    }
  }

  void WriteIndent(int depth) {
    if (Layout != xlReadable || !Out.EndsWith(LineBreak)) return;
    for (int i = 0; i < depth; ++i) Out.append(Indent);
  }

  void Progress() {
    if (Document && Document->OnProgress) Document->OnProgress(*Document, static_cast<std::int64_t>(Out.size()));
  }

  OutputText Out;
  const TXmlDocument* Document;
  TXmlLayout Layout = xlCompact;
  std::string_view Indent = "  "sv;
  bool FullEndTags = false;
  std::string_view LineBreak;
  std::vector<Frame> Stack;
};

void WriteNode(const TXmlNode& node, std::string& out, const TXmlDocument* document) {
  Writer(out, document).Write(node);
}

// Before the element opens it needs a child past its leading text, or it
// would be written whole.
void WriteGrowingNode(TXmlNode& element, const std::function<bool(TXmlNode&)>& more,
                      const std::function<void(std::string_view)>& emit, const TXmlDocument* document) {
  const int kept = element.GetChildCount();
  auto hasChildPastText = [&element] {
    for (int i = 0; i < element.GetChildCount(); ++i)
      if (element.GetChild(i)->GetKind() != nkCharData) return true;
    return false;
  };
  auto forgetBatch = [&element, kept] {
    for (int i = element.GetChildCount() - 1; i >= kept; --i) element.DeleteChild(i);
  };
  bool growing = element.GetKind() == nkElement;
  while (growing && !hasChildPastText()) growing = more(element);
  std::string buffer;
  Writer writer(buffer, document);
  growing = writer.OpenGrowing(element) && growing;
  while (growing) {
    forgetBatch();
    writer.ForgetGrowingChildren();
    writer.Drain(emit);
    growing = more(element);
    writer.WriteGrowingChildren();
  }
  writer.CloseAll();
  forgetBatch();
  writer.Drain(emit);
}

}  // namespace xml::detail
