#include "document/control/ViewBuffer.h"

#include <QPainter>

void TdocViewBuffer::Paint(QPainter& painter, const QRect& clip, const TKey& key, const TRender& render) {
  if (!(key == Key) || Image.size() != key.Size) {
    Key = key;
    Valid = QRegion();
    if (Image.size() != key.Size) Image = QImage(key.Size, QImage::Format_ARGB32_Premultiplied);
  }
  const QRect area = clip & QRect(QPoint(0, 0), key.Size);
  if (area.isEmpty()) return;
  const QRegion missing = QRegion(area) - Valid;
  if (!missing.isEmpty()) {
    QPainter target(&Image);
    for (const QRect& rect : missing) render(target, rect);
    Valid += missing;
  }
  painter.drawImage(area.topLeft(), Image, area);
}
