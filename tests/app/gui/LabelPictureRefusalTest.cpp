// What a label holds but the window cannot show whole: pictures past a
// picture's pixel budget, whether a shape's, a page's background, the
// default background or a texture, are told in the window's language, at the
// open for the first page and once the window is idle again for a page read
// later; a curved text longer than is drawn is told too. The label keeps
// everything else.

#include <algorithm>
#include <vector>

#include <QCoreApplication>
#include <QTest>

#include "app/LabelFile.h"
#include "app/UiTexts.h"
#include "document/control/Document.h"
#include "document/core/DocumentCore.h"
#include "document/editor/HandlePainter.h"
#include "document/text/TransformText.h"
#include "platform/rtl/Format.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "tests/document/core/StorFile.h"
#include "tests/document/resources/PictureXml.h"
#include "tests/imaging/formats/TinyHugeBmp.h"

namespace guitest {
namespace {

using namespace doctest::picturexml;
using imagingtest::TinyHugeBmp;

QString TooLarge(int side) {
  return QString::fromStdString(rtl::Format(pgloretlibmessage(UiTextPictureTooLarge), side, side, 64));
}

// The lines of a box's text, in order of their sides.
std::vector<QString> SortedLines(const QString& text) {
  std::vector<QString> lines;
  for (const QString& line : text.split('\n')) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Shapes' pictures, page backgrounds, the default background and textures,
// each of a side of its own, so that each refusal is seen to be told.
TEST_F(MainWindowTest, PicturesTooLargeAreToldInTheWindowsLanguageWhicheverPageHoldsThem) {
  app::TForm1& form = Show();
  const auto huge = [](int side) { return TinyHugeBmp(side, side, static_cast<std::uint8_t>(side % 251)); };
  const std::string document = doctest::WriteStor(
      {{"Index.xml", "<Document><DefaultBgrImage>" + ResourceXml(huge(16400)) + "</DefaultBgrImage></Document>"},
       {"Page0001.xml",
        Page(1, Background(huge(16401)), Rectangle(5) + PictureShape(huge(16384), Texture(huge(16402))))},
       {"Page0002.xml",
        Page(2, Background(huge(20001)), Rectangle(6) + PictureShape(huge(20000), Texture(huge(20002))))}});
  const std::string label = Folder.File("hostile.mqv");
  app::WriteLabelFile(label, {reinterpret_cast<const std::uint8_t*>(document.data()), document.size()},
                      app::TSheetSetupRecord{});
  ASSERT_FALSE(pgloretlibmessage(UiTextPictureTooLarge).empty());

  QString atOpen;
  AnswerNextMessageBox(QMessageBox::Ok, &atOpen);
  qttest::AnswerNextFileDialog(label);
  QTest::mouseClick(form.spcharge, Qt::LeftButton);
  EXPECT_EQ(SortedLines(atOpen), (std::vector<QString>{TooLarge(16384), TooLarge(16400), TooLarge(16401),
                                                        TooLarge(16402)}));
  TdocDocumentCore& core = form.Fdocument->Core();
  ASSERT_EQ(core.GetPageCount(), 2);
  EXPECT_EQ(core.ShapeCount(), 2);

  QString later;
  AnswerNextMessageBox(QMessageBox::Ok, &later);
  core.SetCurrentPageIndex(1);
  EXPECT_TRUE(later.isEmpty()) << "no box while the page is read";
  for (int turn = 0; turn < 200 && later.isEmpty(); ++turn) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(SortedLines(later), (std::vector<QString>{TooLarge(20000), TooLarge(20001), TooLarge(20002)}));
  EXPECT_EQ(core.ShapeCount(), 2);
}

TEST_F(MainWindowTest, ATextLongerThanIsDrawnIsToldInTheWindowsLanguage) {
  app::TForm1& form = Show();
  const std::string stor = Folder.File("long.stor");
  const std::u16string text(MaxOutlinedCharacters + 5, u'W');
  {
    TdocDocumentCore doc;
    auto curved = std::make_unique<TdocCurvedText>();
    curved->SetText(text);
    doc.AddShape(std::move(curved));
    doc.SaveToFile(stor);
  }
  const std::string document = apptest::ReadBytes(stor);
  const std::string label = Folder.File("long.mqv");
  app::WriteLabelFile(label, {reinterpret_cast<const std::uint8_t*>(document.data()), document.size()},
                      app::TSheetSetupRecord{});

  QString told;
  AnswerNextMessageBox(QMessageBox::Ok, &told);
  qttest::AnswerNextFileDialog(label);
  QTest::mouseClick(form.spcharge, Qt::LeftButton);
  EXPECT_EQ(told, QString::fromUtf8("Ce texte de 10005 caractères n'est dessiné que jusqu'à son 10000e caractère"));
  TdocDocumentCore& core = form.Fdocument->Core();
  ASSERT_EQ(core.ShapeCount(), 1);
  const auto* curved = dynamic_cast<const TdocCurvedText*>(core.GetShapes(0));
  ASSERT_NE(curved, nullptr);
  EXPECT_EQ(curved->GetText(), text);
}

}  // namespace
}  // namespace guitest
