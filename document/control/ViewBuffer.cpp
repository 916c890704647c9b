#include "document/control/ViewBuffer.h"

#include <algorithm>

const TBitmap32& TdocViewBuffer::Update(const QRect& clip, const TKey& key, const TRender& render) {
  if (!(key == Key) || Page.GetWidth() != key.Size.width() || Page.GetHeight() != key.Size.height()) {
    Key = key;
    Valid = QRegion();
    Page.SetSize(key.Size.width(), key.Size.height());
  }
  const QRegion missing = QRegion(clip & QRect(QPoint(0, 0), key.Size)) - Valid;
  for (const QRect& rect : missing) render(Page, rect);
  Valid += missing;
  return Page;
}

void TdocViewBuffer::Paint(TBitmap32& target, const QRect& clip, const TKey& key, const TRender& render) {
  Update(clip, key, render);
  const QRect area = clip & QRect(QPoint(0, 0), key.Size);
  if (area.isEmpty()) return;
  // Same size, same place: row copies.
  const TPixelSurface from = Page.GetHandle();
  const TPixelSurface to = target.GetHandle();
  const QRect rows = area & QRect(0, 0, to.Width, to.Height);
  for (int y = rows.top(); y <= rows.bottom(); ++y) {
    const std::uint32_t* row = from.ScanLine(y) + rows.left();
    std::copy(row, row + rows.width(), to.ScanLine(y) + rows.left());
  }
}
