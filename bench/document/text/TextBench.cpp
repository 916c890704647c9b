// Text shapes against Qt's QTextLayout on the same text, font, size and
// frame width, both drawn into a bitmap of the same size at 300 dots per
// inch. Qt measures as ours does: the em rounded to whole pixels, each
// character's hinted advance in whole pixels; the wrap case checks that
// both sides break the memo into the same number of lines and reports no
// ratio when they do not:
// - Wrap: a 10 000-character memo word-wrapped and drawn (goal: ratio at
//   most 1.0); the composition into the page through the render cache is
//   reported once beside it;
// - Type: one character typed into a 2000-character memo, the memo laid out
//   again and drawn (ours against QTextLayout laying out and drawing again).
// Each iteration changes the text, so neither side reuses a layout.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <string>

#include "document/shape/PlainServices.h"
#include "document/core/StartUp.h"
#include "document/text/TextShape.h"

namespace {

constexpr float kResolution = 11.811024f;  // dots per mm
constexpr float kFontHeight = 3.0f;        // mm
constexpr float kWidth = 100.0f;           // mm
const char* const kFace = "DejaVu Sans";

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// This thread's processor time in seconds: on a busy machine it moves less
// than the clock.
double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Words of 2 to 9 letters in paragraphs of about 600 characters.
std::u16string MakeText(std::size_t length) {
  std::mt19937 random(17);
  std::u16string text;
  std::size_t paragraph = 0;
  while (text.size() < length) {
    const int letters = 2 + static_cast<int>(random() % 8);
    for (int i = 0; i < letters; ++i) text.push_back(static_cast<char16_t>(u'a' + random() % 26));
    paragraph += static_cast<std::size_t>(letters) + 1;
    if (paragraph > 600) {
      text += u"\r\n";
      paragraph = 0;
    } else {
      text.push_back(u' ');
    }
  }
  text.resize(length);
  return text;
}

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "text_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

// Ours: a memo on a page. Drawing is the memo's own drawing into a bitmap of
// its size (what QTextLayout::draw does into the image); composing that
// bitmap into the page through the render cache is timed apart.
struct TOurs {
  TdocPlainServices Document;
  TdocShape Page;
  TdocMemoShape* Memo = nullptr;
  TBitmap32 Bitmap;

  explicit TOurs(const std::u16string& text) {
    document::StartUp();
    Page.SetDocument(&Document);
    Page.SetDocFrame(0, 0, 1000, 1000, 0);
    auto memo = std::make_unique<TdocMemoShape>();
    Memo = memo.get();
    Page.AddShape(std::move(memo));
    Memo->SetFontName(kFace);
    Memo->SetFontHeight(kFontHeight);
    Memo->SetWordWrap(true);
    Memo->SetDocBounds(0, 0, kWidth, 10);
    Memo->SetText(text);
    Document.SuspendUndo();
  }
  TdocRenderOptions Options() const {
    TdocRenderOptions options;
    options.Resolution = kResolution;
    options.BitmapResolution = kResolution;
    return options;
  }
  void Render() {
    Bitmap.SetSize(static_cast<int>(kWidth * kResolution), static_cast<int>(Memo->GetDocHeight() * kResolution) + 1);
    Memo->SetDeviceTransform(TdocTransform(kResolution, 0, 0, kResolution, 0, 0));
    Memo->PaintToBitmap(Bitmap, Options());
  }
  void Compose() {
    const float width = static_cast<float>(Bitmap.GetWidth()), height = static_cast<float>(Bitmap.GetHeight());
    Bitmap.Clear(0xFFFFFFFFu);
    Memo->ClearRenderCache();
    Page.RenderShape(Bitmap, {0, 0, width / kResolution, height / kResolution}, false, Options());
  }
};

// The reference: QTextLayout with the same face and em size, line breaks as
// line separators, one layout per text.
struct TReference {
  QFont Font;
  QImage Image;
  int Lines = 0;

  TReference() {
    App();
    Font.setFamily(kFace);
    Font.setPixelSize(static_cast<int>(std::nearbyint(kFontHeight * kResolution)));
    // Whole-pixel hinted advances, as our memo measures its lines (Qt's
    // default here gives wider lines: 169 against our 167).
    Font.setHintingPreference(QFont::PreferFullHinting);
    Font.setKerning(false);
  }
  void LayOutAndDraw(const std::u16string& text) {
    QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    string.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    QTextLayout layout(string, Font);
    const double lineWidth = kWidth * kResolution;
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(lineWidth);
      line.setPosition(QPointF(0, y));
      y += line.height();
    }
    layout.endLayout();
    Lines = layout.lineCount();
    const QSize size(static_cast<int>(lineWidth), static_cast<int>(y) + 1);
    if (Image.size() != size) Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::white);
    QPainter painter(&Image);
    painter.setPen(Qt::black);
    layout.draw(&painter, QPointF(0, 0));
  }
  // Lays out and draws text, adding the wall and processor time it took.
  void TimedLayOutAndDraw(const std::u16string& text, double& wall, double& cpu) {
    const double cpuStart = CpuNow();
    const auto start = Clock::now();
    LayOutAndDraw(text);
    wall += Since(start);
    cpu += CpuNow() - cpuStart;
  }
};

void Report(benchmark::State& state, double ours, double reference, double ourCpu, double referenceCpu) {
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1e3 * ours / n;
  state.counters["ref_ms"] = 1e3 * reference / n;
  state.counters["ratio"] = ours / reference;
  state.counters["ours_cpu_ms"] = 1e3 * ourCpu / n;
  state.counters["ref_cpu_ms"] = 1e3 * referenceCpu / n;
  state.counters["cpu_ratio"] = ourCpu / referenceCpu;
}

// Whether both sides broke their text into as many lines; if not, the case
// reports an error instead of a ratio.
bool SameLines(benchmark::State& state, const TOurs& ours, const TReference& reference) {
  if (ours.Memo->GetSpanCount() == reference.Lines) return true;
  const std::string message = "not the same layout, no ratio: ours " + std::to_string(ours.Memo->GetSpanCount()) +
                              " lines, Qt " + std::to_string(reference.Lines);
  state.SkipWithError(message.c_str());
  return false;
}

void Wrap(benchmark::State& state) {
  std::u16string text = MakeText(10000);
  TOurs ours(text);
  TReference reference;
  reference.LayOutAndDraw(text);
  if (!SameLines(state, ours, reference)) return;
  double ourTime = 0, referenceTime = 0, layoutTime = 0, ourCpu = 0, referenceCpu = 0;
  char16_t first = u'a';
  for (auto _ : state) {
    first = first == u'a' ? u'b' : u'a';
    text[0] = first;
    const double cpu = CpuNow();
    const auto start = Clock::now();
    ours.Memo->SetText(text);
    layoutTime += Since(start);
    ours.Render();
    const double t = Since(start);
    ourTime += t;
    ourCpu += CpuNow() - cpu;
    reference.TimedLayOutAndDraw(text, referenceTime, referenceCpu);
    state.SetIterationTime(t);
  }
  if (!SameLines(state, ours, reference)) return;
  Report(state, ourTime, referenceTime, ourCpu, referenceCpu);
  state.counters["layout_ms"] = 1e3 * layoutTime / static_cast<double>(state.iterations());
  const auto start = Clock::now();
  ours.Compose();
  state.counters["compose_once_ms"] = 1e3 * Since(start);
  state.counters["lines"] = ours.Memo->GetSpanCount();
  state.counters["ref_lines"] = reference.Lines;
}

void Type(benchmark::State& state) {
  std::u16string text = MakeText(2000);
  TOurs ours(text);
  TReference reference;
  ours.Memo->StartEdit();
  ours.Memo->GetEditor()->ClearSelection();
  ours.Memo->GetEditor()->SetCharPos(1000);
  ours.Render();
  double ourTime = 0, referenceTime = 0, ourCpu = 0, referenceCpu = 0;
  int typed = 0;
  for (auto _ : state) {
    // Alternately a letter and a Backspace, so the text stays the same size.
    const double cpu = CpuNow();
    const auto start = Clock::now();
    if (typed++ % 2 == 0) {
      char16_t key = u'x';
      ours.Memo->EditKeyPress(key);
    } else {
      TKey key = VK_BACK;
      ours.Memo->EditKeyDown(key, 0);
    }
    ours.Render();
    const double t = Since(start);
    ourTime += t;
    ourCpu += CpuNow() - cpu;
    text[1000] = typed % 2 == 0 ? u'x' : u'y';
    reference.TimedLayOutAndDraw(text, referenceTime, referenceCpu);
    state.SetIterationTime(t);
  }
  Report(state, ourTime, referenceTime, ourCpu, referenceCpu);
}

}  // namespace

BENCHMARK(Wrap)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Type)->UseManualTime()->Unit(benchmark::kMillisecond);
