// The global thread pool kept to one worker: Qt's translucent fills that it
// splits among the pool's threads still cover every row.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QThreadPool>

#include "platform/qt/PaintThreads.h"

namespace {

// The pool as it was before the test, for the tests that follow.
class PaintThreadsTest : public ::testing::Test {
protected:
  ~PaintThreadsTest() override { QThreadPool::globalInstance()->setMaxThreadCount(Saved); }
  const int Saved = QThreadPool::globalInstance()->maxThreadCount();
};

TEST_F(PaintThreadsTest, OneWorkerIsStartedAtOnce) {
  LimitPaintThreads();
  QThreadPool& pool = *QThreadPool::globalInstance();
  EXPECT_EQ(pool.maxThreadCount(), 1);
  EXPECT_LE(pool.activeThreadCount(), 1);
  EXPECT_TRUE(pool.waitForDone(5000));
}

TEST_F(PaintThreadsTest, ATallTranslucentFillCoversEveryRow) {
  LimitPaintThreads();
  QImage image(40, 900, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.fillRect(QRect(5, 0, 30, 900), QColor(0, 0, 0, 15));
  }
  // Black at alpha 15 over white: 255 x (255 - 15) / 255 = 240 on each channel.
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const int expected = x >= 5 && x < 35 ? 240 : 255;
      ASSERT_EQ(qRed(image.pixel(x, y)), expected) << x << "," << y;
      ASSERT_EQ(qBlue(image.pixel(x, y)), expected) << x << "," << y;
    }
}

}  // namespace
