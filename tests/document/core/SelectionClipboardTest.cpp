// The selection clipboard of the document core: the selection text read by
// an independent parser, the worked cases of copy, cut and paste (the step
// away from the originals, the private text, the paste test), refused texts,
// and a paste that fails part-way leaving the document as it was.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "tests/document/DocumentXmlText.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/core/SelectionXml.h"
#include "document/shape/ShapeByteForm.h"
#include "document/core/TextClipboard.h"
#include "platform/rtl/Exception.h"
#include "xml/Base64.h"

namespace {

using doctest::DocumentXmlText;
using doctest::TFillShape;
using doctest::TResourceShape;

struct TFakeClipboard : TdocTextClipboard {
  std::string GetText() const override { return Text; }
  void SetText(const std::string& text) override { Text = text; }
  std::string Text;
};

struct SelectionClipboardTest : ::testing::Test {
  SelectionClipboardTest() {
    RegisterShapeClass(TFillShape::StaticClass());
    RegisterShapeClass(TResourceShape::StaticClass());
    Doc.SetTextClipboard(&Clipboard);
  }

  template <class T = TFillShape>
  T& Add(float left, float top, bool selected = false) {
    auto shape = std::make_unique<T>();
    T& added = *shape;
    Doc.AddShape(std::move(shape));
    added.SetDocFrame(left, top, 12, 8, 0);
    added.SetSelected(selected);
    return added;
  }
  std::string SelectionOf(const std::vector<const TdocShape*>& shapes) { return WriteSelectionXml(shapes); }

  TdocDocumentCore Doc;
  TFakeClipboard Clipboard;
};

TEST_F(SelectionClipboardTest, TheSelectionTextReadsBackWithAnotherParser) {
  TdocRectangleShape& below = Add<TdocRectangleShape>(5, 6, true);
  below.SetName(u"Ετικέτα");
  Add(50, 50);  // not selected: not in the text
  TFillShape& above = Add(7, 8, true);
  std::string text;
  Doc.CopySelectionToXml(text);
  ASSERT_TRUE(text.starts_with("<?xml"));
  EXPECT_NE(text.find("\n  <shape"), std::string::npos) << "readable layout";

  pugi::xml_document parsed;
  ASSERT_TRUE(parsed.load_string(text.c_str()));
  const pugi::xml_node root = parsed.document_element();
  EXPECT_STREQ(root.name(), "Selection");
  std::vector<const TdocShape*> expected{&below, &above};
  std::size_t index = 0;
  for (const pugi::xml_node shape : root.children()) {
    ASSERT_STREQ(shape.name(), "shape");
    ASSERT_LT(index, expected.size());
    EXPECT_EQ(shape.child_value("ClassName"), expected[index]->ClassName());
    std::string base64;
    for (const pugi::xml_node part : shape.children())
      if (part.type() == pugi::node_pcdata) base64 += part.value();
    std::erase_if(base64, [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; });
    const std::string bytes = ShapesToString(*expected[index]);
    EXPECT_EQ(base64, xml::EncodeBase64(bytes.data(), bytes.size()));
    ++index;
  }
  EXPECT_EQ(index, expected.size());
}

TEST_F(SelectionClipboardTest, CopyWithNothingSelectedLeavesTheClipboard) {
  Add(1, 1);
  Clipboard.Text = "before";
  Doc.CopySelection();
  EXPECT_EQ(Clipboard.Text, "before");
  EXPECT_EQ(Doc.GetLastCopyPage(), nullptr);
}

TEST_F(SelectionClipboardTest, PastesOnTheCopiedPageStepAwayAndOnAnotherPageKeepPlace) {
  Add(20, 30, true).SetName(u"Ωμέγα");
  Doc.CopySelection();
  const std::vector<std::pair<float, float>> steps{{30, 40}, {40, 50}};
  for (const auto& [left, top] : steps) {
    Doc.Paste();
    ASSERT_EQ(Doc.SelectionCount(), 1);
    EXPECT_FLOAT_EQ(Doc.GetSelected(0)->GetDocLeft(), left);
    EXPECT_FLOAT_EQ(Doc.GetSelected(0)->GetDocTop(), top);
    EXPECT_EQ(Doc.GetSelected(0)->GetName(), u"Ωμέγα");
  }
  EXPECT_EQ(Doc.ShapeCount(), 3);

  Doc.SetUseClipboard(false);
  Doc.SetPrivateClipboardText(Clipboard.Text);
  Doc.SetCurrentPageIndex(Doc.AddPage(nullptr));
  Doc.Paste();
  ASSERT_EQ(Doc.ShapeCount(), 1);
  EXPECT_FLOAT_EQ(Doc.GetShapes(0)->GetDocLeft(), 40);  // where the last copied shape lies
  EXPECT_FLOAT_EQ(Doc.GetShapes(0)->GetDocTop(), 50);
  Doc.Paste();
  EXPECT_FLOAT_EQ(Doc.GetSelected(0)->GetDocLeft(), 50);
}

TEST_F(SelectionClipboardTest, CutRemovesTheSelectionAndOneUndoBringsItBack) {
  Add(1, 2, true);
  Add(3, 4);
  Add(5, 6, true);
  const std::string before = DocumentXmlText(Doc);
  Doc.CutSelection();
  EXPECT_EQ(Doc.ShapeCount(), 1);
  EXPECT_EQ(Doc.GetLastCopyPage(), nullptr);
  EXPECT_TRUE(IsSelectionText(Clipboard.Text));
  Doc.Undo();
  EXPECT_EQ(DocumentXmlText(Doc), before);
  Doc.Paste();  // not the copied page any more: the shapes come back in place
  EXPECT_FLOAT_EQ(Doc.GetSelected(1)->GetDocLeft(), 5);
}

TEST_F(SelectionClipboardTest, ThePasteTest) {
  struct Case {
    bool useClipboard;
    std::string text;
    bool canPaste;
  };
  const std::vector<Case> cases{
      {true, "<Selection><shape/></Selection>", false},
      {true, "", false},
      {true, "<?xml", true},
      {true, "<?xml version=\"1.0\"?><Other/>", true},
      {false, "", false},
      {false, "any text", true},
  };
  for (const Case& c : cases) {
    Doc.SetUseClipboard(c.useClipboard);
    if (c.useClipboard)
      Clipboard.Text = c.text;
    else
      Doc.SetPrivateClipboardText(c.text);
    EXPECT_EQ(Doc.CanPaste(), c.canPaste) << c.text;
  }
}

TEST_F(SelectionClipboardTest, TextsThatAreNoSelectionPasteNothingAndKeepTheSelection) {
  Add(1, 1, true);
  const std::string before = DocumentXmlText(Doc);
  for (const std::string text : {"", "plain words", "<?xml version=\"1.0\"?><Other><shape/></Other>",
                                 "<?xml version=\"1.0\"?><Selection/>", "<?xml version=\"1.0\"?><Selection"}) {
    EXPECT_EQ(Doc.PasteSelectionFromXml(text), 0) << text;
    EXPECT_EQ(Doc.SelectionCount(), 1) << text;
    EXPECT_EQ(DocumentXmlText(Doc), before) << text;
  }
}

TEST_F(SelectionClipboardTest, AnUnregisteredClassBecomesAPlainShape) {
  auto loose = std::make_unique<TFillShape>();
  loose->SetDocFrame(3, 4, 5, 6, 0);
  std::string text = SelectionOf({loose.get()});
  text.replace(text.find("TFillShape"), 10, "TNoSuchOne");
  ASSERT_EQ(Doc.PasteSelectionFromXml(text), 1);
  const TdocShape& pasted = *Doc.GetShapes(0);
  EXPECT_EQ(pasted.ClassName(), "TdocShape");
  EXPECT_FLOAT_EQ(pasted.GetDocLeft(), 3);
  EXPECT_FLOAT_EQ(pasted.GetDocHeight(), 6);
  EXPECT_TRUE(pasted.GetSelected());
}

TEST_F(SelectionClipboardTest, APasteThatFailsPartWayLeavesTheDocumentAsItWas) {
  // The first shape brings a resource into the container, the second is cut short.
  TMemoryStream data;
  data.WriteBuffer("PIXELS", 6);
  Doc.GetStorage()->WriteStream("TMP0000007.png", data);
  TResourceShape& source = Add<TResourceShape>(1, 1);
  source.Stream = "TMP0000007.png";
  const std::string good = SelectionOf({&source});
  Doc.DeleteShape(0);
  Doc.GetStorage()->WriteStream("TMP0000007.png", data);  // the original stays as it was
  Add(9, 9, true);
  Doc.ClearUndo();
  const std::string before = DocumentXmlText(Doc);

  const std::size_t end = good.find("</shape>");
  const std::string broken = good.substr(0, end + 8) + "<shape>AQAAAA==<ClassName>TFillShape</ClassName></shape>" +
                             good.substr(end + 8);
  try {
    Doc.PasteSelectionFromXml(broken);
    ADD_FAILURE() << "a short byte form pasted";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(DocumentXmlText(Doc), before);
  EXPECT_EQ(Doc.SelectionCount(), 1);
  EXPECT_EQ(Doc.GetUndoCount(), 0);
  // The good part alone pastes, its resource beside the one it came from.
  ASSERT_EQ(Doc.PasteSelectionFromXml(good), 1);
  EXPECT_EQ(Doc.GetStorage()->GetStreamCount(), 2);
}

}  // namespace
