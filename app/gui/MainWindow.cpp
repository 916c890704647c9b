#include "app/gui/MainWindow.h"

#include <cfenv>

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QLocale>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

#include "app/LanguageFile.h"
#include "app/NumberText.h"
#include "app/PrinterSelection.h"
#include "app/ProgramFolders.h"
#include "app/UiTexts.h"
#include "app/gui/AboutBox.h"
#include "app/gui/CalculatorsTab.h"
#include "app/gui/CaptionRoom.h"
#include "app/gui/Guarded.h"
#include "app/gui/LanguageFont.h"
#include "app/gui/QtText.h"
#include "app/gui/SheetTab.h"
#include "document/editor/HandlePainter.h"
#include "document/control/Document.h"
#include "platform/gdi/FontConfigWarmUp.h"
#include "platform/qt/Printer.h"

namespace app {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), Language(std::make_unique<Tgerelanguage>()) {
  // Invalid operations, divisions by zero and overflows give the IEEE
  // special values; no floating-point trap is ever enabled.
  std::feclearexcept(FE_ALL_EXCEPT);
  // The edits show numbers as the user's locale writes them.
  SetDecimalSeparator(QLocale().decimalPoint().toStdString());
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Mirqoven"));
  Fdocument = new TdocDocument;
  Fdocument->setObjectName("Fdocument");
  docPrintPreview = new TdocDocument;
  docPrintPreview->setObjectName("docPrintPreview");
  docImprime = new TdocDocument(this);
  docImprime->setObjectName("docImprime");
  docImprime->hide();
  for (TdocDocument* document : {Fdocument, docPrintPreview, docImprime}) document->Core().New();
  ClearLabelMargins();
  Fdocument->Core().SetModified(false);
  panelcarshape = new TPropertyPanel(*Fdocument, Flags);
  panelcarshape->LengthFactor = [this] { return LengthFactor(); };
  panelcarshape->OnNotice = [this](const std::string& message) { Notice(message); };
  panelcarshape->OnBuilt = [this] { PreparePanel(); };
  // The style's pictures are read while the font configuration still is;
  // the controls after them measure text.
  MakeTopRowButtons();
  gdi::AwaitFontConfigWarmUp();
  BuildActionList();
  BuildLabelTab();
  BuildPageTab();
  BuildParametersTab();
  BuildPopupMenu();
  BuildTextMenu();
  ConnectLabelCommands();
  ConnectTextAndPictureInserts();
  ConnectDocumentEvents();
  ConnectSizeEdits();
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
    if (PageControl1->currentWidget() == TabParapage) Guarded(this, [this] { EnsurePrinterList(); });
  });
  Sheets = std::make_unique<TSheetTab>(*this);
  fapropos = new TAboutBox(this);
  BackupFileBoxes = std::make_unique<TBackupFileBoxes>(this);
  BackupFile1 = std::make_unique<TBackupFile>(BackupFileBoxes.get());
  ConnectFileCommands();
  ConnectExportCommands();
  SizeWithinScreen();
}

// Deleting the children moves the keyboard focus and fires their handlers;
// none may reach the window or the panel once they are being destroyed.
TForm1::~TForm1() {
  TdocDocumentCore& core = Fdocument->Core();
  core.OnFocusShape = nullptr;
  core.OnSelectionChanged = nullptr;
  core.OnShapeChanged = nullptr;
  core.OnShapeInsertClosed = nullptr;
  Fdocument->OnEndDrag = nullptr;
  Fdocument->OnExit = nullptr;
  for (QObject* child : findChildren<QObject*>()) {
    child->disconnect(this);
    child->disconnect(panelcarshape);
  }
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FirstActivation) Guarded(this, [this] { FormActivate(); });
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    Guarded(this, [this] { FormActivate(); });
}

void TForm1::FormActivate() {
  Flags.PanelWriting = false;
  UnitSwitch = true;
  Flags.PanelSync = true;
  // The type list follows the focused barcode; reset blindly, the next edit
  // of the panel would turn that barcode into the list's first type.
  panelcarshape->ResetBarcodeTypeList();
  panelcarshape->ShapeToPanel();
  if (FirstActivation) RunFirstActivation();
}

void TForm1::RunFirstActivation() {
  Language->FileName = DataFilePath(LanguageFileName);
  Language->Load();
  UiTextService().SetLanguageFile(Language.get());
  ApplyLanguageFont(*Language, {this, fapropos});
  ReadParameterFile();
  ApplyUITexts();
  FirstActivation = false;
  if (panelcarshape->IsBuilt()) FillLists();
  Sheets->pglomodelesplanche();
  if (PageControl1->currentWidget() == TabParapage) EnsurePrinterList();
}

void TForm1::EnsurePrinterList() {
  if (PrinterListFilled || FirstActivation) return;
  PrinterListFilled = true;
  FillPrinterList();
  CombImprimante->setCurrentIndex(FindPrinterIndex(Printer->GetPrinters(), Parameters.PrinterName));
}

// A panel built after the first activation gets what that activation gave
// the rest of the window; one built before it gets it there.
void TForm1::PreparePanel() {
  if (FirstActivation) return;
  ApplyLanguageFont(*Language, {panelcarshape});
  ApplyPanelTexts();
  FillLists();
}

// The calculators' page, built when first opened, the same way.
void TForm1::PrepareCalculators() {
  if (FirstActivation) return;
  ApplyLanguageFont(*Language, {tabutilitaires});
  tabutilitaires->ApplyUITexts();
  FitCaptionsToRoom(*tabutilitaires);
}

void TForm1::ReadParameterFile() {
  TParameterFileContent content = ::ReadParameterFile(ParameterFilePath());
  Parameters = content.Record;
  UiTextService().SetLanguageIndex(Parameters.LanguageIndex);
  if (content.State == TParameterFileState::Unreadable) Notice(content.Error);
}

TPrinter& TForm1::GetPrinterService() {
  if (!Printer) Printer = std::make_unique<TPrinter>();
  return *Printer;
}

void TForm1::FillPrinterList() {
  GetPrinterService();
  CombImprimante->clear();
  for (const std::string& name : Printer->GetPrinters()) CombImprimante->addItem(ToQString(name));
  CombImprimante->setCurrentIndex(-1);
}

void TForm1::FillLists() {
  QComboBox* fonts = panelcarshape->edtextepolicecodebarre;
  fonts->clear();
  fonts->addItems(QFontDatabase::families());
  panelcarshape->TextPages->FillFontLists(QFontDatabase::families());
  QComboBox* positions = panelcarshape->combcb1texteposition;
  positions->clear();
  for (int number = 134; number <= 139; ++number) positions->addItem(UiText(number));
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!ConfirmDiscardChanges()) {
    event->ignore();
    return;
  }
  EnsurePrinterList();
  TParameterRecord record = Parameters;
  record.PrinterName = CombImprimante->currentText().toStdString();
  try {
    WriteParameterFile(ParameterFilePath(), record);
  } catch (const std::exception& error) {
    // The settings are lost, not the user's way out of the program.
    QMessageBox::warning(this, windowTitle(),
                         UiText(UiTextSettingsNotSaved) + "\n" + QString::fromUtf8(error.what()));
  }
  event->accept();
}

bool TForm1::ConfirmDiscardChanges() {
  if (!Fdocument->Core().GetModified()) return true;
  return QMessageBox::question(this, UiText(126),
                               UiText(UiTextChangesWillBeLost),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void TForm1::Notice(const std::string& message) {
  if (message.empty())
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(ToQString(message));
}

}  // namespace app
