// Opening and saving label documents: the file's two members are the label
// document and the sheet setup shown in the page tab.

#include <algorithm>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtText.h"
#include "app/gui/WaitCursor.h"
#include "document/editor/HandlePainter.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "platform/rtl/Stream.h"

namespace app {

namespace {

// Rows of the text table for the save dialog and the refused open.
constexpr int UiTextSaveLabelAs = 42;
constexpr int UiTextReplaceFile = 43;
constexpr int UiTextLabelNotOpened = 203;

QString LabelFileFilter() { return QStringLiteral("Mirqoven (*.mqv)"); }

QString DocumentsFolder() { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }

float EditLength(const QLineEdit* edit) {
  const double value = ParseNumber(edit->text().toStdString()).value_or(0.0);
  return static_cast<float>(std::clamp(value, 0.0, static_cast<double>(MaxSheetLength)));
}

void ShowLength(QLineEdit* edit, float value) { edit->setText(ToQString(FormatTwoDecimals(value))); }

}  // namespace

void TForm1::ConnectFileCommands() {
  connect(spcharge, &QToolButton::clicked, this, GuardedSlot(this, [this] { OpenLabelDocument(); }));
  connect(spsauve, &QToolButton::clicked, this, GuardedSlot(this, [this] { SaveLabelDocument(); }));
  TellLoadProblemsWhenIdle();
}

// What the label takes in but cannot use (a pasted picture it has no room
// for, a page read later) is told once the window is idle again.
void TForm1::TellLoadProblemsWhenIdle() {
  Fdocument->Core().OnLoadError = [this](TPersistent*, TdocShape*, const std::string& error) {
    TellLoadProblemLater(error);
  };
}

void TForm1::OpenLabelDocument() {
  const QString fileName =
      QFileDialog::getOpenFileName(this, UiText(1), DocumentsFolder(), LabelFileFilter());
  if (fileName.isEmpty() || !ConfirmDiscardChanges()) return;
  try {
    OpenLabelFile(fileName.toStdString());
  } catch (const std::exception& error) {
    QMessageBox::critical(this, windowTitle(),
                          UiText(UiTextLabelNotOpened) + "\n" + QString::fromUtf8(error.what()));
  }
}

void TForm1::OpenLabelFile(const std::string& fileName) {
  // Everything of the file is read and checked before the label changes;
  // the document load itself replaces the label only when it succeeds.
  const TLabelFileContent content = [&] {
    const TWaitCursor unpacking;
    return ReadLabelFile(*BackupFile1, fileName);
  }();
  TdocDocumentCore& core = Fdocument->Core();
  // What the label holds but cannot be used (a picture file that is not a
  // picture) is told once the label is open.
  std::vector<std::string> problems;
  core.OnLoadError = [&problems](TPersistent*, TdocShape*, const std::string& error) { problems.push_back(error); };
  try {
    // Read from its member's file, which the document keeps reading for the
    // pages it shows later: a large label is never held twice in memory.
    core.LoadFromFile(content.DocumentFile());
  } catch (...) {
    TellLoadProblemsWhenIdle();
    throw;
  }
  TellLoadProblemsWhenIdle();
  ClearLabelMargins();
  ClearPreviewPage();
  ReadDocumentMembers(content.SheetSetup);
  if (core.GetPageCount() == 0) {
    core.SetCurrentPageIndex(core.AddPage(nullptr));
    ApplyLabelSizeToPage();
  }
  core.SetModified(false);
  ZoomToPage();
  panelcarshape->ShapeToPanel();
  if (!problems.empty()) ShowLoadProblems(problems);
}

void TForm1::TellLoadProblemLater(const std::string& problem) {
  // A page may be read in the middle of a paint: no box may open there.
  if (LaterLoadProblems.empty())
    QTimer::singleShot(0, this, [this] { ShowLoadProblems(std::exchange(LaterLoadProblems, {})); });
  LaterLoadProblems.push_back(problem);
}

void TForm1::ShowLoadProblems(const std::vector<std::string>& problems) {
  QString text;
  for (const std::string& problem : problems) text += QString::fromUtf8(problem) + "\n";
  QMessageBox::warning(this, windowTitle(), text.trimmed());
}

void TForm1::ReadDocumentMembers(const TSheetSetupRecord& record) {
  // The stored unit is taken as it is: the lengths are already in it.
  UnitSwitch = false;
  if (record.Unit <= TSheetSetupRecord::UnitInches) {
    const bool inches = record.Unit == TSheetSetupRecord::UnitInches;
    (inches ? raunitinch : raunitmm)->setChecked(true);
    for (TdocDocument* document : {Fdocument, docPrintPreview, docImprime})
      document->Core().SetRulerUnits(inches ? ruInch : ruMilli);
  }
  UnitSwitch = true;
  // The template is shown as chosen, not applied again.
  if (record.TemplateIndex >= 0 && record.TemplateIndex < Comblistetailleetiquette->count()) {
    const QSignalBlocker quiet(Comblistetailleetiquette);
    Comblistetailleetiquette->setCurrentIndex(record.TemplateIndex);
  }
  ShowLength(edPageWidth, record.SheetWidth);
  ShowLength(edPageHeight, record.SheetHeight);
  ShowLength(elargeur, record.LabelWidth);
  ShowLength(ehauteur, record.LabelHeight);
  ShowLength(edOuterMarginX, record.OuterMarginX);
  ShowLength(edOuterMarginY, record.OuterMarginY);
  ShowLength(edBetweenMarginX, record.BetweenMarginX);
  ShowLength(edBetweenMarginY, record.BetweenMarginY);
  chorientation->setChecked(record.Orientation == 1);
}

TSheetSetupRecord TForm1::SheetSetupFromControls() const {
  TSheetSetupRecord record;
  record.TemplateIndex = std::max(Comblistetailleetiquette->currentIndex(), 0);
  record.SheetWidth = EditLength(edPageWidth);
  record.SheetHeight = EditLength(edPageHeight);
  record.LabelWidth = EditLength(elargeur);
  record.LabelHeight = EditLength(ehauteur);
  record.OuterMarginX = EditLength(edOuterMarginX);
  record.OuterMarginY = EditLength(edOuterMarginY);
  record.BetweenMarginX = EditLength(edBetweenMarginX);
  record.BetweenMarginY = EditLength(edBetweenMarginY);
  record.Unit = raunitinch->isChecked() ? TSheetSetupRecord::UnitInches : TSheetSetupRecord::UnitMillimetres;
  record.Orientation = chorientation->isChecked() ? 1 : 0;
  return record;
}

void TForm1::SaveLabelDocument() {
  QFileDialog dialog(this, UiText(UiTextSaveLabelAs), DocumentsFolder(), LabelFileFilter());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(ToQString(std::string(LabelFileExtension)));
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString fileName = dialog.selectedFiles().constFirst();
  if (QFileInfo::exists(fileName) &&
      QMessageBox::question(this, UiText(126), UiText(UiTextReplaceFile),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
    return;
  SaveLabelFile(fileName.toStdString());
}

void TForm1::SaveLabelFile(const std::string& fileName) {
  TdocDocumentCore& core = Fdocument->Core();
  const bool modified = core.GetModified();
  try {
    // A label file that could not be opened again is refused here, before
    // anything is written and before the label counts as saved.
    TLabelDocumentStream document;
    core.SaveToStream(document);
    WriteLabelFile(fileName, document.Bytes(), SheetSetupFromControls());
  } catch (...) {
    // The label is not saved anywhere until the file is.
    core.SetModified(modified);
    throw;
  }
}

}  // namespace app
