#include "document/control/ViewBuffer.h"

#include "platform/gdi/StretchCopy.h"

void TdocViewBuffer::Paint(TBitmap32& target, const QRect& clip, const TKey& key, const TRender& render) {
  if (!(key == Key) || Page.GetWidth() != key.Size.width() || Page.GetHeight() != key.Size.height()) {
    Key = key;
    Valid = QRegion();
    Page.SetSize(key.Size.width(), key.Size.height());
  }
  const QRect area = clip & QRect(QPoint(0, 0), key.Size);
  if (area.isEmpty()) return;
  const QRegion missing = QRegion(area) - Valid;
  for (const QRect& rect : missing) render(Page, rect);
  Valid += missing;
  const TRect pixels{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
  gdi::StretchCopy(target.GetHandle(), pixels, Page.GetHandle(), pixels, TStretchMode::Nearest);
}
