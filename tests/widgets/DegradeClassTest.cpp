// The gradient panel's pixels against bands worked out here with MulDiv.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "widgets/DegradeClass.h"

using namespace widgets;

namespace {

// Windows MulDiv: a x b / c rounded to the nearest, halves away from zero.
int MulDivRounded(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long magnitude = (2 * std::llabs(product) + c) / (2 * c);
  return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

QColor ExpectedRow(int y, int height, QColor start, QColor end) {
  for (int band = 0; band < 256; ++band) {
    if (y >= MulDivRounded(band, height, 256) && y < MulDivRounded(band + 1, height, 256))
      return QColor(start.red() + MulDivRounded(band, end.red() - start.red(), 255),
                    start.green() + MulDivRounded(band, end.green() - start.green(), 255),
                    start.blue() + MulDivRounded(band, end.blue() - start.blue(), 255));
  }
  return QColor();
}

QImage Paint(TColor start, TColor end, int width, int height) {
  QWidget parent;
  parent.resize(width, height);
  auto* panel = new TDegradeClass(&parent);
  panel->SetStartColor(start);
  panel->SetEndColor(end);
  EXPECT_EQ(panel->size(), QSize(width, height));
  return panel->grab().toImage();
}

}  // namespace

TEST(DegradeClass, BandsFollowMulDiv) {
  struct TCase {
    TColor Start, End;
    QColor StartRgb, EndRgb;
  };
  const TCase cases[] = {
      {0xFF0000, 0x0000FF, QColor(0, 0, 255), QColor(255, 0, 0)},  // the colours at creation
      {0x302010, 0xD0E0F0, QColor(0x10, 0x20, 0x30), QColor(0xF0, 0xE0, 0xD0)},
      {clBtnFace, clHighlight, QColor(212, 208, 200), QColor(10, 36, 106)},
      {0x123456, 0x123456, QColor(0x56, 0x34, 0x12), QColor(0x56, 0x34, 0x12)},  // a plain fill
  };
  for (const TCase& c : cases)
    for (const int height : {1, 2, 100, 255, 256, 257, 300, 777}) {
      const QImage image = Paint(c.Start, c.End, 7, height);
      ASSERT_EQ(image.height(), height);
      for (int y = 0; y < height; ++y) {
        const QColor expected = ExpectedRow(y, height, c.StartRgb, c.EndRgb);
        ASSERT_EQ(image.pixelColor(0, y), expected) << "height " << height << " row " << y;
        ASSERT_EQ(image.pixelColor(6, y), expected) << "height " << height << " row " << y;
      }
    }
}

TEST(DegradeClass, OnePixelHighShowsBand127) {
  // Blue to red: red 0 + round(127 x 255 / 255) = 127, blue 255 - 127 = 128.
  const QImage image = Paint(0xFF0000, 0x0000FF, 5, 1);
  EXPECT_EQ(image.pixelColor(0, 0), QColor(127, 0, 128));
}

TEST(DegradeClass, StartsBlueToRedAndFollowsItsParent) {
  QWidget parent;
  parent.resize(50, 40);
  TDegradeClass panel(&parent);
  EXPECT_EQ(panel.GetStartColor(), 0xFF0000);
  EXPECT_EQ(panel.GetEndColor(), 0x0000FF);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  parent.resize(80, 90);
  EXPECT_EQ(panel.geometry(), QRect(0, 0, 80, 90));
}
