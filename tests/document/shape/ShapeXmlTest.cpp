// The shape's XML form read by pugixml as an independent parser, round trips
// through our own reader, and files that are broken or hostile.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <array>
#include <string>
#include <vector>

#include "tests/document/TestShapes.h"
#include "document/effects/Effect.h"
#include "document/effects/EffectShape.h"
#include "document/effects/ShadowEffect.h"
#include "platform/rtl/Exception.h"
#include "xml/XmlDocument.h"

namespace {

using doctest::MakeFill;
using doctest::TPageFixture;

class ShapeXmlTest : public ::testing::Test, protected TPageFixture {
protected:
  static std::string Save(const TdocShape& shape) {
    TXmlDocument xml("shape");
    shape.SaveToXml(*xml.GetRoot());
    return xml.WriteToString();
  }
  void Load(TdocShape& shape, const std::string& text) {
    TXmlDocument xml;
    xml.ReadFromString(text);
    shape.LoadFromXml(xml.GetRoot());
  }
  static pugi::xml_node Parsed(pugi::xml_document& doc, const std::string& text) {
    EXPECT_TRUE(doc.load_string(text.c_str()));
    return doc.child("shape");
  }
  static std::vector<std::string> ElementNames(const pugi::xml_node& node) {
    std::vector<std::string> names;
    for (const pugi::xml_node& child : node.children()) names.emplace_back(child.name());
    return names;
  }
};

TEST_F(ShapeXmlTest, ANewShapeWritesEveryElementInOrder) {
  TdocShape shape;
  for (int i = 0; i < 3; ++i) shape.AddShape(MakeFill(0, 0, 1, 1));
  pugi::xml_document doc;
  const pugi::xml_node root = Parsed(doc, Save(shape));
  std::vector<std::string> expected{"ClassName", "AllowResize", "AllowMove", "AllowRotate", "AllowSelect", "AllowDelete",
                                    "AllowEdit", "Anchors", "AspectRatio", "CurbLeft", "CurbTop", "CurbRight",
                                    "CurbBottom", "ConstraintMinHeight", "ConstraintMinWidth", "ConstraintMaxHeight",
                                    "ConstraintMaxWidth", "DocAngle", "DocLeft", "DocTop", "DocHeight", "DocWidth",
                                    "Flipped", "Grouped", "Mirrored", "Name", "PreserveAspect", "Tag", "Visible",
                                    "MasterAlpha", "Shape", "Shape", "Shape"};
  EXPECT_EQ(ElementNames(root), expected);
  const struct {
    const char* name;
    const char* text;
  } values[] = {{"ClassName", "TdocShape"}, {"AllowResize", "True"}, {"AllowEdit", "True"}, {"AspectRatio", "0"},
                {"DocAngle", "0"},          {"Flipped", "False"},    {"Name", ""},          {"Tag", "0"},
                {"Visible", "True"},        {"MasterAlpha", "$FF"}};
  for (const auto& v : values) EXPECT_STREQ(root.child(v.name).text().get(), v.text) << v.name;
  EXPECT_EQ(ElementNames(root.child("Anchors")),
            (std::vector<std::string>{"default", "PosXProp", "PosYProp", "SizeXProp", "SizeYProp", "LeftLock",
                                      "TopLock", "RightLock", "BottomLock"}));
  for (const pugi::xml_node& anchor : root.child("Anchors").children()) {
    const std::string name = anchor.name();
    const bool on = name == "default" || name == "LeftLock" || name == "TopLock";
    EXPECT_STREQ(anchor.text().get(), on ? "True" : "False") << name;
  }
  int index = 1;
  for (const pugi::xml_node& child : root.children("Shape")) {
    EXPECT_EQ(child.attribute("Index").as_int(), index++);
    EXPECT_STREQ(child.child("ClassName").text().get(), "TFillShape");
  }
}

TEST_F(ShapeXmlTest, ValuesWrittenWithSixDigitsReadBack) {
  TdocShape shape;
  shape.SetDocFrame(1.0f / 3.0f, -12.5f, 1234567.0f, 0.001f, 12.25f);
  shape.SetMasterAlpha(128);
  shape.Tag = -42;
  shape.SetName(u"Ä & <b>");
  pugi::xml_document doc;
  const pugi::xml_node root = Parsed(doc, Save(shape));
  const struct {
    const char* name;
    const char* text;
  } values[] = {{"DocLeft", ".333333"}, {"DocTop", "-12.5"},      {"DocWidth", "1234570"}, {"DocHeight", "1E-3"},
                {"DocAngle", "12.25"},  {"MasterAlpha", "$80"}, {"Tag", "-42"},          {"Name", "Ä & <b>"}};
  for (const auto& v : values) EXPECT_STREQ(root.child(v.name).text().get(), v.text) << v.name;
  TdocShape copy;
  Load(copy, Save(shape));
  EXPECT_EQ(copy.GetMasterAlpha(), 128);
  EXPECT_EQ(copy.Tag, -42);
  EXPECT_EQ(copy.GetNameText(), u"Ä & <b>");
  EXPECT_FLOAT_EQ(copy.GetDocTop(), -12.5f);
}

TEST_F(ShapeXmlTest, SaveLoadSaveGivesTheSameText) {
  auto group = std::make_unique<TdocShape>();
  group->SetGrouped(true);
  group->SetAnchors(AnchorBit(anRightLock) | AnchorBit(anSizeYProp));
  group->AddShape(MakeFill(1.5f, 2.5f, 3, 4, 30));
  group->GetShapes(0)->SetMirrored(true);
  group->SetCurbs(1, 2, 3, 4);
  Page.AddShape(MakeFill(0, 0, 10, 5, 359.5f));
  Page.AddShape(std::move(group));
  const std::string first = Save(Page);
  TdocShape copy;
  Load(copy, first);
  EXPECT_EQ(Save(copy), first);
}

TEST_F(ShapeXmlTest, LoadedValuesAreStoredAsReadOrHeldInRange) {
  struct Case {
    const char* element;
    const char* text;
    float (TdocShape::*get)() const;
    float want;
  } cases[] = {
      {"DocAngle", "400", &TdocShape::GetDocAngle, 400},  // only the setter normalises
      {"DocWidth", "-5", &TdocShape::GetDocWidth, 0},
      {"DocHeight", "INF", &TdocShape::GetDocHeight, 0},
      {"DocLeft", "1E30", &TdocShape::GetDocLeft, 1e6f},
      {"AspectRatio", "NaN", &TdocShape::GetAspectRatio, 0},
  };
  for (const Case& c : cases) {
    TdocShape shape;
    Load(shape, std::string("<shape><") + c.element + ">" + c.text + "</" + c.element + "></shape>");
    EXPECT_EQ((shape.*c.get)(), c.want) << c.element;
  }
  for (const auto& [text, alpha] : {std::pair{"$80", 128}, {"300", 255}, {"-4", 0}, {"junk", 255}}) {
    TdocShape shape;
    Load(shape, std::string("<shape><MasterAlpha>") + text + "</MasterAlpha></shape>");
    EXPECT_EQ(shape.GetMasterAlpha(), alpha) << text;
  }
  TdocShape shape;
  EXPECT_THROW(shape.LoadFromXml(nullptr), Exception);
}

TEST_F(ShapeXmlTest, AnUnknownClassLoadsAsABaseShapeWithItsChildren) {
  const std::string text =
      "<shape><ClassName>TdocShape</ClassName><Shape Index=\"1\"><ClassName>TdocNoSuchShape</ClassName>"
      "<DocLeft>5</DocLeft><Fancy>ignored</Fancy><Shape Index=\"1\"><ClassName>TFillShape</ClassName></Shape>"
      "</Shape></shape>";
  Load(Page, text);
  ASSERT_EQ(Page.GetShapeCount(), 1);
  TdocShape* unknown = Page.GetShapes(0);
  EXPECT_EQ(unknown->ClassName(), "TdocShape");
  EXPECT_EQ(unknown->GetDocLeft(), 5);
  ASSERT_EQ(unknown->GetShapeCount(), 1);
  EXPECT_EQ(unknown->GetShapes(0)->ClassName(), "TFillShape");
  EXPECT_EQ(&GetShapeClass("TdocShape"), &TdocShape::StaticClass());
  EXPECT_EQ(&GetShapeClass("tfillshape"), &TdocShape::StaticClass());
  RegisterShapeClass(doctest::TFillShape::StaticClass());
  int entries = 0;
  for (const auto& holder : ShapeRegistry().GetHolders()) entries += holder.Name == "TFillShape";
  EXPECT_EQ(entries, 1);
}

TEST_F(ShapeXmlTest, TheEffectRegistryFallsBackToTheBaseEffect) {
  // A stand-in: only the registry's bookkeeping is under test here. The base
  // effect comes from the start-up.
  static const TdocEffectClass standIn{"TdocStandInEffect", nullptr};
  const TdocEffectClass* base = &TdocEffect::StaticClass();
  RegisterEffectClass(standIn, 1);
  RegisterEffectClass(standIn, 1);
  EXPECT_EQ(GetEffectClass("TdocStandInEffect"), &standIn);
  EXPECT_EQ(GetEffectClass("tdocstandineffect"), base);
  EXPECT_EQ(GetEffectClass(""), base);
  int entries = 0;
  for (const auto& holder : EffectRegistry().GetHolders()) {
    if (holder.Name == "TdocEffect") {
      EXPECT_EQ(holder.Extra, 0);
    }
    if (holder.Name != "TdocStandInEffect") continue;
    ++entries;
    EXPECT_EQ(holder.Extra, 1);
  }
  EXPECT_EQ(entries, 1);
}

TEST_F(ShapeXmlTest, AChildThatFailsIsReportedAndOnlyItIsRemoved) {
  // The middle child nests too deeply; its siblings load.
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<Shape>";
  for (int i = 0; i < 200; ++i) deep += "</Shape>";
  const std::string text = "<shape><Shape><Name>first</Name></Shape>" + deep + "<Shape><Name>last</Name></Shape></shape>";
  Load(Page, text);
  ASSERT_EQ(Page.GetShapeCount(), 3);
  EXPECT_EQ(Page.GetShapes(0)->GetNameText(), u"first");
  EXPECT_EQ(Page.GetShapes(2)->GetNameText(), u"last");
  ASSERT_FALSE(Document.LoadErrors.empty());
  EXPECT_EQ(Document.LoadErrors.front(), "Shapes are nested too deeply");
  int depth = 0;
  for (const TdocShape* s = Page.GetShapes(1); s; s = s->GetShapes(0)) ++depth;
  EXPECT_LT(depth, 64);
}

TEST_F(ShapeXmlTest, AFailingKeptChildIsTheOneRemoved) {
  // A shape that refuses its element when it holds "Boom".
  struct TFragileShape : TdocShape {
    void LoadFromXml(TXmlNode* node) override {
      if (node && node->FindChild("Boom")) throw Exception("boom");
      TdocShape::LoadFromXml(node);
    }
  };
  // Two kept (Fixed) children are reused in order; the first one fails.
  for (const char16_t* name : {u"kept one", u"kept two"}) {
    auto kept = std::make_unique<TFragileShape>();
    kept->Fixed = true;
    kept->SetName(name);
    Page.AddShape(std::move(kept));
  }
  Load(Page, "<shape><Shape><Boom/></Shape><Shape><Name>second</Name></Shape></shape>");
  ASSERT_EQ(Page.GetShapeCount(), 1);
  EXPECT_EQ(Page.GetShapes(0)->GetNameText(), u"second");
  EXPECT_EQ(Document.LoadErrors, std::vector<std::string>{"boom"});
}

// A shape whose load stops half way and which cannot be written then: what
// recording it for undo would try.
struct THalfLoadedShape : TdocShape {
  static const TdocShapeClass& StaticClass() {
    static const TdocShapeClass info{"THalfLoadedShape", [] { return std::unique_ptr<TdocShape>(new THalfLoadedShape); }};
    return info;
  }
  const TdocShapeClass& GetClass() const override { return StaticClass(); }
  void LoadFromXml(TXmlNode* node) override {
    Complete = false;
    TdocShape::LoadFromXml(node);
    if (node->FindChild("Cut")) throw Exception("cut short");
    Complete = true;
  }
  void SaveToXml(TXmlNode& node) const override {
    if (!Complete) throw Exception("half loaded");
    TdocShape::SaveToXml(node);
  }
  bool Complete = true;
};

// With undo on, a child that fails is skipped: the load goes on, nothing is
// recorded, and no record names the child that went.
TEST_F(ShapeXmlTest, AChildThatFailsIsSkippedWithoutUndoRecords) {
  RegisterShapeClass(THalfLoadedShape::StaticClass());
  const auto element = [](const std::string& name, bool cut) {
    return "<Shape><ClassName>THalfLoadedShape</ClassName><Name>" + name + "</Name>" + (cut ? "<Cut/>" : "") +
           "</Shape>";
  };
  ASSERT_TRUE(Document.GetUndoEnabled());
  EXPECT_NO_THROW(Load(Page, "<shape>" + element("first", false) + element("broken", true) +
                                 element("third", false) + "</shape>"));
  ASSERT_EQ(Page.GetShapeCount(), 2);
  EXPECT_EQ(Page.GetShapes(0)->GetNameText(), u"first");
  EXPECT_EQ(Page.GetShapes(1)->GetNameText(), u"third");
  EXPECT_EQ(Document.LoadErrors, std::vector<std::string>{"cut short"});
  EXPECT_TRUE(Document.UndoList.empty());
}

// A grouped shape's extents take in its children's, which load after its
// own values: a child with a shadow of blur 2 moved by (1, 1) widens every
// side of the group by 1.5 * 2 + 1 = 4 mm.
TEST_F(ShapeXmlTest, AGroupTakesItsChildrensExtentsWhenLoaded) {
  TdocShape group;
  group.SetDocFrame(0, 0, 50, 30, 0);
  auto child = std::make_unique<TdocEffectShape>();
  child->SetDocFrame(5, 5, 20, 10, 0);
  auto shadow = std::make_unique<TdocShadowEffect>();
  shadow->SetBlur(2);
  shadow->SetDeltaX(1);
  shadow->SetDeltaY(1);
  child->AddEffect(std::move(shadow));
  group.AddShape(std::move(child));
  group.SetGrouped(true);
  TdocShape loaded;
  Load(loaded, Save(group));
  ASSERT_EQ(loaded.GetShapeCount(), 1);
  EXPECT_EQ(loaded.GetExtents(), (std::array<float, 4>{4, 4, 4, 4}));
}

}  // namespace
