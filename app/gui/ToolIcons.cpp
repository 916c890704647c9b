#include "app/gui/ToolIcons.h"

#include <array>

#include <QPainter>
#include <QPixmap>

namespace app {

namespace {

constexpr int IconSize = 24;

void DrawMagnifier(QPainter& p, bool plus) {
  p.drawEllipse(QRectF(3, 3, 13, 13));
  p.drawLine(QPointF(14.5, 14.5), QPointF(21, 21));
  p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
  if (plus) p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
}

void DrawStack(QPainter& p, bool frontSelected) {
  const QRectF back(3, 3, 12, 12), front(9, 9, 12, 12);
  p.setBrush(frontSelected ? Qt::white : QColor(0x30, 0x60, 0xC0));
  p.drawRect(back);
  p.setBrush(frontSelected ? QColor(0x30, 0x60, 0xC0) : Qt::white);
  p.drawRect(front);
}

void DrawIcon(QPainter& p, TToolIcon icon) {
  switch (icon) {
    case TToolIcon::Text: {
      QFont font = p.font();
      font.setPixelSize(20);
      font.setBold(true);
      p.setFont(font);
      p.drawText(QRect(0, 0, IconSize, IconSize), Qt::AlignCenter, QStringLiteral("T"));
      break;
    }
    case TToolIcon::Line: p.drawLine(QPointF(4, 20), QPointF(20, 4)); break;
    case TToolIcon::Frame: p.drawRect(QRectF(3.5, 5.5, 17, 13)); break;
    case TToolIcon::Picture:
      p.drawRect(QRectF(3.5, 5.5, 17, 13));
      p.drawPolyline(std::array{QPointF(4, 18), QPointF(10, 11), QPointF(14, 15), QPointF(17, 12), QPointF(20, 16)}.data(), 5);
      break;
    case TToolIcon::Barcode:
      for (const auto& [x, w] : std::array<std::pair<int, int>, 8>{{{3, 2}, {6, 1}, {8, 3}, {12, 1}, {14, 2}, {17, 1}, {19, 1}, {21, 1}}})
        p.fillRect(QRect(x, 4, w, 16), Qt::black);
      break;
    case TToolIcon::ZoomIn: DrawMagnifier(p, true); break;
    case TToolIcon::ZoomOut: DrawMagnifier(p, false); break;
    case TToolIcon::ZoomPage:
      p.drawRect(QRectF(6.5, 3.5, 11, 17));
      p.drawLine(QPointF(9, 8), QPointF(15, 8));
      p.drawLine(QPointF(9, 12), QPointF(15, 12));
      break;
    case TToolIcon::SendBackward: DrawStack(p, false); break;
    case TToolIcon::BringForward: DrawStack(p, true); break;
  }
}

}  // namespace

QIcon ToolIcon(TToolIcon icon) {
  QPixmap pixmap(IconSize, IconSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.6));
  DrawIcon(painter, icon);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace app
