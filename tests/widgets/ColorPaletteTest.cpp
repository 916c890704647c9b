// The palette's data and geometry: the named and system colour table, the
// keyboard walk and the hexagonal combs, checked against hand-worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "widgets/ColorComb.h"
#include "widgets/ColorPalette.h"
#include "widgets/PopupNavigation.h"

using namespace widgets;

namespace {

struct TExpectedCell {
  const char* Hint;
  TColor Value;
};

// The palette as the product documentation lists it.
const std::vector<TExpectedCell> kExpectedNamed = {
    {"Black", 0x00000000},      {"Brown", 0x00003399},           {"Olive Green", 0x00003333},
    {"Dark Green", 0x00003300}, {"Dark Teal", 0x00663300},       {"Dark blue", 0x00800000},
    {"Indigo", 0x00993333},     {"Gray-80%", 0x00333333},        {"Dark Red", 0x00000080},
    {"Orange", 0x000066FF},     {"Dark Yellow", 0x00008080},     {"Green", 0x00008000},
    {"Teal", 0x00808000},       {"Blue", 0x00FF0000},            {"Blue-Gray", 0x00996666},
    {"Gray-50%", 0x00808080},   {"Red", 0x000000FF},             {"Light Orange", 0x000099FF},
    {"Lime", 0x0000CC99},       {"Sea Green", 0x00669933},       {"Aqua", 0x00CCCC33},
    {"Light Blue", 0x00FF6633}, {"Violet", 0x00800080},          {"Grey-40%", 0x00969696},
    {"Pink", 0x00FF00FF},       {"Gold", 0x0000CCFF},            {"Yellow", 0x0000FFFF},
    {"Bright Green", 0x0000FF00}, {"Turquoise", 0x00FFFF00},     {"Sky Blue", 0x00FFCC00},
    {"Plum", 0x00663399},       {"Gray-25%", 0x00C0C0C0},        {"Rose", 0x00CC99FF},
    {"Tan", 0x0099CCFF},        {"Light Yellow", 0x0099FFFF},    {"Light Green", 0x00CCFFCC},
    {"Light Turquoise", 0x00FFFFCC}, {"Pale Blue", 0x00FFCC99},  {"Lavender", 0x00FF99CC},
    {"White", 0x00FFFFFF},
};

const std::vector<const char*> kExpectedSystemHints = {
    "scroll bar", "background", "active caption", "inactive caption", "menu", "window", "window frame",
    "menu text", "window text", "caption text", "active border", "inactive border", "application workspace",
    "highlight", "highlight text", "button face", "button shadow", "gray text", "button text",
    "inactive caption text", "button highlight", "3D dark shadow", "3D light", "info text", "info background",
};

}  // namespace

TEST(ColorPalette, NamedAndSystemColoursEntryByEntry) {
  ASSERT_EQ(kExpectedNamed.size(), 40u);
  ASSERT_EQ(kExpectedSystemHints.size(), 25u);
  for (std::size_t i = 0; i < kExpectedNamed.size(); ++i) {
    EXPECT_EQ(kPalette[i].Hint, kExpectedNamed[i].Hint) << "cell " << i;
    EXPECT_EQ(kPalette[i].Value, kExpectedNamed[i].Value) << "cell " << i;
  }
  for (std::size_t i = 0; i < kExpectedSystemHints.size(); ++i) {
    EXPECT_EQ(kPalette[40 + i].Hint, std::string("system color: ") + kExpectedSystemHints[i]) << "cell " << 40 + i;
    EXPECT_EQ(static_cast<std::uint32_t>(kPalette[40 + i].Value), 0xFF000000u + i) << "cell " << 40 + i;
  }
}

TEST(PopupNavigation, ArrowWalkTable) {
  struct TCase {
    TPopupArrow Arrow;
    int From;
    int Last;
    bool HasDefault, HasCustom;
    int Expected;
  };
  using enum TPopupArrow;
  const TCase cases[] = {
      {Left, 9, 39, true, true, 8},     {Left, 8, 39, true, true, 7},     {Left, 0, 39, true, true, -3},
      {Left, 0, 39, false, true, -2},   {Left, 0, 39, false, false, 39},  {Left, -3, 39, true, true, -2},
      {Left, -3, 39, true, false, 39},  {Left, -2, 64, true, true, 64},   {Up, 12, 39, true, true, 4},
      {Up, 5, 39, true, true, -3},      {Up, 5, 39, false, true, -2},     {Up, 5, 64, false, false, 64},
      {Up, -3, 39, true, true, -2},     {Up, -3, 39, true, false, 39},    {Up, -2, 39, true, true, 39},
      {Right, 7, 39, true, true, 8},    {Right, 39, 39, true, true, -2},  {Right, 39, 39, true, false, -3},
      {Right, 39, 39, false, false, 0}, {Right, 39, 64, true, true, 40},  {Right, -3, 39, true, true, 0},
      {Right, -2, 39, true, true, -3},  {Right, -2, 39, false, true, 0},  {Down, 3, 39, true, true, 11},
      {Down, 33, 39, true, true, -2},   {Down, 33, 39, true, false, -3},  {Down, 33, 39, false, false, 0},
      {Down, 33, 64, true, true, 41},   {Down, 57, 64, true, true, -2},   {Down, 56, 64, true, true, 64},
      {Down, -2, 39, true, true, -3},   {Down, -2, 39, false, true, 0},   {Down, -3, 39, true, true, 0},
      {Left, -1, 39, true, true, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(NextPopupCell(c.Arrow, c.From, c.Last, {c.HasDefault, c.HasCustom}), c.Expected)
        << "arrow " << static_cast<int>(c.Arrow) << " from " << c.From << " last " << c.Last;
}

TEST(PopupNavigation, WithoutSystemColoursNoArrowReachesThem) {
  for (int from = -3; from <= 39; ++from)
    for (const TPopupArrow arrow : {TPopupArrow::Left, TPopupArrow::Up, TPopupArrow::Right, TPopupArrow::Down}) {
      const int next = NextPopupCell(arrow, from, 39, {true, true});
      EXPECT_TRUE(next >= -3 && next <= 39 && next != -1) << from << " -> " << next;
    }
}

TEST(ColorComb, CellColoursFollowTheCornersAndTheIntensity) {
  const TCombArray comb = BuildColorComb(100, 100, 1.0f);
  ASSERT_EQ(comb.size(), 127u);
  EXPECT_EQ(comb[0].Color, 0xFFFFFF);
  // Ring r starts at index 1 + 3 r (r - 1); its sector k starts r k cells on.
  const auto ringStart = [](int ring) { return 1 + 3 * ring * (ring - 1); };
  const TColor corners[6] = {0xFF00FF, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(comb[static_cast<std::size_t>(ringStart(6) + 6 * k)].Color, corners[k]);
  // Half way out on the magenta corner: (1, 0.5, 1) -> 0x80 green rounded to even.
  EXPECT_EQ(comb[static_cast<std::size_t>(ringStart(3))].Color, 0xFF80FF);
  // Half way along the outer magenta-to-red side: (1, 0, 0.5).
  EXPECT_EQ(comb[static_cast<std::size_t>(ringStart(6) + 3)].Color, 0x8000FF);
  EXPECT_EQ(BuildColorComb(0, 0, 0.5f)[0].Color, 0x808080);
  EXPECT_EQ(BuildColorComb(0, 0, 0.0f)[0].Color, 0x000000);
}

TEST(ColorComb, CellsTileWithoutOverlap) {
  for (const TCombArray& comb : {BuildColorComb(70, 80, 1.0f), BuildGreyComb(0, 0)}) {
    for (std::size_t i = 0; i < comb.size(); ++i)
      for (std::size_t j = i + 1; j < comb.size(); ++j) {
        const float distance = std::hypot(comb[i].X - comb[j].X, comb[i].Y - comb[j].Y);
        EXPECT_GT(distance, kCombCellSize - 0.01f) << i << " and " << j;
      }
  }
  const TCombArray comb = BuildColorComb(70, 80, 1.0f);
  EXPECT_EQ(CombCellAt(comb, 70, 80, false), 0);
  EXPECT_EQ(CombCellAt(comb, 70, 80 - 66, false), 1 + 3 * 6 * 5);  // the magenta corner, straight up
  EXPECT_EQ(CombCellAt(comb, 70 + 100, 80, false), -1);
}

TEST(ColorComb, GreyCombRunsFromWhiteToBlackWithALargerBlackCell) {
  const TCombArray grey = BuildGreyComb(0, 0);
  ASSERT_EQ(grey.size(), 17u);
  EXPECT_EQ(grey[0].Color, 0xFFFFFF);
  for (std::size_t i = 0; i < 16; ++i) {
    const int g = grey[i].Color & 0xFF;
    EXPECT_EQ(grey[i].Color, g | (g << 8) | (g << 16));
    if (i > 0) {
      EXPECT_LT(g, grey[i - 1].Color & 0xFF);
    }
  }
  EXPECT_EQ(grey[16].Color, 0);
  // The black cell is hit a whole cell size from its centre, a small one only half that.
  EXPECT_EQ(CombCellAt(grey, grey[16].X + 10, grey[16].Y, true), 16);
  EXPECT_EQ(CombCellAt(grey, grey[16].X + 10, grey[16].Y, false), -1);
}
