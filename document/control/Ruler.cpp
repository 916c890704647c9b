#include "document/control/Ruler.h"

#include <cmath>

#include <QPainter>
#include <QPaintEvent>

#include "imaging/docgraphics/DocGraphics.h"

namespace {

QColor ToQColor(TColor color) { return QColor::fromRgba(imaging::ColorToColor32(color)); }

// A rectangle given by its edges, the right and bottom ones excluded, in
// either order.
QRect EdgeRect(int left, int top, int right, int bottom) {
  return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
               QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
}

// Pixels the labels keep from the ruler's inner edge, and the tick lengths.
constexpr int LabelGap = 7;
constexpr int LongTick = 8;
constexpr int ShortTick = 6;

}  // namespace

// ---- TRsBaseRuler

TRsBaseRuler::TRsBaseRuler(QWidget* parent) : QWidget(parent) {}

void TRsBaseRuler::SetFlat(bool value) {
  Flat = value;
  update();
}

void TRsBaseRuler::SetColor(TColor value) {
  Color = value;
  update();
}

void TRsBaseRuler::SetScaleColor(TColor value) {
  ScaleColor = value;
  update();
}

void TRsBaseRuler::SetTickColor(TColor value) {
  TickColor = value;
  update();
}

int TRsBaseRuler::BandThickness() const { return fontMetrics().height() + 6; }

void TRsBaseRuler::PaintBase(QPainter& painter) const {
  painter.fillRect(rect(), ToQColor(Color));
  if (Flat) return;
  const QRect r = rect();
  painter.setPen(ToQColor(clBtnHighlight));
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(ToQColor(clBtnShadow));
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

// ---- TRsRuler

TRsRuler::TRsRuler(QWidget* parent) : TRsBaseRuler(parent) { resize(200, 33); }

void TRsRuler::Changed() { update(); }

void TRsRuler::SetUnits(TRulerUnit value) {
  // The offset is a document position in millimetres whatever the unit, so
  // it stays as it is: only the scale drawn over it changes.
  if (value == Units) return;
  Units = value;
  Changed();
}

void TRsRuler::SetDirection(TRulerDir value) {
  Direction = value;
  Changed();
}

void TRsRuler::SetHairLine(bool value) {
  HairLine = value;
  Changed();
}

void TRsRuler::SetHairLinePos(int value) {
  if (value == HairLinePos) return;
  HairLinePos = value;
  if (HairLine) Changed();
}

void TRsRuler::SetHairLineStyle(THairLineStyle value) {
  HairLineStyle = value;
  Changed();
}

void TRsRuler::SetOffset(double value) {
  if (value == Offset) return;
  Offset = value;
  Changed();
}

void TRsRuler::SetShowMinus(bool value) {
  ShowMinus = value;
  Changed();
}

void TRsRuler::SetScreenDpm(double value) {
  if (value == ScreenDpm) return;
  ScreenDpm = value;
  Changed();
}

void TRsRuler::SetScale(double value) {
  Scale = value;
  Changed();
}

int TRsRuler::Length() const { return Horizontal() ? width() : height(); }

QRect TRsRuler::ScaleBand() const {
  const int m = Margin();
  const int h = BandThickness();
  const int w = width();
  const int ht = height();
  switch (Direction) {
    case rdTop: return EdgeRect(m, ht - h - 1, w - m, ht - 8);
    case rdBottom: return EdgeRect(m, 8, w - m, h + 1);
    case rdLeft: return EdgeRect(w - h, m, w - 8, ht - m);
    case rdRight: return EdgeRect(h, m, 8, ht - m);
  }
  return {};
}

void TRsRuler::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBase(painter);
  painter.fillRect(ScaleBand(), ToQColor(GetScaleColor()));
  PaintScale(painter);
  PaintHairLine(painter);
}

void TRsRuler::PaintScale(QPainter& painter) const {
  const auto step = ruler::ScaleStepFor(ruler::PixelsPerUnit(Units, ScreenDpm, Scale));
  if (!step) return;
  const double length = Length();
  const double origin = Offset * ScreenDpm;
  painter.setPen(ToQColor(GetTickColor()));
  for (const ruler::TTick& tick : ruler::Ticks(*step, length, origin))
    PaintTick(painter, tick.Position, tick.Long ? LongTick : ShortTick);
  painter.setPen(palette().color(QPalette::WindowText));
  for (const ruler::TLabel& label : ruler::Labels(*step, length, origin)) {
    const double value = ShowMinus ? label.Value : std::fabs(label.Value);
    PaintLabel(painter, label.Position, QString::number(value + 0.0, 'g', 15));
  }
}

void TRsRuler::PaintTick(QPainter& painter, double position, int length) const {
  const int p = static_cast<int>(std::floor(position));
  const int w = width();
  const int h = height();
  switch (Direction) {
    case rdTop: painter.drawLine(p, h - 1, p, h - length); break;
    case rdBottom: painter.drawLine(p, 0, p, length - 1); break;
    case rdLeft: painter.drawLine(w - 1, p, w - length, p); break;
    case rdRight: painter.drawLine(0, p, length - 1, p); break;
  }
}

void TRsRuler::PaintLabel(QPainter& painter, double position, const QString& text) const {
  const QFontMetrics metrics = fontMetrics();
  const int textWidth = metrics.horizontalAdvance(text);
  const int textHeight = metrics.height();
  const int p = static_cast<int>(std::floor(position));
  painter.save();
  switch (Direction) {
    case rdTop: painter.translate(p - textWidth / 2, height() - textHeight - 8); break;
    case rdBottom: painter.translate(p - textWidth / 2, 8); break;
    case rdLeft:
      // Reads upwards: the cell's top lies towards the outer edge.
      painter.translate(width() - textHeight - LabelGap, p + textWidth / 2);
      painter.rotate(-90);
      break;
    case rdRight:
      painter.translate(textHeight + LabelGap, p - textWidth / 2);
      painter.rotate(90);
      break;
  }
  painter.drawText(QRect(0, 0, textWidth, textHeight), Qt::AlignLeft | Qt::AlignTop, text);
  painter.restore();
}

void TRsRuler::PaintHairLine(QPainter& painter) const {
  if (!HairLine || HairLinePos == -1) return;
  const QRect band = ScaleBand();
  QRect mark;
  if (Horizontal()) {
    mark = HairLineStyle == hlsLine ? QRect(HairLinePos, band.top(), 1, band.height())
                                    : EdgeRect(1, band.top(), HairLinePos, band.bottom() + 1);
  } else {
    mark = HairLineStyle == hlsLine ? QRect(band.left(), HairLinePos, band.width(), 1)
                                    : EdgeRect(band.left(), 1, band.right() + 1, HairLinePos);
  }
  // Inverted pixels, as the line has always looked on a ruler.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.fillRect(mark, Qt::white);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- TRsRulerCorner

TRsRulerCorner::TRsRulerCorner(QWidget* parent) : TRsBaseRuler(parent) {
  resize(24, 24);
  SetUnits(Units);
}

void TRsRulerCorner::SetUnits(TRulerUnit value) {
  Units = value;
  setToolTip(QString::fromStdString(ruler::LongName(value)));
  update();
}

void TRsRulerCorner::SetPosition(TCornerPos value) {
  Position = value;
  update();
}

void TRsRulerCorner::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBase(painter);
  const int h = BandThickness();
  const int w = width();
  const int ht = height();
  const bool left = Position == cpLeftTop || Position == cpLeftBottom;
  const bool top = Position == cpLeftTop || Position == cpRightTop;
  // The horizontal ruler's band runs in from the far side, the vertical
  // one's from the far end, and they meet in an L bent towards the corner.
  const QRect across = top ? EdgeRect(0, ht - h - 1, w, ht - 8) : EdgeRect(0, 8, w, h + 1);
  const QRect down = left ? EdgeRect(w - h, 0, w - 8, ht) : EdgeRect(h, 0, 8, ht);
  const QRect horizontalArm = left ? across.adjusted(down.left(), 0, 0, 0) : across.adjusted(0, 0, down.right() - w + 1, 0);
  const QRect verticalArm = top ? down.adjusted(0, across.top(), 0, 0) : down.adjusted(0, 0, 0, across.bottom() - ht + 1);
  const QColor band = ToQColor(GetScaleColor());
  painter.fillRect(horizontalArm, band);
  painter.fillRect(verticalArm, band);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(ruler::ShortName(Units)));
}
