// A shape loaded from arbitrary bytes: byte 0 picks the form (bit 0: XML
// text or the shape byte form), the render resolution (bits 1-3), the page
// aid of the screen (bits 4-5) and the turn of a printed page (bits 6-7); the
// rest is the input. The shape is then rendered into a small bitmap through
// its cache and saved again; a loaded page is also printed in tiles onto a
// small canvas and gives its thumbnail. Loading may raise an exception;
// nothing may crash, hang or allocate without bound.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "document/ClassRegistry.h"
#include "document/Page.h"
#include "document/PlainDocument.h"
#include "document/ShapeByteForm.h"
#include "document/StartUp.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"

namespace {

// The class the XML names, as the document's loader finds it.
std::unique_ptr<TdocShape> ShapeForXml(TXmlDocument& xml, std::string_view text) {
  xml.ReadFromString(text);
  const TXmlNode* root = xml.GetRoot();
  return GetShapeClass(root ? root->ReadChildString("ClassName") : std::string()).Create();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  document::StartUp();
  if (size < 1) return 0;
  const bool byteForm = (data[0] & 1) != 0;
  const float resolution = 0.5f + static_cast<float>(data[0] >> 1 & 7);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  TdocPlainDocument document;
  document.HelperMethod = static_cast<TdocHelperMethodType>(data[0] >> 4 & 3);
  TdocShape page;
  page.SetDocument(&document);
  page.SetDocFrame(0, 0, 64 / resolution, 48 / resolution, 0);
  try {
    if (byteForm) {
      std::unique_ptr<TdocShape> shape = std::make_unique<TdocShape>();
      shape->SetDocument(&document);
      ShapesFromString(*shape, input);
      page.AddShape(std::move(shape));
    } else {
      TXmlDocument xml;
      std::unique_ptr<TdocShape> shape = ShapeForXml(xml, input);
      page.AddShape(std::move(shape));
      page.GetShapes(0)->LoadFromXml(xml.GetRoot());
    }
  } catch (const std::exception&) {
    return 0;
  }
  TBitmap32 bitmap;
  bitmap.SetSize(64, 48);
  bitmap.Clear(clWhite32);
  TdocRenderOptions options;
  options.Resolution = resolution;
  options.FreeCache = true;
  page.RenderShape(bitmap, {0, 0, 64 / resolution, 48 / resolution}, true, options);
  if (auto* loaded = dynamic_cast<TdocPage*>(page.GetShapes(0))) {
    TMemorySurface pixels(64, 48);
    TCanvas canvas(pixels.Surface());
    loaded->RenderPage(canvas, {0, 0, 64, 48}, (data[0] & 2) != 0, (data[0] & 4) != 0, data[0] >> 6, 0);
    loaded->GetThumbnail();
    TMemoryStream thumbnail;
    loaded->SaveThumbnailToStream(thumbnail);
  }
  const std::string saved = ShapesToString(page);
  if (saved.size() < 8) std::terminate();
  return 0;
}
