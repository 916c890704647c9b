// Pasting arbitrary text into a document that holds shapes: byte 0 picks
// whether the rest is the pasted text itself (bit 0 clear) or the byte form
// of one shape wrapped in a well-formed selection (bit 0 set; bits 1-3 pick
// the class it names), so both the selection reader and the shape readers
// are reached. A paste may raise; it must then leave the document exactly as
// it was, resources included. A paste that succeeds may add temporary
// streams only and leaves every stream that was there as it was; undone, it
// must give back the pages as they were and the container's streams exactly
// as they were: every stream the paste added is gone. Nothing may crash or
// hang.

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <string>
#include <string_view>

#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "document/page/Page.h"
#include "document/effects/ShadowEffect.h"
#include "tests/document/DocumentXmlText.h"
#include "tests/document/core/ContainerStreams.h"
#include "xml/Base64.h"
#include "xml/storage/Storage.h"

namespace {

constexpr std::array<const char*, 8> ClassNames{"TdocRectangleShape", "TdocLineShape", "TdocBarCodeShape",
                                                "TdocGroupShape",     "TdocEllipseShape", "TdocShape",
                                                "TdocPage",           "TNoSuchShape"};

void AddShapes(TdocDocumentCore& doc) {
  auto rectangle = std::make_unique<TdocRectangleShape>();
  rectangle->SetDocFrame(10, 10, 30, 20, 15);
  rectangle->AddEffect(std::make_unique<TdocShadowEffect>());
  doc.AddShape(std::move(rectangle));
  auto line = std::make_unique<TdocLineShape>();
  line->SetDocFrame(5, 50, 40, 10, 0);
  doc.AddShape(std::move(line));
  auto barcode = std::make_unique<TdocBarCodeShape>();
  barcode->CreateNewBarcode();
  barcode->SetDocFrame(60, 20, 50, 25, 0);
  doc.AddShape(std::move(barcode));
  doc.GetShapes(0)->SetSelected(true);
  TMemoryStream data;
  data.WriteBuffer("PIXELS", 6);
  doc.GetStorage()->WriteStream("TMP0000001.png", data);
  doc.GetStorage()->WriteStream("Index.xml", data);
}

std::string SelectionText(std::uint8_t selector, std::string_view rest) {
  if ((selector & 1) == 0) return std::string(rest);
  return "<?xml version=\"1.0\"?><Selection><shape>" + xml::EncodeBase64(rest.data(), rest.size()) + "<ClassName>" +
         ClassNames[selector >> 1 & 7] + "</ClassName></shape></Selection>";
}

// What a paste may have done to the streams: added temporary ones.
bool OnlyTemporaryStreamsAdded(const std::map<std::string, std::string>& before,
                               const std::map<std::string, std::string>& after) {
  for (const auto& [name, bytes] : before) {
    const auto kept = after.find(name);
    if (kept == after.end() || kept->second != bytes) return false;
  }
  for (const auto& [name, bytes] : after)
    if (!before.contains(name) && !TsdStorage::IsTempName(name)) return false;
  return true;
}

std::string PagesXml(TdocDocumentCore& doc) {
  std::string text = doctest::DocumentXmlText(doc);
  return text.substr(0, text.find("\n\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::StartUpShapes();
  if (size < 1) return 0;
  TdocDocumentCore doc;
  AddShapes(doc);
  doc.ClearUndo();
  const std::string text = SelectionText(data[0], {reinterpret_cast<const char*>(data + 1), size - 1});
  const std::string before = doctest::DocumentXmlText(doc);
  const std::string pagesBefore = PagesXml(doc);
  const auto streamsBefore = doctest::ContainerStreams(*doc.GetStorage());
  int pasted = 0;
  try {
    auto step = UndoStep(&doc);
    pasted = doc.PasteSelectionFromXml(text);
  } catch (const std::exception&) {
    if (doctest::DocumentXmlText(doc) != before) std::terminate();  // a failed paste changed the document
    if (doctest::ContainerStreams(*doc.GetStorage()) != streamsBefore) std::terminate();
    return 0;
  }
  if (pasted == 0 && doctest::DocumentXmlText(doc) != before) std::terminate();
  if (pasted == 0 && doctest::ContainerStreams(*doc.GetStorage()) != streamsBefore) std::terminate();
  if (!OnlyTemporaryStreamsAdded(streamsBefore, doctest::ContainerStreams(*doc.GetStorage()))) std::terminate();
  if (pasted > 0) {
    doc.Undo();
    if (PagesXml(doc) != pagesBefore) std::terminate();  // undo did not take the paste back
    if (doctest::ContainerStreams(*doc.GetStorage()) != streamsBefore) std::terminate();  // the paste left a stream
  }
  return 0;
}
