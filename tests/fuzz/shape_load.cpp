// A shape loaded from arbitrary bytes: byte 0 picks the form (bit 0: XML
// text or the shape byte form), the render resolution (bits 1-3) and whether
// the effects of an effect shape are edited and the edits undone (bit 4);
// bits 5-6 pick the page aid of the screen and bits 6-7 the turn of a
// printed page; the rest is the input. Effects of the class
// "TdocFuzzCopyEffect" copy the bitmap their Source names, so any Source
// reaches the routing. The shape is then rendered into a small bitmap
// through its cache and saved again; a loaded page is also printed in tiles
// onto a small canvas and gives its thumbnail. Loading may raise an
// exception; nothing may crash, hang or allocate without bound. The label
// application's shape classes (barcodes) are registered, so XML naming them
// reaches their loading and painting.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "app/shapes/ShapesStartUp.h"
#include "document/shape/ClassRegistry.h"
#include "document/effects/EffectShape.h"
#include "document/page/Page.h"
#include "document/page/PlainDocument.h"
#include "document/text/ProjectiveText.h"
#include "document/shape/ShapeByteForm.h"
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

// Copies the bitmap its Source names into the one it is given.
class TdocFuzzCopyEffect : public TdocEffect {
public:
  static const TdocEffectClass& StaticClass() {
    static const TdocEffectClass info{"TdocFuzzCopyEffect",
                                      [] { return std::unique_ptr<TdocEffect>(new TdocFuzzCopyEffect); }};
    return info;
  }
  const TdocEffectClass& GetClass() const override { return StaticClass(); }
  void Apply(TBitmap32& bitmap, const TdocRenderOptions&) override {
    const TBitmap32& input = GetInput(bitmap);
    if (&input == &bitmap) return;
    for (std::int32_t y = 0; y < std::min(input.GetHeight(), bitmap.GetHeight()); ++y)
      for (std::int32_t x = 0; x < std::min(input.GetWidth(), bitmap.GetWidth()); ++x)
        bitmap.SetPixel(x, y, input.GetPixel(x, y) ^ 0x00FFFFFFu);
  }
};

// Disables, re-routes and deletes effects, then undoes every recorded step.
void EditAndUndoEffects(TdocShape& page, TdocPlainServices& document, std::uint8_t seed) {
  auto* shape = dynamic_cast<TdocEffectShape*>(page.GetShapes(0));
  if (!shape || shape->GetEffectCount() == 0) return;
  document.UndoList.clear();
  TdocEffect& first = *shape->GetEffects(0);
  first.SetEnabled(!first.GetEnabled());
  first.SetSource(static_cast<std::int8_t>(seed) - 2);
  shape->DeleteEffect(shape->GetEffectCount() - 1);
  while (document.Undo(page)) {
  }
}

// A projective text fits its frame to the corners it read, then is resized
// and given half its font height: what a corner drag and the panel do.
void RefitProjectiveText(TdocShape& shape) {
  auto* text = dynamic_cast<TdocProjectiveText*>(&shape);
  if (!text) return;
  for (int i = 0; i < TdocProjectiveText::CornerCount; ++i) text->SetCorner(i, text->GetCorners()[std::size_t(i)]);
  text->SetDocBounds(text->GetDocLeft(), text->GetDocTop(), 2 * text->GetDocWidth(), text->GetDocHeight());
  text->SetFontHeight(text->GetFontHeight() / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::StartUpShapes();
  RegisterEffectClass(TdocFuzzCopyEffect::StaticClass(), 1);
  if (size < 1) return 0;
  const bool byteForm = (data[0] & 1) != 0;
  const float resolution = 0.5f + static_cast<float>(data[0] >> 1 & 7);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  TdocPlainDocument document;
  document.HelperMethod = static_cast<TdocHelperMethodType>(data[0] >> 5 & 3);
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
      RefitProjectiveText(*page.GetShapes(0));
    }
    if (data[0] & 0x10) EditAndUndoEffects(page, document, size > 1 ? data[1] : 0);
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
