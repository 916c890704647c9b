#pragma once
// TForm1: the main window. It owns the label document, the sheet preview and
// the hidden print document, the four tabs (label, page and printing,
// check-digit calculators, parameters), the top row of buttons and the
// status bar. Its first activation loads the language file, applies the
// language font, reads the parameter file and applies the texts; the printer
// list, the property panel's controls and the calculators wait for their
// first use; closing writes the parameter file back.

#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "app/BackupFile.h"
#include "app/LabelFile.h"
#include "app/gui/BackupFilePrompts.h"
#include "app/ParameterFile.h"
#include "app/gui/PropertyPanel.h"

class QActionGroup;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TRsRuler;
class TRsRulerCorner;
class QToolButton;
class Tgerelanguage;
class TPrinter;
class TdocDocumentCore;

namespace app {

class TAboutBox;
class TCalculatorsTab;
class TSheetTab;
class TExportImageDialog;

class TForm1 : public QMainWindow {
public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The work of every activation; the first one also loads the language,
  // the printers, the parameters and the texts.
  void FormActivate();
  bool GetFirstActivation() const { return FirstActivation; }
  const TParameterRecord& GetParameters() const { return Parameters; }
  const Tgerelanguage& GetLanguage() const { return *Language; }
  TPanelFlags& GetPanelFlags() { return Flags; }

  // ---- commands of the label tab
  enum TInsertKind { ikLine, ikFrame, ikBarcode };
  // The shape the insert command would place, with its defaults.
  static std::unique_ptr<TdocShape> NewShape(TInsertKind kind);
  // Hands a new shape to the label document for placing (line, frame and
  // barcode by drag).
  void InsertShape(TInsertKind kind);
  // ---- text kinds and pictures (TextAndPictureInserts.cpp)
  enum TTextKind { tkText, tkCurvedText, tkMemo };
  // The text the menu item would place, with its defaults.
  static std::unique_ptr<TdocShape> NewTextShape(TTextKind kind);
  // Hands a new text to the label document, placed by the next click.
  void InsertText(TTextKind kind);
  // A picture file chosen in a dialog becomes a picture shape placed by
  // drag; Cancel inserts nothing.
  void InsertPicture();
  // The picture shape of a file for the label; raises when the file is not a
  // picture or the label has no room for it.
  static std::unique_ptr<TdocShape> NewPictureShape(const std::string& fileName, TdocDocumentCore& label);
  void ZoomIn();
  void ZoomOut();
  void ZoomToPage();
  void NewDocumentAsked();
  void NewDocument();
  void ApplyLabelSizeToPage();
  enum TUnitMode { umInches = 1, umMillimetres = 2 };
  void ChangeUnits(TUnitMode mode);
  double LengthFactor() const;

  // ---- sheets: templates, preview and printing (SheetTab.cpp)
  TSheetTab& GetSheets() { return *Sheets; }
  // The printer service, created at its first use.
  TPrinter& GetPrinterService();
  // Asking the printing system for its queues loads its whole client: the
  // printer list, seen only on the page-and-printing tab, is filled (and the
  // saved printer selected) when that tab is first shown, or when printing
  // or closing reads it, never before the first activation.
  void EnsurePrinterList();

  // ---- label document files (LabelFileCommands.cpp)
  void OpenLabelDocument();
  void SaveLabelDocument();
  // Replaces the label by the file's; raises with the reason and leaves the
  // label, the sheet edits and the file untouched when it cannot. Parts of
  // the label that could not be used are shown in a warning once it is open.
  // What the label's pages read later cannot use (a picture too large) is
  // shown the same way, once the step that read them is over.
  void OpenLabelFile(const std::string& fileName);
  void ShowLoadProblems(const std::vector<std::string>& problems);
  // Raises with the reason; a file that cannot be written keeps its old content.
  void SaveLabelFile(const std::string& fileName);
  TSheetSetupRecord SheetSetupFromControls() const;
  void ReadDocumentMembers(const TSheetSetupRecord& record);
  // ---- image export (LabelExportCommands.cpp): mode 1 to a file, any
  // other to the clipboard, at scale pixels per millimetre.
  void ExportLabelImage(int mode, int scale);

  // ---- the documents
  TdocDocument* Fdocument;
  TdocDocument* docPrintPreview;
  TdocDocument* docImprime;

  // ---- top row
  QToolButton* spcharge;
  QToolButton* spsauve;
  QToolButton* sbinfos;
  QToolButton* spaide;
  QToolButton* Squitter;
  QToolButton* spbuttonnouveau;
  QToolButton* spexportclipboard;

  QTabWidget* PageControl1;
  QWidget* Tabparaetiquette;
  QWidget* TabParapage;
  TCalculatorsTab* tabutilitaires;
  QWidget* Tabparametres;

  // ---- label tab
  QToolButton* spTexte;
  QToolButton* SpLigne;
  QToolButton* SpCadre;
  QToolButton* SpImage;
  QToolButton* spcodebarre;
  QToolButton* spzoomplus;
  QToolButton* spzoommoins;
  QToolButton* spzoompage;
  QToolButton* sparriereplan;
  QToolButton* sppremierplan;
  QGroupBox* gformatdocument;
  QLabel* Lablargeur;
  QLabel* labhauteur;
  QLineEdit* elargeur;
  QLineEdit* ehauteur;
  QComboBox* Comblistetailleetiquette;
  TPropertyPanel* panelcarshape;
  // The action list: stacking order and zoom, each triggered alike by its
  // tool button and its menu item, and run only through the action.
  QActionGroup* maction;
  QAction* maavantplan;
  QAction* maarriereplan;
  QAction* mazoomplus;
  QAction* mazoommoins;
  QAction* mazoompage;
  QMenu* PopupMenu1;
  QAction* mmettreanvantplan;
  QAction* mmettreenarriereplan;
  QAction* mb1;
  QAction* mzoomplus;
  QAction* mzoommoins;
  QAction* mzoompleinepage;
  // The label document's frame: the top and left rulers and their corner,
  // whose click does nothing.
  TRsRuler* RsRuler1;
  TRsRuler* rsrLeft;
  TRsRulerCorner* rsrCorner;
  QMenu* popupmenutypetexte;
  QAction* mmenutextenormal;
  QAction* mmenutextecourbe;
  QAction* mmenuMultiligne1;

  // ---- page and printing tab
  QLabel* lablargeurpage;
  QLabel* labhauteurpage;
  QLabel* labmargegauche;
  QLabel* labmargehaute;
  QLabel* labespacevertical;
  QLabel* labespacehorizontal;
  QLineEdit* edPageWidth;
  QLineEdit* edPageHeight;
  QLineEdit* edOuterMarginX;
  QLineEdit* edOuterMarginY;
  QLineEdit* edBetweenMarginX;
  QLineEdit* edBetweenMarginY;
  QCheckBox* chorientation;
  QPushButton* Spapercu;
  QGroupBox* Gimprimante;
  QComboBox* CombImprimante;
  QCheckBox* chforcetaille;
  QTabWidget* pagetypeimpression;
  QWidget* tabimppage;
  QWidget* tabimpetiquette;
  QLabel* labnbpageaimprimer;
  QLineEdit* enbpageaimprimer;
  QLabel* labnbetiquetteaimprimer;
  QLineEdit* enbetiquette;
  QLabel* labnuetiquettedeppermierepage;
  QLineEdit* enuetidebut;
  QPushButton* SpImprime;

  // ---- parameters tab
  QGroupBox* Groupunite;
  QRadioButton* raunitmm;
  QRadioButton* raunitinch;

  TAboutBox* fapropos;
  TExportImageDialog* fexportimage;

  // The archive component that unpacks label document files; it asks
  // through the window's message boxes.
  std::unique_ptr<TBackupFileBoxes> BackupFileBoxes;
  std::unique_ptr<TBackupFile> BackupFile1;

protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // MainWindowLayout.cpp
  // The top row's buttons with their pictures; nothing in them measures text.
  void MakeTopRowButtons();
  void BuildActionList();
  void BuildTopRow(QHBoxLayout* row);
  void BuildLabelTab();
  void BuildLabelToolBar(QVBoxLayout* layout);
  // The label document with the rulers above and to its left.
  QGridLayout* FramedByRulers();
  void BuildPageTab();
  void BuildPrintGroup(QGridLayout* grid);
  void BuildParametersTab();
  void BuildPopupMenu();
  // The window's first size: its design size, less on a smaller screen.
  void SizeWithinScreen();
  // LabelCommands.cpp
  void ConnectLabelCommands();
  void ConnectDocumentEvents();
  void ConnectSizeEdits();
  // The z-order items show only while the focus shape is selected.
  void UpdatePopupMenu();
  // The tool buttons and pop-up items follow their actions.
  void LinkActionControls();
  void ClearPreviewPage();
  // The label is the whole page: its page has no margins.
  void ClearLabelMargins();
  // LabelFileCommands.cpp, LabelExportCommands.cpp
  void ConnectFileCommands();
  void ConnectExportCommands();
  // Collects a problem of a part of the label read after the open, and
  // shows all collected ones in one warning when the window is idle again.
  void TellLoadProblemLater(const std::string& problem);
  void TellLoadProblemsWhenIdle();
  std::vector<std::string> LaterLoadProblems;
  // TextAndPictureInserts.cpp
  void BuildTextMenu();
  void ConnectTextAndPictureInserts();
  void ApplyTextInsertTexts();
  // MainWindowTexts.cpp
  void ApplyUITexts();
  void ApplyTabTexts();
  void ApplyLabelTabTexts();
  void ApplyPageTabTexts();

  void RunFirstActivation();
  void PreparePanel();
  void PrepareCalculators();
  void ApplyPanelTexts();
  void ReadParameterFile();
  void FillPrinterList();
  // The property panel's lists: fonts and barcode text positions.
  void FillLists();
  // Asks before unsaved changes to the label are dropped; true to go on.
  bool ConfirmDiscardChanges();
  void Notice(const std::string& message);

  std::unique_ptr<Tgerelanguage> Language;
  std::unique_ptr<TPrinter> Printer;
  std::unique_ptr<TSheetTab> Sheets;
  TParameterRecord Parameters;
  TPanelFlags Flags;
  bool FirstActivation = true;
  bool PrinterListFilled = false;
  bool UnitSwitch = true;
};

}  // namespace app
