// The cursor table: the standard cursors the editor shows and its nine drawn
// cursors.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "platform/qt/CursorTable.h"

namespace {

TEST(CursorTableTest, StandardIdsGiveTheMatchingShapes) {
  const std::pair<TCursor, Qt::CursorShape> cases[] = {
      {crDefault, Qt::ArrowCursor},         {crIBeam, Qt::IBeamCursor},       {crSizeNESW, Qt::SizeBDiagCursor},
      {crSizeNS, Qt::SizeVerCursor},        {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
      {crHourGlass, Qt::WaitCursor},        {crAppStart, Qt::BusyCursor},     {crHandPoint, Qt::PointingHandCursor},
      {crSizeAll, Qt::SizeAllCursor},       {-99, Qt::ArrowCursor},           {5, Qt::ArrowCursor},
  };
  for (const auto& [id, shape] : cases) EXPECT_EQ(CursorFromId(id).shape(), shape) << id;
}

TEST(CursorTableTest, EditorCursorsAreDistinctDrawingsWithTheHotSpotOnInk) {
  std::vector<QImage> drawings;
  for (TCursor id = crDocCrossImage; id <= crRotation; ++id) {
    const QCursor cursor = CursorFromId(id);
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << id;
    const QImage image = cursor.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32)) << id;
    const QPoint hot = cursor.hotSpot();
    ASSERT_TRUE(image.rect().contains(hot)) << id;
    // The hot spot is drawn black, so it shows where the click lands.
    EXPECT_EQ(image.pixelColor(hot), QColor(Qt::black)) << id;
    for (const QImage& other : drawings) EXPECT_NE(image, other) << id;
    drawings.push_back(image);
    // Drawn once: a second request gives the same picture.
    EXPECT_EQ(CursorFromId(id).pixmap().toImage(), image) << id;
  }
  EXPECT_EQ(drawings.size(), 9u);
}

}  // namespace
