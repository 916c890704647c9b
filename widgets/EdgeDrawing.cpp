#include "widgets/EdgeDrawing.h"

namespace widgets {

namespace {

// One ring of an edge: top and left lines in one colour, bottom and right in
// the other.
QRect DrawRing(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
  const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
  painter.fillRect(QRect(l, t, rect.width(), 1), topLeft);
  painter.fillRect(QRect(l, t, 1, rect.height()), topLeft);
  painter.fillRect(QRect(l, b, rect.width(), 1), bottomRight);
  painter.fillRect(QRect(r, t, 1, rect.height()), bottomRight);
  return rect.adjusted(1, 1, -1, -1);
}

QRect DrawRing(QPainter& painter, const QRect& rect, TColor topLeft, TColor bottomRight) {
  return DrawRing(painter, rect, ToQColor(topLeft), ToQColor(bottomRight));
}

}  // namespace

QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QRect DrawEdge(QPainter& painter, const QRect& rect, TEdge edge) {
  switch (edge) {
    case TEdge::RaisedInner:
      return DrawRing(painter, rect, clBtnHighlight, clBtnShadow);
    case TEdge::SunkenOuter:
      return DrawRing(painter, rect, clBtnShadow, clBtnHighlight);
    case TEdge::Raised:
      return DrawRing(painter, DrawRing(painter, rect, cl3DLight, cl3DDkShadow), clBtnHighlight, clBtnShadow);
    case TEdge::Sunken:
      return DrawRing(painter, DrawRing(painter, rect, clBtnShadow, clBtnHighlight), cl3DDkShadow, cl3DLight);
  }
  return rect;
}

QRect DrawButtonFrame(QPainter& painter, const QRect& rect, bool pushed) {
  painter.fillRect(rect, ToQColor(clBtnFace));
  if (pushed) {
    const QRect inner = DrawRing(painter, rect, cl3DDkShadow, cl3DDkShadow);
    return DrawRing(painter, inner, clBtnShadow, clBtnFace);
  }
  const QRect inner = DrawRing(painter, rect, clBtnHighlight, cl3DDkShadow);
  return DrawRing(painter, inner, cl3DLight, clBtnShadow);
}

void FrameRect(QPainter& painter, const QRect& rect, const QColor& color) { DrawRing(painter, rect, color, color); }

}  // namespace widgets
