// Parsing, writing and DOM memory of our XML library against pugixml on the
// same documents, and Base64 decoding speed. Each pair of cases records its
// time per iteration; the summary at exit prints ours, pugixml's and the
// ratio (pugixml time / our time, so above 1 means we are faster).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <pugixml.hpp>
#include <random>
#include <string>

#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

// ---- counting allocator: every heap byte of the process, ours and pugixml's

namespace {
std::atomic<std::int64_t> gLiveBytes{0};

void* CountedAlloc(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  gLiveBytes += static_cast<std::int64_t>(malloc_usable_size(p));
  return p;
}
void CountedFree(void* p) {
  if (!p) return;
  gLiveBytes -= static_cast<std::int64_t>(malloc_usable_size(p));
  std::free(p);
}
void* PugiAlloc(std::size_t size) { return CountedAlloc(size); }
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

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

// ---- summary

struct Pair {
  double Ours = 0;
  double Pugi = 0;
};
// Never destroyed, so the summary can still read it at exit.
std::map<std::string, Pair>& Results() {
  static auto* results = new std::map<std::string, Pair>();
  return *results;
}

struct Summary {
  ~Summary() {
    std::printf("\n%-28s %14s %14s %10s\n", "case", "ours", "pugixml", "pugi/ours");
    for (const auto& [name, pair] : Results()) {
      if (pair.Ours > 0 && pair.Pugi > 0)
        std::printf("%-28s %14.3f %14.3f %10.2f\n", name.c_str(), pair.Ours, pair.Pugi, pair.Pugi / pair.Ours);
    }
  }
} gSummary;

template <class Body>
void Timed(benchmark::State& state, const std::string& name, bool ours, std::size_t bytes, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double msPerIteration = seconds * 1e3 / static_cast<double>(state.iterations());
  (ours ? Results()[name + " ms"].Ours : Results()[name + " ms"].Pugi) = msPerIteration;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

const std::string& Document(int which) { return which == 0 ? Label() : Markup(); }
std::string DocumentName(int which) { return which == 0 ? "label 80KB" : "markup 10MB"; }

// ---- parsing

void BM_ParseOurs(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Timed(state, "parse " + DocumentName(static_cast<int>(state.range(0))), true, text.size(), [&] {
    TXmlDocument doc;
    doc.ReadFromString(text);
    benchmark::DoNotOptimize(doc.GetRoot());
  });
}

void BM_ParsePugi(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Timed(state, "parse " + DocumentName(static_cast<int>(state.range(0))), false, text.size(), [&] {
    pugi::xml_document doc;
    doc.load_buffer(text.data(), text.size());
    benchmark::DoNotOptimize(doc.first_child());
  });
}

// ---- writing

struct StringWriter : pugi::xml_writer {
  std::string Text;
  void write(const void* data, size_t size) override { Text.append(static_cast<const char*>(data), size); }
};

void BM_WriteOurs(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const bool readable = state.range(1) != 0;
  TXmlDocument doc;
  doc.ReadFromString(Document(which));
  doc.Layout = readable ? xlReadable : xlCompact;
  Timed(state, std::string("write ") + (readable ? "readable " : "compact ") + DocumentName(which), true,
        Document(which).size(), [&] { benchmark::DoNotOptimize(doc.WriteToString()); });
}

void BM_WritePugi(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const bool readable = state.range(1) != 0;
  pugi::xml_document doc;
  doc.load_buffer(Document(which).data(), Document(which).size());
  Timed(state, std::string("write ") + (readable ? "readable " : "compact ") + DocumentName(which), false,
        Document(which).size(), [&] {
          StringWriter writer;
          doc.save(writer, "  ", readable ? pugi::format_indent : pugi::format_raw);
          benchmark::DoNotOptimize(writer.Text);
        });
}

// ---- DOM memory (one measurement, reported as counters and in the summary)

void BM_Memory(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& text = Document(which);
  std::int64_t ours = 0, pugi = 0, oursMallinfo = 0, pugiMallinfo = 0;
  for (auto _ : state) {
    {
      const std::int64_t before = gLiveBytes;
      const auto infoBefore = mallinfo2().uordblks;
      TXmlDocument doc;
      doc.ReadFromString(text);
      ours = gLiveBytes - before;
      oursMallinfo = static_cast<std::int64_t>(mallinfo2().uordblks - infoBefore);
    }
    {
      const std::int64_t before = gLiveBytes;
      const auto infoBefore = mallinfo2().uordblks;
      pugi::xml_document doc;
      doc.load_buffer(text.data(), text.size());
      pugi = gLiveBytes - before;
      pugiMallinfo = static_cast<std::int64_t>(mallinfo2().uordblks - infoBefore);
    }
  }
  state.counters["ours_KB"] = static_cast<double>(ours) / 1024;
  state.counters["pugi_KB"] = static_cast<double>(pugi) / 1024;
  state.counters["ours_per_pugi"] = static_cast<double>(ours) / static_cast<double>(pugi);
  const std::string name = "DOM KB (counted) " + DocumentName(which);
  Results()[name] = {static_cast<double>(ours) / 1024, static_cast<double>(pugi) / 1024};
  Results()["DOM KB (mallinfo2) " + DocumentName(which)] = {static_cast<double>(oursMallinfo) / 1024,
                                                            static_cast<double>(pugiMallinfo) / 1024};
}

// ---- Base64

void BM_Base64Decode(benchmark::State& state) {
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

BENCHMARK(BM_ParseOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePugi)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOurs)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePugi)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Base64Decode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// pugixml allocates through the same counters.
static const bool gPugiCounted = [] {
  pugi::set_memory_management_functions(PugiAlloc, CountedFree);
  return true;
}();
