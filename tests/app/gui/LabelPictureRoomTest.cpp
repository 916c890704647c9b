// Pictures of real size through the window as a person works: chosen with
// the picture button, placed by a drag, saved with the save button and opened
// in a new window with the open button. What the label shows before saving,
// it shows after reopening: a picture the label has no room for is refused
// at insert, in the window's language, and a label file is never written
// that opening would refuse.

#include <algorithm>
#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include "app/LabelFile.h"
#include "app/UiTexts.h"
#include "document/control/Document.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Format.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/control/EditorTestSupport.h"
#include "tests/imaging/formats/TinyHugeBmp.h"
#include "tests/platform/qt/ModalAnswer.h"

namespace guitest {
namespace {

constexpr int PhotoWidth = 6000, PhotoHeight = 4000;

// While it lives, a message box that shows fails the test and is closed,
// so that a step that should have shown none goes on.
class TNoBoxExpected {
public:
  explicit TNoBoxExpected(const char* step) {
    Poll.callOnTimeout([step] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << step << " told: " << box->text().toStdString();
        box->close();
      }
    });
    Poll.start(100);
  }

private:
  QTimer Poll;
};

class LabelPictureRoomTest : public MainWindowTest {
protected:

  // The picture button, the file chosen in its dialog, then a drag on the
  // label; answers true when a picture shape joined the label.
  bool InsertPicture(const std::string& file) {
    const int before = Core().ShapeCount();
    qttest::AnswerNextFileDialog(file);
    QTest::mouseClick(Form->SpImage, Qt::LeftButton);
    if (Core().GetInsertShape() == nullptr) return false;
    const float top = 5.0f + 3.0f * static_cast<float>(before);
    doctest::DragMouse(*Form->Fdocument, doctest::PagePixel(Core(), 5, top), doctest::PagePixel(Core(), 35, top + 20));
    return Core().ShapeCount() == before + 1;
  }

  void SaveWithTheButton(const std::string& file) {
    const TNoBoxExpected quiet("the save");
    qttest::AnswerNextFileDialog(file);
    QTest::mouseClick(Form->spsauve, Qt::LeftButton);
    std::error_code missing;
    std::cout << "label file of " << std::filesystem::file_size(file, missing) / 1000 << " kB\n";
  }

  // A new window, as the program started again, opens the file with its button.
  void OpenInANewWindow(const std::string& file, int languageIndex) {
    ShowActiveIn(languageIndex);
    const TNoBoxExpected quiet("the open");
    qttest::AnswerNextFileDialog(file);
    QTest::mouseClick(Form->spcharge, Qt::LeftButton);
  }

  // Six photograph files of 24 million pixels, each of its own colour.
  std::vector<std::string> SixPhotographs() {
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
      files.push_back(Folder.File("photo" + std::to_string(i) + ".bmp"));
      apptest::WriteBytes(files.back(), imagingtest::TinyHugeBmp(PhotoWidth, PhotoHeight, static_cast<std::uint8_t>(i)));
    }
    return files;
  }

  // The decoded picture of every picture shape of the label, nil for one not shown.
  std::vector<std::shared_ptr<const TBitmap32>> ShownPictures() {
    std::vector<std::shared_ptr<const TBitmap32>> shown;
    for (int i = 0; i < Core().ShapeCount(); ++i) {
      auto* shape = dynamic_cast<TdocBitmapShape*>(Core().GetShapes(i));
      if (shape == nullptr) continue;
      TdocResourceAccess access(shape->GetImage());
      try {
        shown.push_back(shape->GetImage().GetSharedBitmap());
      } catch (const EPictureTooLarge&) {
        shown.push_back(nullptr);
      }
    }
    return shown;
  }

  void ExpectAllShownAt(std::size_t count, int width, int height) {
    const auto shown = ShownPictures();
    ASSERT_EQ(shown.size(), count);
    for (const auto& picture : shown) {
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->GetWidth(), width);
      EXPECT_EQ(picture->GetHeight(), height);
    }
  }
};

QString LabelFullText(int width, int height) {
  return QString::fromStdString(rtl::Format(pgloretlibmessage(UiTextLabelPicturesTooLarge), width, height, 128));
}

// Five pictures of 24 million pixels fill 120 of the label's 128 million:
// a sixth is refused as it is inserted, the label as it was; the first one
// again costs nothing, as a picture shown twice counts once. All six shapes
// come back shown, and no picture is told as not loaded.
TEST_F(LabelPictureRoomTest, APictureTheLabelHasNoRoomForIsRefusedAtInsertAndTheRestOpensAgainWhole) {
  ShowActiveIn(LanguageFrench);
  const std::vector<std::string> files = SixPhotographs();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(InsertPicture(files[static_cast<std::size_t>(i)])) << i;
  const std::int64_t used = Core().GetPictureBudget()->Used();
  EXPECT_EQ(used, 5 * std::int64_t{PhotoWidth} * PhotoHeight);

  QString refusal;
  AnswerNextMessageBox(QMessageBox::Ok, &refusal);
  EXPECT_FALSE(InsertPicture(files[5]));
  EXPECT_EQ(refusal, LabelFullText(PhotoWidth, PhotoHeight));
  EXPECT_EQ(Core().GetInsertShape(), nullptr);
  EXPECT_EQ(Core().ShapeCount(), 5);
  EXPECT_EQ(Core().GetPictureBudget()->Used(), used);

  ASSERT_TRUE(InsertPicture(files[0]));
  EXPECT_EQ(Core().GetPictureBudget()->Used(), used);
  ExpectAllShownAt(6, PhotoWidth, PhotoHeight);

  const std::string label = Folder.File("photos.mqv");
  SaveWithTheButton(label);
  ASSERT_TRUE(std::filesystem::exists(label));
  OpenInANewWindow(label, LanguageEnglish);
  ExpectAllShownAt(6, PhotoWidth, PhotoHeight);
  EXPECT_EQ(Core().GetPictureBudget()->Used(), used);
}

// A picture copied, deleted, and pasted once a new one took its room: the
// pasted shape comes without its picture, and the window says why.
TEST_F(LabelPictureRoomTest, APastedPictureTheLabelHasNoRoomForIsTold) {
  ShowActiveIn(LanguageEnglish);
  const std::vector<std::string> files = SixPhotographs();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(InsertPicture(files[static_cast<std::size_t>(i)])) << i;
  QWidget* label = Form->Fdocument->viewport();
  label->setFocus();
  QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);  // the last one placed, focused
  QTest::keyClick(label, Qt::Key_Delete);
  ASSERT_EQ(Core().ShapeCount(), 4);
  ASSERT_TRUE(InsertPicture(files[5]));

  QString told;
  AnswerNextMessageBox(QMessageBox::Ok, &told);
  label->setFocus();
  QTest::keyClick(label, Qt::Key_V, Qt::ControlModifier);
  for (int turn = 0; turn < 200 && told.isEmpty(); ++turn) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(told, LabelFullText(PhotoWidth, PhotoHeight));
  ASSERT_EQ(Core().ShapeCount(), 6);
  const auto shown = ShownPictures();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), nullptr), 1);
  EXPECT_EQ(Core().GetPictureBudget()->Used(), 5 * std::int64_t{PhotoWidth} * PhotoHeight);
}

// A photograph as a camera takes it: 6000 x 4000 pixels of fine detail,
// compressed by the reference JPEG writer to the size of a real one.
std::string WritePhotograph(const std::string& file) {
  QImage photo(PhotoWidth, PhotoHeight, QImage::Format_RGB32);
  QRandomGenerator random(46);
  for (int y = 0; y < PhotoHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < PhotoWidth; ++x) {
      const int grain = static_cast<int>(random.bounded(96u));
      row[x] = qRgb((x / 24 + grain) & 0xFF, (y / 16 + grain) & 0xFF, ((x + y) / 40 + grain / 2) & 0xFF);
    }
  }
  EXPECT_TRUE(photo.save(QString::fromStdString(file), "JPEG", 88));
  return file;
}

// Four photographs of 24 million pixels: a document of some 80 MB, past the
// 64 MB that opening once took for the whole file.
TEST_F(LabelPictureRoomTest, FourPhotographsInsertedAndSavedOpenAgainWhole) {
  ShowActiveIn(LanguageEnglish);
  const std::string photo = WritePhotograph(Folder.File("photo.jpg"));
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(photo));
  std::cout << "photograph of " << size / 1000 << " kB\n";
  ASSERT_GT(size * 4 * 4 / 3, std::int64_t{64} << 20);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(InsertPicture(photo)) << i;

  const std::string label = Folder.File("photos.mqv");
  SaveWithTheButton(label);
  ASSERT_TRUE(std::filesystem::exists(label));
  OpenInANewWindow(label, LanguageEnglish);
  ExpectAllShownAt(4, PhotoWidth, PhotoHeight);
}

// A BMP of 32-bit pixels as image programs write it, bottom-up, of one
// colour (0xAARRGGBB) but for a dot on the diagonal every 100 rows.
void WriteBmp32(const std::string& file, int width, int height, std::uint32_t colour, std::uint32_t dot) {
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4;
  std::string bytes(54, '\0');
  const auto put = [&bytes](std::size_t at, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, 54 + pixelBytes, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 32, 2);
  put(34, pixelBytes, 4);
  bytes.reserve(54 + pixelBytes);
  for (int row = height - 1; row >= 0; --row)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = row % 100 == 0 && x == row ? dot : colour;
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(pixel >> (8 * i)));
    }
  apptest::WriteBytes(file, bytes);
}

// A BMP of 6000 x 4000 pixels: 96 MB, Base64 text of 128 MB in the label's
// document.
TEST_F(LabelPictureRoomTest, ALargeBmpInsertedAndSavedOpensAgainWhole) {
  ShowActiveIn(LanguageFrench);
  const std::string file = Folder.File("scan.bmp");
  WriteBmp32(file, PhotoWidth, PhotoHeight, 0xFF285AC8u, 0xFFFA0A0Au);
  ASSERT_EQ(std::filesystem::file_size(file), 96'000'054u);
  ASSERT_TRUE(InsertPicture(file));

  const std::string label = Folder.File("scan.mqv");
  SaveWithTheButton(label);
  ASSERT_TRUE(std::filesystem::exists(label));
  OpenInANewWindow(label, LanguageFrench);
  ExpectAllShownAt(1, PhotoWidth, PhotoHeight);
  const auto shown = ShownPictures();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]->GetPixel(5, 0), 0xFF285AC8u);
  EXPECT_EQ(shown[0]->GetPixel(3900, 3900), 0xFFFA0A0Au);
  EXPECT_EQ(shown[0]->GetPixel(3901, 3900), 0xFF285AC8u);
}

}  // namespace
}  // namespace guitest
