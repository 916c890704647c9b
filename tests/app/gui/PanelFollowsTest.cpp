// The property panel keeps up with the shape, in French and in English:
// an edit that changes the shape's frame shows the new frame at once, and a
// shape selected by a paste fills the panel as one selected by a click does.

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "app/UiTexts.h"
#include "document/control/Document.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "document/text/TextShape.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"

namespace guitest {
namespace {

struct PanelFollowsTest : MainWindowTest, ::testing::WithParamInterface<int> {
  void Start() {
    ShowActiveIn(GetParam());
  }
  app::TPropertyPanel& Panel() { return *Form->panelcarshape; }
  QPoint At(float x, float y) { return doctest::PagePixel(Core(), x, y); }
  static QString TwoDecimals(float mm) { return QString::number(static_cast<double>(mm), 'f', 2); }
  // What the panel's four position edits show, against the shape's frame.
  void ExpectPanelShows(const TdocShape& shape, const std::string& when) {
    ASSERT_TRUE(Panel().isVisible()) << when;
    EXPECT_EQ(Panel().eshapex->text(), TwoDecimals(shape.GetDocLeft())) << when;
    EXPECT_EQ(Panel().eshapey->text(), TwoDecimals(shape.GetDocTop())) << when;
    EXPECT_EQ(Panel().eshapexx->text(), TwoDecimals(shape.GetDocWidth())) << when;
    EXPECT_EQ(Panel().eshapeyy->text(), TwoDecimals(shape.GetDocHeight())) << when;
  }
};

TEST_P(PanelFollowsTest, AFontSizeChangeShowsTheTextsNewFrameAtOnce) {
  Start();
  QTest::mouseClick(Form->spTexte, Qt::LeftButton);
  QMenu* menu = Form->popupmenutypetexte;
  ASSERT_TRUE(menu->isVisible());
  const QPoint item = menu->actionGeometry(Form->mmenutextenormal).center();
  QTest::mouseMove(menu, item);
  QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, item);
  QTest::mouseClick(Form->Fdocument->viewport(), Qt::LeftButton, Qt::NoModifier, At(20, 20));
  auto* text = dynamic_cast<TdocTextShape*>(Core().GetFocusShape());
  ASSERT_NE(text, nullptr);
  ExpectPanelShows(*text, "placed");
  const float widthBefore = text->GetDocWidth();

  QLineEdit* size = Panel().TextPages->TextFont.Size;
  size->setFocus();
  QTest::keyClick(size, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(size, "25");
  // The text grew with its font, and the panel says so without a new click.
  EXPECT_GT(text->GetDocWidth(), 1.5f * widthBefore);
  ExpectPanelShows(*text, "after the size change");
  EXPECT_EQ(size->text(), "25");
}

TEST_P(PanelFollowsTest, APastedShapeFillsThePanel) {
  Start();
  QTest::mouseClick(Form->SpCadre, Qt::LeftButton);
  doctest::DragMouse(*Form->Fdocument, At(20, 20), At(60, 40));
  TdocShape* original = Core().GetFocusShape();
  ASSERT_NE(original, nullptr);
  ExpectPanelShows(*original, "drawn");

  QWidget* label = Form->Fdocument->viewport();
  label->setFocus();
  QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(label, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(Core().ShapeCount(), 2);
  TdocShape* pasted = Core().GetShapes(1);
  ASSERT_TRUE(pasted->GetSelected());
  ASSERT_FALSE(original->GetSelected());
  ASSERT_NE(pasted->GetDocLeft(), original->GetDocLeft());
  ExpectPanelShows(*pasted, "pasted");
  EXPECT_EQ(Panel().pagecontrolcarshape->currentWidget(), Panel().tabcadre);

  // An edit in the panel now goes to the pasted copy.
  Panel().eshapexx->setFocus();
  QTest::keyClick(Panel().eshapexx, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(Panel().eshapexx, "25");
  QTest::keyClick(Panel().eshapexx, Qt::Key_Return);
  EXPECT_FLOAT_EQ(pasted->GetDocWidth(), 25.0f);
  EXPECT_NEAR(original->GetDocWidth(), 40.0f, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Languages, PanelFollowsTest, ::testing::Values(LanguageFrench, LanguageEnglish),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == LanguageFrench ? std::string("French") : std::string("English");
                         });

}  // namespace
}  // namespace guitest
