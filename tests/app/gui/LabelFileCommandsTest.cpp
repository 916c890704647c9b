// Label documents through the real main window: save, New and open give the
// same label and sheet edits back; hostile files leave everything as it was;
// the export dialog reaches the clipboard at the chosen resolution.

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "app/LabelFile.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "app/shapes/BarcodeShape.h"
#include "document/editor/HandlePainter.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "tests/app/ArchiveBuilder.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/barcode/BarcodeTestSupport.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "xml/Base64.h"
#include "xml/XmlDocument.h"

namespace guitest {
namespace {

std::string PageXml(app::TForm1& form) {
  TXmlDocument xml("Page");
  form.Fdocument->Core().GetCurrentPage()->SaveToXml(*xml.GetRoot());
  return xml.WriteToString();
}

std::vector<QString> SheetControls(app::TForm1& form) {
  std::vector<QString> texts;
  for (QLineEdit* edit : {form.elargeur, form.ehauteur, form.edPageWidth, form.edPageHeight, form.edOuterMarginX,
                          form.edOuterMarginY, form.edBetweenMarginX, form.edBetweenMarginY})
    texts.push_back(edit->text());
  texts.push_back(form.chorientation->isChecked() ? "ticked" : "unticked");
  texts.push_back(form.raunitinch->isChecked() ? "inches" : "millimetres");
  return texts;
}

// The first AVERY label with an EAN-13 barcode across it.
void DesignLabel(app::TForm1& form) {
  form.elargeur->setText("63.50");
  form.ehauteur->setText("72.00");
  form.edOuterMarginX->setText("7.00");
  form.edOuterMarginY->setText("4.50");
  form.chorientation->setChecked(true);
  form.ApplyLabelSizeToPage();
  auto barcode = app::TForm1::NewShape(app::TForm1::ikBarcode);
  auto& shape = static_cast<TdocBarCodeShape&>(*barcode);
  shape.GetBarcode()->SetTyp(bcCodeEAN13);
  shape.GetBarcode()->SetText("400638133393");
  shape.SetDocFrame(3, 20, 57, 30, 0);
  form.Fdocument->Core().AddShape(std::move(barcode));
}

TEST_F(MainWindowTest, SaveNewAndOpenGiveTheSameLabelAndSheet) {
  app::TForm1& form = Show();
  DesignLabel(form);
  form.raunitinch->click();
  const std::string xml = PageXml(form);
  const auto sheet = SheetControls(form);
  const std::string file = Folder.File("label.mqv");
  form.SaveLabelFile(file);
  EXPECT_FALSE(form.Fdocument->Core().GetModified());

  form.raunitmm->click();
  form.chorientation->setChecked(false);
  form.NewDocument();
  ASSERT_NE(PageXml(form), xml);
  form.OpenLabelFile(file);
  EXPECT_EQ(PageXml(form), xml);
  EXPECT_EQ(SheetControls(form), sheet);
  EXPECT_EQ(form.Fdocument->Core().GetRulerUnits(), ruInch);
  EXPECT_FALSE(form.Fdocument->Core().GetModified());
}

// The hourglass shows while the archive's members are unpacked, and only then.
TEST_F(MainWindowTest, OpeningShowsTheWaitCursorWhileTheArchiveIsUnpacked) {
  app::TForm1& form = Show();
  DesignLabel(form);
  const std::string file = Folder.File("label.mqv");
  form.SaveLabelFile(file);
  std::vector<Qt::CursorShape> whileUnpacking;
  form.BackupFile1->OnFileRestored = [&whileUnpacking](app::TBackupFile&, const std::string&, TStream&) {
    const QCursor* cursor = QApplication::overrideCursor();
    whileUnpacking.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
  };
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  qttest::AnswerNextFileDialog(file);
  QTest::mouseClick(form.spcharge, Qt::LeftButton);
  EXPECT_EQ(whileUnpacking, std::vector<Qt::CursorShape>({Qt::WaitCursor, Qt::WaitCursor}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(form.Fdocument->Core().GetCurrentPage()->GetShapeCount(), 1);
}

// Lengths typed the French way are saved as numbers: the file opens the same
// in an English window.
TEST_F(MainWindowTest, ASheetSavedInFrenchOpensInEnglish) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  app::TForm1& french = Show();
  french.elargeur->setFocus();
  french.elargeur->selectAll();
  QTest::keyClicks(french.elargeur, "63,5");
  QTest::keyClick(french.elargeur, Qt::Key_Return);
  french.edOuterMarginX->setText("7.25");
  ASSERT_EQ(french.elargeur->text(), "63,50");
  const std::string file = Folder.File("french.mqv");
  french.SaveLabelFile(file);

  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  app::TForm1& english = Show();
  english.OpenLabelFile(file);
  EXPECT_EQ(english.elargeur->text(), "63.50");
  EXPECT_EQ(english.edOuterMarginX->text(), "7.25");
  EXPECT_FLOAT_EQ(english.Fdocument->Core().GetCurrentPage()->GetPageWidth(), 63.5f);
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedLeavesTheLabelAsItWas) {
  app::TForm1& form = Show();
  DesignLabel(form);
  const std::string good = Folder.File("good.mqv");
  form.SaveLabelFile(good);
  const std::string valid = apptest::ReadBytes(good);
  form.elargeur->setText("50.00");
  form.ApplyLabelSizeToPage();
  // Painting lays the barcode out for the screen; the archive component lets
  // the window paint while it reads.
  QCoreApplication::processEvents();
  const std::string xml = PageXml(form);
  const auto sheet = SheetControls(form);

  // A good label with a sheet width no edit can hold, and a sheet setup with no label.
  app::TSheetSetupRecord damagedRecord;
  damagedRecord.SheetWidth = -3;
  const auto damaged =
      app::BuildLabelArchive(apptest::DocumentBytes(app::ReadLabelFile(*form.BackupFile1, good)), damagedRecord);
  const auto notADocument = app::BuildLabelArchive(std::vector<std::uint8_t>(3000, 0x5A), app::TSheetSetupRecord());
  const struct {
    const char* Case;
    std::string Bytes;
    bool AsksForDisk = false;
  } cases[] = {
      {"truncated", valid.substr(0, valid.size() - 3)},
      // The person cancels the question for disk 1.
      {"volume switch", std::string("\4\0\0\0mqv!\0\0\0\0\0\0\0\0\x0c\0\0\0NEXT:DISK001", 32), true},
      {"damaged sheet setup", std::string(damaged.begin(), damaged.end())},
      {"no label document inside", std::string(notADocument.begin(), notADocument.end())},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    apptest::WriteBytes(Folder.File("bad.mqv"), c.Bytes);
    if (c.AsksForDisk) AnswerNextMessageBox(QMessageBox::Cancel);
    EXPECT_THROW(form.OpenLabelFile(Folder.File("bad.mqv")), std::exception) << c.Case;
    EXPECT_EQ(PageXml(form), xml) << c.Case;
    EXPECT_EQ(SheetControls(form), sheet) << c.Case;
  }
  EXPECT_THROW(form.OpenLabelFile(Folder.File("missing.mqv")), std::exception);
  EXPECT_THROW(form.OpenLabelFile(Folder.Path().string()), std::exception);
  EXPECT_EQ(PageXml(form), xml);
}

std::string Text(const apptest::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The window's archive component asks for the second volume in its box:
// Cancel stops the walk with the first part of "a.tp"; OK once the volume
// is there restores both files.
TEST_F(MainWindowTest, TheArchiveAsksForTheNextDisk) {
  app::TForm1& form = Show();
  const apptest::TTwoVolumes volumes;
  apptest::WriteBytes(Folder.File("disks.mqv"), Text(volumes.First));
  const std::string target = Folder.File("restored");
  QString question;
  AnswerNextMessageBox(QMessageBox::Cancel, &question);
  EXPECT_FALSE(form.BackupFile1->Restore(Folder.File("disks.mqv"), target));
  EXPECT_EQ(question, "Please insert disk 2 and click OK to continue.");
  EXPECT_EQ(apptest::ReadBytes(target + "/a.tp").size(), 16384u);
  EXPECT_FALSE(std::filesystem::exists(target + "/b.tp"));

  apptest::WriteBytes(Folder.File("disks.002"), Text(volumes.Second));
  question.clear();
  AnswerNextMessageBox(QMessageBox::Ok, &question);
  EXPECT_TRUE(form.BackupFile1->Restore(Folder.File("disks.mqv"), target));
  EXPECT_EQ(question, "Please insert disk 2 and click OK to continue.");
  EXPECT_EQ(apptest::ReadBytes(target + "/a.tp"), Text(volumes.A));
  EXPECT_EQ(apptest::ReadBytes(target + "/b.tp"), Text(volumes.B));
}

// A chunk that is no zlib stream: the error box, then the open command goes
// on and fails on the member left incomplete.
TEST_F(MainWindowTest, ACompressionErrorShowsTheErrorBox) {
  app::TForm1& form = Show();
  apptest::TArchiveBuilder archive;
  archive.Header().Entry("sv1.tp").Stored(apptest::Pattern(100, 1)).Int(5).Text("hello").Int(0);
  archive.Member("sv2.tp", apptest::Pattern(100, 2)).Int(0);
  apptest::WriteBytes(Folder.File("bad.mqv"), Text(archive.Data));
  QString error;
  AnswerNextMessageBox(QMessageBox::Ok, &error);
  EXPECT_FALSE(form.BackupFile1->Restore(Folder.File("bad.mqv"), Folder.File("restored")));
  EXPECT_EQ(error, "Compression error");
  EXPECT_EQ(form.BackupFile1->GetErrorCode(), 6);

  error.clear();
  AnswerNextMessageBox(QMessageBox::Ok, &error);
  EXPECT_THROW(form.OpenLabelFile(Folder.File("bad.mqv")), std::exception);
  EXPECT_EQ(error, "Compression error");
}

// A label from elsewhere that names a local file as its external picture:
// here a label saved with a real picture whose file was then replaced by
// private text. Opening shows the picture shape without a picture and says
// why; saving again carries none of the file's bytes.
TEST_F(MainWindowTest, ALabelNamingAFileThatIsNoPictureOpensWithoutItAndNeverEmbedsIt) {
  app::TForm1& form = Show();
  const std::string picture = Folder.File("logo.bmp");
  TBitmap32 logo;
  logo.SetSize(30, 20);
  logo.Clear(0xFF2040C0u);
  logo.SaveToFile(picture);
  auto shape = std::make_unique<TdocBitmapShape>();
  shape->GetImage().SetStorageMode(rsExternal);
  shape->GetImage().LoadFromFile(picture);
  form.Fdocument->Core().AddShape(std::move(shape));
  const std::string label = Folder.File("from-elsewhere.mqv");
  form.SaveLabelFile(label);
  const std::string secret = "user=me password=hunter2 private text of the user";
  apptest::WriteBytes(picture, secret);
  form.NewDocument();

  QString message;
  AnswerNextMessageBox(QMessageBox::Ok, &message);
  form.OpenLabelFile(label);
  EXPECT_TRUE(message.contains(QString::fromStdString(picture))) << message.toStdString();
  EXPECT_TRUE(message.contains("is not a picture")) << message.toStdString();
  TdocDocumentCore& core = form.Fdocument->Core();
  ASSERT_EQ(core.ShapeCount(), 1);
  auto* opened = dynamic_cast<TdocBitmapShape*>(core.GetShapes(0));
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->GetImage().GetSharedBitmap(), nullptr);

  const std::string again = Folder.File("saved-again.mqv");
  form.SaveLabelFile(again);
  const std::vector<std::uint8_t> document = apptest::DocumentBytes(app::ReadLabelFile(*form.BackupFile1, again));
  const std::string bytes(document.begin(), document.end());
  EXPECT_EQ(bytes.find("hunter2"), std::string::npos);
  EXPECT_EQ(bytes.find(xml::EncodeBase64(secret.data(), secret.size()).substr(0, 20)), std::string::npos);
  EXPECT_NE(bytes.find("logo.bmp"), std::string::npos);  // the label still says what it wanted
  EXPECT_EQ(apptest::ReadBytes(picture), secret);
}

QSize ClipboardImageSize() { return QGuiApplication::clipboard()->image().size(); }

TEST_F(MainWindowTest, ExportDialogPutsTheLabelOnTheClipboard) {
  app::TForm1& form = Show();
  DesignLabel(form);
  EXPECT_TRUE(form.spexportclipboard->isVisibleTo(&form));
  form.fexportimage->show();
  EXPECT_EQ(form.fexportimage->comblisteniveauresolution->currentText(), "5");
  form.fexportimage->bclipboard->click();
  EXPECT_EQ(ClipboardImageSize(), QSize(318, 360));
  // At one pixel a millimetre the label's EAN-13 cannot be drawn in its
  // frame: refused by name, the clipboard keeps the last picture.
  form.fexportimage->comblisteniveauresolution->setCurrentText("1");
  QString refusal;
  AnswerNextMessageBox(QMessageBox::Ok, &refusal);
  form.fexportimage->bclipboard->click();
  EXPECT_TRUE(refusal.contains(QString::fromStdString(pgloretlibmessage(UiTextBarcodeTooWide)))) << refusal.toStdString();
  EXPECT_EQ(ClipboardImageSize(), QSize(318, 360));
  form.fexportimage->comblisteniveauresolution->setCurrentText("2");
  form.fexportimage->bclipboard->click();
  EXPECT_EQ(ClipboardImageSize(), QSize(127, 144));
  form.fexportimage->close();
  EXPECT_EQ(bctest::MessageOf([&] { form.ExportLabelImage(2, 21); }),
            "The resolution must be 1 to 20 pixels per millimetre");
}

}  // namespace
}  // namespace guitest
