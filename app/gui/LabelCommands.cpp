// The label tab's commands: inserting shapes, zooming, the stacking order,
// a new label, the label size and the unit of every length edit.

#include <algorithm>
#include <cmath>
#include <utility>

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "app/NumberText.h"
#include "app/ProgramFolders.h"
#include "app/UiTexts.h"
#include "app/gui/AboutBox.h"
#include "app/gui/ActionLink.h"
#include "app/gui/Guarded.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtText.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "document/page/Page.h"
#include "document/editor/HandlePainter.h"
#include "document/control/Document.h"
#include "platform/qt/Printer.h"

namespace app {

namespace {

constexpr float FrameOutlineWidth = 0.5f;  // mm
constexpr TColor FrameFillColor = 0xFF0000;  // blue: red sits in the lowest byte
constexpr double MinLabelSide = 1.0;           // mm

void RewriteEdit(QLineEdit* edit) { edit->setText(ToQString(RewriteTwoDecimals(edit->text().toStdString()))); }

// The help file with the desktop's viewer; a failure is not reported, the
// program works without its help.
void OpenHelp() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(DataFilePath(HelpFileName))));
}

}  // namespace

std::unique_ptr<TdocShape> TForm1::NewShape(TInsertKind kind) {
  switch (kind) {
    case ikLine: return std::make_unique<TdocLineShape>();
    case ikFrame: {
      auto frame = std::make_unique<TdocRectangleShape>();
      frame->SetFillAlpha(255);
      frame->SetUseFill(false);
      frame->SetUseOutline(true);
      frame->SetFillColor(FrameFillColor);
      frame->SetOutlineColor(0);
      frame->SetOutlineWidth(FrameOutlineWidth);
      return frame;
    }
    case ikBarcode: {
      auto barcode = std::make_unique<TdocBarCodeShape>();
      barcode->CreateNewBarcode();
      return barcode;
    }
  }
  return nullptr;
}

void TForm1::InsertShape(TInsertKind kind) { Fdocument->Editor().InsertShapeByDrag(NewShape(kind)); }

void TForm1::ZoomIn() { Fdocument->ZoomIn(); }
void TForm1::ZoomOut() { Fdocument->ZoomOut(); }
void TForm1::ZoomToPage() { Fdocument->ZoomToPage(); }

void TForm1::NewDocumentAsked() {
  if (QMessageBox::question(this, UiText(126), UiText(125),
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
    NewDocument();
}

void TForm1::NewDocument() {
  TdocDocumentCore& core = Fdocument->Core();
  core.Clear();
  core.New();
  ClearLabelMargins();
  ApplyLabelSizeToPage();
  core.SetModified(false);
  ClearPreviewPage();
  panelcarshape->ShapeToPanel();
}

void TForm1::ClearLabelMargins() {
  TdocDocumentCore& core = Fdocument->Core();
  core.SetDefaultMarginLeft(0);
  core.SetDefaultMarginTop(0);
  core.SetDefaultMarginRight(0);
  core.SetDefaultMarginBottom(0);
}

void TForm1::ClearPreviewPage() {
  TdocDocumentCore& preview = docPrintPreview->Core();
  while (preview.ShapeCount() > 0) preview.DeleteShape(preview.ShapeCount() - 1);
}

double TForm1::LengthFactor() const { return raunitinch->isChecked() ? MillimetresPerInch : 1.0; }

namespace {

// A label side in millimetres from its edit, kept between the smallest label
// and the largest sheet a printer takes; the edit shows what was used.
float LabelSide(QLineEdit* edit, double factor) {
  const double typed = ParseNumber(edit->text().toStdString()).value_or(0.0) * factor;
  const double side = std::clamp(typed, MinLabelSide, TPrinter::MaxPaperSideMm);
  if (side != typed) edit->setText(ToQString(FormatTwoDecimals(side / factor)));
  return static_cast<float>(side);
}

}  // namespace

void TForm1::ApplyLabelSizeToPage() {
  TdocPage* page = Fdocument->Core().GetCurrentPage();
  if (!page) return;
  const double factor = LengthFactor();
  page->SetPageWidth(LabelSide(elargeur, factor));
  page->SetPageHeight(LabelSide(ehauteur, factor));
  Fdocument->Core().Repaint();
  ZoomToPage();
}

void TForm1::ChangeUnits(TUnitMode mode) {
  const bool sync = Flags.PanelSync;
  Flags.PanelSync = false;
  try {
    const TRulerUnit unit = mode == umInches ? ruInch : ruMilli;
    if (Fdocument->Core().GetRulerUnits() != unit) {
      for (TdocDocument* document : {Fdocument, docPrintPreview, docImprime}) document->Core().SetRulerUnits(unit);
      const auto conversion = mode == umInches ? TUnitConversion::ToInches : TUnitConversion::ToMillimetres;
      for (QLineEdit* edit :
           {elargeur, ehauteur, edPageWidth, edPageHeight, edOuterMarginX, edOuterMarginY, edBetweenMarginX, edBetweenMarginY})
        edit->setText(ToQString(pgloconvertitunite(edit->text().toStdString(), conversion)));
      ApplyLabelSizeToPage();
    }
  } catch (const std::exception&) {
    // A unit switch that fails half-way leaves the edits as far as it got.
  }
  Flags.PanelSync = sync;
  panelcarshape->ShapeToPanel();
}

void TForm1::UpdatePopupMenu() {
  TdocShape* focus = Fdocument->Core().GetFocusShape();
  const bool ordered = focus && focus->GetSelected();
  mb1->setVisible(ordered);
  FollowActionState(*mmettreanvantplan, *maavantplan, ordered);
  FollowActionState(*mmettreenarriereplan, *maarriereplan, ordered);
}

void TForm1::LinkActionControls() {
  const std::pair<QToolButton*, QAction*> buttons[] = {{spzoomplus, mazoomplus},
                                                       {spzoommoins, mazoommoins},
                                                       {spzoompage, mazoompage},
                                                       {sparriereplan, maarriereplan},
                                                       {sppremierplan, maavantplan}};
  for (const auto& [button, action] : buttons) LinkToAction(button, action);
  const std::pair<QAction*, QAction*> items[] = {{mzoomplus, mazoomplus},
                                                 {mzoommoins, mazoommoins},
                                                 {mzoompleinepage, mazoompage},
                                                 {mmettreenarriereplan, maarriereplan},
                                                 {mmettreanvantplan, maavantplan}};
  for (const auto& [item, action] : items) LinkToAction(item, action);
}

void TForm1::ConnectLabelCommands() {
  const auto on = [this](QToolButton* button, auto action) {
    connect(button, &QToolButton::clicked, this, GuardedSlot(this, action));
  };
  // The tool buttons and menu items of these commands trigger their actions.
  const auto onAction = [this](QAction* action, auto command) {
    connect(action, &QAction::triggered, this, GuardedSlot(this, command));
  };
  on(SpLigne, [this] { InsertShape(ikLine); });
  on(SpCadre, [this] { InsertShape(ikFrame); });
  on(spcodebarre, [this] { InsertShape(ikBarcode); });
  onAction(mazoomplus, [this] { ZoomIn(); });
  onAction(mazoommoins, [this] { ZoomOut(); });
  onAction(mazoompage, [this] { ZoomToPage(); });
  onAction(maarriereplan, [this] { Fdocument->Core().SendSelectionBackward(); });
  onAction(maavantplan, [this] { Fdocument->Core().BringSelectionForward(); });
  LinkActionControls();
  on(spbuttonnouveau, [this] { NewDocumentAsked(); });
  on(sbinfos, [this] { fapropos->exec(); });
  on(Squitter, [this] { close(); });
  on(spaide, [] { OpenHelp(); });
  connect(Fdocument, &QWidget::customContextMenuRequested, this, GuardedSlot(this, [this] {
            UpdatePopupMenu();
            Fdocument->ShapePopupMenu(PopupMenu1)->exec(QCursor::pos());
          }));
  connect(raunitinch, &QRadioButton::clicked, this, GuardedSlot(this, [this] {
            if (UnitSwitch) ChangeUnits(umInches);
          }));
  connect(raunitmm, &QRadioButton::clicked, this, GuardedSlot(this, [this] {
            if (UnitSwitch) ChangeUnits(umMillimetres);
          }));
}

void TForm1::ConnectSizeEdits() {
  for (QLineEdit* edit : {elargeur, ehauteur})
    connect(edit, &QLineEdit::editingFinished, this, GuardedSlot(this, [this, edit] {
              RewriteEdit(edit);
              ApplyLabelSizeToPage();
            }));
  for (QLineEdit* edit : {edPageWidth, edPageHeight, edOuterMarginX, edOuterMarginY, edBetweenMarginX, edBetweenMarginY})
    connect(edit, &QLineEdit::editingFinished, this, [edit] { RewriteEdit(edit); });
}

void TForm1::ConnectDocumentEvents() {
  TdocDocumentCore& core = Fdocument->Core();
  const auto refresh = [this] { Guarded(this, [this] { panelcarshape->ShapeToPanel(); }); };
  core.OnFocusShape = [refresh](TPersistent*, TdocShape* shape) {
    if (shape) refresh();
  };
  core.OnSelectionChanged = [refresh](TPersistent*) { refresh(); };
  core.OnShapeChanged = [refresh](TPersistent*, TdocShape*) { refresh(); };
  Fdocument->OnEndDrag = [refresh](TdocDocument&) { refresh(); };
  Fdocument->OnExit = [refresh](TdocDocument&) { refresh(); };
  core.OnShapeInsertClosed = [this](TPersistent*, TdocShape* shape) {
    if (!shape) return;
    Guarded(this, [this, shape] {
      shape->SetSelected(true);
      Fdocument->Core().SetFocusShape(shape);
    });
  };
}

}  // namespace app
