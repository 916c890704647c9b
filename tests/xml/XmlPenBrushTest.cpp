// Pens and brushes as child elements: the layout pugixml reads from our
// files, and the values we read from files pugixml writes.

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

using namespace xmltest;

namespace {

// "name=text" for each child of the element, in document order.
std::vector<std::string> ChildTexts(const pugi::xml_node& element) {
  std::vector<std::string> texts;
  for (const pugi::xml_node& child : element.children())
    texts.push_back(std::string(child.name()) + "=" + child.text().get());
  return texts;
}

pugi::xml_document ParsedByPugixml(const std::string& bytes) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_buffer(bytes.data(), bytes.size())) << bytes;
  return doc;
}

std::string WrittenByPugixml(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw);
  return out.str();
}

TPen MakePen(TColor color, TPenMode mode, TPenStyle style, int width) {
  TPen pen;
  pen.SetColor(color);
  pen.SetMode(mode);
  pen.SetStyle(style);
  pen.SetWidth(width);
  return pen;
}

TBrush MakeBrush(TColor color, TBrushStyle style) {
  TBrush brush;
  brush.SetColor(color);
  brush.SetStyle(style);
  return brush;
}

}  // namespace

TEST(XmlPenBrush, WrittenLayoutAsPugixmlReadsIt) {
  TXmlDocument doc("Shape");
  doc.GetRoot()->WriteChildPen("Pen", MakePen(0x0000FF, pmXor, psDash, 3));
  doc.GetRoot()->WriteChildBrush("Brush", MakeBrush(0x123456, bsCross));
  doc.GetRoot()->WriteChildPen("DefaultPen", TPen());
  doc.GetRoot()->WriteChildBrush("DefaultBrush", TBrush());
  const pugi::xml_document read = ParsedByPugixml(Saved(doc));
  const pugi::xml_node shape = read.child("Shape");
  EXPECT_EQ(ChildTexts(shape.child("Pen")),
            (std::vector<std::string>{"Color=$000000FF", "Mode=14", "Style=1", "Width=3"}));
  EXPECT_EQ(ChildTexts(shape.child("Brush")), (std::vector<std::string>{"Color=$00123456", "Style=6"}));
  EXPECT_EQ(ChildTexts(shape.child("DefaultPen")),
            (std::vector<std::string>{"Color=$00000000", "Mode=4", "Style=0", "Width=1"}))
      << "every value is written under the default options";
  EXPECT_EQ(ChildTexts(shape.child("DefaultBrush")), (std::vector<std::string>{"Color=$00FFFFFF", "Style=0"}));

  // Without write-defaults only what differs from the defaults is written.
  TXmlDocument sparse("Shape");
  sparse.WriteDefaults = false;
  sparse.GetRoot()->WriteChildPen("Pen", MakePen(clBlack, pmCopy, psSolid, 2));
  sparse.GetRoot()->WriteChildBrush("Brush", TBrush());
  const pugi::xml_document sparseRead = ParsedByPugixml(Saved(sparse));
  EXPECT_EQ(ChildTexts(sparseRead.child("Shape").child("Pen")), (std::vector<std::string>{"Width=2"}));
  EXPECT_TRUE(sparseRead.child("Shape").child("Brush")) << "the element is there, empty";
  EXPECT_TRUE(ChildTexts(sparseRead.child("Shape").child("Brush")).empty());
}

TEST(XmlPenBrush, ValuesReadFromPugixmlFiles) {
  pugi::xml_document written;
  pugi::xml_node root = written.append_child("Shape");
  pugi::xml_node pen = root.append_child("Pen");  // children in another order, some missing
  pen.append_child("Width").text().set("5");
  pen.append_child("Color").text().set("$0000FF00");
  pugi::xml_node brush = root.append_child("Brush");
  brush.append_child("Style").text().set("7");
  pugi::xml_node odd = root.append_child("OddPen");
  odd.append_child("Mode").text().set("16");
  odd.append_child("Style").text().set("-1");
  odd.append_child("Color").text().set("green");
  pugi::xml_node oddBrush = root.append_child("OddBrush");
  oddBrush.append_child("Style").text().set("8");
  oddBrush.append_child("Color").text().set("255");

  TXmlDocument doc;
  Loaded(doc, WrittenByPugixml(written));
  const TXmlNode& shape = *doc.GetRoot();

  TPen read = MakePen(clRed, pmXor, psDot, 9);  // missing children read as their defaults
  shape.ReadChildPen("Pen", read);
  EXPECT_EQ(read.GetColor(), 0x00FF00);
  EXPECT_EQ(read.GetMode(), pmCopy);
  EXPECT_EQ(read.GetStyle(), psSolid);
  EXPECT_EQ(read.GetWidth(), 5);

  TBrush readBrush = MakeBrush(clRed, bsClear);
  shape.ReadChildBrush("Brush", readBrush);
  EXPECT_EQ(readBrush.GetColor(), clWhite);
  EXPECT_EQ(readBrush.GetStyle(), bsDiagCross);

  TPen oddPen = MakePen(clRed, pmXor, psDot, 9);  // ordinals outside the types and bad colours: defaults
  shape.ReadChildPen("OddPen", oddPen);
  EXPECT_EQ(oddPen.GetMode(), pmCopy);
  EXPECT_EQ(oddPen.GetStyle(), psSolid);
  EXPECT_EQ(oddPen.GetColor(), clBlack);
  EXPECT_EQ(oddPen.GetWidth(), 1);
  TBrush oddBrushRead;
  shape.ReadChildBrush("OddBrush", oddBrushRead);
  EXPECT_EQ(oddBrushRead.GetStyle(), bsSolid);
  EXPECT_EQ(oddBrushRead.GetColor(), 255);

  TPen untouched = MakePen(clRed, pmXor, psDot, 9);  // no element: the pen stays as it was
  shape.ReadChildPen("NoPen", untouched);
  TBrush untouchedBrush = MakeBrush(clRed, bsClear);
  shape.ReadChildBrush("NoBrush", untouchedBrush);
  EXPECT_EQ(untouched.GetMode(), pmXor);
  EXPECT_EQ(untouched.GetWidth(), 9);
  EXPECT_EQ(untouchedBrush.GetStyle(), bsClear);
}

TEST(XmlPenBrush, EveryModeAndStyleRoundTripsThroughAFile) {
  TXmlDocument doc("Shape");
  for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
    for (int style = psSolid; style <= psAlternate; ++style) {
      TXmlNode* item = doc.GetRoot()->AddChild("Item");
      item->WriteChildPen("Pen", MakePen(0x010203 * (mode + 1), static_cast<TPenMode>(mode),
                                         static_cast<TPenStyle>(style), mode + style));
      item->WriteChildBrush("Brush",
                            MakeBrush(0x0F0E0D * (style + 1), static_cast<TBrushStyle>(style % (bsDiagCross + 1))));
    }
  }
  TXmlDocument back;
  Loaded(back, Saved(doc));
  int index = 0;
  for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
    for (int style = psSolid; style <= psAlternate; ++style) {
      const TXmlNode* item = back.GetRoot()->GetChild(index++);
      TPen pen;
      TBrush brush;
      item->ReadChildPen("Pen", pen);
      item->ReadChildBrush("Brush", brush);
      EXPECT_EQ(pen.GetColor(), 0x010203 * (mode + 1));
      EXPECT_EQ(pen.GetMode(), mode);
      EXPECT_EQ(pen.GetStyle(), style);
      EXPECT_EQ(pen.GetWidth(), mode + style);
      EXPECT_EQ(brush.GetColor(), 0x0F0E0D * (style + 1));
      EXPECT_EQ(brush.GetStyle(), style % (bsDiagCross + 1));
    }
  }
}
