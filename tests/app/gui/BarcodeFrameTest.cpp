// What a barcode's frame shows, as a new user meets it in French and in
// English: a barcode drawn with its tool, typed into through the panel and
// sized by its width field. A value the panel's rule passes but the
// symbology refuses stays as typed; it and a symbol too wide for its frame
// say why inside the frame, in words that wrap and stay inside it at every
// size, and preview, print and export refuse them by name before asking for
// anything. The human-readable text of a barcode that can be drawn stays in
// its frame, EAN digits apart. The number the status bar names for an EAN
// value is the one the frame shows and paper carries.

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <optional>

#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "app/gui/SheetTab.h"
#include "app/shapes/BarcodeShape.h"
#include "document/control/Document.h"
#include "document/page/Page.h"
#include "platform/qt/Printer.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/barcode/BarcodeTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "tests/platform/qt/PdfProbe.h"
#include "widgets/UniEdit.h"
#include "xml/XmlDocument.h"

namespace guitest {
namespace {

// The frame's pixels in a grab of the label view, as grey levels.
struct TFramePixels {
  QImage Grey;
  QRect Frame;  // inside the grab
  bool Dark(int x, int y) const { return qGray(Grey.pixel(x, y)) < 160; }
  // Whether any pixel of the rectangle (inside the grab) is dark.
  bool AnyDark(const QRect& area) const {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (Dark(x, y)) return true;
    return false;
  }
  // The runs of columns with a dark pixel between rows top and bottom.
  int InkRuns(int top, int bottom) const {
    int runs = 0;
    bool inRun = false;
    for (int x = Frame.left(); x <= Frame.right(); ++x) {
      const bool ink = AnyDark(QRect(x, top, 1, bottom - top + 1));
      if (ink && !inRun) ++runs;
      inRun = ink;
    }
    return runs;
  }
  std::vector<bctest::TScan> Scan() const {
    std::vector<unsigned char> grey;
    for (int y = 0; y < Grey.height(); ++y)
      for (int x = 0; x < Grey.width(); ++x) grey.push_back(static_cast<unsigned char>(qGray(Grey.pixel(x, y))));
    return bctest::ScanGrey(grey, Grey.width(), Grey.height());
  }
};

struct BarcodeFrameTest : MainWindowTest, ::testing::WithParamInterface<int> {
  void Start() {
    ShowActiveIn(GetParam());
    Form->resize(1400, 1000);
  }
  app::TPropertyPanel& Panel() { return *Form->panelcarshape; }
  QPoint At(float x, float y) { return doctest::PagePixel(Core(), x, y); }

  // The barcode tool, then a drag on the label.
  TdocBarCodeShape& DrawBarcode(float left, float top, float right, float bottom) {
    QTest::mouseClick(Form->spcodebarre, Qt::LeftButton);
    doctest::DragMouse(*Form->Fdocument, At(left, top), At(right, bottom));
    auto* shape = dynamic_cast<TdocBarCodeShape*>(Core().GetFocusShape());
    EXPECT_NE(shape, nullptr);
    EXPECT_TRUE(Panel().isVisible());
    return *shape;
  }
  // Picks the symbology in the type list with the keyboard.
  void ChooseType(const char* name) {
    QComboBox* list = Panel().combcb1type;
    const int index = list->findText(name);
    ASSERT_GE(index, 0) << name;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentText(), name);
  }
  void TypeValue(const char* text) {
    Panel().edtcbvaleur->setFocus();
    QTest::keyClick(Panel().edtcbvaleur, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Panel().edtcbvaleur, text);
  }
  static void TypeLength(QLineEdit* edit, const char* text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  // A click on the label's empty corner: no handles over the frame.
  void Deselect() {
    QTest::mouseClick(Form->Fdocument->viewport(), Qt::LeftButton, Qt::NoModifier, At(5, 50));
    QApplication::processEvents();
  }
  TFramePixels Grab(const TdocShape& shape) {
    QApplication::processEvents();
    const QImage view = Form->Fdocument->viewport()->grab().toImage();
    const TdocPage& page = *Core().GetCurrentPage();
    const float left = page.GetDocLeft() + shape.GetDocLeft(), top = page.GetDocTop() + shape.GetDocTop();
    const TFloatPoint topLeft = Core().DocToClient({left, top});
    const TFloatPoint bottomRight = Core().DocToClient({left + shape.GetDocWidth(), top + shape.GetDocHeight()});
    const QRect frame(QPoint(static_cast<int>(std::ceil(topLeft.X)), static_cast<int>(std::ceil(topLeft.Y))),
                      QPoint(static_cast<int>(std::floor(bottomRight.X)) - 1,
                             static_cast<int>(std::floor(bottomRight.Y)) - 1));
    EXPECT_TRUE(view.rect().contains(frame));
    return {view.convertToFormat(QImage::Format_RGB32), frame};
  }
  // The label exported to the clipboard at 12 pixels a millimetre, and the
  // shape's frame in it.
  TFramePixels ExportedFrame(const TdocShape& shape) {
    AnswerExportDialog([](app::TExportImageDialog& dialog) {
      dialog.comblisteniveauresolution->setFocus();
      for (int i = 0; i < 7; ++i) QTest::keyClick(dialog.comblisteniveauresolution, Qt::Key_Down);
      ASSERT_EQ(dialog.comblisteniveauresolution->currentText(), "12");
      QTest::mouseClick(dialog.bclipboard, Qt::LeftButton);
    });
    QTest::mouseClick(Form->spexportclipboard, Qt::LeftButton);
    const QImage label = QGuiApplication::clipboard()->image();
    const auto pixel = [](float mm) { return static_cast<int>(std::lround(mm * 12)); };
    const QRect frame(QPoint(pixel(shape.GetDocLeft()), pixel(shape.GetDocTop())),
                      QPoint(pixel(shape.GetDocLeft() + shape.GetDocWidth()) - 1,
                             pixel(shape.GetDocTop() + shape.GetDocHeight()) - 1));
    // The frame and a margin around it, where a scanner finds its quiet zone.
    const QRect area = frame.adjusted(-24, -24, 24, 24).intersected(label.rect());
    return {label.copy(area).convertToFormat(QImage::Format_RGB32), frame.translated(-area.topLeft())};
  }
  // The refusal stays inside the frame: ink in it, none on its last column
  // or row, where a cut word would reach, and no bars a scanner reads.
  void ExpectRefusalInside(const TdocShape& shape, const std::string& what) {
    const TFramePixels pixels = Grab(shape);
    const QRect& f = pixels.Frame;
    EXPECT_TRUE(pixels.AnyDark(f.adjusted(0, 0, -1, -1))) << what;
    EXPECT_FALSE(pixels.AnyDark(QRect(f.right(), f.top(), 1, f.height()))) << what << ": cut at the right edge";
    EXPECT_FALSE(pixels.AnyDark(QRect(f.left(), f.bottom(), f.width(), 1))) << what << ": cut at the bottom";
    EXPECT_TRUE(pixels.Scan().empty()) << what;
  }

  // Print, preview and export of the label, each answered by a message box
  // whose text is returned; print must refuse before asking for a file.
  struct TRefusals {
    QString Print, Preview, Export;
    bool AskedForFile = false;
  };
  TRefusals TryOutputs() {
    TRefusals refusals;
    const std::string pdf = Folder.File("refused.pdf");
    ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
    Form->GetSheets().AskPdfFileName = [&refusals, pdf]() -> std::optional<std::string> {
      refusals.AskedForFile = true;
      return pdf;
    };
    AnswerNextMessageBox(QMessageBox::Ok, &refusals.Print);
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    AnswerNextMessageBox(QMessageBox::Ok, &refusals.Preview);
    QTest::mouseClick(Form->Spapercu, Qt::LeftButton);
    ClickTab(*Form, Form->Tabparaetiquette);
    AnswerExportDialog([&refusals](app::TExportImageDialog& dialog) {
      AnswerNextMessageBox(QMessageBox::Ok, &refusals.Export);
      QTest::mouseClick(dialog.bclipboard, Qt::LeftButton);
    });
    QTest::mouseClick(Form->spexportclipboard, Qt::LeftButton);
    return refusals;
  }
  // A value the panel's rule passes and the encoder refuses, typed into a
  // new barcode: kept, told in the frame and by every output.
  void ExpectRefusedValue(const char* type, const char* value) {
    Start();
    TdocBarCodeShape& shape = DrawBarcode(5, 5, 55, 30);
    ChooseType(type);
    TypeValue(value);
    EXPECT_EQ(shape.GetBarcode()->GetText(), value);
    Deselect();
    ExpectRefusalInside(shape, value);
    EXPECT_EQ(shape.GetRefusal(), pgloretlibmessage(UiTextValueRefused));
    ExpectRefusedByName(TryOutputs(), value, UiTextValueRefused);
  }
  // One label printed to a PDF file, read back at 300 dpi by zbar.
  std::vector<bctest::TScan> PrintOneLabel() {
    const std::string pdf = Folder.File("printed.pdf");
    std::filesystem::remove(pdf);
    ClickTab(*Form, Form->TabParapage);
    Form->CombImprimante->setCurrentText(TPrinter::PdfPrinterName);
    Form->pagetypeimpression->setCurrentWidget(Form->tabimpetiquette);
    Form->enbetiquette->setText("1");
    Form->enuetidebut->setText("1");
    Form->GetSheets().AskPdfFileName = [pdf] { return pdf; };
    QTest::mouseClick(Form->SpImprime, Qt::LeftButton);
    ClickTab(*Form, Form->Tabparaetiquette);
    const TGrayPage page = RenderPdfPage(pdf, 1, 300);
    return bctest::ScanGrey(page.Pixels, page.Width, page.Height);
  }
  void ExpectRefusedByName(const TRefusals& refusals, const QString& value, int why) {
    const QString barcode = QString::fromStdString(pgloretlibmessage(UiTextBarcode));
    const QString reason = QString::fromStdString(pgloretlibmessage(why));
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_FALSE(refusals.AskedForFile);
    for (const QString& text : {refusals.Print, refusals.Preview, refusals.Export}) {
      EXPECT_TRUE(text.contains(barcode) && text.contains(value) && text.contains(reason)) << text.toStdString();
      EXPECT_FALSE(text.contains("TVmBarcode")) << text.toStdString();
    }
  }
};

TEST_P(BarcodeFrameTest, ACode39ValueInLowerCaseStaysAsTypedAndIsRefusedByName) {
  ExpectRefusedValue("Code39", "abc-123");
}

TEST_P(BarcodeFrameTest, AUpcEValueWithItsNumberSystemStaysAsTypedAndIsRefusedByName) {
  ExpectRefusedValue("CodeUPC_E0", "0123456");
}

TEST_P(BarcodeFrameTest, ABarcodeTooWideForItsFrameSaysSoAndIsRefused) {
  Start();
  TdocBarCodeShape& shape = DrawBarcode(5, 5, 55, 30);
  ChooseType("Code128B");
  const char* value = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";  // 32 characters
  TypeValue(value);
  TypeLength(Panel().eshapexx, "15");
  ASSERT_FLOAT_EQ(shape.GetDocWidth(), 15.0f);
  Deselect();
  ExpectRefusalInside(shape, "15 mm");
  EXPECT_EQ(shape.GetRefusal(), pgloretlibmessage(UiTextBarcodeTooWide));
  ExpectRefusedByName(TryOutputs(), value, UiTextBarcodeTooWide);
}

TEST_P(BarcodeFrameTest, TheRefusalWrapsInsideTheFrameAtEverySize) {
  Start();
  TdocBarCodeShape& shape = DrawBarcode(5, 5, 55, 30);
  ChooseType("CodeEAN13");
  TypeValue("4006381333932");  // the check digit is 1
  struct TSize {
    const char* Width;
    const char* Height;
  };
  for (const TSize size : {TSize{"50", "25"}, TSize{"25", "25"}, TSize{"12", "40"}, TSize{"58", "6"}, TSize{"8", "8"}}) {
    const std::string what = std::string(size.Width) + " x " + size.Height + " mm";
    QTest::mouseClick(Form->Fdocument->viewport(), Qt::LeftButton, Qt::NoModifier, At(6, 6));
    ASSERT_TRUE(Panel().isVisible()) << what;
    TypeLength(Panel().eshapexx, size.Width);
    TypeLength(Panel().eshapeyy, size.Height);
    Deselect();
    ExpectRefusalInside(shape, what);
    EXPECT_EQ(shape.GetRefusal(), pgloretlibmessage(UiTextCheckDigitIsWrong)) << what;
  }
}

// An EAN-13 value typed in the panel: the number the status bar names is
// the one the label shows and the one that prints. Padded with zeros to 13
// digits, a value whose last digit is not the check digit is reported with
// the correct number, and refused in its frame and by every output as a
// wrong 13th digit is; typed in its place, the number named is drawn and
// printed. Twelve digits get their check digit, named and printed alike.
TEST_P(BarcodeFrameTest, TheNumberTheStatusBarNamesIsTheOneTheLabelShowsAndPrints) {
  Start();
  TdocBarCodeShape& shape = DrawBarcode(5, 5, 55, 30);
  ChooseType("CodeEAN13");
  const auto told = [this] { return Form->statusBar()->currentMessage(); };
  const auto named = [](int text, const char* number) {
    return QString::fromStdString(pgloretlibmessage(text)) + QString::fromLatin1(number);
  };
  // A drawn barcode is hit on its bars, a refused one on the words of its
  // refusal, which begin at its top left.
  const auto select = [this, &shape](float x, float y) {
    QTest::mouseClick(Form->Fdocument->viewport(), Qt::LeftButton, Qt::NoModifier, At(x, y));
    ASSERT_EQ(Core().GetFocusShape(), &shape);
    ASSERT_TRUE(Panel().isVisible());
  };
  const struct {
    const char* Typed;
    const char* Named;
  } wrongs[] = {{"1234567890", "0001234567895"}, {"12345678901", "0012345678905"}, {"4006381333932", "4006381333931"}};
  for (const auto& wrong : wrongs) {
    TypeValue(wrong.Typed);
    EXPECT_EQ(told(), named(UiTextWrongCheckDigit, wrong.Named)) << wrong.Typed;
    Deselect();
    ExpectRefusalInside(shape, wrong.Typed);
    EXPECT_EQ(shape.GetRefusal(), pgloretlibmessage(UiTextCheckDigitIsWrong)) << wrong.Typed;
    ExpectRefusedByName(TryOutputs(), wrong.Typed, UiTextCheckDigitIsWrong);

    select(6, 6);
    TypeValue(wrong.Named);
    EXPECT_EQ(told(), "") << wrong.Named;
    Deselect();
    // A scanner reads an EAN-13 number with a leading zero as UPC-A.
    const std::vector<bctest::TScan> expected = {
        wrong.Named[0] == '0' ? bctest::TScan{"UPC-A", wrong.Named + 1} : bctest::TScan{"EAN-13", wrong.Named}};
    EXPECT_EQ(Grab(shape).Scan(), expected) << wrong.Named;
    EXPECT_EQ(PrintOneLabel(), expected) << wrong.Named;
    select(30, 15);
  }
  TypeValue("123456789012");
  EXPECT_EQ(told(), named(UiTextCheckDigitAdded, "1234567890128"));
  Deselect();
  const std::vector<bctest::TScan> added = {{"EAN-13", "1234567890128"}};
  EXPECT_EQ(Grab(shape).Scan(), added);
  EXPECT_EQ(PrintOneLabel(), added);
}

// Judged on the picture the export dialog puts on the clipboard at 12
// pixels a millimetre, near the dots of paper.
TEST_P(BarcodeFrameTest, TheReadableTextStaysInsideTheFrameAndEanDigitsApart) {
  Start();
  // The barcode as inserted: Code 39 "1234567890", 20 points, bottom left.
  TdocBarCodeShape& plain = DrawBarcode(5, 5, 30, 25);
  {
    const TFramePixels pixels = ExportedFrame(plain);
    const QRect& f = pixels.Frame;
    EXPECT_EQ(pixels.Scan(), (std::vector<bctest::TScan>{{"CODE-39", "1234567890"}}));
    // The text band under the bars: ink, none on the frame's edge columns.
    const QRect band(f.left(), f.top() + f.height() * 3 / 4, f.width(), f.height() / 4);
    EXPECT_TRUE(pixels.AnyDark(band));
    EXPECT_FALSE(pixels.AnyDark(QRect(f.right(), band.top(), 1, band.height())));
    EXPECT_FALSE(pixels.AnyDark(QRect(f.left(), band.top(), 1, band.height())));
  }
  QTest::mouseClick(Form->Fdocument->viewport(), Qt::LeftButton, Qt::NoModifier, At(20, 15));
  QTest::keyClick(Form->Fdocument->viewport(), Qt::Key_Delete);
  ASSERT_EQ(Core().ShapeCount(), 0);

  TdocBarCodeShape& ean = DrawBarcode(5, 5, 42, 30);  // 37 mm
  ChooseType("CodeEAN13");
  TypeValue("4006381333931");
  const TFramePixels pixels = ExportedFrame(ean);
  const QRect& f = pixels.Frame;
  EXPECT_EQ(pixels.Scan(), (std::vector<bctest::TScan>{{"EAN-13", "4006381333931"}}));
  // Under the bars, beside the guard bars reaching down, the thirteen
  // digits stand apart: thirteen runs of inked columns.
  int bottomOfBars = f.top() + f.height() / 3;
  const int bars = pixels.InkRuns(bottomOfBars, bottomOfBars);
  while (bottomOfBars < f.bottom() && pixels.InkRuns(bottomOfBars + 1, bottomOfBars + 1) == bars) ++bottomOfBars;
  int runs = 0;
  bool inRun = false;
  for (int x = f.left(); x <= f.right(); ++x) {
    const bool guard = pixels.Dark(x, bottomOfBars + 1);
    const bool ink = !guard && pixels.AnyDark(QRect(x, bottomOfBars + 1, 1, f.bottom() - bottomOfBars));
    if (ink && !inRun) ++runs;
    inRun = ink;
  }
  EXPECT_EQ(runs, 13);
  EXPECT_FALSE(pixels.AnyDark(QRect(f.right(), f.top(), 1, f.height())));
  EXPECT_FALSE(pixels.AnyDark(QRect(f.left(), f.top(), 1, f.height())));
}

// A barcode whose type this program does not know (a newer file's) is
// refused by name in the interface's language.
TEST_P(BarcodeFrameTest, AnUnknownTypeIsRefusedInTheInterfacesLanguage) {
  Start();
  TXmlDocument xml;
  xml.ReadFromString(
      "<shape><ClassName>TdocBarCodeShape</ClassName><Typ>99</Typ><Text>12345</Text>"
      "<DocLeft>5</DocLeft><DocTop>5</DocTop><DocWidth>40</DocWidth><DocHeight>20</DocHeight></shape>");
  auto kept = std::make_unique<TdocBarCodeShape>();
  kept->LoadFromXml(xml.GetRoot());
  Core().AddShape(std::move(kept));
  const TRefusals refusals = TryOutputs();
  ExpectRefusedByName(refusals, "12345", UiTextTypeNotKnown);
  EXPECT_TRUE(refusals.Print.contains(QString::fromStdString(pgloretlibmessage(UiTextUnknownBarcodeType))));
}

INSTANTIATE_TEST_SUITE_P(Languages, BarcodeFrameTest, ::testing::Values(LanguageFrench, LanguageEnglish),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == LanguageFrench ? std::string("French") : std::string("English");
                         });

}  // namespace
}  // namespace guitest
