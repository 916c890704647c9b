// The answers to modal widgets wait for them however late they show, each
// goes to a widget of its own kind, menus run by exec are answered too, and
// a file dialog takes the file whenever its field got the focus.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "tests/platform/qt/ModalAnswer.h"

namespace {

TEST(ModalAnswer, AMessageBoxShownLateIsAnswered) {
  qttest::AnswerNext<QMessageBox>("a message box", [](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
  QMessageBox::StandardButton answer = QMessageBox::NoButton;
  QEventLoop loop;
  // Much later than the first polls: the answer must still be waiting.
  QTimer::singleShot(300, [&] {
    answer = QMessageBox::question(nullptr, "title", "late?", QMessageBox::Yes | QMessageBox::No);
    loop.quit();
  });
  loop.exec();
  EXPECT_EQ(answer, QMessageBox::No);
}

TEST(ModalAnswer, EachAnswerWaitsForItsOwnKind) {
  QString boxText;
  qttest::AnswerNext<QMessageBox>("a message box", [&](QMessageBox& box) {
    boxText = box.text();
    box.button(QMessageBox::Ok)->click();
  });
  qttest::AnswerNext<QMenu>("a menu", [](QMenu& menu) {
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(menu.actions().at(1)).center());
  });
  // A dialog comes first: the box's answer leaves it to the test.
  QDialog dialog;
  QTimer::singleShot(50, &dialog, &QDialog::accept);
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_TRUE(boxText.isEmpty());

  QMenu menu;
  menu.addAction("first");
  QAction* second = menu.addAction("second");
  EXPECT_EQ(menu.exec(QPoint(10, 10)), second);
  QMessageBox::information(nullptr, "title", "the box");
  EXPECT_EQ(boxText, "the box");
}

TEST(ModalAnswer, AFileDialogGetsTheFileTypedIntoIt) {
  QTemporaryDir folder;
  const QString file = folder.filePath("picture.bmp");
  QFile(file).open(QIODevice::WriteOnly);
  // Several times: the dialog's field takes the focus at a moment of its own.
  for (int i = 0; i < 5; ++i) {
    qttest::AnswerNextFileDialog(file.toStdString());
    EXPECT_EQ(QFileDialog::getOpenFileName(nullptr, "title", QDir::homePath()), file);
  }
  qttest::AnswerNextFileDialog("");
  EXPECT_EQ(QFileDialog::getOpenFileName(nullptr, "title", folder.path()), QString());
}

}  // namespace
