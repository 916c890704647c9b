// A document archive built from arbitrary bytes. Byte 0 bit 0 picks the
// form: the rest taken as a whole container file, or read as records (kind
// byte, 16-bit little-endian length, bytes) that become the streams
// "Index.xml", "PageNNNN.xml", "ThumbNNNN.bmp", "Fonts.dat" and a resource
// stream of a container written here. Loading may raise an exception; it must
// then leave the open document as it was. An archive that loads must let
// every page be shown (a page may raise), save, and load again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/StartUp.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string StreamName(std::uint8_t kind, std::uint16_t number) {
  char name[32];
  switch (kind % 6) {
    case 0: return "Index.xml";
    case 1: std::snprintf(name, sizeof name, "Page%04u.xml", number % 4 + 1u); return name;
    case 2: std::snprintf(name, sizeof name, "Thumb%04u.bmp", number % 4 + 1u); return name;
    case 3: return "Fonts.dat";
    case 4: std::snprintf(name, sizeof name, "Page%04u.xml", number % 10000u); return name;
    default: return "TMP0000001.hck";
  }
}

// Records of kind, length and bytes stored as streams of a new container.
void BuildContainer(const std::uint8_t* data, std::size_t size, TMemoryStream& file) {
  TsdStorage storage;
  std::size_t at = 0;
  while (at + 3 <= size) {
    const std::uint8_t kind = data[at];
    const std::size_t length = std::min<std::size_t>(data[at + 1] | (std::size_t{data[at + 2]} << 8), size - at - 3);
    const std::uint16_t number = static_cast<std::uint16_t>(length * 7 + kind);
    TMemoryStream stream;
    stream.WriteBuffer(data + at + 3, static_cast<std::int64_t>(length));
    storage.WriteStream(StreamName(kind >> 1, number), stream);
    at += 3 + length;
  }
  storage.SaveToStream(file);
}

struct TState {
  explicit TState(TdocDocumentCore& doc)
      : Pages(doc.GetPageCount()), Current(doc.GetCurrentPage()), Shapes(doc.ShapeCount()),
        Streams(doc.GetStorage()->GetStreamCount()) {}
  bool operator==(const TState&) const = default;
  int Pages;
  TdocPage* Current;
  int Shapes;
  int Streams;
};

void ShowEveryPage(TdocDocumentCore& doc) {
  for (int i = 0; i < doc.GetPageCount(); ++i) {
    try {
      doc.SetCurrentPageIndex(i);
    } catch (const std::exception&) {
      // A page stream that is missing or broken: the page stays empty.
    }
    Check(!doc.IsLoading());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = (document::StartUp(), true);
  (void)started;
  if (size < 1) return 0;
  TMemoryStream file;
  if (data[0] & 1)
    file.WriteBuffer(data + 1, static_cast<std::int64_t>(size - 1));
  else
    BuildContainer(data + 1, size - 1, file);
  file.SetPosition(0);

  TdocDocumentCore doc;
  auto shape = std::make_unique<TdocRectangleShape>();
  shape->SetDocFrame(1, 2, 3, 4, 0);
  doc.AddShape(std::move(shape));
  const TState before(doc);
  try {
    doc.LoadFromStream(file);
  } catch (const std::exception&) {
    Check(TState(doc) == before);
    Check(!doc.IsLoading() && !doc.IsBusy());
    return 0;
  }
  Check(!doc.IsLoading() && !doc.IsBusy());
  ShowEveryPage(doc);
  TMemoryStream saved;
  doc.SaveToStream(saved);
  saved.SetPosition(0);
  TdocDocumentCore again;
  again.LoadFromStream(saved);
  Check(again.GetPageCount() == doc.GetPageCount());
  return 0;
}
