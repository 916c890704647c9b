// Glyph images kept in lists of one size, shared through one cache by the
// buttons: slots reused, lists freed when empty, and the cache living
// exactly as long as some button does.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "widgets/ColorPickerButton.h"
#include "widgets/GlyphCache.h"

using namespace widgets;

namespace {

QImage Filled(int width, int height, Qt::GlobalColor color) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(color);
  return image;
}

// An olive square (the transparent colour) with a red square of side
// `red` in it, one pixel from the corner.
QImage Glyph(int width, int height, int red) {
  QImage glyph(width, height, QImage::Format_RGB32);
  glyph.fill(QColor(0x80, 0x80, 0x00));
  for (int y = 1; y <= red; ++y)
    for (int x = 1; x <= red; ++x) glyph.setPixelColor(x, y, Qt::red);
  return glyph;
}

int RedPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
  return count;
}

}  // namespace

TEST(GlyphList, TakesTheFirstFreeSlotAndCountsItsImages) {
  TGlyphList list(4, 4);
  EXPECT_EQ(list.Add(Filled(4, 4, Qt::red)), 0);
  EXPECT_EQ(list.Add(Filled(4, 4, Qt::green)), 1);
  EXPECT_EQ(list.Add(Filled(4, 4, Qt::blue)), 2);
  list.Delete(1);
  list.Delete(1);  // a free slot: nothing more
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list.Image(1).isNull());
  EXPECT_EQ(list.Add(Filled(4, 4, Qt::yellow)), 1);
  EXPECT_EQ(list.SlotCount(), 3);
  EXPECT_EQ(list.Image(1).pixelColor(0, 0), QColor(Qt::yellow));
  EXPECT_EQ(list.Image(2).pixelColor(0, 0), QColor(Qt::blue));
  EXPECT_TRUE(list.Image(3).isNull());
  EXPECT_TRUE(list.Image(-1).isNull());
  EXPECT_EQ(list.Add(Filled(4, 4, Qt::black)), 3);  // none free: one slot more
  EXPECT_EQ(list.GetCount(), 4);
}

TEST(GlyphCache, OneListPerSizeFreedWhenEmpty) {
  TGlyphCache cache;
  TGlyphList& small = cache.GetList(16, 16);
  EXPECT_EQ(&cache.GetList(16, 16), &small);
  TGlyphList& wide = cache.GetList(20, 16);
  EXPECT_NE(&wide, &small);
  EXPECT_EQ(cache.ListCount(), 2);
  const int slot = small.Add(Filled(16, 16, Qt::red));
  cache.ReturnList(small);  // still holds an image: kept
  cache.ReturnList(wide);
  EXPECT_EQ(cache.ListCount(), 1);
  EXPECT_EQ(cache.FindList(20, 16), nullptr);
  small.Delete(slot);
  cache.ReturnList(small);
  EXPECT_TRUE(cache.Empty());
}

// Buttons with glyphs of one size share a list; the cache goes with the
// last button.
TEST(GlyphCache, SharedByTheButtonsAndFreedWithTheLast) {
  ASSERT_EQ(TButtonGlyph::LiveCount(), 0);
  ASSERT_EQ(TButtonGlyph::SharedCache(), nullptr);
  auto window = std::make_unique<QWidget>();
  std::unique_ptr<TColorPickerButton> buttons[3];
  for (auto& button : buttons) {
    button = std::make_unique<TColorPickerButton>(window.get());
    button->resize(60, 30);
  }
  EXPECT_EQ(TButtonGlyph::LiveCount(), 3);
  ASSERT_NE(TButtonGlyph::SharedCache(), nullptr);
  buttons[0]->SetGlyph(Glyph(16, 16, 10));
  buttons[1]->SetGlyph(Glyph(16, 16, 8));
  buttons[2]->SetGlyph(Glyph(20, 12, 6));
  // Painting makes the up images; each button shows its own red square.
  EXPECT_EQ(RedPixels(buttons[0]->grab().toImage()), 100);
  EXPECT_EQ(RedPixels(buttons[1]->grab().toImage()), 64);
  EXPECT_EQ(RedPixels(buttons[2]->grab().toImage()), 36);
  const TGlyphCache& cache = *TButtonGlyph::SharedCache();
  EXPECT_EQ(cache.ListCount(), 2);
  ASSERT_NE(cache.FindList(16, 16), nullptr);
  EXPECT_EQ(cache.FindList(16, 16)->GetCount(), 2);
  // Disabled, a button adds its embossed image to the same list.
  buttons[1]->setEnabled(false);
  EXPECT_EQ(RedPixels(buttons[1]->grab().toImage()), 0);
  EXPECT_EQ(cache.FindList(16, 16)->GetCount(), 3);
  // A new glyph gives the old images back.
  buttons[1]->SetGlyph(Glyph(20, 12, 5));
  EXPECT_EQ(cache.FindList(16, 16)->GetCount(), 1);
  buttons[2].reset();
  EXPECT_EQ(cache.ListCount(), 1);
  buttons[0].reset();
  EXPECT_EQ(cache.ListCount(), 0);
  EXPECT_EQ(TButtonGlyph::SharedCache(), &cache);  // a button still lives
  buttons[1].reset();
  EXPECT_EQ(TButtonGlyph::LiveCount(), 0);
  EXPECT_EQ(TButtonGlyph::SharedCache(), nullptr);
}
