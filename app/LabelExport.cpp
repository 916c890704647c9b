#include "app/LabelExport.h"

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/formats/ImageFiler.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlDocument.h"

namespace app {

namespace {

std::int32_t ImageSide(float millimetres, int scale) {
  try {
    return rtl::Round(static_cast<double>(millimetres) * scale);
  } catch (const Exception&) {
    throw EConvertError("The label is too large for an image");
  }
}

// The hidden document's current page, which gets the label's content.
TdocPage& HiddenPage(TdocDocumentCore& hidden) {
  if (!hidden.GetCurrentPage()) hidden.SetCurrentPageIndex(hidden.AddPage(nullptr));
  return *hidden.GetCurrentPage();
}

}  // namespace

TSize LabelImageSize(float width, float height, int scale) {
  if (scale < MinExportScale || scale > MaxExportScale)
    throw EConvertError(rtl::Format("The resolution must be %d to %d pixels per millimetre", MinExportScale,
                                    MaxExportScale));
  const TSize size{ImageSide(width, scale), ImageSide(height, scale)};
  if (size.cx <= 0 || size.cy <= 0) throw EConvertError("The label is too small for an image");
  if (std::int64_t{size.cx} * size.cy > MaxExportPixels)
    throw EConvertError(rtl::Format("An image of %d x %d pixels is too large", size.cx, size.cy));
  return size;
}

std::unique_ptr<TBitmap32> RenderLabelImage(TdocDocumentCore& hidden, TdocPage& label, int scale) {
  label.EnsureLoaded();
  const TSize size = LabelImageSize(label.GetPageWidth(), label.GetPageHeight(), scale);
  TdocPage& page = HiddenPage(hidden);
  {
    TXmlDocument xml("Page");
    label.SaveToXml(*xml.GetRoot());
    page.LoadFromXml(xml.GetRoot());
  }
  auto image = std::make_unique<TBitmap32>();
  image->SetSize(size.cx, size.cy);
  image->Clear(clWhite32);
  page.RenderPage(image->GetCanvas(), image->BoundsRect(), false, false, 0, 0);
  // What the canvas draws carries alpha 0; an exported picture is opaque.
  image->ResetAlpha();
  return image;
}

void SaveLabelImage(const TBitmap32& image, const std::string& fileName, int scale) {
  TdocImageFiler filer;
  filer.SetFileName(fileName);
  filer.DotsPerMm = scale;
  filer.SaveBitmap(image);
}

}  // namespace app
