// What a person sees of the label on the real main window: the rulers
// framing the label, their ticks on the page's edges measured in a grab at
// two zooms, after scrolling and in inches; the first start with its sheet
// orientation unticked and template 1 previewed as the sheet is; the
// template list's popup; a label without a margin box; the export dialog's
// captions in both languages.

#include <algorithm>
#include <cmath>
#include <set>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/SheetTemplates.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"

namespace guitest {
namespace {

using app::TForm1;

QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }
const QRgb Tick = imaging::ColorToColor32(clWindowText) & 0xFFFFFFu;

// The page as framed on the canvas, in viewport pixels: its left and top
// frame lines and its right and bottom ones, found in a grab.
struct TPageEdges {
  int Left = -1, Top = -1, Right = -1, Bottom = -1;
};

TPageEdges FindPage(const QImage& view) {
  const QRgb workspace = Rgb(view, 1, 1);
  const int row = view.height() / 2;
  const int column = view.width() / 2;
  TPageEdges page;
  for (int x = 0; x < view.width() && page.Left < 0; ++x)
    if (Rgb(view, x, row) != workspace) page.Left = x;
  for (int y = 0; y < view.height() && page.Top < 0; ++y)
    if (Rgb(view, column, y) != workspace) page.Top = y;
  for (int x = page.Left + 2; x < view.width() && page.Right < 0; ++x)
    if (Rgb(view, x, row) == 0) page.Right = x;
  for (int y = page.Top + 2; y < view.height() && page.Bottom < 0; ++y)
    if (Rgb(view, column, y) == 0) page.Bottom = y;
  return page;
}

// The label step and the long-tick period a ruler shows for pixels per unit,
// from the ruler's table.
struct TStep {
  double Label;
  int LongPeriod;
};
TStep StepFor(double pixelsPerUnit) {
  double r = 40.0 / pixelsPerUnit;
  double m = 1.0;
  while (r > 10.0) {
    m *= 10.0;
    r /= 10.0;
  }
  if (r < 1.2) return {m, 5};
  if (r < 2.5) return {2 * m, 5};
  if (r < 6.0) return {5 * m, 2};
  return {10 * m, 5};
}

struct LabelViewTest : MainWindowTest {
  TForm1& Start(int language = LanguageFrench) {
    if (language == LanguageEnglish) apptest::WriteBytes(ParameterFile(), ParameterRecord(LanguageEnglish, ""));
    TForm1& form = Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Form->Fdocument));
    return form;
  }
  void ClickTab(QWidget* tab) { guitest::ClickTab(*Form, tab); }
  // Opens the template list with the mouse and picks an item with the keys.
  void PickTemplate(int number) {
    QComboBox* list = Form->Comblistetailleetiquette;
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(view->isVisible());
    for (int i = list->currentIndex(); i < number; ++i) QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(list->currentIndex(), number);
  }
  QImage LabelView() { return Form->Fdocument->viewport()->grab().toImage(); }
  // Viewport pixels from the ruler's origin to the view's.
  int RulerShift(QWidget* ruler, bool horizontal) {
    const QPoint view = Form->Fdocument->viewport()->mapTo(Form.get(), QPoint(0, 0));
    const QPoint at = ruler->mapTo(Form.get(), QPoint(0, 0));
    return horizontal ? view.x() - at.x() : view.y() - at.y();
  }

  // Ticks of the top ruler against the page's left edge and of the left
  // ruler against its top edge: the 0 tick long on the edge, then the long
  // ticks every period, and the first short tick, in millimetres measured
  // on the page as drawn.
  // Returns the pixels per millimetre measured on the page, or takes them
  // from the caller when the page is wider than the view.
  double ExpectTicksOnThePage(double unitMm, double knownScale = 0.0) {
    const QImage view = LabelView();
    const TPageEdges page = FindPage(view);
    EXPECT_GE(page.Left, 0);
    const TdocPage* label = Form->Fdocument->Core().GetCurrentPage();
    const double scale = page.Right > page.Left ? (page.Right - page.Left) / label->GetPageWidth() : knownScale;
    EXPECT_GT(scale, 0.0);
    if (page.Left < 0 || !(scale > 0.0)) return 0.0;
    const TStep step = StepFor(scale * unitMm);
    const double longMm = step.Label * step.LongPeriod / 10.0 * unitMm;
    const double shortMm = step.Label / 10.0 * unitMm;

    const QImage top = Form->RsRuler1->grab().toImage();
    const int shift = RulerShift(Form->RsRuler1, true);
    const auto tickAt = [](const QImage& image, int along, int across, bool horizontal) {
      for (int d = -1; d <= 1; ++d) {
        const int a = along + d;
        if (horizontal ? (a < 0 || a >= image.width()) : (a < 0 || a >= image.height())) continue;
        if ((horizontal ? Rgb(image, a, across) : Rgb(image, across, a)) == Tick) return true;
      }
      return false;
    };
    const int h = top.height();
    EXPECT_TRUE(tickAt(top, page.Left + shift, h - 3, true));
    EXPECT_TRUE(tickAt(top, page.Left + shift, h - 8, true)) << "the page's edge has a long tick";
    for (int k = 1; k <= 3; ++k) {
      const int column = page.Left + shift + static_cast<int>(std::lround(k * longMm * scale));
      if (column >= top.width() - 2) break;
      EXPECT_TRUE(tickAt(top, column, h - 8, true)) << k << " x " << longMm << " mm";
    }
    const int shortColumn = page.Left + shift + static_cast<int>(std::lround(shortMm * scale));
    EXPECT_TRUE(tickAt(top, shortColumn, h - 3, true)) << shortMm << " mm";
    EXPECT_FALSE(tickAt(top, shortColumn, h - 8, true)) << "short tick at " << shortMm << " mm";

    const QImage left = Form->rsrLeft->grab().toImage();
    const int down = RulerShift(Form->rsrLeft, false);
    const int w = left.width();
    EXPECT_TRUE(tickAt(left, page.Top + down, w - 8, false)) << "the page's top has a long tick";
    const int row = page.Top + down + static_cast<int>(std::lround(longMm * scale));
    EXPECT_TRUE(tickAt(left, row, w - 8, false)) << longMm << " mm down";
    return scale;
  }

  std::set<int> TopTickColumns() {
    const QImage top = Form->RsRuler1->grab().toImage();
    std::set<int> columns;
    for (int x = 0; x < top.width(); ++x)
      if (Rgb(top, x, top.height() - 3) == Tick) columns.insert(x);
    return columns;
  }
};

TEST_F(LabelViewTest, RulersFrameTheLabelAndFollowZoomScrollAndUnits) {
  TForm1& form = Start();
  // Above and left of the label, the corner where they meet.
  const QRect view(form.Fdocument->mapTo(&form, QPoint(0, 0)), form.Fdocument->size());
  const QRect top(form.RsRuler1->mapTo(&form, QPoint(0, 0)), form.RsRuler1->size());
  const QRect left(form.rsrLeft->mapTo(&form, QPoint(0, 0)), form.rsrLeft->size());
  const QRect corner(form.rsrCorner->mapTo(&form, QPoint(0, 0)), form.rsrCorner->size());
  EXPECT_EQ(top.bottom() + 1, view.top());
  EXPECT_EQ(top.left(), view.left());
  EXPECT_EQ(top.width(), view.width());
  EXPECT_EQ(left.right() + 1, view.left());
  EXPECT_EQ(left.top(), view.top());
  EXPECT_EQ(left.height(), view.height());
  EXPECT_EQ(corner.bottomRight() + QPoint(1, 1), view.topLeft());
  EXPECT_EQ(form.rsrCorner->toolTip(), "millimeter");
  EXPECT_EQ(form.rsrLeft->GetDirection(), rdLeft);

  double scale = 0.0;
  {
    SCOPED_TRACE("whole page");
    scale = ExpectTicksOnThePage(1.0);
  }
  for (int i = 0; i < 3; ++i) QTest::mouseClick(form.spzoomplus, Qt::LeftButton);
  QScrollBar* across = form.Fdocument->horizontalScrollBar();
  QScrollBar* down = form.Fdocument->verticalScrollBar();
  across->triggerAction(QAbstractSlider::SliderToMinimum);
  down->triggerAction(QAbstractSlider::SliderToMinimum);
  {
    SCOPED_TRACE("zoomed in three times");
    ExpectTicksOnThePage(1.0, scale * 1.1 * 1.1 * 1.1);
  }

  // Scrolling moves the ticks with the page.
  ASSERT_GT(across->maximum(), 0);
  const std::set<int> before = TopTickColumns();
  const int from = across->value();
  for (int i = 0; i < 4; ++i) across->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  const int moved = across->value() - from;
  ASSERT_GT(moved, 0);
  const std::set<int> after = TopTickColumns();
  int matched = 0;
  for (int column : after) {
    if (column + moved >= form.RsRuler1->width() - 2) continue;
    EXPECT_TRUE(before.count(column + moved) || before.count(column + moved - 1) || before.count(column + moved + 1))
        << column;
    ++matched;
  }
  EXPECT_GT(matched, 10);

  // Inches from the parameters tab.
  ClickTab(form.Tabparametres);
  QTest::mouseClick(form.raunitinch, Qt::LeftButton, Qt::NoModifier, QPoint(8, form.raunitinch->height() / 2));
  ASSERT_TRUE(form.raunitinch->isChecked());
  ClickTab(form.Tabparaetiquette);
  EXPECT_EQ(form.rsrCorner->toolTip(), "inch");
  {
    SCOPED_TRACE("inches, whole page");
    scale = ExpectTicksOnThePage(25.4);
  }
  QTest::mouseClick(form.spzoomplus, Qt::LeftButton);
  across->triggerAction(QAbstractSlider::SliderToMinimum);
  down->triggerAction(QAbstractSlider::SliderToMinimum);
  {
    SCOPED_TRACE("inches, zoomed in");
    ExpectTicksOnThePage(25.4, scale * 1.1);
  }
}

TEST_F(LabelViewTest, FirstStartShowsTemplateOneAsTheSheetIs) {
  TForm1& form = Start();
  EXPECT_FALSE(form.chorientation->isChecked());

  // The list pops up no wider than the window, wide enough for every name;
  // the items stay as they are, their number far behind the name.
  QComboBox* list = form.Comblistetailleetiquette;
  EXPECT_EQ(list->itemText(1).toStdString(), TemplateItemText("AVERY L7164/J8164", 1));
  QTest::mouseClick(list, Qt::LeftButton);
  QWidget* popup = list->view()->window();
  ASSERT_TRUE(popup->isVisible());
  // A name too long for the list loses its end, never its middle.
  EXPECT_EQ(list->view()->textElideMode(), Qt::ElideRight);
  EXPECT_LE(popup->width(), form.width());
  EXPECT_GE(popup->geometry().left(), form.mapToGlobal(QPoint(0, 0)).x());
  const QFontMetrics metrics = list->view()->fontMetrics();
  int widest = 0;
  for (int i = 1; i < list->count(); ++i) {
    const QRect item = list->view()->visualRect(list->model()->index(i, 0));
    const QString name = list->itemText(i).left(list->itemText(i).indexOf(QStringLiteral("  ")));
    widest = std::max(widest, metrics.horizontalAdvance(name));
    EXPECT_GT(item.width(), metrics.horizontalAdvance(name)) << name.toStdString();
  }
  // Not the width of 200 blanks: about the longest name's.
  EXPECT_LE(popup->width(), std::max(list->width(), widest + 100));
  QTest::keyClick(list->view(), Qt::Key_Escape);

  PickTemplate(1);
  EXPECT_EQ(form.elargeur->text(), "63.50");
  ClickTab(form.TabParapage);
  QTest::mouseClick(form.Spapercu, Qt::LeftButton);
  TdocDocumentCore& sheet = form.docPrintPreview->Core();
  // Three columns of four labels of 63.5 x 72 mm from (7, 4.5), none turned.
  ASSERT_EQ(sheet.ShapeCount(), 12);
  for (int i = 0; i < 12; ++i) {
    const TdocShape* label = sheet.GetShapes(i);
    EXPECT_FLOAT_EQ(label->GetDocAngle(), 0.0f) << i;
    EXPECT_NEAR(label->GetDocLeft(), 7.0f + 63.5f * static_cast<float>(i % 3), 1e-3f) << i;
    EXPECT_NEAR(label->GetDocTop(), 4.5f + 72.0f * static_cast<float>(i / 3), 1e-3f) << i;
    EXPECT_NEAR(label->GetDocWidth(), 63.5f, 1e-3f) << i;
    EXPECT_NEAR(label->GetDocHeight(), 72.0f, 1e-3f) << i;
  }
  EXPECT_EQ(form.enbetiquette->text(), "12");
}

TEST_F(LabelViewTest, ASmallLabelShowsNoMarginBox) {
  TForm1& form = Start();
  PickTemplate(2);  // 38 x 21.19 mm
  const TdocPage* label = form.Fdocument->Core().GetCurrentPage();
  EXPECT_FLOAT_EQ(label->GetPageWidth(), 38.0f);
  for (float margin : {label->GetMarginLeft(), label->GetMarginTop(), label->GetMarginRight(), label->GetMarginBottom()})
    EXPECT_EQ(margin, 0.0f);
  const QImage view = LabelView();
  const TPageEdges page = FindPage(view);
  ASSERT_GT(page.Right - page.Left, 100);
  ASSERT_GT(page.Bottom - page.Top, 50);
  // Inside the page's frame only the page's white.
  int marks = 0;
  for (int y = page.Top + 1; y < page.Bottom; ++y)
    for (int x = page.Left + 1; x < page.Right; ++x) marks += Rgb(view, x, y) != 0xFFFFFFu;
  EXPECT_EQ(marks, 0);

  // The same after a new label.
  AnswerNextMessageBox(QMessageBox::Yes);
  QTest::mouseClick(form.spbuttonnouveau, Qt::LeftButton);
  EXPECT_EQ(form.Fdocument->Core().GetCurrentPage()->GetMarginLeft(), 0.0f);
}

class ExportDialogTextsTest : public LabelViewTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExportDialogTextsTest, TheResolutionListHasItsCaptionAndTheFileDialogItsTitle) {
  TForm1& form = Start(GetParam());
  QString caption, buddyList, fileTitle;
  qttest::AnswerNextModal(
      "the export dialog", [](QWidget& shown) { return dynamic_cast<app::TExportImageDialog*>(&shown) != nullptr; },
      [&](QWidget& shown) {
        auto& dialog = dynamic_cast<app::TExportImageDialog&>(shown);
        caption = dialog.labresolution->text();
        if (dialog.labresolution->buddy()) buddyList = dialog.labresolution->buddy()->objectName();
        qttest::AnswerNext<QFileDialog>("the export's file dialog", [&](QFileDialog& files) {
          fileTitle = files.windowTitle();
          files.reject();
        });
        QTest::mouseClick(dialog.bExporter, Qt::LeftButton);
        QTest::mouseClick(dialog.sretour, Qt::LeftButton);
      });
  QTest::mouseClick(form.spexportclipboard, Qt::LeftButton);
  const bool french = GetParam() == LanguageFrench;
  EXPECT_EQ(caption, french ? QString::fromUtf8("Résolution (pixels par mm)") : QString("Resolution (pixels per mm)"));
  EXPECT_EQ(buddyList, "comblisteniveauresolution");
  EXPECT_EQ(fileTitle, french ? QString::fromUtf8("Enregistrer la page en image") : QString("Save page as raster image"));
}

INSTANTIATE_TEST_SUITE_P(Languages, ExportDialogTextsTest, ::testing::Values(LanguageFrench, LanguageEnglish),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == LanguageFrench ? std::string("French") : std::string("English");
                         });

}  // namespace
}  // namespace guitest
