// The barcode shape's XML form: read by pugixml as an independent parser,
// saved, loaded and saved again without a change, and the stored forms the
// worked cases name.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "ShapeTestSupport.h"
#include "xml/XmlDocument.h"

namespace {

std::string Save(const TdocShape& shape) {
  TXmlDocument xml("shape");
  shape.SaveToXml(*xml.GetRoot());
  return xml.WriteToString();
}

std::unique_ptr<TdocBarCodeShape> Load(const std::string& text) {
  auto shape = std::make_unique<TdocBarCodeShape>();
  TXmlDocument xml;
  xml.ReadFromString(text);
  shape->LoadFromXml(xml.GetRoot());
  return shape;
}

// The barcode elements after the effect shape's own.
std::vector<std::pair<std::string, std::string>> BarcodeElements(const std::string& text) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(text.c_str()));
  std::vector<std::pair<std::string, std::string>> elements;
  bool barcode = false;
  for (const pugi::xml_node& child : doc.child("shape").children()) {
    barcode = barcode || std::string(child.name()) == "Typ";
    if (barcode) elements.emplace_back(child.name(), child.first_child() ? child.text().get() : "");
  }
  return elements;
}

TEST(BarcodeShapeXml, TheBarcodeElementsFollowTheShapeInTheirOrder) {
  shapetest::TTestPage page(100, 50);
  TdocBarCodeShape& shape = page.AddBarcode(bcCodeEAN13, "590123412345", 10, 10, 60, 20);
  shape.FDocangleinitial = 90;
  page.Render(10);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Typ", "14"},         {"Modul", std::to_string(shape.GetBarcode()->GetModul())},
      {"Ratio", "2"},        {"Angle", "0"},
      {"FDocangleinitial", "90"},
      // 95 modules of 48 / 95 mm at 10 dots per mm: 5 pixels, a 475 pixel
      // symbol centred in 600 pixels, (600 - 475) / 2 = 62.5, halves to even.
      {"Left", "62"},        {"Top", "0"},
      {"Width", std::to_string(shape.GetBarcode()->GetWidth())},
      {"Height", std::to_string(shape.GetBarcode()->GetHeight())},
      {"Text", "590123412345"}, {"Checksum", "True"},  // the value leaves its check digit out
      {"DAngle", "0"},       {"Couleur", "$00FFFFFF"},
      {"Couleurbarre", "$00000000"}, {"TopafficheText", "True"},
      {"Positiontexte", "3"}, {"Fonte", ""}};
  EXPECT_EQ(BarcodeElements(Save(shape)), expected);
  pugi::xml_document doc;
  doc.load_string(Save(shape).c_str());
  EXPECT_STREQ(doc.child("shape").child("ClassName").text().get(), "TdocBarCodeShape");
  EXPECT_STREQ(doc.child("shape").child("Fonte").child("Size").text().get(), "20");
}

TEST(BarcodeShapeXml, SaveLoadSaveGivesTheSameText) {
  shapetest::TTestPage page(100, 100);
  TdocBarCodeShape& painted = page.AddBarcode(bcCode128B, std::string("Caf\xE9 ") + FNC1Marker + "1", 10, 10, 60, 20, 45);
  painted.GetBarcode()->SetShowTextPosition(stpTopRight);
  painted.GetBarcode()->ColorBar = 0x123456;
  painted.FDocangleinitial = 45;
  page.Render(11.811024f);
  TdocBarCodeShape& unpainted = page.AddBarcode(bcCodeUPC_A, "123", 10, 40, 50, 20);
  unpainted.GetBarcode()->SetModul(7);
  // The stored width is that of the text: against it the module stays.
  TdocBarCodeShape& wide = page.AddBarcode(bcCode39, "1234567890", 10, 70, 80, 20);
  wide.GetBarcode()->SetModul(3);
  for (const TdocBarCodeShape* shape : {&painted, &unpainted, &wide}) {
    const std::string first = Save(*shape);
    const std::unique_ptr<TdocBarCodeShape> loaded = Load(first);
    EXPECT_EQ(Save(*loaded), first);
    EXPECT_FALSE(loaded->GetCachedRendering());
  }
  EXPECT_EQ(Load(Save(painted))->GetBarcode()->GetText(), std::string("Caf\xE9 ") + FNC1Marker + "1");
}

TEST(BarcodeShapeXml, AnyReadableTextSavesAsShownAndLoadsAsTheCode) {
  for (const TBarcodeOption option : {bcoNone, bcoCode, bcoTyp, bcoBoth}) {
    TdocBarCodeShape shape;
    shape.CreateNewBarcode();
    shape.GetBarcode()->SetShowText(option);
    const std::string text = Save(shape);
    EXPECT_EQ(BarcodeElements(text)[14].second, option == bcoNone ? "False" : "True");
    EXPECT_EQ(Load(text)->GetBarcode()->GetShowText(), option == bcoNone ? bcoNone : bcoCode);
  }
}

TEST(BarcodeShapeXml, MissingAndOddElementsLoad) {
  const std::string shapeOnly = "<shape><ClassName>TdocBarCodeShape</ClassName></shape>";
  const auto bare = Load(shapeOnly);
  EXPECT_EQ(bare->GetBarcode()->GetTyp(), bcCode_2_5_interleaved);
  EXPECT_EQ(bare->GetBarcode()->GetText(), "");
  EXPECT_EQ(bare->GetBarcode()->GetShowText(), bcoNone);
  // Names match without regard to case; ordinals out of range, a NaN angle
  // and a value the symbology refuses load; painting tells what is wrong.
  const auto odd = Load(
      "<shape><Typ>99</Typ><Positiontexte>77</Positiontexte><DAngle>nan</DAngle><text>X</text>"
      "<width>500</width><HEIGHT>33</HEIGHT><Modul>4</Modul></shape>");
  EXPECT_EQ(odd->GetBarcode()->GetHeight(), 33);
  EXPECT_EQ(odd->GetBarcode()->GetShowTextPosition(), stpTopLeft);
  EXPECT_EQ(odd->GetDocAngle(), 0.0f);
  EXPECT_EQ(odd->GetBarcode()->GetModul(), 4);
  shapetest::TTestPage page(50, 50);
  TdocBarCodeShape& shape = static_cast<TdocBarCodeShape&>(
      *page.Page().GetShapes(page.Page().AddShape(Load("<shape><Typ>99</Typ><DocWidth>30</DocWidth>"
                                                       "<DocHeight>10</DocHeight></shape>"))));
  page.Render(5.905512f);
  EXPECT_EQ(shape.GetPaintError(), "Unknown barcode type");
  EXPECT_NE(Save(shape).find("<Width>0</Width>"), std::string::npos);
}

TEST(BarcodeShapeXml, APageLoadsItsBarcodesIntoTheirClass) {
  shapetest::TTestPage page(100, 50);
  page.AddBarcode(bcCode39, "PAGE", 10, 10, 60, 20);
  TXmlDocument xml("shape");
  page.Page().SaveToXml(*xml.GetRoot());
  TdocShape reloaded;
  reloaded.LoadFromXml(xml.GetRoot());
  ASSERT_EQ(reloaded.GetShapeCount(), 1);
  const auto* barcode = dynamic_cast<TdocBarCodeShape*>(reloaded.GetShapes(0));
  ASSERT_NE(barcode, nullptr);
  EXPECT_EQ(barcode->GetBarcode()->GetText(), "PAGE");
}

}  // namespace
