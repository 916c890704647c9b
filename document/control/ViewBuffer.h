#pragma once
// The rendered page under the window, kept between paints: a paint that
// finds the view unchanged copies from it instead of rendering the page
// again (the caret, the hair line and exposes cost a copy). Any change of
// the document drops it; a change of scroll position, scale or window size
// is noticed at the next paint.

#include <functional>

#include <QImage>
#include <QRegion>

class QPainter;

class TdocViewBuffer {
public:
  // What the buffer's pixels depend on besides the document.
  struct TKey {
    float Left = 0.0f;
    float Top = 0.0f;
    float Scale = 0.0f;
    QSize Size;
    bool operator==(const TKey&) const = default;
  };
  using TRender = std::function<void(QPainter& painter, const QRect& rect)>;

  // The document changed: everything is rendered again.
  void Invalidate() { Valid = QRegion(); }
  // Draws clip from the buffer, rendering the parts not yet in it first.
  void Paint(QPainter& painter, const QRect& clip, const TKey& key, const TRender& render);

private:
  QImage Image;
  QRegion Valid;
  TKey Key;
};
