// Parsing, writing and DOM memory of our XML library against pugixml on the
// same documents, and Base64 decoding speed. Both sides run in turns in the
// same iterations, with the C library's heap thresholds pinned so that
// neither pays for fresh pages the other is spared.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/common/Comparison.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {
// ---- documents

// A label page: nested shapes, each property a child element, compact.
std::string LabelDocument(std::size_t targetSize) {
  TXmlDocument doc("Page");
  TXmlNode* page = doc.GetRoot();
  page->WriteChildString("ClassName", "TdocPage");
  page->WriteChildBool("IsDefaultPage", false, true);
  int index = 0;
  while (doc.WriteToString().size() < targetSize) {
    TXmlNode* group = page->AddChild("Shape");
    group->AddAttributeInteger("Index", ++index);
    group->WriteChildString("ClassName", "TdocGroupShape");
    for (int s = 0; s < 5; ++s) {
      TXmlNode* shape = group->AddChild("Shape");
      shape->AddAttributeInteger("Index", s + 1);
      shape->WriteChildString("ClassName", s % 2 ? "TdocTextShape" : "TdocBarCodeShape");
      shape->WriteChildFloat("Left", 12.5 + s, 0);
      shape->WriteChildFloat("Top", 3.25 * s, 0);
      shape->WriteChildFloat("Width", 40, 0);
      shape->WriteChildFloat("Height", 12.75, 0);
      shape->WriteChildFloat("Angle", 0, 0);
      shape->WriteChildInteger("Alpha", 255, 0);
      shape->WriteChildBool("Visible", true, false);
      shape->WriteChildColor("FillColor", 0xFFFFFF);
      shape->WriteChildString("Text", "Caf\xC3\xA9 & co <" + std::to_string(index) + ">");
      TXmlNode* font = shape->AddChild("Font");
      font->WriteChildString("Name", "Arial");
      font->WriteChildBool("Bold", s == 2, false);
      TXmlNode* effect = shape->AddChild("Effect");
      effect->AddAttributeInteger("Index", 1);
      effect->WriteChildString("ClassName", "TdocShadowEffect");
      effect->WriteChildBool("Enabled", true, false);
      effect->WriteChildInteger("Source", -2, -2);
    }
  }
  return doc.WriteToString();
}

// Markup with many attributes and little text.
std::string MarkupDocument(std::size_t targetSize) {
  std::mt19937 random(5);
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog>";
  for (int i = 0; text.size() < targetSize; ++i) {
    text += "<item id=\"" + std::to_string(i) + "\" kind=\"k" + std::to_string(random() % 7) + "\" x=\"" +
            std::to_string(random() % 1000) + ".5\" y=\"" + std::to_string(random() % 1000) + "\"><name>item " +
            std::to_string(i) + "</name><tags><tag v=\"a\"/><tag v=\"b&amp;c\"/></tags><note/></item>";
  }
  return text + "</catalog>\n";
}

const std::string& Label() {
  static const std::string text = LabelDocument(80 * 1024);
  return text;
}
const std::string& Markup() {
  static const std::string text = MarkupDocument(10 * 1024 * 1024);
  return text;
}

// ---- settings of both sides

const std::string kPugixml = "pugixml " + std::to_string(PUGIXML_VERSION / 1000) + "." +
                             std::to_string(PUGIXML_VERSION % 1000 / 10);

const std::string& Document(int which) { return which == 0 ? Label() : Markup(); }
std::string DocumentName(int which) { return which == 0 ? "label 80KB" : "markup 10MB"; }

// ---- parsing: the document read and every value and attribute taken in
// its plain form. We keep entities in the stored text until a value is
// asked for; pugixml resolves them while parsing: asking for every value
// makes both sides do the same work.

std::size_t OurValues(const TXmlNode& node) {
  std::size_t total = node.GetValue().size();
  for (int i = 0; i < node.GetAttributeCount(); ++i) total += node.GetAttributeValue(i).size();
  for (int i = 0; i < node.GetChildCount(); ++i) total += OurValues(*node.GetChild(i));
  return total;
}

std::size_t PugiValues(const pugi::xml_node& node) {
  // Its quickest walk: the ranges of children() and attributes() cost more.
  std::size_t total = static_cast<unsigned char>(node.value()[0]);
  for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
    total += static_cast<unsigned char>(attribute.value()[0]);
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) total += PugiValues(child);
  return total;
}

void Parse(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& text = Document(which);
  bench::TPairTimer timer(state);
  for (auto _ : state)
    timer.Iteration(
        [&] {
          TXmlDocument doc;
          doc.ReadFromString(text);
          benchmark::DoNotOptimize(OurValues(*doc.GetRoot()));
        },
        [&] {
          pugi::xml_document doc;
          doc.load_buffer(text.data(), text.size());
          benchmark::DoNotOptimize(PugiValues(doc));
        });
  timer.Report("parse " + DocumentName(which) + ", every value read",
               {"TXmlDocument::ReadFromString from a std::string, UTF-8, then GetValue and GetAttributeValue of "
                "every node (entities resolved)",
                kPugixml + " load_buffer (copies the text), default options (entities resolved), then value() of "
                           "every node and attribute"});
}

// ---- writing: every value and attribute set from its plain text, then the
// document written. We escape when a value is stored, pugixml when it
// writes: both are in the timed part.

struct StringWriter : pugi::xml_writer {
  std::string Text;
  void write(const void* data, size_t size) override { Text.append(static_cast<const char*>(data), size); }
};

struct TOurValues {
  TXmlNode* Node;
  std::string Value;
  std::vector<std::pair<std::string, std::string>> Attributes;
};

void CollectOurValues(TXmlNode& node, std::vector<TOurValues>& values) {
  TOurValues entry{&node, node.GetChildCount() == 0 ? node.GetValue() : std::string(), {}};
  for (int i = 0; i < node.GetAttributeCount(); ++i)
    entry.Attributes.emplace_back(node.GetAttributeName(i), node.GetAttributeValue(i));
  if (!entry.Value.empty() || !entry.Attributes.empty()) values.push_back(std::move(entry));
  for (int i = 0; i < node.GetChildCount(); ++i) CollectOurValues(*node.GetChild(i), values);
}

void SetOurValues(const std::vector<TOurValues>& values) {
  for (const TOurValues& entry : values) {
    if (!entry.Value.empty()) entry.Node->SetValue(entry.Value);
    if (entry.Attributes.empty()) continue;
    entry.Node->ClearAttributes();
    for (const auto& [name, value] : entry.Attributes) entry.Node->AddAttribute(name, value);
  }
}

struct TPugiValues {
  std::vector<std::pair<pugi::xml_node, std::string>> Texts;
  std::vector<std::pair<pugi::xml_attribute, std::string>> Attributes;
};

void CollectPugiValues(const pugi::xml_node& node, TPugiValues& values) {
  if (node.type() == pugi::node_pcdata) values.Texts.emplace_back(node, node.value());
  for (const pugi::xml_attribute& attribute : node.attributes())
    values.Attributes.emplace_back(attribute, attribute.value());
  for (const pugi::xml_node& child : node.children()) CollectPugiValues(child, values);
}

void SetPugiValues(TPugiValues& values) {
  for (auto& [node, text] : values.Texts) node.set_value(text.c_str());
  for (auto& [attribute, text] : values.Attributes) attribute.set_value(text.c_str());
}

void Write(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const bool readable = state.range(1) != 0;
  TXmlDocument ours;
  ours.ReadFromString(Document(which));
  ours.Layout = readable ? xlReadable : xlCompact;
  std::vector<TOurValues> ourValues;
  CollectOurValues(*ours.GetRoot(), ourValues);
  pugi::xml_document theirs;
  theirs.load_buffer(Document(which).data(), Document(which).size());
  TPugiValues theirValues;
  CollectPugiValues(theirs, theirValues);
  bench::TPairTimer timer(state);
  for (auto _ : state)
    timer.Iteration(
        [&] {
          SetOurValues(ourValues);
          benchmark::DoNotOptimize(ours.WriteToString());
        },
        [&] {
          SetPugiValues(theirValues);
          StringWriter writer;
          theirs.save(writer, "  ", readable ? pugi::format_indent : pugi::format_raw);
          benchmark::DoNotOptimize(writer.Text);
        });
  const std::string layout = readable ? "readable" : "compact";
  timer.Report("write " + layout + " " + DocumentName(which) + ", every value set",
               {"SetValue and AddAttribute of every value (escaped as stored), TXmlDocument::WriteToString, " + layout +
                    " layout (" + (readable ? "indented, CRLF" : "no breaks") + ")",
                kPugixml + " set_value of every text and attribute, save to a std::string writer (escaped as written), " +
                    (readable ? "format_indent" : "format_raw")});
}

// ---- DOM memory: heap bytes in use after parsing, whatever their block size

std::int64_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

void Memory(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& text = Document(which);
  std::int64_t ours = 0, pugi = 0;
  for (auto _ : state) {
    {
      const std::int64_t before = HeapInUse();
      TXmlDocument doc;
      doc.ReadFromString(text);
      ours = HeapInUse() - before;
    }
    {
      const std::int64_t before = HeapInUse();
      pugi::xml_document doc;
      doc.load_buffer(text.data(), text.size());
      pugi = HeapInUse() - before;
    }
  }
  bench::AddRow(state, "DOM memory " + DocumentName(which), static_cast<double>(ours) / 1024,
                static_cast<double>(pugi) / 1024, "KB",
                {"heap in use after ReadFromString", "heap in use after " + kPugixml + " load_buffer"});
}

// ---- Base64

void Base64Decode(benchmark::State& state) {
  const bool readable = state.range(0) != 0;
  std::string bytes(8 << 20, '\0');
  std::mt19937 random(9);
  for (char& b : bytes) b = static_cast<char>(random());
  TXmlDocument doc("Root");
  doc.Layout = readable ? xlReadable : xlCompact;
  TXmlNode* buffer = doc.GetRoot()->AddChild("Data")->AddChild("Buffer");
  buffer->EncodeBinaryValue(bytes.data(), bytes.size());
  std::string out(bytes.size(), '\0');
  for (auto _ : state) {
    buffer->DecodeBinaryValue(out.data(), out.size());
    benchmark::DoNotOptimize(out.data());
  }
  if (out != bytes) state.SkipWithError("decoded bytes differ");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

const bool gPinned = [] {
  bench::PinHeapThresholds();
  return true;
}();

BENCHMARK(Parse)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Write)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Memory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Base64Decode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
