// Every character a value field takes comes back from the label's own file:
// a full-ASCII barcode value holding each byte from 1 to 127 and a text with
// control characters, pasted into their fields on the real main window, saved
// with the Save button, reopened with the Open button. pugixml, an XML reader
// of its own, reads the saved page with the same characters.

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

#include "app/LabelFile.h"
#include "app/shapes/BarcodeShape.h"
#include "document/control/Document.h"
#include "document/core/ArchiveStreams.h"
#include "document/page/Page.h"
#include "document/text/TextShape.h"
#include "platform/rtl/Stream.h"
#include "platform/rtl/Strings.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "widgets/UniEdit.h"
#include "widgets/WideText.h"
#include "xml/storage/Storage.h"

namespace guitest {
namespace {

using namespace std::string_literals;

struct ValueCharactersTest : MainWindowTest {

  TdocShape* AddFocused(std::unique_ptr<TdocShape> created, float top) {
    TdocShape* shape = Core().GetShapes(Core().AddShape(std::move(created)));
    shape->SetDocFrame(10, top, 120, 20, 0);
    Focus(*Form, shape);
    return shape;
  }

  // Pastes the text into the field in place of what it holds, as a person
  // does with Ctrl+A and Ctrl+V.
  static void Paste(widgets::TUniEdit* field, std::u16string_view text) {
    QGuiApplication::clipboard()->setText(widgets::ToQString(text));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  }

  // The first page's XML as the saved file holds it.
  std::string SavedPageXml(const std::string& file) {
    const std::vector<std::uint8_t> document = apptest::DocumentBytes(app::ReadLabelFile(*Form->BackupFile1, file));
    TMemoryStream bytes;
    bytes.Write(document.data(), static_cast<std::int64_t>(document.size()));
    TsdStorage storage(nullptr);
    storage.LoadFromStream(bytes);
    TMemoryStream page;
    storage.ReadStream(document::PageStreamName(1), page);
    return std::string(page.Bytes().begin(), page.Bytes().end());
  }
};

// Every byte from 1 to 127: Code 39 full ASCII encodes each of them.
std::string EveryAsciiByte() {
  std::string bytes;
  for (int c = 1; c < 128; ++c) bytes += static_cast<char>(c);
  return bytes;
}

TEST_F(ValueCharactersTest, ControlCharactersInValuesComeBackFromTheLabelFile) {
  Show();
  auto created = app::TForm1::NewShape(app::TForm1::ikBarcode);
  static_cast<TdocBarCodeShape&>(*created).GetBarcode()->SetTyp(bcCode39Extended);
  AddFocused(std::move(created), 10);
  const std::string value = EveryAsciiByte();
  Paste(Form->panelcarshape->edtcbvaleur, rtl::Cp1252ToUtf16(value));
  ASSERT_EQ(static_cast<TdocBarCodeShape*>(Core().GetShapes(0))->GetBarcode()->GetText(), value);

  AddFocused(app::TForm1::NewTextShape(app::TForm1::tkText), 40);
  // A group separator, an end of transmission, a NUL, U+FFFF and a face,
  // blanks and controls at the ends.
  const std::u16string text = u"\x1D Lot\x04" u"42\u0000\uFFFF \U0001F600\x01 "s;
  Paste(Form->panelcarshape->TextPages->edttextevaleur, text);
  ASSERT_EQ(static_cast<TdocTextShape*>(Core().GetShapes(1))->GetText(), text);

  const std::string file = Folder.File("controls.mqv");
  SaveNewAndOpen(file);
  ASSERT_EQ(Core().ShapeCount(), 2);
  auto* barcode = dynamic_cast<TdocBarCodeShape*>(Core().GetShapes(0));
  auto* textShape = dynamic_cast<TdocTextShape*>(Core().GetShapes(1));
  ASSERT_TRUE(barcode && textShape);
  EXPECT_EQ(barcode->GetBarcode()->GetText(), value);
  EXPECT_EQ(textShape->GetText(), text);
  Focus(*Form, barcode);
  EXPECT_EQ(Form->panelcarshape->edtcbvaleur->GetText(), rtl::Cp1252ToUtf16(value));

  pugi::xml_document page;
  const std::string xml = SavedPageXml(file);
  ASSERT_TRUE(page.load_string(xml.c_str())) << xml;
  std::vector<std::string> values;
  for (const pugi::xpath_node& node : page.select_nodes("//Text")) values.push_back(node.node().text().get());
  // pugixml's texts end at a NUL.
  const std::string upToNul = rtl::Utf16ToUtf8(text.substr(0, text.find(u'\0')));
  EXPECT_EQ(values, (std::vector<std::string>{value, upToNul})) << xml;
}

}  // namespace
}  // namespace guitest
