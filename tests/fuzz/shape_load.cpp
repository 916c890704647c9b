// A shape loaded from arbitrary bytes: byte 0 picks the form (bit 0: XML
// text or the shape byte form) and the render resolution (bits 1-3), the rest
// is the input. The shape is then rendered into a small bitmap through its
// cache and saved again. Loading may raise an exception; nothing may crash,
// hang or allocate without bound.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "document/ClassRegistry.h"
#include "document/PlainServices.h"
#include "document/ShapeByteForm.h"
#include "document/StartUp.h"
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
  TdocPlainServices document;
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
  const std::string saved = ShapesToString(page);
  if (saved.size() < 8) std::terminate();
  return 0;
}
