// The template list and the image export as a person sees them, in French
// and in English: the list shows each template's name and nothing of the
// number its items carry; a picture exported through the dialog declares
// the resolution chosen there, read back by Qt's own image readers; every
// caption of the export dialog is the interface's text.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <filesystem>
#include <set>

#include "app/SheetTemplates.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "document/control/Document.h"
#include "document/page/Page.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"

namespace guitest {
namespace {

struct SheetListAndExportTest : MainWindowTest, ::testing::WithParamInterface<int> {
  void Start() {
    ShowActiveIn(GetParam());
  }
  // The names a person should read: the free A4 sheet has none.
  static std::vector<QString> TemplateNames() {
    std::vector<QString> names{QString()};
    for (const Tmodeleplanche& model : pglomodelesplanche()) names.push_back(QString::fromStdString(model.Name));
    return names;
  }
  static bool AnyDark(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
  }
};

TEST_P(SheetListAndExportTest, TheTemplateListShowsOnlyTheNames) {
  Start();
  QComboBox* list = Form->Comblistetailleetiquette;
  ASSERT_TRUE(list->isVisible());
  const std::vector<QString> names = TemplateNames();
  ASSERT_EQ(list->count(), static_cast<int>(names.size()));
  // A plain list of the names beside it, alike in all but its items.
  QComboBox reference(list->parentWidget());
  reference.setFont(list->font());
  reference.setSizeAdjustPolicy(list->sizeAdjustPolicy());
  for (const QString& name : names) reference.addItem(name);
  reference.setGeometry(list->geometry());
  reference.show();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Home);
  for (int i = 0; i < list->count(); ++i) {
    if (i > 0) QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentIndex(), i);
    reference.setCurrentIndex(i);
    QApplication::processEvents();
    // Without focus frames: the reference never has the focus.
    list->clearFocus();
    EXPECT_EQ(list->grab().toImage(), reference.grab().toImage()) << names[static_cast<std::size_t>(i)].toStdString();
    list->setFocus();
  }
  EXPECT_EQ(list->currentIndex(), list->count() - 1);

  // Popped up: each row's ink ends with its name.
  QTest::mouseClick(list, Qt::LeftButton);
  QAbstractItemView* view = list->view();
  ASSERT_TRUE(view->isVisible());
  const QImage rows = view->viewport()->grab().toImage();
  const QFontMetrics metrics(view->font());
  int seen = 0;
  for (int i = 0; i < list->count(); ++i) {
    const QRect row = view->visualRect(list->model()->index(i, 0)).intersected(rows.rect());
    // The highlighted row is dark all along; rows scrolled away show nothing.
    if (i == list->currentIndex() || row.height() < metrics.height()) continue;
    ++seen;
    const int nameEnd = row.left() + metrics.horizontalAdvance(names[static_cast<std::size_t>(i)]) + 20;
    const QRect beyond(nameEnd, row.top(), row.right() - nameEnd, row.height());
    EXPECT_FALSE(AnyDark(rows, beyond)) << names[static_cast<std::size_t>(i)].toStdString();
  }
  EXPECT_GE(seen, 5);
  QTest::keyClick(view, Qt::Key_Escape);
}

TEST_P(SheetListAndExportTest, AnExportedPictureDeclaresTheChosenResolution) {
  Start();
  const TdocPage& label = *Form->Fdocument->Core().GetCurrentPage();
  for (const char* name : {"label.jpg", "label.bmp"}) {
    const std::string file = Folder.File(name);
    AnswerExportDialog([&file](app::TExportImageDialog& dialog) {
      // From the default 5 to 8 pixels a millimetre with the keyboard.
      dialog.comblisteniveauresolution->setFocus();
      for (int i = 0; i < 3; ++i) QTest::keyClick(dialog.comblisteniveauresolution, Qt::Key_Down);
      ASSERT_EQ(dialog.comblisteniveauresolution->currentText(), "8");
      qttest::AnswerNextFileDialog(file);
      QTest::mouseClick(dialog.bExporter, Qt::LeftButton);
    });
    QTest::mouseClick(Form->spexportclipboard, Qt::LeftButton);
    ASSERT_TRUE(std::filesystem::exists(file)) << name;
    const QImage read(QString::fromStdString(file));
    EXPECT_EQ(read.width(), std::lround(label.GetPageWidth() * 8)) << name;
    // 8 pixels a millimetre: the picture is the label's size elsewhere too.
    EXPECT_EQ(read.dotsPerMeterX(), 8000) << name;
    EXPECT_EQ(read.dotsPerMeterY(), 8000) << name;
  }
}

TEST_P(SheetListAndExportTest, EveryExportCaptionIsTheInterfacesText) {
  Start();
  // Texts only the other language has.
  const int other = GetParam() == LanguageFrench ? LanguageEnglish : LanguageFrench;
  std::set<QString> foreign;
  for (int n = 1; n <= UiTextCount; ++n)
    if (BuiltInUiText(n, other) != BuiltInUiText(n, GetParam()))
      foreign.insert(QString::fromUtf8(BuiltInUiText(n, other).data(), static_cast<qsizetype>(BuiltInUiText(n, other).size())));
  EXPECT_EQ(Form->spexportclipboard->text(), QString::fromStdString(pgloretlibmessage(UiTextClipboardButton)));
  std::vector<QString> captions;
  AnswerExportDialog([&captions](app::TExportImageDialog& dialog) {
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) captions.push_back(button->text());
    for (const QLabel* label : dialog.findChildren<QLabel*>()) captions.push_back(label->text());
    EXPECT_EQ(dialog.bExporter->text(), QString::fromStdString(pgloretlibmessage(UiTextExportButton)));
    EXPECT_EQ(dialog.bclipboard->text(), QString::fromStdString(pgloretlibmessage(UiTextClipboardButton)));
    EXPECT_EQ(dialog.sretour->text(), QString::fromStdString(pgloretlibmessage(UiTextCloseButton)));
  });
  QTest::mouseClick(Form->spexportclipboard, Qt::LeftButton);
  ASSERT_EQ(captions.size(), 4u);
  for (const QString& caption : captions) {
    EXPECT_FALSE(caption.isEmpty());
    EXPECT_EQ(foreign.count(caption), 0u) << caption.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, SheetListAndExportTest, ::testing::Values(LanguageFrench, LanguageEnglish),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == LanguageFrench ? std::string("French") : std::string("English");
                         });

}  // namespace
}  // namespace guitest
