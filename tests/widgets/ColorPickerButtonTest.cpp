// The colour picker button driven as a user would: clicks and keys in its
// palette pop-up, its events, and where the pop-up opens on the screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <memory>

#include "widgets/ColorPalette.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/ColorPopup.h"

using namespace widgets;

namespace {

class ColorPickerButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(120, 60);
    button_ = new TColorPickerButton(window_.get());
    button_->move(10, 10);
    button_->SetDefaultText("&Default");
    button_->SetCustomText("&Custom...");
    button_->OnChange = [this](TColorPickerButton&) { ++changes_; };
    button_->OnDefaultSelect = [this](TColorPickerButton&) { ++defaultSelects_; };
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  TColorPopup& Popup() { return button_->Popup(); }

  void Open() {
    QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(button_->width() - 5, button_->height() / 2));
    ASSERT_TRUE(button_->GetDroppedDown());
    ASSERT_TRUE(Popup().isVisible());
  }

  void ClickCell(int cell) { QTest::mouseClick(&Popup(), Qt::LeftButton, {}, Popup().CellRect(cell).center()); }

  void PlaceWindowAt(QPoint topLeft) {
    window_->move(topLeft);
    QApplication::processEvents();
  }

  std::unique_ptr<QWidget> window_;
  TColorPickerButton* button_ = nullptr;
  int changes_ = 0;
  int defaultSelects_ = 0;
};

}  // namespace

TEST_F(ColorPickerButtonTest, StartsAsTheControlIsCreated) {
  EXPECT_EQ(button_->width(), 45);
  EXPECT_EQ(button_->height(), 22);
  EXPECT_EQ(button_->GetDropDownWidth(), 15);
  EXPECT_EQ(button_->GetSelectionColor(), clBlack);
  EXPECT_EQ(button_->GetIndicatorBorder(), ibFlat);
  EXPECT_EQ(button_->GetPopupSpacing(), 8);
  EXPECT_EQ(button_->GetMargin(), -1);
  EXPECT_EQ(button_->GetSpacing(), 4);
  EXPECT_FALSE(button_->GetDroppedDown());
}

TEST_F(ColorPickerButtonTest, ClickingEachCellPicksItsColourAndHintsItsName) {
  button_->SetShowSystemColors(true);
  button_->SetSelectionColor(clNone);
  for (int cell = 0; cell < kPaletteCellCount; ++cell) {
    Open();
    const QPoint centre = Popup().CellRect(cell).center();
    EXPECT_EQ(Popup().HintAt(centre).Text.toStdString(), std::string(kPalette[static_cast<std::size_t>(cell)].Hint));
    const int before = changes_;
    ClickCell(cell);
    EXPECT_FALSE(button_->GetDroppedDown()) << "cell " << cell;
    EXPECT_EQ(button_->GetSelectionColor(), kPalette[static_cast<std::size_t>(cell)].Value) << "cell " << cell;
    EXPECT_EQ(changes_, before + 1) << "cell " << cell;
  }
}

TEST_F(ColorPickerButtonTest, EqualSelectionFiresNothingADifferentOneFiresOnce) {
  button_->SetSelectionColor(clBlack);
  EXPECT_EQ(changes_, 0);
  button_->SetSelectionColor(clRed);
  EXPECT_EQ(changes_, 1);
  button_->SetSelectionColor(clRed);
  EXPECT_EQ(changes_, 1);
  // Picking the colour already selected changes nothing either.
  Open();
  ClickCell(16);
  EXPECT_EQ(button_->GetSelectionColor(), clRed);
  EXPECT_EQ(changes_, 1);
}

TEST_F(ColorPickerButtonTest, NoneAndDefaultMapToNoCellAndTheDefaultButton) {
  button_->SetSelectionColor(clNone);
  Open();
  EXPECT_EQ(Popup().GetSelectedIndex(), kNoCell);
  QTest::keyClick(&Popup(), Qt::Key_Escape);
  button_->SetSelectionColor(clDefault);
  Open();
  EXPECT_EQ(Popup().GetSelectedIndex(), kDefaultCell);
  // Choosing the default entry reports it and leaves the colour alone.
  ClickCell(kDefaultCell);
  EXPECT_EQ(defaultSelects_, 1);
  EXPECT_EQ(button_->GetSelectionColor(), clDefault);
  EXPECT_FALSE(button_->GetDroppedDown());
}

TEST_F(ColorPickerButtonTest, SystemColoursSelectTheirCellOrTheMatchingNamedColour) {
  struct TCase {
    bool ShowSystem;
    TColor Color;
    int Cell;
  };
  const TCase cases[] = {
      {false, clWindowText, 0},   // black
      {false, clWindow, 39},      // white
      {false, clHighlight, kNoCell},
      {true, clWindowText, 48},   // the system cell itself
      {true, clBtnFace, 55},
      {true, 0xC8D0D4, 40},       // button face's RGB: the first system colour with it
      {true, clHighlightText, 54},
      {true, 0x0000FF, 16},       // named colours come before system ones
  };
  for (const TCase& c : cases) {
    button_->SetShowSystemColors(c.ShowSystem);
    button_->SetSelectionColor(c.Color);
    Popup().SelectColor(c.Color);
    EXPECT_EQ(Popup().GetSelectedIndex(), c.Cell) << std::hex << c.Color;
  }
}

TEST_F(ColorPickerButtonTest, ArrowKeysAndEnterPickTheCell) {
  button_->SetSelectionColor(kPalette[16].Value);  // Red, row 2 column 0
  Open();
  QTest::keyClick(&Popup(), Qt::Key_Right);
  EXPECT_EQ(Popup().GetHoverIndex(), 17);
  QTest::keyClick(&Popup(), Qt::Key_Down);
  QTest::keyClick(&Popup(), Qt::Key_Down);
  EXPECT_EQ(Popup().GetHoverIndex(), 33);
  QTest::keyClick(&Popup(), Qt::Key_Left);
  QTest::keyClick(&Popup(), Qt::Key_Up);
  EXPECT_EQ(Popup().GetHoverIndex(), 24);
  QTest::keyClick(&Popup(), Qt::Key_Return);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(button_->GetSelectionColor(), kPalette[24].Value);

  Open();
  QTest::keyClick(&Popup(), Qt::Key_Down);
  QTest::keyClick(&Popup(), Qt::Key_Down);
  EXPECT_EQ(Popup().GetHoverIndex(), kCustomCell);  // nothing below row 4 without system colours
  QTest::keyClick(&Popup(), Qt::Key_Escape);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(button_->GetSelectionColor(), kPalette[24].Value);
}

TEST_F(ColorPickerButtonTest, AltWithTheDefaultAcceleratorClosesAtOnce) {
  Open();
  QTest::keyClick(&Popup(), Qt::Key_D, Qt::AltModifier);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(defaultSelects_, 1);
}

TEST_F(ColorPickerButtonTest, CustomButtonOpensTheCombsAndPicksTheirColour) {
  Open();
  const int closedHeight = Popup().height();
  QTest::keyClick(&Popup(), Qt::Key_C, Qt::AltModifier);
  ASSERT_TRUE(button_->GetDroppedDown());
  EXPECT_GT(Popup().height(), closedHeight);
  EXPECT_TRUE(Popup().rect().contains(Popup().CustomAreaRect()));

  // Half way along the outer side from magenta to red: no named colour has it.
  const TCombCell side = Popup().ColorComb()[1 + 3 * 6 * 5 + 3];
  const QPoint sidePoint(qRound(side.X), qRound(side.Y));
  QTest::mouseClick(&Popup(), Qt::LeftButton, {}, sidePoint);
  EXPECT_EQ(Popup().HintAt(sidePoint).Text.toStdString(), "red: 255, green: 0, blue: 128");
  EXPECT_EQ(Popup().GetCustomIndex(), 1 + 1 + 3 * 6 * 5 + 3);
  EXPECT_TRUE(button_->GetDroppedDown());
  ClickCell(kCustomCell);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(button_->GetSelectionColor(), 0x8000FF);

  // Reopened with a comb colour, the pop-up shows the combs at once and
  // picks the large black grey cell a little off its centre.
  Open();
  EXPECT_EQ(Popup().GetSelectedIndex(), kCustomCell);
  const TCombCell black = Popup().GreyComb().back();
  QTest::mouseClick(&Popup(), Qt::LeftButton, {}, QPoint(qRound(black.X) + 8, qRound(black.Y)));
  ClickCell(kCustomCell);
  EXPECT_EQ(button_->GetSelectionColor(), clBlack);
}

// The combs hold their colours whether or not the custom button is shown: a
// colour of either comb selects its cell there.
TEST_F(ColorPickerButtonTest, CombColoursAreFoundWithoutACustomText) {
  button_->SetCustomText("");
  const TCombCell side = Popup().ColorComb()[1 + 3 * 6 * 5 + 3];  // between magenta and red
  ASSERT_EQ(side.Color, 0x8000FF);
  button_->SetSelectionColor(side.Color);
  Open();
  EXPECT_EQ(Popup().GetSelectedIndex(), kCustomCell);
  EXPECT_EQ(Popup().GetCustomIndex(), 1 + 1 + 3 * 6 * 5 + 3);
  // Enter keeps the comb colour; no custom area opens without its button.
  QTest::keyClick(&Popup(), Qt::Key_Return);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(button_->GetSelectionColor(), 0x8000FF);
  button_->SetSelectionColor(0xEFEFEF);  // the second grey level, 255 - 16
  Open();
  EXPECT_EQ(Popup().GetSelectedIndex(), kCustomCell);
  EXPECT_EQ(Popup().GetCustomIndex(), -2);
  QTest::keyClick(&Popup(), Qt::Key_Escape);
  EXPECT_EQ(button_->GetSelectionColor(), 0xEFEFEF);
}

// Enter with nothing hovered and nothing selected is a choice of no cell:
// the pop-up closes as chosen, not cancelled, and reports the default.
TEST_F(ColorPickerButtonTest, EnterOnNoCellClosesWithTheDefaultSelect) {
  button_->SetSelectionColor(clNone);
  int dropChanges = 0;
  button_->OnDropChanged = [&](TColorPickerButton&) { ++dropChanges; };
  Open();
  ASSERT_EQ(Popup().GetSelectedIndex(), kNoCell);
  ASSERT_EQ(Popup().GetHoverIndex(), kNoCell);
  QTest::keyClick(&Popup(), Qt::Key_Return);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(defaultSelects_, 1);
  EXPECT_EQ(button_->GetSelectionColor(), clNone);
  EXPECT_EQ(dropChanges, 2);
  // Escape cancels: no default select.
  Open();
  QTest::keyClick(&Popup(), Qt::Key_Escape);
  EXPECT_EQ(defaultSelects_, 1);
}

TEST_F(ColorPickerButtonTest, IntensityBarDimsTheColourComb) {
  button_->SetSelectionColor(0xFF80FF);  // a colour of the comb: the custom area shows
  Open();
  const QRect bar = Popup().IntensityBarRect();
  const QPoint middle(bar.center().x(), (bar.top() + bar.bottom() + 1) / 2);
  QTest::mousePress(&Popup(), Qt::LeftButton, {}, middle);
  QTest::mouseRelease(&Popup(), Qt::LeftButton, {}, middle);
  EXPECT_NEAR(Popup().GetIntensity(), 0.5f, 0.01f);
  EXPECT_EQ(Popup().HintAt(middle).Text.toStdString(), "Intensity: 50%");
  EXPECT_EQ(Popup().HintAt(middle).DurationMs, 5000);
  EXPECT_EQ(Popup().ColorComb()[0].Color, 0x808080);
}

TEST_F(ColorPickerButtonTest, HintEventRewritesCellHints) {
  button_->OnHint = [](TColorPickerButton&, int cell, std::string& hint) { hint += " #" + std::to_string(cell); };
  Open();
  EXPECT_EQ(Popup().HintAt(Popup().CellRect(5).center()).Text.toStdString(), "Dark blue #5");
  EXPECT_EQ(Popup().HintAt(Popup().CellRect(kDefaultCell).center()).Text.toStdString(), "Default");
}

TEST_F(ColorPickerButtonTest, DropChangingMayRefuseAndClickOnFaceIsAClick) {
  int clicks = 0, dropChanges = 0;
  button_->OnClick = [&](TColorPickerButton&) { ++clicks; };
  button_->OnDropChanged = [&](TColorPickerButton&) { ++dropChanges; };
  button_->OnDropChanging = [](TColorPickerButton&, bool& allowed) { allowed = false; };
  QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(button_->width() - 5, 5));
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_EQ(dropChanges, 0);
  QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button_->GetDroppedDown());
}

TEST_F(ColorPickerButtonTest, PopupOpensBesideTheButtonAndStaysOnScreen) {
  const QRect screen = button_->screen()->availableGeometry();
  struct TCorner {
    const char* Name;
    QPoint WindowPos;
    bool Above;
  };
  const TCorner corners[] = {
      {"top left", screen.topLeft() + QPoint(40, 0), false},
      {"top right", QPoint(screen.right() - window_->width() + 1, screen.top()), false},
      {"bottom left", QPoint(screen.left() + 40, screen.bottom() - window_->height() + 1), true},
      {"bottom right", QPoint(screen.right() - window_->width() + 1, screen.bottom() - window_->height() + 1), true},
  };
  for (const TCorner& corner : corners) {
    PlaceWindowAt(corner.WindowPos);
    Open();
    const QRect popup = Popup().geometry();
    const QRect buttonRect(button_->mapToGlobal(QPoint(0, 0)), button_->size());
    EXPECT_TRUE(screen.contains(popup)) << corner.Name;
    const int expectedTop = corner.Above ? buttonRect.top() - popup.height() : buttonRect.bottom() + 1;
    EXPECT_EQ(popup.top(), expectedTop) << corner.Name;
    const bool fitsRight = buttonRect.left() - 1 + popup.width() <= screen.right() + 1;
    EXPECT_EQ(popup.left(), fitsRight ? buttonRect.left() - 1 : screen.right() + 1 - popup.width()) << corner.Name;
    QTest::keyClick(&Popup(), Qt::Key_Escape);
  }
}

TEST_F(ColorPickerButtonTest, IndicatorShowsTheSelectedColour) {
  button_->SetSelectionColor(0x00336699);  // RGB 99, 66, 33
  const QImage face = button_->grab().toImage();
  const QRect indicator = button_->IndicatorRect();
  EXPECT_EQ(indicator, QRect(2, 2, 45 - 15 - 2 - 4, 22 - 4));
  EXPECT_EQ(face.pixelColor(indicator.center()), QColor(0x99, 0x66, 0x33));
  EXPECT_EQ(face.pixelColor(indicator.topLeft()), QColor(128, 128, 128));  // flat border in button shadow
}

TEST_F(ColorPickerButtonTest, PressOutsideThePopupCancels) {
  button_->SetSelectionColor(clRed);
  Open();
  QTest::keyClick(&Popup(), Qt::Key_Right);
  const QPoint outside = Popup().mapFromGlobal(window_->mapToGlobal(QPoint(window_->width() - 2, 2)));
  ASSERT_FALSE(Popup().rect().contains(outside));
  QTest::mouseClick(&Popup(), Qt::LeftButton, {}, outside);
  EXPECT_FALSE(button_->GetDroppedDown());
  EXPECT_FALSE(Popup().isVisible());
  EXPECT_EQ(button_->GetSelectionColor(), clRed);
  EXPECT_EQ(changes_, 1);
}

TEST(ButtonGlyph, LayoutPlacesGlyphAndCaption) {
  const QRect client(0, 0, 100, 20);
  // Centred: margin (100 - 16 - 4 - 30 + 1) / 2 = 25.
  TButtonLayoutResult placed = CalcButtonLayout(client, QSize(16, 16), QSize(30, 10), blGlyphLeft, -1, 4);
  EXPECT_EQ(placed.GlyphPos, QPoint(25, 2));
  EXPECT_EQ(placed.TextRect, QRect(45, 5, 30, 10));
  placed = CalcButtonLayout(client, QSize(16, 16), QSize(30, 10), blGlyphRight, 3, 4);
  EXPECT_EQ(placed.GlyphPos, QPoint(81, 2));
  EXPECT_EQ(placed.TextRect.left(), 81 - 4 - 30);
  // Spread evenly: (100 - 16 - 30) / 3 = 18 before, between and after.
  placed = CalcButtonLayout(client, QSize(16, 16), QSize(30, 10), blGlyphLeft, -1, -1);
  EXPECT_EQ(placed.GlyphPos.x(), 18);
  EXPECT_EQ(placed.TextRect.left(), 18 + 16 + 18);
  placed = CalcButtonLayout(QRect(0, 0, 40, 60), QSize(16, 16), QSize(30, 10), blGlyphTop, -1, 4);
  EXPECT_EQ(placed.GlyphPos, QPoint(12, (60 - 16 - 4 - 10 + 1) / 2));
}

TEST(ButtonGlyph, DisabledImageIsEmbossedFromTheShape) {
  // A 4 x 4 glyph: olive (the transparent colour) with one red pixel at (1, 1).
  QImage glyph(4, 4, QImage::Format_RGB32);
  glyph.fill(QColor(0x80, 0x80, 0x00));
  glyph.setPixelColor(1, 1, Qt::red);
  TButtonGlyph buttonGlyph;
  buttonGlyph.SetGlyph(glyph);
  const QImage up = buttonGlyph.Image(bsUp);
  EXPECT_EQ(up.pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(up.pixelColor(0, 0).alpha(), 0);
  const QImage disabled = buttonGlyph.Image(bsDisabled);
  EXPECT_EQ(disabled.pixelColor(1, 1), QColor(128, 128, 128));  // button shadow at the place
  EXPECT_EQ(disabled.pixelColor(2, 2), QColor(255, 255, 255));  // button highlight one right and down
  EXPECT_EQ(disabled.pixelColor(0, 0).alpha(), 0);
  // A glyph of two states provides its own disabled image.
  QImage pair(8, 4, QImage::Format_RGB32);
  pair.fill(Qt::blue);
  buttonGlyph.SetGlyph(pair);
  buttonGlyph.SetNumGlyphs(2);
  EXPECT_EQ(buttonGlyph.ImageSize(), QSize(4, 4));
  EXPECT_EQ(buttonGlyph.Image(bsDisabled).pixelColor(0, 0), QColor(Qt::blue));
}

// A button given an action shows and follows it, and a click on its face
// runs it; OnClick, when set, runs in its place.
TEST_F(ColorPickerButtonTest, TheActionGivesCaptionStateAndClick) {
  auto action = std::make_unique<QAction>(QStringLiteral("&Fill"));
  action->setToolTip(QStringLiteral("Fill colour"));
  int triggered = 0;
  QObject::connect(action.get(), &QAction::triggered, [&] { ++triggered; });
  button_->resize(90, 22);
  button_->SetAction(action.get());
  EXPECT_EQ(button_->GetAction(), action.get());
  EXPECT_EQ(button_->GetCaption(), "&Fill");
  EXPECT_EQ(button_->toolTip(), "Fill colour");
  const QPoint face(5, 5);
  QTest::mouseClick(button_, Qt::LeftButton, {}, face);
  EXPECT_EQ(triggered, 1);
  EXPECT_FALSE(button_->GetDroppedDown());

  action->setEnabled(false);
  EXPECT_FALSE(button_->isEnabled());
  QTest::mouseClick(button_, Qt::LeftButton, {}, face);
  EXPECT_EQ(triggered, 1);
  action->setEnabled(true);
  action->setText(QStringLiteral("&Line"));
  EXPECT_EQ(button_->GetCaption(), "&Line");
  action->setVisible(false);
  EXPECT_FALSE(button_->isVisible());
  action->setVisible(true);

  int clicks = 0;
  button_->OnClick = [&](TColorPickerButton&) { ++clicks; };
  QTest::mouseClick(button_, Qt::LeftButton, {}, face);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(triggered, 1);
  button_->OnClick = nullptr;

  // An action deleted by its owner is gone from the button too.
  action.reset();
  EXPECT_EQ(button_->GetAction(), nullptr);
  QTest::mouseClick(button_, Qt::LeftButton, {}, face);
  EXPECT_EQ(triggered, 1);
}
