// The property panel of the real main window: fields written into the
// focused shape and shown from it, the EAN rule and the barcode value rule,
// inch mode, an activation that must not change the focused barcode, and
// one undo step per edit.
// Ends with grabs of a designed label in both languages.

#include <cstdlib>
#include <functional>

#include <QAbstractItemView>
#include <QApplication>
#include <QLocale>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>

#include "app/shapes/BarcodeShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/editor/HandlePainter.h"
#include "document/shapes/LineShape.h"
#include "document/control/Document.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"
#include "tests/document/DocumentXmlText.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/UniEdit.h"

namespace guitest {
namespace {

struct PropertyPanelTest : MainWindowTest {
  TdocShape* Add(app::TForm1::TInsertKind kind, float left, float top, float width, float height) {
    if (!Form) Show();
    TdocDocumentCore& core = Form->Fdocument->Core();
    const int index = core.AddShape(app::TForm1::NewShape(kind));
    TdocShape* shape = core.GetShapes(index);
    shape->SetDocLeft(left);
    shape->SetDocTop(top);
    shape->SetDocWidth(width);
    shape->SetDocHeight(height);
    Focus(*Form, shape);
    return shape;
  }
  TVmBarcode& AddBarcode() {
    return *static_cast<TdocBarCodeShape*>(Add(app::TForm1::ikBarcode, 10, 10, 80, 30))->GetBarcode();
  }
  app::TPropertyPanel& Panel() { return *Form->panelcarshape; }

  // Types into an edit and leaves it with Return.
  static void Type(QLineEdit* edit, const char* text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  // Opens the list with its key and chooses the item with the arrow keys and
  // Return, as a person does; the item already selected can be chosen again.
  static void Choose(QComboBox* list, int index) {
    QTest::keyClick(list, Qt::Key_F4);
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }, 5000)) << list->objectName().toStdString();
    const int steps = index - view->currentIndex().row();
    for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(view, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_FALSE(view->isVisible());
    ASSERT_EQ(list->currentIndex(), index);
  }
  void TypeValue(const char* text) {
    Panel().edtcbvaleur->selectAll();
    QTest::keyClicks(Panel().edtcbvaleur, text);
  }
};

TEST_F(PropertyPanelTest, APositionThatIsNoNumberReadsAsZero) {
  TdocShape* frame = Add(app::TForm1::ikFrame, 30, 40, 50, 20);
  EXPECT_EQ(Panel().eshapex->text(), "30.00");
  Type(Panel().eshapex, "abc");
  EXPECT_EQ(Panel().eshapex->text(), "0.00");
  EXPECT_FLOAT_EQ(frame->GetDocLeft(), 0.0f);
  EXPECT_FLOAT_EQ(frame->GetDocTop(), 40.0f);
}

TEST_F(PropertyPanelTest, ALengthNoLabelCanTakeLeavesTheShapeAsItWas) {
  TdocShape* frame = Add(app::TForm1::ikFrame, 30, 40, 50, 20);
  Type(Panel().eshapexx, "1e308");
  EXPECT_FLOAT_EQ(frame->GetDocWidth(), 50.0f);
  EXPECT_EQ(Panel().eshapexx->text(), "50.00");
  Type(Panel().eshapeyy, "-5");
  EXPECT_FLOAT_EQ(frame->GetDocHeight(), 20.0f);
}

TEST_F(PropertyPanelTest, InchModeShowsAndWritesInches) {
  TdocShape* frame = Add(app::TForm1::ikFrame, 0, 0, 25.4f, 20);
  Form->raunitinch->click();
  EXPECT_EQ(Panel().eshapexx->text(), "1.00");
  Type(Panel().eshapexx, "2");
  EXPECT_NEAR(frame->GetDocWidth(), 50.8f, 1e-4);
}

TEST_F(PropertyPanelTest, EachKindShowsItsPage) {
  Add(app::TForm1::ikFrame, 0, 0, 20, 20);
  EXPECT_EQ(Panel().pagecontrolcarshape->currentWidget(), Panel().tabcadre);
  EXPECT_EQ(Panel().edtepaisseurlignecadre->text(), "0.5");
  Add(app::TForm1::ikLine, 0, 0, 20, 20);
  EXPECT_EQ(Panel().pagecontrolcarshape->currentWidget(), Panel().tabdtligne);
  const TVmBarcode& barcode = AddBarcode();
  EXPECT_EQ(Panel().pagecontrolcarshape->currentWidget(), Panel().tabcb);
  EXPECT_EQ(Panel().combcb1type->currentText(), "Code39");
  EXPECT_EQ(Panel().combcb1texteposition->currentIndex(), 3);
  EXPECT_EQ(Panel().edtextepolicecodebarre->currentText().toStdString(), barcode.GetShowTextFont().GetName());
  EXPECT_TRUE(Panel().isVisibleTo(Form.get()));
  Form->Fdocument->Core().ClearSelection();
  Panel().ShapeToPanel();
  EXPECT_FALSE(Panel().isVisibleTo(Form.get()));
}

TEST_F(PropertyPanelTest, FrameFieldsReachTheShape) {
  auto* frame = static_cast<TdocRectangleShape*>(Add(app::TForm1::ikFrame, 0, 0, 20, 20));
  Panel().Chremplircadre->click();
  EXPECT_TRUE(frame->GetUseFill());
  Panel().edtepaisseurlignecadre->setText("1.25");
  EXPECT_FLOAT_EQ(frame->GetOutlineWidth(), 1.25f);
  Panel().trbcadrefondtransparence->setValue(100);
  EXPECT_EQ(frame->GetFillAlpha(), 100);
  EXPECT_EQ(Panel().labcadrefondtransparence->text(), "100");
}

// Every kind page's edits are single undo steps: one undo gives back the
// document exactly.
TEST_F(PropertyPanelTest, OneUndoTakesBackEachEditOfTheFrameLineAndBarcodePages) {
  using app::TForm1;
  const struct {
    const char* Name;
    TForm1::TInsertKind Kind;
    std::function<void(app::TPropertyPanel&)> Edit;
  } edits[] = {
      {"position", TForm1::ikBarcode, [](auto& p) { Type(p.eshapex, "12.5"); }},
      {"orientation", TForm1::ikBarcode,
       [](auto& p) {
         p.eshapeorientation->setEditText("90");
         QTest::keyClick(p.eshapeorientation->lineEdit(), Qt::Key_Return);
       }},
      {"barcode type", TForm1::ikBarcode, [](auto& p) { p.combcb1type->setCurrentIndex(bcCodeEAN13); }},
      {"barcode value", TForm1::ikBarcode, [](auto& p) { p.edtcbvaleur->SetText(u"98765"); }},
      {"barcode text", TForm1::ikBarcode, [](auto& p) { p.chcb1affichertexte->click(); }},
      {"barcode colour", TForm1::ikBarcode, [](auto& p) { p.colorbarrecodebarre->SetSelectionColor(0xFF); }},
      {"line width", TForm1::ikLine,
       [](auto& p) {
         p.edtepaisseurligne->setFocus();
         p.edtepaisseurligne->setText("2");
       }},
      {"line colour", TForm1::ikLine, [](auto& p) { p.colorligne1->SetSelectionColor(0xFF00); }},
      {"frame width", TForm1::ikFrame, [](auto& p) { p.edtepaisseurlignecadre->setText("1.5"); }},
      {"frame fill", TForm1::ikFrame, [](auto& p) { p.Chremplircadre->click(); }},
      {"frame alpha", TForm1::ikFrame, [](auto& p) { p.trbcadrefondtransparence->setValue(90); }},
  };
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.Name);
    Add(edit.Kind, 10, 10, 60, 30);
    TdocDocumentCore& core = Form->Fdocument->Core();
    core.ClearUndo();
    const std::string before = doctest::DocumentXmlText(core);
    edit.Edit(Panel());
    EXPECT_NE(doctest::DocumentXmlText(core), before);
    core.Undo();
    EXPECT_EQ(doctest::DocumentXmlText(core), before);
  }
}

TEST_F(PropertyPanelTest, ChoosingEan13ShowsTheDigitsBottomLeft) {
  TVmBarcode& barcode = AddBarcode();
  Panel().chcb1affichertexte->click();
  Panel().combcb1texteposition->setCurrentIndex(0);
  ASSERT_EQ(barcode.GetShowText(), bcoNone);
  Panel().combcb1type->setCurrentIndex(bcCodeEAN13);
  EXPECT_EQ(barcode.GetTyp(), bcCodeEAN13);
  EXPECT_TRUE(Panel().chcb1affichertexte->isChecked());
  EXPECT_EQ(barcode.GetShowText(), bcoCode);
  EXPECT_EQ(barcode.GetShowTextPosition(), stpBottomLeft);
}

// The digits hidden and moved after EAN-13 was chosen: choosing EAN-13
// again shows them bottom left again.
TEST_F(PropertyPanelTest, ChoosingTheSameEanTypeAgainAppliesTheRuleAgain) {
  TVmBarcode& barcode = AddBarcode();
  Choose(Panel().combcb1type, bcCodeEAN13);
  ASSERT_EQ(barcode.GetTyp(), bcCodeEAN13);
  Choose(Panel().combcb1texteposition, stpTopRight);
  QTest::keyClick(Panel().chcb1affichertexte, Qt::Key_Space);
  ASSERT_EQ(barcode.GetShowText(), bcoNone);
  ASSERT_EQ(barcode.GetShowTextPosition(), stpTopRight);
  Choose(Panel().combcb1type, bcCodeEAN13);
  EXPECT_TRUE(Panel().chcb1affichertexte->isChecked());
  EXPECT_EQ(Panel().combcb1texteposition->currentIndex(), stpBottomLeft);
  EXPECT_EQ(barcode.GetShowText(), bcoCode);
  EXPECT_EQ(barcode.GetShowTextPosition(), stpBottomLeft);
}

// A barcode changed where the panel does not see it: choosing the position,
// font or size the panel already shows writes the panel's choice again.
TEST_F(PropertyPanelTest, ChoosingTheSamePositionFontOrSizeAgainWritesTheBarcode) {
  TVmBarcode& barcode = AddBarcode();
  app::TPropertyPanel& panel = Panel();
  Choose(panel.combcb1texteposition, stpBottomCenter);
  ASSERT_EQ(barcode.GetShowTextPosition(), stpBottomCenter);
  barcode.SetShowTextPosition(stpTopLeft);
  Choose(panel.combcb1texteposition, stpBottomCenter);
  EXPECT_EQ(barcode.GetShowTextPosition(), stpBottomCenter);

  QComboBox* fonts = panel.edtextepolicecodebarre;
  ASSERT_GE(fonts->count(), 2);
  const int listed = fonts->currentIndex() == 0 ? 1 : 0;
  Choose(fonts, listed);
  const std::string chosen = fonts->itemText(listed).toStdString();
  ASSERT_EQ(barcode.GetShowTextFont().GetName(), chosen);
  TFont other = barcode.GetShowTextFont();
  other.SetName(fonts->itemText(1 - listed).toStdString());
  barcode.SetShowTextFont(other);
  Choose(fonts, listed);
  EXPECT_EQ(barcode.GetShowTextFont().GetName(), chosen);

  QComboBox* sizes = panel.edtextetaillepolicecodebarre;
  const int twelve = sizes->findText("12");
  Choose(sizes, twelve);
  ASSERT_EQ(barcode.GetShowTextFont().GetSize(), 12);
  TFont larger = barcode.GetShowTextFont();
  larger.SetSize(20);
  barcode.SetShowTextFont(larger);
  Choose(sizes, twelve);
  EXPECT_EQ(barcode.GetShowTextFont().GetSize(), 12);
}

// Numbers are shown with the locale's decimal separator and read with either.
TEST_F(PropertyPanelTest, NumbersFollowTheLocalesDecimalSeparator) {
  const struct {
    QLocale Locale;
    const char* Shown;      // 12.5 mm with two decimals
    const char* ShownLine;  // 1.5 mm in the general form
  } locales[] = {{QLocale(QLocale::French, QLocale::France), "12,50", "1,5"},
                 {QLocale(QLocale::English, QLocale::UnitedKingdom), "12.50", "1.5"}};
  for (const auto& locale : locales) {
    SCOPED_TRACE(locale.Locale.name().toStdString());
    QLocale::setDefault(locale.Locale);
    Form.reset();
    TdocShape* frame = Add(app::TForm1::ikFrame, 30, 40, 50, 20);
    for (const char* typed : {"12,5", "12.5"}) {
      SCOPED_TRACE(typed);
      frame->SetDocLeft(30);
      Panel().ShapeToPanel();
      Type(Panel().eshapex, typed);
      EXPECT_FLOAT_EQ(frame->GetDocLeft(), 12.5f);
      EXPECT_EQ(Panel().eshapex->text(), locale.Shown);
    }
    auto* line = static_cast<TdocLineShape*>(Add(app::TForm1::ikLine, 0, 0, 20, 20));
    line->SetLineWidth(1.5f);
    Panel().ShapeToPanel();
    EXPECT_EQ(Panel().edtepaisseurligne->text(), locale.ShownLine);
    // The label document keeps "." whatever the locale.
    EXPECT_NE(doctest::DocumentXmlText(Form->Fdocument->Core()).find(">12.5<"), std::string::npos);
    EXPECT_EQ(doctest::DocumentXmlText(Form->Fdocument->Core()).find("12,5"), std::string::npos);
  }
}

TEST_F(PropertyPanelTest, BarcodeValuesFollowTheirSymbology) {
  TVmBarcode& barcode = AddBarcode();
  Panel().combcb1type->setCurrentIndex(bcCodeEAN13);
  TypeValue("12A4");
  EXPECT_EQ(barcode.GetText(), "0");
  EXPECT_FALSE(Form->statusBar()->currentMessage().isEmpty());
  TypeValue("400638133393");
  EXPECT_EQ(barcode.GetText(), "4006381333931");
  TypeValue("4006381333932");
  EXPECT_TRUE(Form->statusBar()->currentMessage().contains("4006381333931"));
  Panel().combcb1type->setCurrentIndex(bcCode93);
  TypeValue("TEST93");
  EXPECT_EQ(barcode.GetText(), "TEST93");
}

TEST_F(PropertyPanelTest, AnotherActivationKeepsTheFocusedBarcodesType) {
  TVmBarcode& barcode = AddBarcode();
  Panel().combcb1type->setCurrentIndex(bcCodeEAN13);
  Form->FormActivate();
  TypeValue("400638133393");
  EXPECT_EQ(barcode.GetTyp(), bcCodeEAN13);
  EXPECT_EQ(Panel().combcb1type->currentIndex(), bcCodeEAN13);
}

// The panel shows what the person last typed but has not left yet; the
// refresh from the shape replaces it.
TEST_F(PropertyPanelTest, TheEndOfADragOutOfTheLabelShowsTheShapeAgain) {
  TdocShape* frame = Add(app::TForm1::ikFrame, 30, 40, 50, 20);
  Panel().eshapex->setText("99.00");
  TdocDocument& label = *Form->Fdocument;
  const QPoint body = doctest::PagePixel(label.Core(), 55, 50);
  QTest::mousePress(label.viewport(), Qt::LeftButton, Qt::NoModifier, body);
  doctest::MoveMouse(label, body + QPoint(12, 0), Qt::LeftButton);
  // Out of the label: the move is dropped and a drag-and-drop of the shape starts.
  doctest::MoveMouse(label, QPoint(-30, body.y()), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Panel().eshapex->text() == "30.00"; }, 5000)) << Panel().eshapex->text().toStdString();
  doctest::ReleaseMouse(label, QPoint(-30, body.y()));
  EXPECT_FLOAT_EQ(frame->GetDocLeft(), 30.0f);
}

TEST_F(PropertyPanelTest, LeavingTheLabelShowsTheShapeAgain) {
  Add(app::TForm1::ikFrame, 30, 40, 50, 20);
  TdocDocument& label = *Form->Fdocument;
  const QPoint body = doctest::PagePixel(label.Core(), 55, 50);
  QTest::mouseClick(label.viewport(), Qt::LeftButton, Qt::NoModifier, body);
  ASSERT_TRUE(QTest::qWaitFor([&] { return label.hasFocus(); }, 5000));
  Panel().eshapexx->setText("7.00");
  QTest::mouseClick(Panel().eshapey, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Panel().eshapexx->text() == "50.00"; }, 5000))
      << Panel().eshapexx->text().toStdString();
}

// A click on a colour button sends its whole group, the width typed into
// the line page while it had no focus included.
TEST_F(PropertyPanelTest, AClickOnAColourButtonWritesItsGroup) {
  auto* line = static_cast<TdocLineShape*>(Add(app::TForm1::ikLine, 0, 0, 20, 20));
  const float before = line->GetLineWidth();
  Panel().edtepaisseurligne->setText("2");
  ASSERT_FLOAT_EQ(line->GetLineWidth(), before);
  widgets::TColorPickerButton& colour = *Panel().colorligne1;
  QTest::mouseClick(&colour, Qt::LeftButton, Qt::NoModifier, QPoint(4, colour.height() / 2));
  EXPECT_FLOAT_EQ(line->GetLineWidth(), 2.0f);
}

// A file may name a symbology this list does not hold (ordinal 30 here, past
// the 23 listed): the list selects nothing and the type stays 30.
TEST_F(PropertyPanelTest, AnUnlistedBarcodeTypeSurvivesEditsOfOtherFields) {
  TVmBarcode& barcode = AddBarcode();
  barcode.SetTyp(static_cast<TBarcodeType>(30));
  Panel().ShapeToPanel();
  EXPECT_EQ(Panel().combcb1type->currentIndex(), -1);
  TypeValue("12345");
  EXPECT_EQ(barcode.GetText(), "12345");
  Panel().chcb1affichertexte->click();
  Type(Panel().eshapex, "12");
  EXPECT_EQ(static_cast<int>(barcode.GetTyp()), 30);
  EXPECT_NE(barcode.GetTyp(), bcCode_2_5_interleaved);
}

TEST_F(PropertyPanelTest, WithoutAFocusedShapeEditsChangeNothing) {
  TdocShape* frame = Add(app::TForm1::ikFrame, 5, 5, 20, 20);
  frame->SetSelected(false);
  Type(Panel().eshapex, "50");
  EXPECT_FLOAT_EQ(frame->GetDocLeft(), 5.0f);
}

// Where a grab is written for a person to look at: the test's temporary
// folder, never the folder the tests run from.
QString GrabFile(const char* fileName) { return QString::fromStdString(::testing::TempDir()) + "/" + fileName; }

// The designed label grabbed in French and English for a person to look at;
// the test checks that the label area holds the drawn shapes.
void GrabDesignedLabel(PropertyPanelTest& test, int languageIndex, const char* fileName) {
  apptest::WriteBytes(test.Folder.File("config/mirqoven/MIRQOVEN.PAR"), ParameterRecord(languageIndex, ""));
  TdocShape* frame = test.Add(app::TForm1::ikFrame, 10, 10, 190, 120);
  static_cast<TdocRectangleShape*>(frame)->SetOutlineWidth(1.0f);
  TVmBarcode& barcode = test.AddBarcode();
  test.Panel().combcb1type->setCurrentIndex(bcCodeEAN13);
  test.TypeValue("400638133393");
  test.Form->elargeur->setText("210");
  test.Form->ehauteur->setText("140");
  test.Form->ApplyLabelSizeToPage();
  EXPECT_EQ(barcode.GetText(), "4006381333931");
  QApplication::processEvents();
  const QImage image = test.Form->grab().toImage();
  ASSERT_TRUE(image.save(GrabFile(fileName)));
  const QImage label = test.Form->Fdocument->viewport()->grab().toImage();
  int dark = 0;
  for (int y = 0; y < label.height(); ++y)
    for (int x = 0; x < label.width(); ++x) dark += qGray(label.pixel(x, y)) < 64;
  EXPECT_GT(dark, 500);
}

TEST_F(PropertyPanelTest, GrabOfADesignedLabelInFrench) {
  GrabDesignedLabel(*this, 1, "main-window-fr.png");
  // The other tabs, for the same look.
  Form->PageControl1->setCurrentIndex(1);
  EXPECT_TRUE(Form->grab().save(GrabFile("main-window-fr-page.png")));
  Form->PageControl1->setCurrentIndex(2);
  EXPECT_TRUE(Form->grab().save(GrabFile("main-window-fr-calculators.png")));
}
TEST_F(PropertyPanelTest, GrabOfADesignedLabelInEnglish) { GrabDesignedLabel(*this, 2, "main-window-en.png"); }

}  // namespace
}  // namespace guitest
