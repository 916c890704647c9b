#include "platform/qt/EditorCursors.h"

#include <array>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int CursorSize = 32;
// The insertion crosses are centred here; their shape icon sits below right.
constexpr QPoint CrossCentre{8, 8};

void Cross(QPainter& p) {
  p.drawLine(CrossCentre.x(), 0, CrossCentre.x(), 16);
  p.drawLine(0, CrossCentre.y(), 16, CrossCentre.y());
}

void Arrowhead(QPainter& p, QPoint tip, QPoint back1, QPoint back2) { p.drawPolygon(QPolygon({tip, back1, back2})); }

void CrossLine(QPainter& p) {
  Cross(p);
  p.drawLine(18, 29, 29, 18);
}

void CrossArrow(QPainter& p) {
  Cross(p);
  p.drawLine(18, 29, 29, 18);
  Arrowhead(p, QPoint(29, 18), QPoint(23, 19), QPoint(28, 24));
}

void CrossRectangle(QPainter& p) {
  Cross(p);
  p.drawRect(18, 20, 11, 8);
}

void CrossEllipse(QPainter& p) {
  Cross(p);
  p.drawEllipse(18, 19, 11, 9);
}

void CrossText(QPainter& p) {
  Cross(p);
  p.drawLine(18, 18, 28, 18);
  p.drawLine(23, 18, 23, 29);
}

void CrossImage(QPainter& p) {
  Cross(p);
  p.drawRect(18, 19, 11, 9);
  p.drawPolyline(QPolygon({QPoint(19, 27), QPoint(22, 23), QPoint(25, 26), QPoint(27, 24)}));
}

// A ring arrow around a centre dot, the point the click lands on.
void Rotation(QPainter& p) {
  p.drawPoint(16, 16);
  p.drawArc(QRect(7, 7, 18, 18), 90 * 16, 270 * 16);
  Arrowhead(p, QPoint(20, 7), QPoint(15, 3), QPoint(15, 11));
}

void SizeCopy(QPainter& p) {
  p.drawLine(10, 2, 10, 18);
  p.drawLine(2, 10, 18, 10);
  Arrowhead(p, QPoint(10, 1), QPoint(7, 4), QPoint(13, 4));
  Arrowhead(p, QPoint(10, 19), QPoint(7, 16), QPoint(13, 16));
  Arrowhead(p, QPoint(1, 10), QPoint(4, 7), QPoint(4, 13));
  Arrowhead(p, QPoint(19, 10), QPoint(16, 7), QPoint(16, 13));
  p.drawRect(19, 19, 10, 10);
  p.drawLine(21, 24, 27, 24);
  p.drawLine(24, 21, 24, 27);
}

struct TEditorCursor {
  TCursor Id;
  QPoint HotSpot;
  void (*Draw)(QPainter&);
};

const std::array<TEditorCursor, 9> EditorCursors{{
    {crRotation, QPoint(16, 16), Rotation},
    {crSizeCopy, QPoint(10, 10), SizeCopy},
    {crDocCross, CrossCentre, Cross},
    {crDocCrossLine, CrossCentre, CrossLine},
    {crDocCrossArrow, CrossCentre, CrossArrow},
    {crDocCrossRectangle, CrossCentre, CrossRectangle},
    {crDocCrossEllipse, CrossCentre, CrossEllipse},
    {crDocCrossText, CrossCentre, CrossText},
    {crDocCrossImage, CrossCentre, CrossImage},
}};

// A white rim under black strokes keeps the cursor visible on any page colour.
QPixmap Paint(void (*draw)(QPainter&)) {
  QPixmap pixmap(CursorSize, CursorSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  draw(p);
  p.setPen(QPen(Qt::black, 1));
  draw(p);
  return pixmap;
}

}  // namespace

std::optional<QCursor> DrawEditorCursor(TCursor id) {
  for (const TEditorCursor& cursor : EditorCursors)
    if (cursor.Id == id) return QCursor(Paint(cursor.Draw), cursor.HotSpot.x(), cursor.HotSpot.y());
  return std::nullopt;
}
