#include "xml/XmlParser.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/rtl/Format.h"
#include "xml/NodePool.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace xml::detail {
namespace {

using namespace std::string_view_literals;

bool IsQuote(char c) { return c == '"' || c == '\''; }

const char* SkipSpace(const char* p, const char* end) {
  while (p < end && IsSpaceChar(*p)) ++p;
  return p;
}

// Most searches end within a few characters, where a plain loop beats a
// library call; long runs go to memchr.
const char* Find(const char* p, const char* end, char c) {
  for (const char* stop = std::min(end, p + 32); p < stop; ++p) {
    if (*p == c) return p;
  }
  return p < end ? static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p))) : nullptr;
}

// The first "<" or carriage return in [p, end), or end. Eight bytes at a
// time: the lowest byte the zero-byte test marks is always a true match.
const char* FindTextStop(const char* p, const char* end) {
  constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t lt = word ^ (ones * '<'), cr = word ^ (ones * '\r');
    const std::uint64_t hits = ((lt - ones) & ~lt & highs) | ((cr - ones) & ~cr & highs);
    if (hits != 0) return p + std::countr_zero(hits) / 8;
  }
  while (p < end && *p != '<' && *p != '\r') ++p;
  return p;
}

// The ">" that ends a tag, skipping quoted attribute values, or nil.
const char* FindTagEnd(const char* p, const char* end) {
  for (; p < end; ++p) {
    const char c = *p;
    if (c == '>') return p;
    if (c == '"' || c == '\'') {
      p = Find(p + 1, end, c);
      if (!p) return nullptr;
    }
  }
  return nullptr;
}

// First character of stops outside quoted text, or nil.
const char* FindOutsideQuotes(const char* p, const char* end, std::string_view stops) {
  for (; p < end; ++p) {
    if (IsQuote(*p)) {
      p = Find(p + 1, end, *p);
      if (!p) return nullptr;
    } else if (stops.find(*p) != std::string_view::npos) {
      return p;
    }
  }
  return nullptr;
}

// "?>" outside quoted text, or nil.
const char* FindInstructionEnd(const char* p, const char* end) {
  while ((p = FindOutsideQuotes(p, end, "?"))) {
    if (p + 1 < end && p[1] == '>') return p;
    ++p;
  }
  return nullptr;
}

bool StartsWith(const char* p, const char* end, std::string_view prefix) {
  return static_cast<std::size_t>(end - p) >= prefix.size() && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

// Names are short: word compares (overlapping at the ends) beat a library
// call.
template <class Word>
bool SameEnds(const char* a, const char* b, std::size_t n) {
  Word a1, b1, a2, b2;
  std::memcpy(&a1, a, sizeof a1);
  std::memcpy(&b1, b, sizeof b1);
  std::memcpy(&a2, a + n - sizeof a2, sizeof a2);
  std::memcpy(&b2, b + n - sizeof b2, sizeof b2);
  return a1 == b1 && a2 == b2;
}

bool SameBytes(const char* a, const char* b, std::size_t n) {
  if (n > 16) return std::memcmp(a, b, n) == 0;
  if (n >= 8) return SameEnds<std::uint64_t>(a, b, n);
  if (n >= 4) return SameEnds<std::uint32_t>(a, b, n);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// The characters that end an element name in a tag.
constexpr auto kNameEnds = [] {
  std::array<bool, 256> ends{};
  for (const unsigned char c : {' ', '\t', '\n', '\r', '>', '/', '"', '\''}) ends[c] = true;
  return ends;
}();

bool IsNameEnd(char c) { return kNameEnds[static_cast<unsigned char>(c)]; }

std::string_view Span(const char* begin, const char* end) { return {begin, static_cast<std::size_t>(end - begin)}; }

std::string_view TrimTrailingLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  return text;
}

}  // namespace

class Parser {
public:
  Parser(TXmlNode& container, std::string_view text, TXmlDocument* document, bool dropComments, bool singleNode)
      : Begin(text.data()),
        P(text.data()),
        End(text.data() + text.size()),
        Pool(container.Pool),
        Document(document),
        DropComments(dropComments),
        SingleNode(singleNode),
        HasEvents(document && (document->OnNodeNew || document->OnNodeLoaded || document->OnProgress)) {
    Frames.emplace_back(&container, 0, FrameKind::Container);
  }

  void Run() {
    try {
      while (!Frames.empty()) {
        switch (Frames.back().Kind) {
          case FrameKind::Container:
            if (!ParseTopLevel()) CloseFrame();
            break;
          case FrameKind::Element:
            ParseElementContent();
            break;
          case FrameKind::DocType:
            ParseDocTypeContent();
            break;
        }
      }
    } catch (...) {
      // Keep what was read: every open node gets the children read so far.
      while (!Frames.empty()) {
        Frame& f = Frames.back();
        if (f.HasFirstText) f.Node->Value.Borrow(f.FirstText);
        AttachPending(f.Node, f.FirstPending);
        Frames.pop_back();
      }
      throw;
    }
  }

  std::size_t Consumed() const { return static_cast<std::size_t>(P - Begin); }

private:
  enum class FrameKind : std::uint8_t { Container, Element, DocType };
  struct Frame {
    Frame(TXmlNode* node, std::size_t firstPending, FrameKind kind)
        : Node(node), FirstPending(firstPending), Kind(kind) {}
    TXmlNode* Node;
    std::size_t FirstPending;  // its children read so far are Pending[FirstPending..]
    FrameKind Kind;
    bool CrSeen = false;
    bool HasFirstText = false;  // text before any child: the element's value
    std::string_view FirstText;
  };

  // One top-level node, or the stray text before the next "<" skipped; false
  // when there is nothing left. A single node is blank when the text starts
  // with stray text.
  bool ParseTopLevel() {
    P = SkipSpace(P, End);
    if (P == End || (SingleNode && !Pending.empty())) return false;
    if (*P != '<') {
      SkipStrayText();
      return !SingleNode;
    }
    ParseMarkup();
    return true;
  }

  // Kept out of the parsing loop: it is rare.
  [[gnu::noinline, gnu::cold]] void SkipStrayText() {
    const char* lt = static_cast<const char*>(std::memchr(P, '<', static_cast<std::size_t>(End - P)));
    P = lt ? lt : End;
  }

  void ParseElementContent() {
    const std::size_t depth = Frames.size();
    while (true) {
      const char* lt = ScanText();
      if (!lt) ElementError("Missing close tag in element %s");
      P = lt;
      const char* q = SkipSpace(lt + 1, End);
      if (q == End) ElementError("Missing data after \"<\" in element %s");
      if (*q == '/') {
        ParseCloseTag(q + 1);
        return;
      }
      ParseMarkup();
      if (Frames.size() != depth) return;
    }
  }

  void ParseCloseTag(const char* nameStart) {
    const std::string_view name = Frames.back().Node->Name.View();
    const char* gt = nameStart + name.size();
    // Usually the close tag repeats the name exactly.
    if (gt >= End || *gt != '>' || !SameBytes(nameStart, name.data(), name.size())) {
      gt = Find(nameStart, End, '>');
      if (!gt) ElementError("Missing \">\" in close tag of element %s");
      if (!SameName(TrimSpace(Span(nameStart, gt)), name)) ElementError("Incorrect close tag in element %s");
    }
    P = gt + 1;
    Frame& f = Frames.back();
    const bool hasChildren = f.HasFirstText || Pending.size() > f.FirstPending;
    if (f.CrSeen && hasChildren) {
      f.FirstText = TrimTrailingLineEnds(f.FirstText);
      for (std::size_t i = f.FirstPending; i < Pending.size(); ++i) {
        if (Pending[i]->Kind == nkCharData) Pending[i]->Value.Borrow(TrimTrailingLineEnds(Pending[i]->Value.View()));
      }
    }
    if (f.HasFirstText) f.Node->Value.Borrow(f.FirstText);
    CloseFrame();
  }

  [[noreturn]] void ElementError(const char* format) {
    throw EXmlError(rtl::Format(format, Frames.back().Node->Name.View()));
  }

  // Character data from P up to the next "<" (returned, nil at the end);
  // white space alone is dropped.
  const char* ScanText() {
    const TextRun run = ReadText(P);
    Frame& f = Frames.back();
    if (run.HasText) AddText(Span(P, run.Lt));
    f.CrSeen |= run.Cr;
    return run.Lt < End ? run.Lt : nullptr;
  }

  struct TextRun {
    const char* Lt;  // the "<" that ends the text, or End
    bool HasText;    // more than white space
    bool Cr;         // a carriage return among it
  };

  TextRun ReadText(const char* p) const {
    TextRun run{p, false, false};
    for (; p < End && IsSpaceChar(*p); ++p) run.Cr |= *p == '\r';
    if (p < End && *p != '<') {
      run.HasText = true;
      while ((p = FindTextStop(p, End)) < End && *p == '\r') {
        run.Cr = true;
        ++p;
      }
    }
    run.Lt = p;
    return run;
  }

  void AddText(std::string_view text) {
    Frame& f = Frames.back();
    if (!f.HasFirstText && Pending.size() == f.FirstPending) {
      f.HasFirstText = true;
      f.FirstText = text;
      return;
    }
    NewChild(nkCharData)->Value.Borrow(text);
  }

  void ParseDocTypeContent() {
    const std::size_t depth = Frames.size();
    while (true) {
      P = SkipSpace(P, End);
      if (P == End) {
        CloseFrame();
        return;
      }
      if (*P == ']') {
        const char* gt = Find(P, End, '>');
        P = gt ? gt + 1 : End;
        CloseFrame();
        return;
      }
      if (*P == '<') {
        ParseMarkup();
        if (Frames.size() != depth) return;
        continue;
      }
      // Parameter-entity references and other text of the subset are not kept.
      while (P < End && *P != '<' && *P != ']') ++P;
    }
  }

  // At "<": the construct the longest matching opener names.
  void ParseMarkup() {
    const char* q = SkipSpace(P + 1, End);
    if (q == End) {
      if (Frames.back().Kind == FrameKind::Element) ElementError("Missing data after \"<\" in element %s");
      throw EXmlError("Missing element name");
    }
    if (*q == '!') {
      if (StartsWith(q, End, "![CDATA["sv)) return ParseDelimited(nkCData, q + 8, "]]>"sv, "CData"sv);
      if (StartsWith(q, End, "!DOCTYPE"sv)) return ParseDocType(q + 8);
      if (StartsWith(q, End, "!ELEMENT"sv)) return ParseDefinition(nkElementDecl, q + 8);
      if (StartsWith(q, End, "!ATTLIST"sv)) return ParseDefinition(nkAttListDecl, q + 8);
      if (StartsWith(q, End, "!ENTITY"sv)) return ParseDefinition(nkEntityDecl, q + 7);
      if (StartsWith(q, End, "!NOTATION"sv)) return ParseDefinition(nkNotationDecl, q + 9);
      if (StartsWith(q, End, "!--"sv)) return ParseDelimited(nkComment, q + 3, "-->"sv, "Comment"sv);
      return ParseDelimited(nkSpecial, q + 1, ">"sv, "Special"sv);
    }
    if (*q == '?') {
      if (StartsWith(q, End, "?xml-stylesheet"sv)) return ParseInstructionTag(nkStyleSheet, q + 15);
      if (StartsWith(q, End, "?xml"sv)) return ParseInstructionTag(nkDeclaration, q + 4);
      return ParseDelimited(nkInstruction, q + 1, "?>"sv, "Special"sv);
    }
    ParseElementTag(q);
  }

  // Comments, CDATA and other constructs: the text up to the close string, as
  // it stands (an unclosed one takes the rest of the text).
  void ParseDelimited(TXmlNodeKind kind, const char* start, std::string_view close, std::string_view name) {
    const std::string_view rest = Span(start, End);
    const std::size_t at = rest.find(close);
    const std::string_view value = rest.substr(0, at);
    P = at == std::string_view::npos ? End : start + at + close.size();
    if (kind == nkComment && DropComments && Frames.back().Kind == FrameKind::Element) return;
    TXmlNode* node = NewChild(kind);
    node->Name.Borrow(name);
    node->Value.Borrow(value);
    Loaded(*node);
  }

  // <!ELEMENT, <!ATTLIST, <!ENTITY, <!NOTATION: name and the rest as value.
  void ParseDefinition(TXmlNodeKind kind, const char* start) {
    const char* gt = FindTagEnd(start, End);
    const char* stop = gt ? gt : End;
    P = gt ? gt + 1 : End;
    const char* nameStart = SkipSpace(start, stop);
    const char* nameEnd = nameStart;
    while (nameEnd < stop && !IsSpaceChar(*nameEnd)) ++nameEnd;
    TXmlNode* node = NewChild(kind);
    node->Name.Borrow(Span(nameStart, nameEnd));
    node->Value.Borrow(TrimSpace(Span(nameEnd, stop)));
    Loaded(*node);
  }

  void ParseDocType(const char* start) {
    const char* stop = FindOutsideQuotes(start, End, ">[");
    const char* textEnd = stop ? stop : End;
    const char* nameStart = SkipSpace(start, textEnd);
    const char* nameEnd = nameStart;
    while (nameEnd < textEnd && !IsSpaceChar(*nameEnd)) ++nameEnd;
    TXmlNode* node = NewChild(nkDocType);
    node->Name.Borrow(Span(nameStart, nameEnd));
    node->Value.Borrow(JoinLines(TrimSpace(Span(nameEnd, textEnd))));
    P = stop ? stop + 1 : End;
    if (stop && *stop == '[') {
      Frames.emplace_back(node, Pending.size(), FrameKind::DocType);
      return;
    }
    Loaded(*node);
  }

  // CR LF pairs become one blank.
  std::string_view JoinLines(std::string_view text) {
    if (text.find("\r\n") == std::string_view::npos) return text;
    char* joined = Pool->AllocateArray<char>(text.size());
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        joined[n++] = ' ';
        ++i;
      } else {
        joined[n++] = text[i];
      }
    }
    return {joined, n};
  }

  // <?xml ...?> and <?xml-stylesheet ...?>: the words are the attributes.
  void ParseInstructionTag(TXmlNodeKind kind, const char* start) {
    const char* close = FindInstructionEnd(start, End);
    const char* stop = close ? close : End;
    P = close ? close + 2 : End;
    TXmlNode* node = NewChild(kind);
    if (kind == nkDeclaration) {
      node->Name.Borrow("xml"sv);
    } else {
      node->Name.Borrow("xml-stylesheet"sv);
      node->Value.Borrow(TrimSpace(Span(start, stop)));
    }
    ParseAttributes(*node, start, stop);
    New(*node);
    Loaded(*node);
  }

  void ParseElementTag(const char* start) {
    // Tags without attributes end right after the name.
    const char* nameEnd = start;
    while (nameEnd < End && !IsNameEnd(*nameEnd)) ++nameEnd;
    if (nameEnd != start && nameEnd < End) {
      if (*nameEnd == '>') return AddElement(start, nameEnd, nameEnd, nameEnd, false);
      if (*nameEnd == '/' && nameEnd + 1 < End && nameEnd[1] == '>')
        return AddElement(start, nameEnd, nameEnd, nameEnd + 1, true);
    }
    const char* gt = FindTagEnd(start, End);
    const char* tagEnd = gt ? gt : End;
    const char* last = tagEnd;
    while (last > start && IsSpaceChar(last[-1])) --last;
    const bool empty = gt && last > start && last[-1] == '/';
    if (empty) tagEnd = last - 1;
    nameEnd = start;
    while (nameEnd < tagEnd && !IsSpaceChar(*nameEnd)) ++nameEnd;
    if (nameEnd == start) throw EXmlError("Missing element name");
    if (!gt) throw EXmlError(rtl::Format("Missing close tag in element %s", Span(start, nameEnd)));
    AddElement(start, nameEnd, tagEnd, gt, empty);
  }

  // The element named [start, nameEnd) with attributes up to tagEnd; its tag
  // closes at gt.
  void AddElement(const char* start, const char* nameEnd, const char* tagEnd, const char* gt, bool empty) {
    TXmlNode* node = NewChild(nkElement);
    node->Name.Borrow(Span(start, nameEnd));
    if (nameEnd != tagEnd) ParseAttributes(*node, nameEnd, tagEnd);
    P = gt + 1;
    New(*node);
    if (empty || ReadLeaf(*node)) {
      Loaded(*node);
    } else {
      Frames.emplace_back(node, Pending.size(), FrameKind::Element);
    }
  }

  // Most elements hold only text and end with their name repeated exactly:
  // such an element is read here at once, with the value and the position
  // the general path gives it. Anything else is left to that path (false).
  bool ReadLeaf(TXmlNode& node) {
    const TextRun run = ReadText(P);
    const std::string_view name = node.Name.View();
    const char* close = run.Lt + 2 + name.size();
    if (close >= End || run.Lt[1] != '/' || *close != '>' || !SameBytes(run.Lt + 2, name.data(), name.size()))
      return false;
    if (run.HasText) {
      const std::string_view text = Span(P, run.Lt);
      node.Value.Borrow(run.Cr ? TrimTrailingLineEnds(text) : text);
    }
    P = close + 1;
    return true;
  }

  // Words of a tag, kept as written (name="value" or name='value'); blanks
  // around "=" are dropped so the attribute can be found by its name.
  void ParseAttributes(TXmlNode& node, const char* p, const char* end) {
    Attributes.clear();
    while ((p = SkipSpace(p, end)) < end) {
      const char* start = p;
      while (p < end && !IsSpaceChar(*p) && *p != '=') {
        if (IsQuote(*p)) {
          const char* q = Find(p + 1, end, *p);
          p = q ? q : end - 1;
        }
        ++p;
      }
      const char* nameEnd = p;
      const char* equals = SkipSpace(p, end);
      if (equals == end || *equals != '=') {
        Attributes.push_back(Text(Span(start, nameEnd)));
        continue;
      }
      const char* value = SkipSpace(equals + 1, end);
      p = value;
      if (p < end && IsQuote(*p)) {
        const char* q = Find(p + 1, end, *p);
        p = q ? q + 1 : end;
      } else {
        while (p < end && !IsSpaceChar(*p)) ++p;
      }
      if (equals == nameEnd && value == equals + 1) {
        Attributes.push_back(Text(Span(start, p)));
      } else {
        Attributes.push_back(Text(Joined(Span(start, nameEnd), Span(value, p))));
      }
    }
    if (Attributes.empty()) return;
    auto* items = Pool->AllocateArray<NodeText>(Attributes.size());
    std::copy(Attributes.begin(), Attributes.end(), items);
    node.Attributes.Adopt(items, static_cast<std::uint32_t>(Attributes.size()));
  }

  static NodeText Text(std::string_view text) {
    NodeText t;
    t.Borrow(text);
    return t;
  }

  std::string_view Joined(std::string_view name, std::string_view value) {
    char* joined = Pool->AllocateArray<char>(name.size() + 1 + value.size());
    std::memcpy(joined, name.data(), name.size());
    joined[name.size()] = '=';
    std::memcpy(joined + name.size() + 1, value.data(), value.size());
    return {joined, name.size() + 1 + value.size()};
  }

  TXmlNode* NewChild(TXmlNodeKind kind) {
    TXmlNode* node = TXmlNode::NewNode(Pool, Frames.back().Node->Document, kind);
    node->Parent = Frames.back().Node;
    Pending.push_back(node);
    return node;
  }

  // The frame's node gets its children and is complete.
  void CloseFrame() {
    TXmlNode* node = Frames.back().Node;
    AttachPending(node, Frames.back().FirstPending);
    const bool container = Frames.back().Kind == FrameKind::Container;
    Frames.pop_back();
    if (!container) Loaded(*node);
  }

  void AttachPending(TXmlNode* node, std::size_t first) {
    const std::size_t count = Pending.size() - first;
    if (count == 0) return;
    if (node->Children.Count == 0) {
      auto* items = Pool->AllocateArray<TXmlNode*>(count);
      std::copy(Pending.begin() + static_cast<std::ptrdiff_t>(first), Pending.end(), items);
      node->Children.Adopt(items, static_cast<std::uint32_t>(count));
    } else {
      Pool->MarkModified();
      for (std::size_t i = first; i < Pending.size(); ++i) node->Children.Append(Pending[i]);
    }
    Pending.resize(first);
  }

  void New(TXmlNode& node) {
    if (HasEvents && Document->OnNodeNew) Document->OnNodeNew(*Document, node);
  }

  void Loaded(TXmlNode& node) {
    if (!HasEvents) return;
    if (Document->OnNodeLoaded) Document->OnNodeLoaded(*Document, node);
    if (Document->OnProgress) Document->OnProgress(*Document, P - Begin);
  }

  const char* Begin;
  const char* P;
  const char* End;
  NodePool* Pool;
  TXmlDocument* Document;
  bool DropComments;
  bool SingleNode;
  bool HasEvents;
  std::vector<Frame> Frames;
  std::vector<TXmlNode*> Pending;  // children read, not yet handed to their parent
  std::vector<NodeText> Attributes;
};

std::size_t ParseNodes(TXmlNode& container, std::string_view text, TXmlDocument* document, bool dropComments,
                       bool singleNode) {
  Parser parser(container, text, document, dropComments, singleNode);
  parser.Run();
  return parser.Consumed();
}

}  // namespace xml::detail
