#include <gtest/gtest.h>

#include "platform/gdi/Color.h"
#include "platform/gdi/Raster.h"

TEST(Color, RgbKeepsPlainColoursAndLooksUpSystemColoursInTheClassicTable) {
  const struct {
    TColor Color, Rgb;
  } cases[] = {
      {clRed, 0x0000FF},       {0x00123456, 0x123456}, {0x02123456, 0x123456},  // flag bits dropped
      {clBtnFace, 0xC8D0D4},   {clWindow, clWhite},    {clWindowText, clBlack},
      {clHighlight, 0x6A240A}, {clInfoBk, 0xE1FFFF},   {clMenuBar, 0xC8D0D4},
      {SystemColor(31), clBlack},  // no such system colour
  };
  for (const auto& c : cases) EXPECT_EQ(ColorToRGB(c.Color), c.Rgb) << std::hex << c.Color;
  EXPECT_EQ(gdi::PixelOf(clBtnFace), 0x00D4D0C8u);  // canvas pixels are ARGB with alpha 0
  EXPECT_EQ(gdi::ColorOfPixel(0xFF112233), 0x00332211);
}
