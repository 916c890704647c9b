// The text kinds and the picture on the real main window: the inserts hand
// over their shapes with their defaults, each text class shows its page,
// every field of a text page changes the shape and one undo gives back the
// document exactly, and the picture button places a picture file chosen in
// its dialog.

#include <filesystem>
#include <functional>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QStatusBar>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "document/shapes/BitmapShape.h"
#include "document/editor/HandlePainter.h"
#include "document/page/Page.h"
#include "document/text/PolygonText.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "document/control/Document.h"
#include "app/UiTexts.h"
#include "platform/rtl/Format.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "tests/document/DocumentXmlText.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/UniEdit.h"
#include "widgets/UniMemo.h"

namespace guitest {
namespace {

using app::TForm1;

constexpr float TwelvePoints = 12.0f * 25.4f / 72.0f;  // mm

struct TextPanelTest : MainWindowTest {
  TdocTextBaseShape* Add(TForm1::TTextKind kind) {
    if (!Form) Show();
    TdocDocumentCore& core = Form->Fdocument->Core();
    const int index = core.AddShape(TForm1::NewTextShape(kind));
    auto* shape = static_cast<TdocTextBaseShape*>(core.GetShapes(index));
    shape->SetDocPos(20, 30);
    Focus(*Form, shape);
    return shape;
  }
  app::TTextPanelPages& Pages() { return *Form->panelcarshape->TextPages; }
  QWidget* ShownPage() {
    QStackedWidget* pages = Form->panelcarshape->pagecontrolcarshape;
    return pages->isVisible() ? pages->currentWidget() : nullptr;
  }
};

TEST_F(TextPanelTest, TextInsertsHandOverTheirKindsByClick) {
  TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  QTest::mouseClick(form.spTexte, Qt::LeftButton);
  EXPECT_TRUE(form.popupmenutypetexte->isVisible());
  form.popupmenutypetexte->close();
  EXPECT_EQ(form.mmenutextenormal->text(), "Texte Normal");
  EXPECT_EQ(form.mmenuMultiligne1->text(), "Multiligne");

  form.mmenutextenormal->trigger();
  auto* text = dynamic_cast<TdocTextShape*>(core.GetInsertShape());
  ASSERT_NE(text, nullptr);
  EXPECT_FALSE(core.GetInsertByDrag());
  EXPECT_EQ(text->GetText(), u"Text");
  EXPECT_TRUE(text->GetAutoSize());
  EXPECT_TRUE(text->GetShowHint());
  EXPECT_EQ(text->GetHint(), "Double clic pour éditer la zone");

  form.mmenutextecourbe->trigger();
  auto* curved = dynamic_cast<TdocCurvedText*>(core.GetInsertShape());
  ASSERT_NE(curved, nullptr);
  EXPECT_FALSE(core.GetInsertByDrag());
  EXPECT_EQ(curved->GetText(), u"Text");
  EXPECT_FLOAT_EQ(curved->GetCurveAngle(), 10.0f);

  form.mmenuMultiligne1->trigger();
  auto* memo = dynamic_cast<TdocPolygonMemo*>(core.GetInsertShape());
  ASSERT_NE(memo, nullptr);
  EXPECT_FALSE(core.GetInsertByDrag());
  EXPECT_EQ(memo->GetText(), u"Text");
  EXPECT_FLOAT_EQ(memo->GetFontHeight(), TwelvePoints);
  EXPECT_TRUE(memo->GetShowHint());
  EXPECT_EQ(memo->GetHint(), "");
}

TEST_F(TextPanelTest, EachTextClassShowsItsOwnPage) {
  Show();
  Add(TForm1::tkText);
  EXPECT_EQ(ShownPage(), Pages().tabdttext);
  EXPECT_EQ(Pages().edttextevaleur->GetText(), u"Text");
  Add(TForm1::tkCurvedText);
  EXPECT_EQ(ShownPage(), Pages().Tabtextecourbe);
  EXPECT_EQ(Pages().edangletextecourbe->text(), "10.00");
  Add(TForm1::tkMemo);
  EXPECT_EQ(ShownPage(), Pages().tabdtmemo);
  EXPECT_EQ(Pages().MemoFont.Size->text(), "4.23");
  // A subclass of the ordinary text is not an ordinary text: the page stays.
  TdocDocumentCore& core = Form->Fdocument->Core();
  Focus(*Form, core.GetShapes(core.AddShape(std::make_unique<TdocMemoShape>())));
  EXPECT_EQ(ShownPage(), Pages().tabdtmemo);
}

// One change of one control of a text page (a typed key, a click, a
// pasted text), which the panel writes as one undo step.
struct TFieldEdit {
  const char* Name;
  TForm1::TTextKind Kind;
  std::function<void(app::TTextPanelPages&)> Edit;
  std::function<bool(const TdocTextBaseShape&)> Changed;
};

void TypeInto(QWidget* control, const char* text) {
  control->setFocus();
  QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(control, text);
}

// On the box's indicator: a box wider than its caption takes no click at its centre.
void Click(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2)); }

const std::u16string& TextOf(const TdocTextBaseShape& shape) { return shape.GetText(); }

TEST_F(TextPanelTest, EveryFieldChangesTheShapeAndOneUndoRestoresTheDocument) {
  const auto font = [](app::TTextFontControls app::TTextPanelPages::*page) {
    return [page](app::TTextPanelPages& pages) { return &(pages.*page); };
  };
  const auto text = font(&app::TTextPanelPages::TextFont);
  const auto curved = font(&app::TTextPanelPages::CurvedFont);
  const auto memo = font(&app::TTextPanelPages::MemoFont);
  const std::vector<TFieldEdit> edits = {
      {"value", TForm1::tkText, [](auto& p) { p.edttextevaleur->SetText(u"Prix 3€"); },
       [](auto& s) { return TextOf(s) == u"Prix 3€"; }},
      {"auto size", TForm1::tkText, [](auto& p) { Click(p.chtailleautotexte); },
       [](auto& s) { return !static_cast<const TdocTextShape&>(s).GetAutoSize(); }},
      {"alignment", TForm1::tkText, [](auto& p) { p.Combalignetexte->setCurrentIndex(2); },
       [](auto& s) { return s.GetAlignment() == taCenter; }},
      {"font", TForm1::tkText, [&](auto& p) { text(p)->Font->setCurrentText("DejaVu Serif"); },
       [](auto& s) { return s.GetFontName() == "DejaVu Serif"; }},
      {"colour", TForm1::tkText, [&](auto& p) { text(p)->Color->SetSelectionColor(0x0000FF); },
       [](auto& s) { return s.GetFontColor() == 0x0000FF; }},
      {"size", TForm1::tkText, [&](auto& p) { text(p)->Size->setText("7.5"); },
       [](auto& s) { return s.GetFontHeight() == 7.5f; }},
      {"bold", TForm1::tkText, [&](auto& p) { Click(text(p)->Bold); }, [](auto& s) { return s.GetFontStyle() == 1; }},
      {"italic", TForm1::tkText, [&](auto& p) { Click(text(p)->Italic); }, [](auto& s) { return s.GetFontStyle() == 2; }},
      {"underline", TForm1::tkText, [&](auto& p) { Click(text(p)->Underline); },
       [](auto& s) { return s.GetFontStyle() == 4; }},
      {"curved value", TForm1::tkCurvedText, [](auto& p) { p.edtextevaleurcourbe->SetText(u"Arc"); },
       [](auto& s) { return TextOf(s) == u"Arc"; }},
      {"curve angle", TForm1::tkCurvedText,
       [](auto& p) {
         p.edangletextecourbe->setText("-25");
         QTest::keyClick(p.edangletextecourbe, Qt::Key_Return);
       },
       [](auto& s) { return static_cast<const TdocCurvedText&>(s).GetCurveAngle() == -25.0f; }},
      {"curved size", TForm1::tkCurvedText, [&](auto& p) { curved(p)->Size->setText("9"); },
       [](auto& s) { return s.GetFontHeight() == 9.0f; }},
      {"curved italic", TForm1::tkCurvedText, [&](auto& p) { Click(curved(p)->Italic); },
       [](auto& s) { return s.GetFontStyle() == 2; }},
      {"memo value", TForm1::tkMemo,
       [](auto& p) { p.ememo->SetText(u"Ligne 1\r\nLigne 2"); },
       [](auto& s) { return TextOf(s) == u"Ligne 1\r\nLigne 2"; }},
      {"memo colour", TForm1::tkMemo, [&](auto& p) { memo(p)->Color->SetSelectionColor(0x00FF00); },
       [](auto& s) { return s.GetFontColor() == 0x00FF00; }},
      {"memo underline", TForm1::tkMemo, [&](auto& p) { Click(memo(p)->Underline); },
       [](auto& s) { return s.GetFontStyle() == 4; }},
  };
  Show();
  Add(TForm1::tkText);
  Form->panelcarshape->TextPages->FillFontLists({"DejaVu Sans", "DejaVu Serif"});
  TdocDocumentCore& core = Form->Fdocument->Core();
  for (const TFieldEdit& edit : edits) {
    SCOPED_TRACE(edit.Name);
    TdocTextBaseShape* shape = Add(edit.Kind);
    const float height = shape->GetFontHeight();
    core.ClearUndo();
    const std::string before = doctest::DocumentXmlText(core);
    edit.Edit(Pages());
    EXPECT_TRUE(edit.Changed(*shape));
    // Fields the edit did not touch keep their exact values: the height
    // shown with two decimals is not written back rounded.
    if (std::string(edit.Name).find("size") == std::string::npos) {
      EXPECT_EQ(shape->GetFontHeight(), height);
    }
    ASSERT_TRUE(core.CanUndo());
    core.Undo();
    EXPECT_EQ(doctest::DocumentXmlText(core), before);
    core.DeleteShape(core.GetCurrentPage()->IndexOfShape(shape));
  }
}

TEST_F(TextPanelTest, InchModeShowsAndWritesTheFontHeightInInches) {
  TdocTextBaseShape* text = Add(TForm1::tkText);
  text->SetFontHeight(25.4f);
  Form->raunitinch->click();
  Focus(*Form, text);
  EXPECT_EQ(Pages().TextFont.Size->text(), "1.00");
  TypeInto(Pages().TextFont.Size, "0.5");
  EXPECT_FLOAT_EQ(text->GetFontHeight(), 12.7f);
}

TEST_F(TextPanelTest, SizesAndAnglesNoTextCanTakeLeaveTheShapeAsItWas) {
  TdocTextBaseShape* curved = Add(TForm1::tkCurvedText);
  const float height = curved->GetFontHeight();
  for (const char* size : {"0", "-3", "abc", "1e308"}) {
    Pages().CurvedFont.Size->setText(size);
    EXPECT_EQ(curved->GetFontHeight(), height) << size;
  }
  Pages().edangletextecourbe->setText("1e30");
  QTest::keyClick(Pages().edangletextecourbe, Qt::Key_Return);
  EXPECT_FLOAT_EQ(static_cast<TdocCurvedText*>(curved)->GetCurveAngle(), 10.0f);
}

// An edit that takes an outlined text past the characters it draws is told
// in the status bar once, in the interface's language: the paste that
// crosses tells, the keys typed after it do not, going back under and
// across again tells again. In the panel's field and in place on the label.
// The status bar is cleared where a person would have seen the message go
// (it shows a message again only when it changes).
struct TCrossingNotices {
  explicit TCrossingNotices(app::TForm1& form) : Bar(*form.statusBar()), Spy(&Bar, &QStatusBar::messageChanged) {
    Bar.clearMessage();
  }
  int Count() const {
    const QString notice = QString::fromStdString(rtl::Format(pgloretlibmessage(UiTextLongTextDrawnInPart), 10001, 10000));
    int count = 0;
    for (const QList<QVariant>& message : Spy) count += message.at(0).toString() == notice ? 1 : 0;
    return count;
  }
  QStatusBar& Bar;
  QSignalSpy Spy;
};

void CrossBackAndForth(QWidget* keys, TdocTextBaseShape& shape, TCrossingNotices& notices) {
  QGuiApplication::clipboard()->setText(QString(10001, QChar('o')));
  QTest::keyClick(keys, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(shape.GetText().size(), 10001u);
  EXPECT_EQ(notices.Count(), 1);
  QTest::keyClick(keys, Qt::Key_X);
  EXPECT_EQ(notices.Count(), 1);
  QTest::keyClick(keys, Qt::Key_Backspace);
  QTest::keyClick(keys, Qt::Key_Backspace);
  EXPECT_EQ(shape.GetText().size(), 10000u);
  notices.Bar.clearMessage();
  QTest::keyClick(keys, Qt::Key_Y);
  EXPECT_EQ(shape.GetText().size(), 10001u);
  EXPECT_EQ(notices.Count(), 2);
}

TEST_F(TextPanelTest, TakingAnOutlinedTextPastWhatItDrawsIsToldOncePerCrossing) {
  TdocTextBaseShape* curved = Add(TForm1::tkCurvedText);
  {
    SCOPED_TRACE("the curved text's field");
    TCrossingNotices notices(*Form);
    widgets::TUniEdit* field = Pages().edtextevaleurcourbe;
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    CrossBackAndForth(field, *curved, notices);
  }
  {
    SCOPED_TRACE("a multi-line text edited in place");
    TdocTextBaseShape* memo = Add(TForm1::tkMemo);
    TCrossingNotices notices(*Form);
    TdocDocument& label = *Form->Fdocument;
    const TFloatPoint centre = memo->ShapeToScreen({memo->GetDocWidth() / 2, memo->GetDocHeight() / 2});
    QTest::mouseDClick(label.viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(std::lround(centre.X), std::lround(centre.Y)));
    ASSERT_EQ(label.Core().GetEditShape(), memo);
    CrossBackAndForth(&label, *memo, notices);
  }
}

TEST_F(TextPanelTest, ThePictureButtonPlacesTheChosenPictureByDrag) {
  TForm1& form = Show();
  TdocDocumentCore& core = form.Fdocument->Core();
  qttest::AnswerNextFileDialog("");
  QTest::mouseClick(form.SpImage, Qt::LeftButton);
  EXPECT_EQ(core.GetInsertShape(), nullptr);
  EXPECT_EQ(core.GetEditState(), esIdle);

  // 300 x 150 pixels show at 150 dots per inch: 2 x 1 inches until dragged.
  const std::string file = Folder.File("photo.bmp");
  QImage image(300, 150, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  ASSERT_TRUE(image.save(QString::fromStdString(file), "BMP"));
  qttest::AnswerNextFileDialog(file);
  QTest::mouseClick(form.SpImage, Qt::LeftButton);
  auto* waiting = dynamic_cast<TdocBitmapShape*>(core.GetInsertShape());
  ASSERT_NE(waiting, nullptr);
  EXPECT_EQ(core.GetEditState(), esInsertPending);
  EXPECT_NEAR(waiting->GetDocWidth(), 50.8f, 0.01f);
  EXPECT_NEAR(waiting->GetDocHeight(), 25.4f, 0.01f);

  // The drag on the label gives the picture its frame.
  const int count = core.ShapeCount();
  doctest::DragMouse(*form.Fdocument, doctest::PagePixel(core, 20, 30), doctest::PagePixel(core, 80, 60));
  ASSERT_EQ(core.ShapeCount(), count + 1);
  auto* picture = dynamic_cast<TdocBitmapShape*>(core.GetShapes(count));
  ASSERT_NE(picture, nullptr);
  const float pixel = 1.0f / core.GetScreenScale();
  EXPECT_NEAR(picture->GetDocLeft(), 20.0f, pixel);
  EXPECT_NEAR(picture->GetDocTop(), 30.0f, pixel);
  EXPECT_NEAR(picture->GetDocWidth(), 60.0f, 2 * pixel);
  EXPECT_NEAR(picture->GetDocHeight(), 30.0f, 2 * pixel);
  EXPECT_EQ(core.GetFocusShape(), picture);

  // A picture shows no kind page, but its frame.
  EXPECT_EQ(ShownPage(), nullptr);
  EXPECT_TRUE(form.panelcarshape->isVisible());
  EXPECT_EQ(form.panelcarshape->eshapexx->text(), QString::number(picture->GetDocWidth(), 'f', 2));

  // The picture goes with the label: a saved label opens with it, the
  // file it came from no longer needed.
  core.SaveToFile(Folder.File("label.stor"));
  std::filesystem::remove(file);
  TdocDocumentCore reopened;
  reopened.LoadFromFile(Folder.File("label.stor"));
  auto* loaded = dynamic_cast<TdocBitmapShape*>(reopened.GetShapes(0));
  ASSERT_NE(loaded, nullptr);
  TdocResourceAccess access(loaded->GetImage());
  const auto bitmap = loaded->GetImage().GetSharedBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 300);
  EXPECT_EQ(bitmap->GetPixel(10, 10), 0xFF008000u);
}

TEST_F(TextPanelTest, AFileThatIsNoPictureIsToldAndInsertsNothing) {
  TForm1& form = Show();
  const std::string file = Folder.File("empty.bmp");
  apptest::WriteBytes(file, "");
  qttest::AnswerNextFileDialog(file);
  QString message;
  AnswerNextMessageBox(QMessageBox::Ok, &message);
  QTest::mouseClick(form.SpImage, Qt::LeftButton);
  EXPECT_FALSE(message.isEmpty());
  EXPECT_EQ(form.Fdocument->Core().GetInsertShape(), nullptr);
}

}  // namespace
}  // namespace guitest
