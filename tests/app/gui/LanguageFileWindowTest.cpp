// Language files a user may put in the data folder that no real language
// file comes near: a caption of many kilobytes, hundreds of them, lines of
// hundreds of megabytes. The real main window starts with each, in a
// process of its own, shows and paints itself within the screen, keeps the
// file's normal captions, and stays far below the memory of the machine.

#include <chrono>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "app/UiTexts.h"
#include "app/gui/CalculatorsTab.h"
#include "tests/app/gui/MainWindowTestSupport.h"
#include "tests/document/ChildProcessPeak.h"

namespace guitest {
namespace {

constexpr int HugeCaptionText = 4;  // the caption of the information button in the top row
constexpr int NormalCaptionText = 12;

// Lines of a language file, written in pieces: a line may be hundreds of
// megabytes.
class TLanguageFileWriter {
public:
  explicit TLanguageFileWriter(const std::string& path) : File(path, std::ios::binary) {}
  void Line(const std::string& head, std::size_t repeated = 0) {
    File << head;
    const std::string piece(1 << 20, 'W');
    for (std::size_t left = repeated; left > 0; left -= std::min(left, piece.size()))
      File.write(piece.data(), static_cast<std::streamsize>(std::min(left, piece.size())));
    File << "\r\n";
  }
  std::ofstream File;
};

// A header of ten lines, the first one headerLine bytes longer than its own,
// then texts 1 to 300 "Text n", with text 12 "Width"; text 4, or with
// allHuge every text but text 12, is textLength letters instead.
void WriteLanguageFile(const std::string& path, std::size_t headerLine, std::size_t textLength, bool allHuge) {
  TLanguageFileWriter file(path);
  file.Line("Language;English ", headerLine);
  file.Line("Font;DejaVu Sans");
  file.Line("Charset;0");
  for (int line = 4; line <= 10; ++line) file.Line("skipped;");
  for (int n = 1; n <= 300; ++n) {
    const bool huge = n == HugeCaptionText || (allHuge && n != NormalCaptionText);
    if (huge) file.Line(std::to_string(n) + ";", textLength);
    else file.Line(n == NormalCaptionText ? "12;Width" : std::to_string(n) + ";Text " + std::to_string(n));
  }
}

void Require(bool condition, const std::string& what) {
  if (!condition) throw std::runtime_error(what);
}

class LanguageFileWindowTest : public MainWindowTest {
public:
  // Starts the window with the file in the user's data folder, as the
  // program finds it, in a child process; checks there what a person sees.
  void ExpectStartsWithin(const char* name, std::size_t headerLine, std::size_t textLength, bool allHuge) {
    SCOPED_TRACE(name);
    WriteLanguageFile(LanguageFile(), headerLine, textLength, allHuge);
    LongCaption = textLength > 1024;
    const auto start = std::chrono::steady_clock::now();
    const doctest::TChildOutcome outcome = doctest::RunInChild([this] { ShowPaintAndLook(); }, 120);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << name << ": peak growth " << outcome.PeakGrowthKb / 1024 << " MB, " << seconds << " s\n";
    EXPECT_TRUE(outcome.Finished) << outcome.Failure;
    EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024) << "more than 1 GB for a language file";
    EXPECT_LT(seconds, 60) << "far beyond the fraction of a second of an optimised build";
  }

private:
  void ShowPaintAndLook() {
    app::TForm1& form = ShowActiveIn(LanguageFrench);
    const QRect screen = form.screen()->availableGeometry();
    RequireWithin(form, "shown", screen.size());
    Require(form.Lablargeur->text() == "Width", "the normal caption shows " + form.Lablargeur->text().toStdString());
    const QString caption = form.sbinfos->text();
    Require(caption.startsWith("WWW") && caption.endsWith(QChar(0x2026)) == LongCaption,
            "the caption shows " + caption.left(40).toStdString());
    Require(form.sbinfos->width() <= screen.width() / 4, "the caption's button is wider than its room");
    for (const QWidget* control : std::initializer_list<const QWidget*>{form.spcharge, form.spzoomplus})
      Require(QFontMetrics(QToolTip::font()).horizontalAdvance(control->toolTip()) <= screen.width(),
              "a hint wider than the screen");
    Require(form.PopupMenu1->sizeHint().width() <= screen.width(), "a menu wider than the screen");
    // The pages built when first wanted get their captions then. The
    // calculators need a little more than the small test screen's width with
    // any captions: no caption may widen the window past its design width.
    const QSize designed(1000, screen.height());
    ClickTab(form, form.tabutilitaires);
    Require(form.tabutilitaires->IsBuilt(), "the calculators' tab cannot be clicked");
    RequireWithin(form, "with the calculators", designed);
    ClickTab(form, form.Tabparaetiquette);
    FocusNewShape(form, app::TForm1::ikBarcode);
    Require(form.panelcarshape->IsBuilt(), "no property panel");
    RequireWithin(form, "with the property panel", designed);
  }

  static void RequireWithin(app::TForm1& form, const std::string& when, QSize room) {
    form.repaint();
    QApplication::processEvents();
    // The window grows to its layout's minimum at some later turn of the event loop.
    const QSize size = form.frameGeometry().size().expandedTo(form.minimumSizeHint());
    Require(size.width() <= room.width() && size.height() <= room.height(),
            when + ": window of " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                " pixels in a room of " + std::to_string(room.width()) + " x " + std::to_string(room.height()));
  }

  bool LongCaption = false;
};

TEST_F(LanguageFileWindowTest, HugeCaptionsAreCutToTheirRoomAndTheWindowFitsTheScreen) {
  ExpectStartsWithin("one caption of 16 KB", 0, 16 << 10, false);
  ExpectStartsWithin("one caption of 128 KB", 0, 128 << 10, false);
  ExpectStartsWithin("299 captions of 256 KB", 0, 256 << 10, true);
}

TEST_F(LanguageFileWindowTest, LinesOfHundredsOfMegabytesAreReadOnlyInPart) {
  ExpectStartsWithin("one text line of 256 MB", 0, std::size_t{256} << 20, false);
  ExpectStartsWithin("a header line of 64 MB", std::size_t{64} << 20, 3, false);
}

}  // namespace
}  // namespace guitest
