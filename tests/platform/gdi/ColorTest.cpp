#include <gtest/gtest.h>

#include "platform/gdi/Color.h"
#include "platform/gdi/Raster.h"

TEST(Color, PlainColoursKeepTheirRgbAndLoseFlagBits) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456);
  EXPECT_EQ(ColorToRGB(0x02123456), 0x00123456);
}

TEST(Color, SystemColoursComeFromTheClassicTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4);  // 212, 208, 200
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clHighlight), 0x6A240A);  // 10, 36, 106
  EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFF);     // 255, 255, 225
  EXPECT_EQ(ColorToRGB(clMenuBar), 0xC8D0D4);
  EXPECT_EQ(ColorToRGB(SystemColor(31)), clBlack);   // no such system colour
  EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);
}

TEST(Color, CanvasPixelsSwapToArgbWithAlphaZero) {
  EXPECT_EQ(gdi::PixelOf(0x00332211), 0x00112233u);
  EXPECT_EQ(gdi::PixelOf(clBtnFace), 0x00D4D0C8u);
  EXPECT_EQ(gdi::ColorOfPixel(0xFF112233), 0x00332211);
}
