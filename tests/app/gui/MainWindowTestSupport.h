#pragma once
// The main window in a private user folder: its parameter file and the
// user's copy of the language file live in a temporary folder, pointed at
// through XDG_CONFIG_HOME and XDG_DATA_HOME.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <QMessageBox>

#include "app/gui/MainWindow.h"
#include "tests/app/AppTestSupport.h"

namespace guitest {

class MainWindowTest : public ::testing::Test {
public:
  MainWindowTest();
  ~MainWindowTest() override;

  // Creates and shows the window: its first activation runs.
  app::TForm1& Show();
  std::string ParameterFile() const;
  std::string LanguageFile() const;

  apptest::TTempFolder Folder;
  std::unique_ptr<app::TForm1> Form;
};

// Clicks the button of the next message box as soon as it is shown; the
// box's text lands in *text when given. A box that does not show within
// the deadline fails the test.
constexpr int MessageBoxDeadlineMs = 10000;
constexpr int ModalPollMs = 10;
void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr);

// Runs answer on the active modal widget once answer takes it (returns
// true), polling until a deadline; a dialog that never shows fails the test
// and whatever modal widget is up then is closed.
void WhenModalShown(std::function<bool(QWidget*)> answer, int deadlineMs = 10000);
// Accepts the next file dialog with the file, or cancels it for "".
void AnswerNextFileDialog(const std::string& file);

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
