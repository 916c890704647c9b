#include "widgets/DegradeClass.h"

#include <QEvent>
#include <QPainter>

#include "imaging/core/FixedMath.h"

namespace widgets {

namespace {

struct TChannels {
  int R, G, B;
};

TChannels Channels(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return {rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF};
}

}  // namespace

TDegradeClass::TDegradeClass(QWidget* parent) : QWidget(parent) {
  // Aligned to the whole client area of the parent, behind its other controls.
  if (parent) {
    setGeometry(parent->rect());
    parent->installEventFilter(this);
    lower();
  }
}

bool TDegradeClass::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
  return QWidget::eventFilter(watched, event);
}

void TDegradeClass::SetStartColor(TColor value) {
  if (value == startColor_) return;
  startColor_ = value;
  update();
}

void TDegradeClass::SetEndColor(TColor value) {
  if (value == endColor_) return;
  endColor_ = value;
  update();
}

void TDegradeClass::paintEvent(QPaintEvent*) {
  using imaging::MulDiv;
  const TChannels start = Channels(startColor_);
  const TChannels end = Channels(endColor_);
  const TChannels delta{end.R - start.R, end.G - start.G, end.B - start.B};
  const int last = kBandCount - 1;
  QPainter painter(this);
  for (int band = 0; band < kBandCount; ++band) {
    const int top = MulDiv(band, height(), kBandCount);
    const int bottom = MulDiv(band + 1, height(), kBandCount);
    if (bottom <= top) continue;
    const QColor color(start.R + MulDiv(band, delta.R, last), start.G + MulDiv(band, delta.G, last),
                       start.B + MulDiv(band, delta.B, last));
    painter.fillRect(QRect(0, top, width(), bottom - top), color);
  }
}

}  // namespace widgets
