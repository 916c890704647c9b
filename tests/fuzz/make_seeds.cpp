// Writes seeds for the fuzz targets with the program's own save code: a
// label document holding text, a multi-line memo, a barcode, a picture kept
// in the archive and a shape with an effect, saved with embedded fonts; the
// label file around it; its "Fonts.dat"; and a copied selection. Run it as
// make_seeds <corpus folder>; it writes into the targets' subfolders.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/LabelFile.h"
#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/effects/ShadowEffect.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

std::filesystem::path Corpus;

void Write(const std::string& target, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(Corpus / target);
  std::ofstream(Corpus / target / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Prefixed(std::uint8_t first, const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out{first};
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

void AddShapes(TdocDocumentCore& doc) {
  auto text = std::make_unique<TdocTextShape>();
  text->SetText(u"Lot 42 \u00e9t\u00e9");
  text->SetDocFrame(5, 5, 40, 8, 0);
  doc.AddShape(std::move(text));
  auto memo = std::make_unique<TdocMemoShape>();
  memo->SetText(u"First line\r\nSecond line");
  memo->SetDocFrame(5, 15, 50, 15, 0);
  doc.AddShape(std::move(memo));
  auto curved = std::make_unique<TdocCurvedText>();
  curved->SetText(u"Curved");
  curved->SetDocFrame(60, 5, 30, 20, 0);
  doc.AddShape(std::move(curved));
  auto barcode = std::make_unique<TdocBarCodeShape>();
  barcode->CreateNewBarcode();
  barcode->GetBarcode()->SetTyp(bcCodeEAN13);
  barcode->GetBarcode()->SetText("400638133393");
  barcode->SetDocFrame(5, 35, 45, 20, 0);
  doc.AddShape(std::move(barcode));
  auto rectangle = std::make_unique<TdocRectangleShape>();
  rectangle->SetDocFrame(60, 30, 20, 10, 15);
  rectangle->AddEffect(std::make_unique<TdocShadowEffect>());
  doc.AddShape(std::move(rectangle));
  auto picture = std::make_unique<TdocBitmapShape>();
  TBitmap32 pixels;
  pixels.SetSize(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) pixels.SetPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>(x * 40 << 16 | y * 60 << 8 | 128));
  picture->GetImage().SetBitmap(&pixels);
  picture->SetStorageMode(stArchive);
  picture->SetDocFrame(60, 45, 12, 8, 0);
  doc.AddShape(std::move(picture));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_seeds <corpus folder>\n";
    return 2;
  }
  Corpus = argv[1];
  imaging::StartUpSubsystem();
  app::StartUpShapes();
  TdocDocumentCore doc;
  doc.Options.FontEmbedding = true;
  AddShapes(doc);
  TMemoryStream saved;
  doc.SaveToStream(saved);
  const std::vector<std::uint8_t> document = saved.Bytes();
  Write("storage_reader", "program_label.stor", document);
  Write("archive_load", "program_label", Prefixed(1, document));

  const std::vector<std::uint8_t> label = app::BuildLabelArchive(document, app::TSheetSetupRecord());
  Write("label_file", "program_label.mqv", label);
  Write("label_open", "program_label.mqv", label);

  TMemoryStream fonts;
  doc.GetFontManager().SaveToStream(fonts);
  Write("fonts_dat", "program_fonts.dat", fonts.Bytes());

  for (int i = 0; i < doc.ShapeCount(); ++i) doc.GetShapes(i)->SetSelected(true);
  std::string selection;
  doc.CopySelectionToXml(selection);
  Write("selection_paste", "program_selection", Prefixed(0, {selection.begin(), selection.end()}));
  return 0;
}
