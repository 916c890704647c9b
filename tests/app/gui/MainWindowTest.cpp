// The main window on the offscreen platform: first start, the parameter file
// written on close, languages and the language file's character set, the
// label commands, the units, and grabs of a designed label.

#include <filesystem>
#include <functional>

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/gui/AboutBox.h"
#include "app/gui/CalculatorsTab.h"
#include "app/gui/PropertyPanel.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/editor/HandlePainter.h"
#include "document/shapes/LineShape.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "platform/qt/Printer.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"

namespace guitest {
namespace {

using apptest::ReadBytes;
using apptest::WriteBytes;

QString TabText(const app::TForm1& form, QWidget* tab) { return form.PageControl1->tabText(form.PageControl1->indexOf(tab)); }

// Every caption a user reads on the window's visible and hidden controls.
std::vector<std::string> EmptyCaptions(QWidget& root) {
  std::vector<std::string> empty;
  for (QLabel* label : root.findChildren<QLabel*>())
    if (label->text().isEmpty() && !label->objectName().isEmpty()) empty.push_back(label->objectName().toStdString());
  for (QAbstractButton* button : root.findChildren<QAbstractButton*>())
    if (!qobject_cast<QTabBar*>(button->parent()) && button->text().isEmpty() && button->toolTip().isEmpty() && !button->objectName().isEmpty())
      empty.push_back(button->objectName().toStdString());
  for (QGroupBox* group : root.findChildren<QGroupBox*>())
    if (group->title().isEmpty()) empty.push_back(group->objectName().toStdString());
  for (QTabWidget* tabs : root.findChildren<QTabWidget*>())
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i).isEmpty()) empty.push_back(tabs->objectName().toStdString() + " tab");
  return empty;
}

TEST_F(MainWindowTest, FirstStartShowsTheFrenchTextsAndNoPrinter) {
  app::TForm1& form = Show();
  EXPECT_FALSE(form.GetFirstActivation());
  EXPECT_EQ(TabText(form, form.Tabparaetiquette), QString::fromUtf8("Définition Etiquettes"));
  EXPECT_EQ(TabText(form, form.TabParapage), "Definition Page et Impression");
  EXPECT_EQ(TabText(form, form.Tabparametres), "Parametres");
  EXPECT_EQ(TabText(form, form.tabutilitaires), QString::fromUtf8("Générateur Clés"));
  EXPECT_EQ(form.spcharge->toolTip(), "Charger une sauvegarde");
  EXPECT_EQ(form.labnuetiquettedeppermierepage->text(), QString::fromUtf8("Imprimer sur la 1ere page à partir de l'etiquette "));
  ClickTab(form, form.TabParapage);
  EXPECT_GT(form.CombImprimante->count(), 0);
  EXPECT_EQ(form.CombImprimante->currentIndex(), -1);
  EXPECT_EQ(EmptyCaptions(form), std::vector<std::string>{});
  // The property panel, built for the first focused shape, gets its texts
  // and lists then.
  FocusNewShape(form, app::TForm1::ikBarcode);
  EXPECT_EQ(form.panelcarshape->combcb1texteposition->itemText(3), "Bas Gauche");
  EXPECT_EQ(form.panelcarshape->labtypecodebarre->text(), "Type");
  for (const QString& family : QFontDatabase::families())
    EXPECT_NE(form.panelcarshape->edtextepolicecodebarre->findText(family), -1) << family.toStdString();
  EXPECT_EQ(EmptyCaptions(form), std::vector<std::string>{});
}

TEST_F(MainWindowTest, ThePropertyPanelIsHiddenUntilAShapeHasTheFocus) {
  app::TForm1& form = Show();
  EXPECT_FALSE(form.panelcarshape->isVisibleTo(&form));
  FocusNewShape(form, app::TForm1::ikFrame);
  EXPECT_TRUE(form.panelcarshape->isVisibleTo(&form));
}

TEST_F(MainWindowTest, TheCalculatorsWorkWhenTheirTabIsFirstOpened) {
  app::TForm1& form = Show();
  const QSize windowSize = form.size();
  const QSize minimum = form.minimumSizeHint();
  ClickTab(form, form.tabutilitaires);
  app::TCalculatorsTab& tab = *form.tabutilitaires;
  ASSERT_TRUE(tab.IsBuilt());
  const QRect page = tab.rect();
  for (const app::TCalculatorGroup& group : tab.Groups) {
    EXPECT_TRUE(group.Group->isVisible()) << group.Group->objectName().toStdString();
    // Laid out before the page's first paint: inside the page, not piled up at its corner.
    EXPECT_TRUE(page.contains(group.Group->geometry())) << group.Group->objectName().toStdString();
    EXPECT_GT(group.Input->width(), 0);
  }
  EXPECT_GT(tab.Groups[1].Group->x(), tab.Groups[0].Group->geometry().right());
  EXPECT_GT(tab.Groups[2].Group->y(), tab.Groups[0].Group->geometry().bottom());
  // The texts the first activation gave the rest of the window.
  EXPECT_EQ(tab.Groups[0].ValueLabel->text(), "Valeur (12Chiffres)");
  EXPECT_EQ(tab.labreseanisbn->text(), QString::fromUtf8("EAN Résultat (13Chiffres)"));
  EXPECT_EQ(EmptyCaptions(form), std::vector<std::string>{});
  QTest::mouseClick(tab.Groups[0].Input, Qt::LeftButton);
  QTest::keyClicks(tab.Groups[0].Input, "400638133393");
  QTest::mouseClick(tab.Groups[0].Button, Qt::LeftButton);
  EXPECT_EQ(tab.Groups[0].Output->text(), "4006381333931");
  // The page built late leaves the window as it was.
  EXPECT_EQ(form.size(), windowSize);
  EXPECT_EQ(form.minimumSizeHint(), minimum);
}

TEST_F(MainWindowTest, ClosingWritesTheParameterRecord) {
  app::TForm1& form = Show();
  ASSERT_TRUE(form.close());
  const TParsedRecord record = ParseParameterRecord(ReadBytes(ParameterFile()));
  EXPECT_TRUE(record.SignatureOk);
  EXPECT_EQ(record.LanguageIndex, 1);
  EXPECT_EQ(record.PrinterName, "");
  EXPECT_TRUE(record.UnusedBytesZero);
}

TEST_F(MainWindowTest, TheSavedPrinterIsSelectedAndWrittenBack) {
  WriteBytes(ParameterFile(), ParameterRecord(1, TPrinter::PdfPrinterName));
  app::TForm1& form = Show();
  ClickTab(form, form.TabParapage);
  EXPECT_EQ(form.CombImprimante->currentText(), TPrinter::PdfPrinterName);
  ASSERT_TRUE(form.close());
  EXPECT_EQ(ParseParameterRecord(ReadBytes(ParameterFile())).PrinterName, TPrinter::PdfPrinterName);
}

TEST_F(MainWindowTest, APrinterNoLongerInstalledLeavesTheListWithoutSelection) {
  WriteBytes(ParameterFile(), ParameterRecord(1, "gone-printer"));
  app::TForm1& form = Show();
  ClickTab(form, form.TabParapage);
  EXPECT_EQ(form.CombImprimante->currentIndex(), -1);
}

// The printers are asked for when their list is first shown: the window
// paints its label tab without them.
TEST_F(MainWindowTest, ThePrinterListIsFilledWhenItsTabIsFirstOpened) {
  WriteBytes(ParameterFile(), ParameterRecord(1, TPrinter::PdfPrinterName));
  app::TForm1& form = Show();
  EXPECT_EQ(form.CombImprimante->count(), 0);
  ClickTab(form, form.Tabparametres);
  EXPECT_EQ(form.CombImprimante->count(), 0);
  ClickTab(form, form.TabParapage);
  const std::vector<std::string> printers = TPrinter().GetPrinters();
  ASSERT_EQ(form.CombImprimante->count(), static_cast<int>(printers.size()));
  for (int i = 0; i < form.CombImprimante->count(); ++i)
    EXPECT_EQ(form.CombImprimante->itemText(i).toStdString(), printers[i]);
  EXPECT_EQ(form.CombImprimante->currentText(), TPrinter::PdfPrinterName);
}

// A user who never opened the printing tab keeps the printer saved earlier.
TEST_F(MainWindowTest, ClosingWithoutOpeningThePrinterTabKeepsTheSavedPrinter) {
  WriteBytes(ParameterFile(), ParameterRecord(2, TPrinter::PdfPrinterName));
  ASSERT_TRUE(Show().close());
  const TParsedRecord record = ParseParameterRecord(ReadBytes(ParameterFile()));
  EXPECT_EQ(record.LanguageIndex, 2);
  EXPECT_EQ(record.PrinterName, TPrinter::PdfPrinterName);
}

TEST_F(MainWindowTest, EnglishShowsEnglishCaptions) {
  WriteBytes(ParameterFile(), ParameterRecord(2, ""));
  app::TForm1& form = Show();
  EXPECT_EQ(TabText(form, form.Tabparaetiquette), "Label Definition");
  EXPECT_EQ(form.spcharge->toolTip(), "Load");
  EXPECT_EQ(form.Lablargeur->text(), "Width");
  EXPECT_EQ(EmptyCaptions(form), std::vector<std::string>{});
  ASSERT_TRUE(form.close());
  EXPECT_EQ(ParseParameterRecord(ReadBytes(ParameterFile())).LanguageIndex, 2);
}

TEST_F(MainWindowTest, ACyrillicLanguageFileShowsItsTextsAndFont) {
  // "Ширина" (width) and "Высота" (height) in Windows-1251, byte by byte.
  const std::string width = "\xD8\xE8\xF0\xE8\xED\xE0";
  const std::string height = "\xC2\xFB\xF1\xEE\xF2\xE0";
  std::string file = "Langue;Russian\n\nPolice;Liberation Serif\nCharset;204\n";
  for (int i = 4; i <= 10; ++i) file += "x;\n";
  for (int i = 1; i <= 11; ++i) file += std::to_string(i) + ";\n";
  file += "12;" + width + "\n13;" + height + "\n";
  WriteBytes(LanguageFile(), file);
  app::TForm1& form = Show();
  EXPECT_EQ(form.Lablargeur->text(), QString::fromUtf8("Ширина"));
  EXPECT_EQ(form.labhauteur->text(), QString::fromUtf8("Высота"));
  EXPECT_EQ(TabText(form, form.Tabparaetiquette), "8");
  EXPECT_EQ(form.Lablargeur->font().family(), "Liberation Serif");
  EXPECT_EQ(form.raunitmm->font().family(), "Liberation Serif");
  EXPECT_NE(form.elargeur->font().family(), "Liberation Serif");
  EXPECT_EQ(form.fapropos->OKButton->font().family(), "Liberation Serif");
  EXPECT_EQ(form.Comblistetailleetiquette->font().family(), "Liberation Serif");
  FocusNewShape(form, app::TForm1::ikBarcode);
  EXPECT_EQ(form.panelcarshape->labx->font().family(), "Liberation Serif");
  EXPECT_EQ(form.panelcarshape->combcb1type->font().family(), "Liberation Serif");
  EXPECT_NE(form.panelcarshape->eshapex->font().family(), "Liberation Serif");
  EXPECT_EQ(form.gformatdocument->font().family(), "Liberation Serif");
  ClickTab(form, form.tabutilitaires);
  EXPECT_EQ(form.tabutilitaires->Groups[0].Group->font().family(), "Liberation Serif");
  EXPECT_EQ(form.tabutilitaires->Groups[0].ValueLabel->font().family(), "Liberation Serif");
  EXPECT_NE(form.tabutilitaires->Groups[0].Input->font().family(), "Liberation Serif");
}

TEST_F(MainWindowTest, WithoutALanguageFileTheFormsKeepTheSystemFont) {
  const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  app::TForm1& form = Show();
  FocusNewShape(form, app::TForm1::ikBarcode);
  for (const QWidget* control : std::initializer_list<const QWidget*>{
           form.Lablargeur, form.raunitmm, form.Comblistetailleetiquette, form.gformatdocument,
           form.panelcarshape->combcb1type, form.fapropos->OKButton}) {
    EXPECT_EQ(control->font().family(), system.family()) << control->objectName().toStdString();
    EXPECT_EQ(control->font().pointSizeF(), system.pointSizeF()) << control->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, AFailedParameterWriteIsToldAndTheWindowClosesAnyway) {
  app::TForm1& form = Show();
  std::filesystem::remove_all(Folder.Path() / "config");
  WriteBytes(Folder.File("config"), "a file where the folder should be");
  QString text;
  AnswerNextMessageBox(QMessageBox::Ok, &text);
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(text.contains(QString::fromUtf8("Les paramètres n'ont pas pu être enregistrés"))) << text.toStdString();
}

TEST_F(MainWindowTest, QuittingAChangedLabelAsksFirst) {
  app::TForm1& form = Show();
  form.Fdocument->Core().AddShape(app::TForm1::NewShape(app::TForm1::ikFrame));
  ASSERT_TRUE(form.Fdocument->Core().GetModified());
  AnswerNextMessageBox(QMessageBox::No);
  EXPECT_FALSE(form.close());
  EXPECT_FALSE(std::filesystem::exists(ParameterFile()));
  AnswerNextMessageBox(QMessageBox::Yes);
  EXPECT_TRUE(form.close());
}

TEST_F(MainWindowTest, NewAsksAndNoKeepsTheLabel) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  core.AddShape(app::TForm1::NewShape(app::TForm1::ikFrame));
  QString text;
  AnswerNextMessageBox(QMessageBox::No, &text);
  QTest::mouseClick(form.spbuttonnouveau, Qt::LeftButton);
  EXPECT_EQ(text, "Creer nouveau document ?");
  EXPECT_EQ(core.ShapeCount(), 1);
  AnswerNextMessageBox(QMessageBox::Yes);
  QTest::mouseClick(form.spbuttonnouveau, Qt::LeftButton);
  EXPECT_EQ(core.ShapeCount(), 0);
  EXPECT_FALSE(core.GetModified());
  EXPECT_FLOAT_EQ(core.GetCurrentPage()->GetPageWidth(), 210.0f);
}

TEST_F(MainWindowTest, InsertCommandsHandOverShapesWithTheirDefaults) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  QTest::mouseClick(form.spcodebarre, Qt::LeftButton);
  auto* barcode = dynamic_cast<TdocBarCodeShape*>(core.GetInsertShape());
  ASSERT_NE(barcode, nullptr);
  EXPECT_TRUE(core.GetInsertByDrag());
  EXPECT_EQ(barcode->GetBarcode()->GetTyp(), bcCode39);
  EXPECT_EQ(barcode->GetBarcode()->GetText(), "1234567890");
  EXPECT_EQ(barcode->GetBarcode()->GetShowTextPosition(), stpBottomLeft);

  QTest::mouseClick(form.SpCadre, Qt::LeftButton);
  auto* frame = dynamic_cast<TdocRectangleShape*>(core.GetInsertShape());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetFillAlpha(), 255);
  EXPECT_FALSE(frame->GetUseFill());
  EXPECT_TRUE(frame->GetUseOutline());
  EXPECT_EQ(frame->GetFillColor(), 0xFF0000);
  EXPECT_EQ(frame->GetOutlineColor(), 0);
  EXPECT_FLOAT_EQ(frame->GetOutlineWidth(), 0.5f);

  QTest::mouseClick(form.SpLigne, Qt::LeftButton);
  EXPECT_NE(dynamic_cast<TdocLineShape*>(core.GetInsertShape()), nullptr);

  // Dragging on the label puts the line there and focuses it.
  const int count = core.ShapeCount();
  doctest::DragMouse(*form.Fdocument, QPoint(20, 20), QPoint(60, 40));
  ASSERT_EQ(core.ShapeCount(), count + 1);
  EXPECT_NE(dynamic_cast<TdocLineShape*>(core.GetFocusShape()), nullptr);
  EXPECT_EQ(core.GetEditState(), esIdle);
}

TEST_F(MainWindowTest, InchesAndBackKeepTwoDecimals) {
  app::TForm1& form = Show();
  form.raunitinch->click();
  EXPECT_EQ(form.elargeur->text(), "8.27");
  EXPECT_EQ(form.ehauteur->text(), "11.69");
  EXPECT_EQ(form.edOuterMarginX->text(), "0.00");
  EXPECT_EQ(form.Fdocument->Core().GetRulerUnits(), ruInch);
  EXPECT_EQ(form.docImprime->Core().GetRulerUnits(), ruInch);
  form.raunitinch->click();
  EXPECT_EQ(form.elargeur->text(), "8.27");
  form.raunitmm->click();
  EXPECT_EQ(form.elargeur->text(), "210.06");
  EXPECT_FLOAT_EQ(form.Fdocument->Core().GetCurrentPage()->GetPageWidth(), 210.06f);
}

TEST_F(MainWindowTest, LeavingTheLabelSizeRewritesItAndSizesThePage) {
  app::TForm1& form = Show();
  form.elargeur->setFocus();
  form.elargeur->selectAll();
  QTest::keyClicks(form.elargeur, "63,5");
  QTest::keyClick(form.elargeur, Qt::Key_Return);
  EXPECT_EQ(form.elargeur->text(), "63.50");
  EXPECT_FLOAT_EQ(form.Fdocument->Core().GetCurrentPage()->GetPageWidth(), 63.5f);
  // Sizes no sheet has are brought back to the nearest one that exists.
  form.elargeur->setText("1e308");
  form.ehauteur->setText("abc");
  form.ApplyLabelSizeToPage();
  EXPECT_EQ(form.elargeur->text(), "3276.00");
  EXPECT_EQ(form.ehauteur->text(), "1.00");
  EXPECT_FLOAT_EQ(form.Fdocument->Core().GetCurrentPage()->GetPageHeight(), 1.0f);
}

TEST_F(MainWindowTest, ZoomCommandsChangeTheScale) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  const float before = core.GetScreenScale();
  QTest::mouseClick(form.spzoomplus, Qt::LeftButton);
  EXPECT_NEAR(core.GetScreenScale(), before * 1.1f, 1e-4);
  QTest::mouseClick(form.spzoommoins, Qt::LeftButton);
  EXPECT_NEAR(core.GetScreenScale(), before, 1e-4);
}

TEST_F(MainWindowTest, ZOrderCommandsMoveTheSelection) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  core.AddShape(app::TForm1::NewShape(app::TForm1::ikFrame));
  core.AddShape(app::TForm1::NewShape(app::TForm1::ikLine));
  TdocShape* line = core.GetShapes(1);
  Focus(form, line);
  QTest::mouseClick(form.sparriereplan, Qt::LeftButton);
  EXPECT_EQ(core.GetShapes(0), line);
  QTest::mouseClick(form.sppremierplan, Qt::LeftButton);
  EXPECT_EQ(core.GetShapes(1), line);
}

// A right click on the label at the page point (mm); answer looks at the
// menu it opens, which is closed with Escape when the answer leaves it open.
void OpenLabelMenu(app::TForm1& form, QPointF pointMm, const std::function<void(QMenu&)>& answer) {
  bool opened = false;
  qttest::AnswerNext<QMenu>("the label's menu", [&opened, &answer](QMenu& menu) {
    opened = true;
    answer(menu);
    if (menu.isVisible()) QTest::keyClick(&menu, Qt::Key_Escape);
  });
  QWidget* viewport = form.Fdocument->viewport();
  const QPoint at = doctest::PagePixel(form.Fdocument->Core(), static_cast<float>(pointMm.x()),
                                       static_cast<float>(pointMm.y()));
  QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, at);
  QContextMenuEvent menuKey(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
  QApplication::sendEvent(viewport, &menuKey);
  EXPECT_TRUE(opened);
}

// The item chosen from the label's menu by a click; a disabled item takes
// no click and the menu is closed.
void ChooseFromLabelMenu(app::TForm1& form, QPointF pointMm, QAction* item) {
  bool listed = false;
  OpenLabelMenu(form, pointMm, [&listed, item](QMenu& menu) {
    listed = menu.actions().contains(item);
    QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(item).center());
  });
  EXPECT_TRUE(listed);
}

TEST_F(MainWindowTest, TheActionListHoldsTheOrderAndZoomActions) {
  app::TForm1& form = Show();
  auto* list = form.findChild<QActionGroup*>("maction");
  ASSERT_EQ(list, form.maction);
  EXPECT_EQ(list->exclusionPolicy(), QActionGroup::ExclusionPolicy::None);
  QStringList names;
  for (QAction* action : list->actions()) names << action->objectName();
  EXPECT_EQ(names, QStringList({"maavantplan", "maarriereplan", "mazoomplus", "mazoommoins", "mazoompage"}));
  EXPECT_EQ(form.mazoomplus->toolTip(), QString::fromUtf8("Zoom en avant"));
  EXPECT_EQ(form.spzoomplus->toolTip(), QString::fromUtf8("Zoom en avant"));
  EXPECT_EQ(form.mzoomplus->text(), QString::fromUtf8("Zoom en avant"));
}

// The buttons and menu items run their command only through the action: a
// disabled action leaves both without effect.
TEST_F(MainWindowTest, ZoomButtonsAndMenuItemsTriggerTheirActions) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  const struct {
    QToolButton* Button;
    QAction* Item;
    QAction* Action;
    float Factor;  // of the screen scale, per step
  } zooms[] = {{form.spzoomplus, form.mzoomplus, form.mazoomplus, 1.1f},
               {form.spzoommoins, form.mzoommoins, form.mazoommoins, 1 / 1.1f}};
  for (const auto& zoom : zooms) {
    SCOPED_TRACE(zoom.Action->objectName().toStdString());
    const QSignalSpy triggered(zoom.Action, &QAction::triggered);
    float scale = core.GetScreenScale();
    QTest::mouseClick(zoom.Button, Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_NEAR(core.GetScreenScale(), scale * zoom.Factor, 1e-3);
    scale = core.GetScreenScale();
    ChooseFromLabelMenu(form, {5, 5}, zoom.Item);
    EXPECT_EQ(triggered.count(), 2);
    EXPECT_NEAR(core.GetScreenScale(), scale * zoom.Factor, 1e-3);

    zoom.Action->setEnabled(false);
    scale = core.GetScreenScale();
    QTest::mouseClick(zoom.Button, Qt::LeftButton);
    ChooseFromLabelMenu(form, {5, 5}, zoom.Item);
    EXPECT_EQ(triggered.count(), 2);
    EXPECT_FLOAT_EQ(core.GetScreenScale(), scale);
    zoom.Action->setEnabled(true);
  }
  QTest::mouseClick(form.spzoomplus, Qt::LeftButton);
  const float zoomedIn = core.GetScreenScale();
  ChooseFromLabelMenu(form, {5, 5}, form.mzoompleinepage);
  const float whole = core.GetScreenScale();
  EXPECT_LT(whole, zoomedIn);
  QTest::mouseClick(form.spzoomplus, Qt::LeftButton);
  QTest::mouseClick(form.spzoompage, Qt::LeftButton);
  EXPECT_FLOAT_EQ(core.GetScreenScale(), whole);
}

TEST_F(MainWindowTest, OrderMenuItemsTriggerTheirActions) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  for (const app::TForm1::TInsertKind kind : {app::TForm1::ikFrame, app::TForm1::ikFrame}) {
    const int index = core.AddShape(app::TForm1::NewShape(kind));
    core.GetShapes(index)->SetDocFrame(10, 10, 40, 40, 0);
  }
  TdocShape* upper = core.GetShapes(1);
  Focus(form, upper);
  ChooseFromLabelMenu(form, {30, 30}, form.mmettreenarriereplan);
  EXPECT_EQ(core.GetShapes(0), upper);
  ChooseFromLabelMenu(form, {30, 30}, form.mmettreanvantplan);
  EXPECT_EQ(core.GetShapes(1), upper);
  form.maavantplan->setEnabled(false);
  ChooseFromLabelMenu(form, {30, 30}, form.mmettreenarriereplan);
  QTest::mouseClick(form.sppremierplan, Qt::LeftButton);
  ChooseFromLabelMenu(form, {30, 30}, form.mmettreanvantplan);
  EXPECT_EQ(core.GetShapes(0), upper);
}

// The tool buttons and the label menu's items follow their actions: a
// disabled action shows a disabled button and item, a hidden one neither,
// and both come back with it; the action list does the same for all five.
TEST_F(MainWindowTest, ButtonsAndMenuItemsFollowTheirActionsStateAndVisibility) {
  app::TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  core.GetShapes(core.AddShape(app::TForm1::NewShape(app::TForm1::ikFrame)))->SetDocFrame(10, 10, 40, 40, 0);
  Focus(form, core.GetShapes(0));
  const struct {
    QToolButton* Button;
    QAction* Item;
    QAction* Action;
  } links[] = {{form.spzoomplus, form.mzoomplus, form.mazoomplus},
               {form.spzoommoins, form.mzoommoins, form.mazoommoins},
               {form.spzoompage, form.mzoompleinepage, form.mazoompage},
               {form.sparriereplan, form.mmettreenarriereplan, form.maarriereplan},
               {form.sppremierplan, form.mmettreanvantplan, form.maavantplan}};
  // What a person sees of each button and item: "enabled", "disabled" or
  // "hidden"; the items as the label's menu shows them.
  const auto seen = [&] {
    std::vector<std::string> states;
    for (const auto& link : links)
      states.push_back(!link.Button->isVisible() ? "hidden" : link.Button->isEnabled() ? "enabled" : "disabled");
    OpenLabelMenu(form, {30, 30}, [&](QMenu& menu) {
      for (const auto& link : links) {
        const bool shown = menu.actions().contains(link.Item) && link.Item->isVisible() &&
                           !menu.actionGeometry(link.Item).isEmpty();
        states.push_back(!shown ? "hidden" : link.Item->isEnabled() ? "enabled" : "disabled");
      }
    });
    return states;
  };
  const auto all = [](const char* state) { return std::vector<std::string>(10, state); };
  ASSERT_EQ(seen(), all("enabled"));
  for (std::size_t i = 0; i < std::size(links); ++i) {
    SCOPED_TRACE(links[i].Action->objectName().toStdString());
    std::vector<std::string> expected = all("enabled");
    links[i].Action->setEnabled(false);
    expected[i] = expected[i + std::size(links)] = "disabled";
    EXPECT_EQ(seen(), expected);
    links[i].Action->setEnabled(true);
    EXPECT_EQ(seen(), all("enabled"));
    links[i].Action->setVisible(false);
    expected[i] = expected[i + std::size(links)] = "hidden";
    EXPECT_EQ(seen(), expected);
    links[i].Action->setVisible(true);
    EXPECT_EQ(seen(), all("enabled"));
  }
  form.maction->setEnabled(false);
  EXPECT_EQ(seen(), all("disabled"));
  form.maction->setEnabled(true);
  form.maction->setVisible(false);
  EXPECT_EQ(seen(), all("hidden"));
  form.maction->setVisible(true);
  EXPECT_EQ(seen(), all("enabled"));
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersionAndSixLines) {
  app::TForm1& form = Show();
  form.fapropos->FillMemo();
  EXPECT_EQ(form.fapropos->lversion->text(), "1.32");
  const QStringList lines = form.fapropos->Memo1->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[0], QString::fromUtf8("Mirqoven, création d'étiquettes"));
}

}  // namespace
}  // namespace guitest
