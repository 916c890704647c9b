// The clipboard under the offscreen platform, and the pixel views it uses.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include "platform/gdi/Clipboard.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/Image.h"

namespace {

TEST(ClipboardTest, TextRoundTripKeepsEveryScript) {
  const std::u16string texts[] = {
      u"<?xml version=\"1.0\"?>\r\n<Selection/>",
      u"Καλημέρα κόσμε",
      u"Съешь же ещё этих мягких булок",
      u"clef 𝄞 and emoji 😀 beyond the basic plane",
  };
  for (const std::u16string& text : texts) {
    SetClipboardText(text);
    EXPECT_EQ(GetClipboardText(), text);
  }
  SetClipboardText(u"");
  EXPECT_EQ(GetClipboardText(), u"");
}

TEST(ClipboardTest, ImageRoundTripIsOpaqueWithTheSameColours) {
  TMemorySurface memory(3, 2);
  const TPixelSurface pixels = memory.Surface();
  // Alpha 0 as canvas drawing leaves it; the clipboard shows the colours.
  const std::uint32_t colours[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0x80FFFFFF, 0xFF000000};
  std::copy(std::begin(colours), std::end(colours), pixels.Bits);
  SetClipboardImage(pixels);

  const std::unique_ptr<TBitmap> image = GetClipboardImage();
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->GetWidth(), 3);
  ASSERT_EQ(image->GetHeight(), 2);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(image->GetSurface().Bits[i], colours[i] | 0xFF000000u) << "pixel " << i;
  // The clipboard keeps its own copy.
  pixels.Bits[0] = 0;
  EXPECT_EQ(GetClipboardImage()->GetSurface().Bits[0], 0xFFFF0000u);
}

TEST(ClipboardTest, TextIsNoImageAndAnImageIsNoText) {
  SetClipboardText(u"text only");
  EXPECT_EQ(GetClipboardImage(), nullptr);
  TMemorySurface memory(1, 1);
  SetClipboardImage(memory.Surface());
  EXPECT_EQ(GetClipboardText(), u"");
}

TEST(ImageTest, ViewsShareThePixelsInTheirByteOrder) {
  TMemorySurface memory(2, 1);
  const TPixelSurface pixels = memory.Surface();
  pixels.Bits[0] = 0x80112233;
  pixels.Bits[1] = 0x00445566;
  const QImage argb = WrapArgb(pixels);
  EXPECT_EQ(argb.constBits(), reinterpret_cast<const uchar*>(pixels.Bits));
  EXPECT_EQ(argb.pixelColor(0, 0), QColor(0x11, 0x22, 0x33, 0x80));
  EXPECT_EQ(WrapOpaque(pixels).pixelColor(1, 0), QColor(0x44, 0x55, 0x66, 0xFF));
  EXPECT_TRUE(WrapArgb(TPixelSurface{}).isNull());
  EXPECT_EQ(BitmapFromImage(QImage())->GetWidth(), 0);
}

TEST(ClipboardTest, TheFrameworkClipboardReachesTheSystemOne) {
  InstallClipboardPictures();
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(2, 1);
  bitmap.GetSurface().Pixel(0, 0) = 0x80102030;
  bitmap.GetSurface().Pixel(1, 0) = 0xFF405060;
  Clipboard().SetPicture(bitmap);
  const std::unique_ptr<TBitmap> image = GetClipboardImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetSurface().Pixel(0, 0), 0xFF102030u);  // opaque, as a device bitmap
  SetClipboardText(u"no picture");
  EXPECT_EQ(Clipboard().GetPicture(), nullptr);
  SetClipboardImage(bitmap.GetSurface());
  const std::unique_ptr<TBitmap> picture = Clipboard().GetPicture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetSurface().Pixel(1, 0), 0xFF405060u);
}

TEST(ImageTest, QtIconsAndVectorPicturesBecomeIconsAndMetafiles) {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, 0x00000000);
  image.setPixel(1, 0, 0xFF3366CC);
  const std::unique_ptr<TIcon> icon = IconFromQIcon(QIcon(QPixmap::fromImage(image)), 2);
  ASSERT_EQ(icon->GetWidth(), 2);
  ASSERT_EQ(icon->GetHeight(), 1);
  EXPECT_TRUE(icon->HasAlpha());
  TBitmap onto;
  onto.SetSize(2, 1);
  onto.GetSurface().Pixel(0, 0) = 0xFF0000FF;
  icon->Draw(onto.GetCanvas(), Rect(0, 0, 2, 1));
  EXPECT_EQ(onto.GetSurface().Pixel(0, 0), 0xFF0000FFu);  // the transparent pixel shows what was there
  EXPECT_EQ(onto.GetSurface().Pixel(1, 0), 0xFF3366CCu);

  QPicture recorded;
  {
    QPainter painter(&recorded);
    painter.fillRect(QRect(0, 0, 2, 3), QColor(0, 255, 0));
  }
  recorded.setBoundingRect(QRect(0, 0, 4, 3));
  const std::unique_ptr<TMetafile> metafile = MetafileFromPicture(recorded);
  ASSERT_EQ(metafile->GetWidth(), 4);
  ASSERT_EQ(metafile->GetHeight(), 3);
  TBitmap page;
  page.SetSize(8, 6);  // drawn at twice its size
  metafile->Draw(page.GetCanvas(), Rect(0, 0, 8, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(page.GetSurface().Pixel(x, y), x < 4 ? 0xFF00FF00u : 0u) << x << "," << y;
}

}  // namespace
