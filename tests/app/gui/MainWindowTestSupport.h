#pragma once
// The main window in a private user folder: its parameter file and the
// user's copy of the language file live in a temporary folder, pointed at
// through XDG_CONFIG_HOME and XDG_DATA_HOME.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <QLocale>
#include <QMessageBox>

#include "app/gui/ExportImageDialog.h"
#include "app/gui/MainWindow.h"
#include "tests/app/AppTestSupport.h"

namespace guitest {

class MainWindowTest : public ::testing::Test {
public:
  MainWindowTest();
  ~MainWindowTest() override;

  // Creates and shows the window: its first activation runs.
  app::TForm1& Show();
  // Shows the window in the language (French unless English is asked, through
  // the parameter file), active and exposed, as a person starting it sees it.
  app::TForm1& ShowActiveIn(int languageIndex);
  std::string ParameterFile() const;
  std::string LanguageFile() const;
  // The label document of the shown window.
  TdocDocumentCore& Core();
  // The Save button saves the label to file, the New button clears it, the
  // Open button reads it back.
  void SaveNewAndOpen(const std::string& file);

  // The window's numbers follow the locale: the tests pin one, not the
  // machine's.
  QLocale SavedLocale;
  apptest::TTempFolder Folder;
  std::unique_ptr<app::TForm1> Form;
};

// Clicks the button of the next message box as soon as it is shown; the
// box's text lands in *text when given. The box is waited for as every modal
// widget in the tests is (tests/platform/qt/ModalAnswer.h).
void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr);

// Answers the export dialog the next click opens: answer works its
// controls, then the dialog's close button is clicked.
void AnswerExportDialog(std::function<void(app::TExportImageDialog&)> answer);

// Adds a new shape of the kind to the label and makes it the focused shape.
void FocusNewShape(app::TForm1& form, app::TForm1::TInsertKind kind);

// Opens a tab of the window's page control by a click on its title.
void ClickTab(app::TForm1& form, QWidget* tab);

// Makes the shape the focused, selected shape of the label document.
void Focus(app::TForm1& form, class TdocShape* shape);

// A 120-byte parameter record read by its published layout.
struct TParsedRecord {
  bool SignatureOk = false;
  int LanguageIndex = 0;
  std::string PrinterName;
  bool UnusedBytesZero = false;
};
TParsedRecord ParseParameterRecord(const std::string& bytes);
std::string ParameterRecord(int languageIndex, const std::string& printerName);

}  // namespace guitest
