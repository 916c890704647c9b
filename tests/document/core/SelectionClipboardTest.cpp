// The selection clipboard of the document core: the selection text read by
// an independent parser, the worked cases of copy, cut and paste (the step
// away from the originals, the private text, the paste test), refused texts,
// a paste that fails part-way leaving the document as it was, and the
// streams a paste stores.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/document/ByteForm.h"
#include "tests/document/DocumentXmlText.h"
#include "tests/document/core/ContainerStreams.h"
#include "tests/document/TestShapes.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "document/core/SelectionXml.h"
#include "document/shape/ShapeByteForm.h"
#include "document/core/TextClipboard.h"
#include "platform/rtl/Exception.h"
#include "xml/Base64.h"

namespace {

using doctest::DocumentXmlText;
using doctest::TFillShape;
using doctest::BuildForm;
using doctest::ParseForm;
using doctest::TParsedForm;
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


// ---- what a paste stores
//
// A crafted selection text on the clipboard, pasted through the document's
// paste, carries pictures under the names of the archive's own streams, of
// another shape's stream and of streams no shape refers to. Only the pictures
// the pasted shapes show are stored, each under a temporary name no stream
// had; undo takes them all away again; saved and opened again, the document
// has its one page and the pasted pictures still show.

// A BMP file of a w x h picture filled with one colour.
std::string PasteBmpBytes(int width, int height, TColor32 colour) {
  TBitmap32 picture;
  picture.SetSize(width, height);
  picture.Clear(colour);
  TMemoryStream stream;
  picture.SaveToStream(stream);
  return {stream.Bytes().begin(), stream.Bytes().end()};
}

TColor32 PastedCentrePixel(TdocBitmapShape& shape) {
  TdocResourceAccess access(shape.GetImage());
  const auto picture = shape.GetImage().GetSharedBitmap();
  if (!picture) return 0;
  return picture->GetPixel(picture->GetWidth() / 2, picture->GetHeight() / 2);
}

std::string CraftedSelection(const std::vector<std::string>& byteForms) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<Selection>";
  for (const std::string& bytes : byteForms)
    text += "<shape>" + xml::EncodeBase64(bytes.data(), bytes.size()) +
            "<ClassName>TdocBitmapShape</ClassName></shape>";
  return text + "</Selection>";
}

constexpr TColor32 kPasteRed = 0xFFFF0000, kPasteBlue = 0xFF0000FF, kPasteGreen = 0xFF00FF00;

class PasteResourcesTest : public ::testing::Test {
protected:
  PasteResourcesTest() { Doc.SetTextClipboard(&Clipboard); }

  // A picture shape of the document whose picture is kept in the archive.
  static TdocBitmapShape& AddArchivedPicture(TdocDocumentCore& doc, TColor32 colour) {
    TBitmap32 picture;
    picture.SetSize(6, 4);
    picture.Clear(colour);
    auto owned = std::make_unique<TdocBitmapShape>();
    TdocBitmapShape& shape = *owned;
    doc.AddShape(std::move(owned));
    shape.GetImage().SetBitmap(&picture);
    shape.SetStorageMode(stArchive);
    return shape;
  }

  // The byte form of a picture shape copied from another document, its
  // picture carried under the name given and referred to by that name.
  TParsedForm CopiedPicture(TColor32 colour, const std::string& name) {
    TdocDocumentCore source;
    TdocBitmapShape& shape = AddArchivedPicture(source, colour);
    shape.SetDocFrame(10, 10, 20, 15, 0);
    const std::string archived = shape.GetImage().GetArchiveName();
    shape.SetSelected(true);
    std::string text;
    source.CopySelectionToXml(text);
    TFirstShapeBytes read(text);
    TParsedForm form = ParseForm(read.Bytes);
    EXPECT_EQ(form.Resources.size(), 1u);
    form.Resources[0].first = name;
    const std::size_t at = form.Xml.find(archived);
    EXPECT_NE(at, std::string::npos);
    form.Xml.replace(at, archived.size(), name);
    return form;
  }

  // The Base64 of the first "shape" element of a selection text.
  struct TFirstShapeBytes {
    explicit TFirstShapeBytes(const std::string& text) {
      const std::size_t open = text.find("<shape>") + 7;
      std::string base64 = text.substr(open, text.find('<', open) - open);
      std::erase_if(base64, [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
      Bytes.resize(xml::Base64DecodedSize(base64));
      xml::DecodeBase64(base64, Bytes.data(), Bytes.size());
    }
    std::string Bytes;
  };

  TdocDocumentCore Doc;
  TFakeClipboard Clipboard;
};

TEST_F(PasteResourcesTest, APasteStoresOnlyWhatItsShapesShowUnderFreshNamesAndUndoTakesItAway) {
  TdocBitmapShape& own = AddArchivedPicture(Doc, kPasteGreen);
  const std::string ownStream = own.GetImage().GetArchiveName();
  ASSERT_TRUE(TsdStorage::IsTempName(ownStream));
  Doc.ClearUndo();
  const std::map<std::string, std::string> before = doctest::ContainerStreams(*Doc.GetStorage());

  // 1: a picture under a free temporary name; 2: under a page name, with an
  // injected page, index, fonts, thumbnail and stray stream beside it; 3:
  // under the name of the document's own picture, other bytes; 4: refers to
  // the document's picture without carrying it.
  TParsedForm first = CopiedPicture(kPasteRed, "TMP0000042.bmp");
  TParsedForm second = CopiedPicture(kPasteBlue, "Page0003.xml");
  second.Resources.insert(second.Resources.begin(),
                          {{"Page0002.xml", "<Page Index=\"2\"></Page>"},
                           {"Index.xml", "<Document/>"},
                           {"Fonts.dat", "FONTS"},
                           {"Thumb0002.bmp", PasteBmpBytes(2, 2, kPasteRed)},
                           {"TMP7654321.png", "ORPHAN"}});
  TParsedForm third = CopiedPicture(kPasteBlue, ownStream);
  TParsedForm fourth = CopiedPicture(kPasteRed, ownStream);
  fourth.Resources.clear();
  Clipboard.Text = CraftedSelection({BuildForm(first), BuildForm(second), BuildForm(third), BuildForm(fourth)});

  Doc.Paste();
  ASSERT_EQ(Doc.ShapeCount(), 5);
  std::map<std::string, std::string> added = doctest::ContainerStreams(*Doc.GetStorage());
  EXPECT_EQ(added.at(ownStream), before.at(ownStream)) << "the document's picture is untouched";
  for (const auto& [name, bytes] : before) added.erase(name);
  ASSERT_EQ(added.size(), 3u) << "one stream for each picture a pasted shape shows";
  std::vector<std::string> shown;
  for (int i = 1; i <= 4; ++i)
    shown.push_back(static_cast<TdocBitmapShape*>(Doc.GetShapes(i))->GetImage().GetArchiveName());
  for (const auto& [name, bytes] : added) {
    EXPECT_TRUE(TsdStorage::IsTempName(name)) << name;
    EXPECT_NE(name, "TMP7654321.png");
    EXPECT_NE(std::find(shown.begin(), shown.end(), name), shown.end()) << name;
  }
  EXPECT_EQ(shown[3], "") << "a picture it did not carry is not taken from the document";
  EXPECT_EQ(PastedCentrePixel(*static_cast<TdocBitmapShape*>(Doc.GetShapes(1))), kPasteRed);
  EXPECT_EQ(PastedCentrePixel(*static_cast<TdocBitmapShape*>(Doc.GetShapes(2))), kPasteBlue);
  EXPECT_EQ(PastedCentrePixel(*static_cast<TdocBitmapShape*>(Doc.GetShapes(3))), kPasteBlue);
  EXPECT_EQ(PastedCentrePixel(own), kPasteGreen);

  Doc.Undo();
  EXPECT_EQ(Doc.ShapeCount(), 1);
  EXPECT_EQ(doctest::ContainerStreams(*Doc.GetStorage()), before) << "undo leaves no stream of the paste behind";
  EXPECT_EQ(PastedCentrePixel(own), kPasteGreen);
}

TEST_F(PasteResourcesTest, SavedAndOpenedAgainThePastedDocumentHasItsOnePageAndShowsThePictures) {
  TParsedForm picture = CopiedPicture(kPasteRed, "Page0002.xml");
  picture.Resources.push_back({"Page0003.xml", "<Page Index=\"3\"></Page>"});
  picture.Resources.push_back({"Thumb0003.bmp", PasteBmpBytes(2, 2, kPasteBlue)});
  Clipboard.Text = CraftedSelection({BuildForm(picture), BuildForm(CopiedPicture(kPasteBlue, "TMP0000042.bmp"))});
  Doc.Paste();
  ASSERT_EQ(Doc.ShapeCount(), 2);

  TMemoryStream saved;
  Doc.SaveToStream(saved);
  saved.SetPosition(0);
  TdocDocumentCore reopened;
  reopened.LoadFromStream(saved);
  EXPECT_EQ(reopened.GetPageCount(), 1);
  for (const auto& [name, bytes] : doctest::ContainerStreams(*reopened.GetStorage()))
    EXPECT_TRUE(name == "Index.xml" || name == "Page0001.xml" || name == "Thumb0001.bmp" ||
                TsdStorage::IsTempName(name))
        << name;
  ASSERT_EQ(reopened.ShapeCount(), 2);
  EXPECT_EQ(PastedCentrePixel(*static_cast<TdocBitmapShape*>(reopened.GetShapes(0))), kPasteRed);
  EXPECT_EQ(PastedCentrePixel(*static_cast<TdocBitmapShape*>(reopened.GetShapes(1))), kPasteBlue);
}

}  // namespace
