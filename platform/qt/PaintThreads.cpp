#include "platform/qt/PaintThreads.h"

#include <QThreadPool>

void LimitPaintThreads() {
  QThreadPool& pool = *QThreadPool::globalInstance();
  pool.setMaxThreadCount(1);
  pool.start([] {});
}
