#include "tests/app/gui/MainWindowTestSupport.h"

#include <filesystem>

#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/resources/ResourceStartUp.h"
#include "document/shape/Shape.h"
#include "document/control/Document.h"
#include "tests/platform/qt/ModalAnswer.h"

namespace guitest {

MainWindowTest::MainWindowTest() {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  app::StartUpShapes();
  document::StartUpResources();
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(Folder.File("config")));
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Folder.File("data")));
  std::filesystem::create_directories(Folder.Path() / "config" / "mirqoven");
  std::filesystem::create_directories(Folder.Path() / "data" / "mirqoven");
}

MainWindowTest::~MainWindowTest() {
  Form.reset();
  UiTextService().SetLanguageFile(nullptr);
  UiTextService().SetLanguageIndex(LanguageFrench);
  document::ShutDownResources();
  QLocale::setDefault(SavedLocale);
  SetDecimalSeparator(".");
}

app::TForm1& MainWindowTest::Show() {
  Form = std::make_unique<app::TForm1>();
  Form->show();
  QApplication::processEvents();
  return *Form;
}

app::TForm1& MainWindowTest::ShowActiveIn(int languageIndex) {
  if (languageIndex == LanguageEnglish) apptest::WriteBytes(ParameterFile(), ParameterRecord(LanguageEnglish, ""));
  Show();
  Form->raise();
  Form->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(Form->Fdocument));
  return *Form;
}

std::string MainWindowTest::ParameterFile() const { return Folder.File("config/mirqoven/MIRQOVEN.PAR"); }
std::string MainWindowTest::LanguageFile() const { return Folder.File("data/mirqoven/mirqoven.lg"); }

TdocDocumentCore& MainWindowTest::Core() { return Form->Fdocument->Core(); }

void MainWindowTest::SaveNewAndOpen(const std::string& file) {
  qttest::AnswerNextFileDialog(file);
  QTest::mouseClick(Form->spsauve, Qt::LeftButton);
  ASSERT_TRUE(std::filesystem::exists(file));
  AnswerNextMessageBox(QMessageBox::Yes);
  QTest::mouseClick(Form->spbuttonnouveau, Qt::LeftButton);
  ASSERT_EQ(Core().ShapeCount(), 0);
  qttest::AnswerNextFileDialog(file);
  QTest::mouseClick(Form->spcharge, Qt::LeftButton);
}

void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text) {
  qttest::AnswerNext<QMessageBox>("a message box", [button, text](QMessageBox& box) {
    if (text) *text = box.text();
    if (QAbstractButton* answer = box.button(button)) return answer->click();
    ADD_FAILURE() << "the message box has not the button asked for: " << box.text().toStdString();
    box.reject();
  });
}

void AnswerExportDialog(std::function<void(app::TExportImageDialog&)> answer) {
  qttest::AnswerNextModal(
      "the export dialog",
      [](QWidget& widget) { return dynamic_cast<app::TExportImageDialog*>(&widget) != nullptr; },
      [answer = std::move(answer)](QWidget& widget) {
        auto& dialog = dynamic_cast<app::TExportImageDialog&>(widget);
        answer(dialog);
        QTest::mouseClick(dialog.sretour, Qt::LeftButton);
      });
}

void FocusNewShape(app::TForm1& form, app::TForm1::TInsertKind kind) {
  TdocDocumentCore& core = form.Fdocument->Core();
  Focus(form, core.GetShapes(core.AddShape(app::TForm1::NewShape(kind))));
}

void ClickTab(app::TForm1& form, QWidget* tab) {
  QTabBar* bar = form.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(form.PageControl1->indexOf(tab)).center());
  ASSERT_EQ(form.PageControl1->currentWidget(), tab);
}

void Focus(app::TForm1& form, TdocShape* shape) {
  shape->SetSelected(true);
  form.Fdocument->Core().SetFocusShape(shape);
  form.panelcarshape->ShapeToPanel();
}

TParsedRecord ParseParameterRecord(const std::string& bytes) {
  TParsedRecord parsed;
  if (bytes.size() != 120) return parsed;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
  parsed.SignatureOk = byte(0) == 3 && bytes.substr(1, 3) == "MQV";
  parsed.LanguageIndex = static_cast<int>(byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24);
  const std::size_t length = byte(8);
  parsed.PrinterName = bytes.substr(9, std::min<std::size_t>(length, 100));
  parsed.UnusedBytesZero = bytes.find_first_not_of('\0', 109) == std::string::npos;
  return parsed;
}

std::string ParameterRecord(int languageIndex, const std::string& printerName) {
  std::string bytes(120, '\0');
  bytes.replace(0, 4, "\3MQV");
  bytes[4] = static_cast<char>(languageIndex);
  bytes[8] = static_cast<char>(printerName.size());
  bytes.replace(9, printerName.size(), printerName);
  return bytes;
}

}  // namespace guitest
