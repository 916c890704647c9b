#include "app/gui/SheetTab.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>

#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtText.h"
#include "app/gui/SheetPreview.h"
#include "app/gui/SheetPrinting.h"
#include "app/gui/WaitCursor.h"
#include "app/shapes/BarcodeShape.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "platform/qt/Printer.h"

namespace app {

namespace {

constexpr int UiTextInvalidEntry = 82;
constexpr int UiTextNotPossible = 83;
constexpr int UiTextWrongStartLabel = 84;

int IntegerOf(const QLineEdit* edit) { return ParseInteger(edit->text().toStdString()).value_or(0); }

// Counts are rewritten as integers when the user leaves their edit.
void pglonormaliseentier(QLineEdit* edit) { edit->setText(QString::number(IntegerOf(edit))); }

std::optional<std::string> AskPdfFileNameByDialog(QWidget* parent) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString file = QFileDialog::getSaveFileName(parent, QString::fromLatin1(TPrinter::PdfPrinterName),
                                                    folder, QStringLiteral("PDF (*.pdf)"));
  if (file.isEmpty()) return std::nullopt;
  return file.toStdString();
}

// A sheet set-up that gives no grid is the user's entry to correct, not a
// failure of the program.
template <class F>
void RefusingBadSheets(F action) {
  try {
    action();
  } catch (const ESheetLayout& refusal) {
    QMessageBox::warning(nullptr, UiText(UiTextNotPossible),
                         UiText(UiTextInvalidEntry) + "\n" + QString::fromUtf8(refusal.what()));
  }
}

// Set for the length of a print run: the print button is off and a second
// click cannot start another run.
class TPrintingBracket {
public:
  TPrintingBracket(bool& printing, QPushButton* button) : Printing(printing), Button(button) {
    Printing = true;
    Button->setEnabled(false);
  }
  ~TPrintingBracket() {
    Button->setEnabled(true);
    Printing = false;
  }
  TPrintingBracket(const TPrintingBracket&) = delete;
  TPrintingBracket& operator=(const TPrintingBracket&) = delete;

private:
  bool& Printing;
  QPushButton* Button;
  const TWaitCursor Wait;
};

}  // namespace

TSheetTab::TSheetTab(TForm1& form) : Form(form), ShownFactor(form.LengthFactor()) {
  AskPdfFileName = [this] { return AskPdfFileNameByDialog(&Form); };
  Form.docImprime->Core().Options.PrintQuality = pqMedium;
  Form.Comblistetailleetiquette->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Connect();
}

void TSheetTab::Connect() {
  QWidget* parent = &Form;
  QObject::connect(Form.Comblistetailleetiquette, &QComboBox::activated, parent,
                   GuardedSlot(parent, [this] { pgloappliquemodele(); }));
  QObject::connect(Form.Spapercu, &QPushButton::clicked, parent,
                   GuardedSlot(parent, [this] { RefusingBadSheets([this] { Preview(); }); }));
  QObject::connect(Form.SpImprime, &QPushButton::clicked, parent,
                   GuardedSlot(parent, [this] { RefusingBadSheets([this] { Print(); }); }));
  for (QLineEdit* edit : {Form.enbpageaimprimer, Form.enbetiquette, Form.enuetidebut})
    QObject::connect(edit, &QLineEdit::editingFinished, parent, [edit] { pglonormaliseentier(edit); });
  for (QLineEdit* edit : {Form.elargeur, Form.ehauteur, Form.edPageWidth, Form.edPageHeight, Form.edOuterMarginX,
                          Form.edOuterMarginY, Form.edBetweenMarginX, Form.edBetweenMarginY})
    QObject::connect(edit, &QLineEdit::textEdited, parent, [this, edit] { Exact[edit].Forget(); });
  // After the window's own handlers, which use the edits' rounded texts.
  for (QLineEdit* edit : {Form.elargeur, Form.ehauteur})
    QObject::connect(edit, &QLineEdit::editingFinished, parent,
                     GuardedSlot(parent, [this] { ApplyExactLabelSize(); }));
  for (QRadioButton* unit : {Form.raunitmm, Form.raunitinch})
    QObject::connect(unit, &QRadioButton::clicked, parent,
                     GuardedSlot(parent, [this] { UnitsSwitched(Form.LengthFactor()); }));
}

void TSheetTab::pglomodelesplanche() {
  Templates = ::pglomodelesplanche();
  QComboBox* list = Form.Comblistetailleetiquette;
  list->clear();
  list->addItem(ToQString(TemplateItemText("", 0)));
  for (int number = 1; number <= static_cast<int>(Templates.size()); ++number)
    list->addItem(ToQString(TemplateItemText(Templates[static_cast<std::size_t>(number - 1)].Name, number)));
  list->setCurrentIndex(0);
}

void TSheetTab::pgloappliquemodele() {
  const int number = TemplateItemNumber(Form.Comblistetailleetiquette->currentText().toStdString());
  const Tmodeleplanche model = SheetTemplate(Templates, number);
  SetLength(Form.elargeur, model.LabelWidth);
  SetLength(Form.ehauteur, model.LabelHeight);
  SetLength(Form.edPageWidth, model.SheetWidth);
  SetLength(Form.edPageHeight, model.SheetHeight);
  SetLength(Form.edOuterMarginX, model.MarginLeft);
  SetLength(Form.edOuterMarginY, model.MarginTop);
  SetLength(Form.edBetweenMarginX, model.SpacingX);
  SetLength(Form.edBetweenMarginY, model.SpacingY);
  ApplyExactLabelSize();
}

void TSheetTab::SetLength(QLineEdit* edit, double mm) {
  TExactLength& exact = Exact[edit];
  exact.Set(mm);
  edit->setText(ToQString(exact.Text(Form.LengthFactor())));
}

double TSheetTab::Millimetres(QLineEdit* edit) const {
  const auto found = Exact.find(edit);
  const TExactLength exact = found != Exact.end() ? found->second : TExactLength();
  return exact.Millimetres(edit->text().toStdString(), Form.LengthFactor());
}

// The window sizes the label from the edits' texts; a template's exact
// lengths then replace their rounded display.
void TSheetTab::ApplyExactLabelSize() {
  Form.ApplyLabelSizeToPage();
  TdocPage* page = Form.Fdocument->Core().GetCurrentPage();
  if (!page) return;
  if (Exact[Form.elargeur].IsSet()) page->SetPageWidth(static_cast<float>(Millimetres(Form.elargeur)));
  if (Exact[Form.ehauteur].IsSet()) page->SetPageHeight(static_cast<float>(Millimetres(Form.ehauteur)));
}

void TSheetTab::UnitsSwitched(double newFactor) {
  for (auto& [edit, exact] : Exact)
    if (const auto text = exact.AfterUnitSwitch(edit->text().toStdString(), ShownFactor, newFactor))
      edit->setText(ToQString(*text));
  ShownFactor = newFactor;
  ApplyExactLabelSize();
}

TSheetSetup TSheetTab::CurrentSetup() const {
  TSheetSetup setup;
  const auto length = [this](QLineEdit* edit) { return static_cast<float>(Millimetres(edit)); };
  setup.SheetWidth = length(Form.edPageWidth);
  setup.SheetHeight = length(Form.edPageHeight);
  setup.MarginX = length(Form.edOuterMarginX);
  setup.MarginY = length(Form.edOuterMarginY);
  setup.SpacingX = length(Form.edBetweenMarginX);
  setup.SpacingY = length(Form.edBetweenMarginY);
  // The cells take the label page as it is printed.
  if (const TdocPage* label = Form.Fdocument->Core().GetCurrentPage()) {
    setup.LabelWidth = label->GetPageWidth();
    setup.LabelHeight = label->GetPageHeight();
  } else {
    setup.LabelWidth = length(Form.elargeur);
    setup.LabelHeight = length(Form.ehauteur);
  }
  setup.Turned = Form.chorientation->isChecked();
  return setup;
}

int TSheetTab::LabelsPerSheet() const { return ::LabelsPerSheet(CurrentSetup()); }

void TSheetTab::Preview() {
  const TdocPage* label = Form.Fdocument->Core().GetCurrentPage();
  if (!label) return;
  const TSheetSetup setup = CurrentSetup();
  TdocDocumentCore& preview = Form.docPrintPreview->Core();
  preview.Options.PrintQuality = Form.Fdocument->Core().Options.PrintQuality;
  BuildPreviewSheet(*Form.docPrintPreview, *label, setup, Form.docImprime->Core().GetPrinterDpm());
  preview.Repaint();
  Form.enbetiquette->setText(QString::number(::LabelsPerSheet(setup)));
}

bool TSheetTab::ValidateStartLabel() {
  const int start = IntegerOf(Form.enuetidebut);
  if (start >= 1 && start <= LabelsPerSheet()) return true;
  WarnInvalidEntry(UiTextWrongStartLabel);
  return false;
}

// A count that prints nothing is the user's entry to correct, said as a bad
// start label is.
bool TSheetTab::ValidateCount(const QLineEdit* edit) {
  if (IntegerOf(edit) >= 1) return true;
  WarnInvalidEntry(UiTextCountBelowOne);
  return false;
}

void TSheetTab::WarnInvalidEntry(int textNumber) {
  QMessageBox box(QMessageBox::Warning, UiText(UiTextNotPossible),
                  UiText(UiTextInvalidEntry) + "\n" + UiText(textNumber),
                  QMessageBox::Ok);
  box.exec();
}

// The start label only matters when labels are printed from it.
void TSheetTab::Print() {
  if (Printing) return;
  const bool force = Form.chforcetaille->isChecked();
  if (Form.pagetypeimpression->currentWidget() != Form.tabimpetiquette) {
    if (!ValidateCount(Form.enbpageaimprimer)) return;
    PrintPages(IntegerOf(Form.enbpageaimprimer), force);
    return;
  }
  if (!ValidateCount(Form.enbetiquette) || !ValidateStartLabel()) return;
  PrintLabels(IntegerOf(Form.enbetiquette), IntegerOf(Form.enuetidebut), force);
}

void TSheetTab::PrintLabels(int count, int start, bool force) { PrintRun({count, start}, force); }

void TSheetTab::PrintPages(int sheets, bool force) { PrintRun(WholeSheets(sheets, LabelsPerSheet()), force); }

void TSheetTab::PrintRun(const TLabelRun& run, bool force) {
  if (Printing) return;
  const TdocPage* label = Form.Fdocument->Core().GetCurrentPage();
  const TSheetSetup setup = CurrentSetup();
  if (!label || SheetCount(run, ::LabelsPerSheet(setup)) == 0) return;
  // A barcode that cannot be printed is told before anything is asked.
  CheckBarcodesDrawable(*CopyLabelPage(*label), Form.docImprime->Core().GetPrinterDpm());
  TPrintingBracket printing(Printing, Form.SpImprime);
  Form.EnsurePrinterList();
  TPrinter& printer = Form.GetPrinterService();
  printer.SelectPrinterByName(Form.CombImprimante->currentText().toStdString());
  if (printer.IsPdfPrinter()) {
    const std::optional<std::string> file = AskPdfFileName();
    if (!file) return;
    printer.SetOutputFileName(*file);
  }
  if (force) printer.SetPaperSizeMm(setup.SheetWidth, setup.SheetHeight);
  printer.Title = Form.windowTitle().toStdString();
  PrintLabelSheets(printer, *Form.docImprime, *label, setup, run,
                   [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

}  // namespace app
