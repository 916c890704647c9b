// The XML of the polygon and line shapes: every property written (read by
// pugixml), save - load - save identical, defaults of missing values, and
// hostile values that must still give a drawable shape.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <string>

#include "tests/document/TestShapes.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::TPageFixture;

class PolygonShapeXmlTest : public ::testing::Test, protected TPageFixture {
protected:
  static std::string Save(const TdocShape& shape) {
    TXmlDocument xml("shape");
    shape.SaveToXml(*xml.GetRoot());
    return xml.WriteToString();
  }
  // A new shape of the class the text names, loaded from it.
  static std::unique_ptr<TdocShape> Load(const std::string& text) {
    TXmlDocument xml;
    xml.ReadFromString(text);
    auto shape = GetShapeClass(xml.GetRoot()->ReadChildString("ClassName")).Create();
    shape->LoadFromXml(xml.GetRoot());
    return shape;
  }
  // The shape drawn at 4 pixels per mm: nothing may raise.
  static void Draw(TdocShape& shape) {
    TBitmap32 bitmap;
    bitmap.SetSize(200, 200);
    bitmap.Clear(clWhite32);
    TdocRenderOptions options;
    options.Resolution = 4;
    shape.RenderShape(bitmap, {0, 0, 50, 50}, false, options);
  }
};

TEST_F(PolygonShapeXmlTest, EveryClassIsRegisteredUnderItsStoredName) {
  for (const char* name :
       {"TdocPolygonShape", "TdocRectangleShape", "TdocEllipseShape", "TdocRoundRectShape", "TdocLineShape"})
    EXPECT_EQ(GetShapeClass(name).Create()->ClassName(), name);
}

TEST_F(PolygonShapeXmlTest, EveryPropertyIsWrittenEvenAtItsDefault) {
  TdocRoundRectShape shape;
  shape.SetUseStipple(false);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(Save(shape).c_str()));
  const pugi::xml_node root = doc.child("shape");
  const struct {
    const char* name;
    const char* text;
  } values[] = {{"ClassName", "TdocRoundRectShape"}, {"OutlineWidth", ".5"}, {"FillAlpha", "255"},
                {"FillColor", "$00FF0000"},         {"OutlineColor", "$00000000"}, {"UseFill", "True"},
                {"UseOutline", "True"},             {"UseStipple", "False"},    {"StippleSize", "2"},
                {"IsClosed", "True"},               {"StorePoints", "False"},   {"CornerWidth", "10"},
                {"CornerHeight", "7.5"},            {"CornerPropertiesArePercentage", "False"}};
  for (const auto& v : values) EXPECT_STREQ(root.child(v.name).text().get(), v.text) << v.name;
  EXPECT_FALSE(root.child("Polygon"));
}

TEST_F(PolygonShapeXmlTest, SavedShapesLoadBackAndSaveIdentically) {
  std::vector<std::unique_ptr<TdocShape>> shapes;
  auto polygon = std::make_unique<TdocPolygonShape>();
  polygon->SetStorePoints(true);
  polygon->ClearPoints();
  for (const TFloatPoint p : {TFloatPoint{1.5f, 2}, TFloatPoint{30, 4.25f}, TFloatPoint{12, 28}}) polygon->AddPoint(p);
  polygon->NewContour();
  polygon->AddPointXY(10, 10);
  polygon->SetIsClosed(false);
  polygon->SetFillAlpha(77);
  polygon->SetOutlineColor(0x123456);
  polygon->SetUseStipple(true);
  polygon->SetStippleSize(3.5f);
  shapes.push_back(std::move(polygon));
  auto ellipse = std::make_unique<TdocEllipseShape>();
  ellipse->SetOutlineWidth(1.25f);
  ellipse->SetUseFill(false);
  shapes.push_back(std::move(ellipse));
  auto round = std::make_unique<TdocRoundRectShape>();
  round->SetCornerPropertiesArePercentage(true);
  round->SetCornerWidth(33);
  shapes.push_back(std::move(round));
  shapes.push_back(std::make_unique<TdocRectangleShape>());
  auto line = std::make_unique<TdocLineShape>();
  line->SetPoint(0, {12.5f, 40});
  line->SetPoint(1, {3, 7.75f});
  line->SetLineWidth(0.35f);
  line->Arrow0.SetStyle(asStealthArrow);
  line->Arrow1.SetStyle(asOval);
  line->Arrow1.Head.Width = 4;
  shapes.push_back(std::move(line));
  for (const auto& shape : shapes) {
    const std::string first = Save(*shape);
    const std::unique_ptr<TdocShape> loaded = Load(first);
    EXPECT_EQ(Save(*loaded), first) << shape->ClassName();
  }
  const auto* loaded = static_cast<const TdocLineShape*>(Load(Save(*shapes.back())).release());
  EXPECT_EQ(loaded->GetPoint(0), (TFloatPoint{12.5f, 40}));
  EXPECT_EQ(loaded->Arrow0.GetStyle(), asStealthArrow);
  EXPECT_EQ(loaded->Arrow1.Head.Width, 4);
  delete loaded;
}

TEST_F(PolygonShapeXmlTest, MissingValuesTakeTheWrittenDefaults) {
  const auto shape = Load("<shape><ClassName>TdocEllipseShape</ClassName><DocWidth>10</DocWidth>"
                          "<DocHeight>8</DocHeight></shape>");
  const auto& ellipse = static_cast<const TdocEllipseShape&>(*shape);
  EXPECT_EQ(ellipse.GetFillAlpha(), 0);
  EXPECT_FALSE(ellipse.GetUseFill());
  EXPECT_FALSE(ellipse.GetUseOutline());
  EXPECT_EQ(ellipse.GetOutlineWidth(), 0);
  EXPECT_EQ(ellipse.GetStippleSize(), 2);
  EXPECT_TRUE(ellipse.GetIsClosed());
}

TEST_F(PolygonShapeXmlTest, HostileValuesGiveSaneShapes) {
  const char* texts[] = {
      "<shape><ClassName>TdocRectangleShape</ClassName><DocWidth>20</DocWidth><DocHeight>10</DocHeight>"
      "<OutlineWidth>nan</OutlineWidth><UseOutline>True</UseOutline><UseStipple>True</UseStipple>"
      "<StippleSize>0</StippleSize><FillAlpha>99999</FillAlpha><UseFill>True</UseFill></shape>",
      "<shape><ClassName>TdocEllipseShape</ClassName><DocWidth>1e30</DocWidth><DocHeight>0</DocHeight>"
      "<OutlineWidth>-4</OutlineWidth><UseOutline>True</UseOutline><StippleSize>1e38</StippleSize>"
      "<UseStipple>True</UseStipple></shape>",
      "<shape><ClassName>TdocRoundRectShape</ClassName><DocWidth>20</DocWidth><DocHeight>10</DocHeight>"
      "<CornerWidth>-5</CornerWidth><CornerHeight>inf</CornerHeight><UseOutline>True</UseOutline>"
      "<OutlineWidth>1e30</OutlineWidth></shape>",
      "<shape><ClassName>TdocPolygonShape</ClassName><StorePoints>True</StorePoints><UseFill>True</UseFill>"
      "<Polygon><Line><Point><X>nan</X><Y>1e300</Y></Point><Point><X>-1e30</X></Point><Point/></Line><Line/>"
      "<Line><Point><X>5</X><Y>5</Y></Point></Line></Polygon><UseStipple>True</UseStipple></shape>",
      "<shape><ClassName>TdocLineShape</ClassName><Arrow0><Style>Bogus</Style><Width>nan</Width></Arrow0>"
      "<Arrow1><Style>Oval</Style><Width>1e30</Width><Length>-1</Length></Arrow1><LineWidth>-3</LineWidth>"
      "<Points><Point><X>1</X><Y>1</Y></Point><Point><X>1</X><Y>1</Y></Point><Point><X>9</X><Y>9</Y></Point>"
      "</Points><UseFill>True</UseFill><FillAlpha>255</FillAlpha></shape>",
      "<shape><ClassName>TdocLineShape</ClassName><Points><Point><X>4</X><Y>4</Y></Point></Points>"
      "<LineWidth>1</LineWidth><Arrow0><Style>Arrow</Style><Width>1e30</Width><Length>1e30</Length></Arrow0>"
      "</shape>"};
  for (const char* text : texts) {
    std::unique_ptr<TdocShape> shape;
    ASSERT_NO_THROW(shape = Load(text)) << text;
    auto& polygon = static_cast<TdocPolygonShape&>(*shape);
    EXPECT_GE(polygon.GetOutlineWidth(), 0) << text;
    EXPECT_TRUE(polygon.GetStippleSize() > 0 && std::isfinite(polygon.GetStippleSize())) << text;
    EXPECT_LE(polygon.GetFillAlpha(), 255);
    EXPECT_NO_THROW(Draw(*shape)) << text;
    EXPECT_EQ(Save(*Load(Save(*shape))), Save(*shape)) << text;
  }
  const auto line = Load(texts[4]);
  EXPECT_EQ(static_cast<TdocLineShape&>(*line).GetPointCount(), 2);
  EXPECT_EQ(static_cast<TdocLineShape&>(*line).Arrow0.GetStyle(), asNoArrow);
  EXPECT_EQ(static_cast<TdocLineShape&>(*line).GetLineWidth(), 0);
}

}  // namespace
