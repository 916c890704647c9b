#include "widgets/ColorPopup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScreen>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "platform/rtl/Strings.h"
#include "widgets/ColorPalette.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/EdgeDrawing.h"

namespace widgets {

namespace {

constexpr int kColorRows = PaletteRows(kNamedColorCount);
constexpr int kSystemRows = PaletteRows(kSystemColorCount);
constexpr int kGridWidth = kPaletteColumns * TColorPopup::kCellSize;
constexpr int kIntensityBarWidth = 12;
constexpr int kCombHintMs = 5000;
constexpr TColor kSquareFrame = 0x808080;

QString FromCp1252(const std::string& text) { return QString::fromStdU16String(rtl::Cp1252ToUtf16(text)); }

// The caption without its accelerator marks.
QString PlainText(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

QSize TextSize(const QFontMetrics& metrics, const QString& text) {
  return text.isEmpty() ? QSize() : metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, text);
}

bool MatchesAccelerator(const QString& text, const QKeyEvent& event) {
  if (text.isEmpty() || !(event.modifiers() & Qt::AltModifier)) return false;
  const QKeySequence mnemonic = QKeySequence::mnemonic(text);
  return !mnemonic.isEmpty() && (mnemonic[0].key() == static_cast<Qt::Key>(event.key()));
}

}  // namespace

TColorPopup::TColorPopup(TColorPickerButton& owner) : QWidget(&owner, Qt::Popup | Qt::FramelessWindowHint), owner_(owner) {
  setAttribute(Qt::WA_NoMouseReplay);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setFont(QApplication::font());
  move(-1000, 0);
  RecalcLayout();
}

// ---- layout ---------------------------------------------------------------

void TColorPopup::RecalcLayout() {
  const QFontMetrics metrics(font());
  const QSize defaultSize = TextSize(metrics, defaultText_);
  const QSize customSize = TextSize(metrics, customText_);
  const int buttonWidth = std::max(defaultSize.width(), customSize.width()) + 2 * kBorderWidth;
  const int buttonHeight = std::max(defaultSize.height(), customSize.height()) + 4 * kBorderWidth + 2;
  const int partWidth = std::max(kGridWidth, buttonWidth);
  const int left = spacing_ + kBorderWidth;
  const int gridLeft = left + (partWidth - kGridWidth) / 2;
  int y = spacing_ + kBorderWidth;

  defaultButtonRect_ = QRect();
  if (!defaultText_.isEmpty()) {
    defaultButtonRect_ = QRect(left, y, partWidth, buttonHeight);
    y += buttonHeight + spacing_;
  }
  colorGridRect_ = QRect(gridLeft, y, kGridWidth, kColorRows * kCellSize);
  y = colorGridRect_.bottom() + 1;
  systemGridRect_ = QRect();
  if (showSystemColors_) {
    systemGridRect_ = QRect(gridLeft, y, kGridWidth, kSystemRows * kCellSize + 2 * kBorderWidth);
    y = systemGridRect_.bottom() + 1;
  }
  y += spacing_;

  customButtonRect_ = customPreviewRect_ = customAreaRect_ = QRect();
  colorCombRect_ = greyCombRect_ = intensityBarRect_ = QRect();
  if (!customText_.isEmpty()) {
    customButtonRect_ = QRect(left, y, partWidth, buttonHeight);
    customPreviewRect_ = QRect(customButtonRect_.right() + 1 - kCellSize,
                               customButtonRect_.top() + (buttonHeight - kCellSize) / 2, kCellSize, kCellSize);
    y += buttonHeight + spacing_;
    const int combWidth = static_cast<int>(std::ceil(2 * ColorCombHalfWidth()));
    const int combHeight = static_cast<int>(std::ceil(2 * ColorCombHalfHeight()));
    const int greyWidth = static_cast<int>(std::ceil(GreyCombWidth()));
    const int greyHeight = static_cast<int>(std::ceil(GreyCombHeight()));
    const int areaWidth = std::max(partWidth, combWidth + spacing_ + kIntensityBarWidth);
    customAreaRect_ = QRect(left, y, areaWidth, combHeight + spacing_ + greyHeight);
    colorCombRect_ = QRect(left, y, combWidth, combHeight);
    intensityBarRect_ = QRect(customAreaRect_.right() + 1 - kIntensityBarWidth, y, kIntensityBarWidth, combHeight);
    greyCombRect_ = QRect(left + (combWidth - greyWidth) / 2, y + combHeight + spacing_, greyWidth, greyHeight);
  }
  // The combs hold their colours for SelectColor even while no custom
  // button shows them.
  greyComb_ = BuildGreyComb(static_cast<float>(greyCombRect_.left()), static_cast<float>(greyCombRect_.top()));
  colorComb_.reset();
  ResizeToParts();
}

void TColorPopup::ResizeToParts() {
  QRect parts = defaultButtonRect_.united(colorGridRect_).united(systemGridRect_).united(customButtonRect_);
  if (customAreaShown_) parts = parts.united(customAreaRect_);
  resize(parts.right() + 1 + spacing_ + kBorderWidth, parts.bottom() + 1 + spacing_ + kBorderWidth);
  update();
}

int TColorPopup::LastCell() const { return showSystemColors_ ? kPaletteCellCount - 1 : kNamedColorCount - 1; }

QRect TColorPopup::CellRect(int cell) const {
  if (cell == kDefaultCell) return defaultButtonRect_;
  if (cell == kCustomCell) return customButtonRect_;
  if (cell < 0 || cell > LastCell()) return QRect();
  const bool system = cell >= kFirstSystemCell;
  const int index = system ? cell - kFirstSystemCell : cell;
  const QPoint origin = system ? systemGridRect_.topLeft() + QPoint(0, 2 * kBorderWidth) : colorGridRect_.topLeft();
  return QRect(origin.x() + (index % kPaletteColumns) * kCellSize, origin.y() + (index / kPaletteColumns) * kCellSize,
               kCellSize, kCellSize);
}

int TColorPopup::CellAt(QPoint point) const {
  for (int cell = kDefaultCell; cell <= LastCell(); ++cell)
    if (cell != kNoCell && CellRect(cell).contains(point)) return cell;
  return kNoCell;
}

// ---- selection ------------------------------------------------------------

const TCombArray& TColorPopup::ColorComb() {
  if (!colorComb_) {
    colorComb_ = BuildColorComb(static_cast<float>(colorCombRect_.left()) + ColorCombHalfWidth(),
                                static_cast<float>(colorCombRect_.top()) + ColorCombHalfHeight(), intensity_);
  }
  return *colorComb_;
}

TColor TColorPopup::CustomColor() {
  if (customIndex_ > 0) return ColorComb()[static_cast<std::size_t>(customIndex_ - 1)].Color;
  if (customIndex_ < 0) return greyComb_[static_cast<std::size_t>(-customIndex_ - 1)].Color;
  return clNone;
}

std::optional<TColor> TColorPopup::CellColor(int cell) {
  if (cell >= 0) return kPalette[static_cast<std::size_t>(cell)].Value;
  if (cell == kCustomCell && customIndex_ != 0) return CustomColor();
  return std::nullopt;
}

void TColorPopup::SelectColor(TColor color) {
  int index = kNoCell;
  const auto cellOf = [&](auto matches, int first, int last) {
    for (int cell = first; cell <= last && index == kNoCell; ++cell)
      if (matches(kPalette[static_cast<std::size_t>(cell)].Value)) index = cell;
  };
  const TColor rgb = ColorToRGB(color);
  if (color == clNone) {
    index = kNoCell;
  } else if (color == clDefault) {
    index = kDefaultCell;
  } else {
    if (showSystemColors_) cellOf([&](TColor value) { return value == color; }, kFirstSystemCell, LastCell());
    cellOf([&](TColor value) { return value == rgb; }, 0, kNamedColorCount - 1);
    if (showSystemColors_) cellOf([&](TColor value) { return ColorToRGB(value) == rgb; }, kFirstSystemCell, LastCell());
    if (index == kNoCell) {
      const auto findIn = [&](const TCombArray& comb) {
        const auto found = std::find_if(comb.begin(), comb.end(), [&](const TCombCell& c) { return c.Color == rgb; });
        return found == comb.end() ? -1 : static_cast<int>(found - comb.begin());
      };
      if (const int cell = findIn(ColorComb()); cell >= 0) {
        customIndex_ = cell + 1;
        index = kCustomCell;
      } else if (const int grey = findIn(greyComb_); grey >= 0) {
        customIndex_ = -(grey + 1);
        index = kCustomCell;
      }
    }
  }
  SetSelectedIndex(index);
}

void TColorPopup::SetSelectedIndex(int index) {
  if (index == selectedIndex_) return;
  RepaintCell(selectedIndex_);
  selectedIndex_ = index;
  RepaintCell(selectedIndex_);
}

void TColorPopup::SetHoverIndex(int index) {
  const bool accepted = index < kPaletteCellCount && (index < kNamedColorCount || showSystemColors_);
  const int hover = accepted && CellRect(index).isValid() ? index : kNoCell;
  if (hover == hoverIndex_) return;
  const int old = hoverIndex_;
  hoverIndex_ = hover;
  RepaintCell(old);
  RepaintCell(hoverIndex_);
}

void TColorPopup::SetCustomIndex(int index) {
  if (index == customIndex_) return;
  customIndex_ = index;
  update(customAreaRect_.united(customButtonRect_));
}

void TColorPopup::SetIntensity(float intensity) {
  intensity = std::clamp(intensity, 0.0f, 1.0f);
  if (intensity == intensity_) return;
  intensity_ = intensity;
  colorComb_.reset();
  update(customAreaRect_.united(customButtonRect_));
}

// ---- texts and options ------------------------------------------------------

void TColorPopup::SetDefaultText(const QString& text) {
  defaultText_ = text;
  RecalcLayout();
}

void TColorPopup::SetCustomText(const QString& text) {
  customText_ = text;
  RecalcLayout();
}

void TColorPopup::SetShowSystemColors(bool show) {
  showSystemColors_ = show;
  if (!show && selectedIndex_ >= kNamedColorCount) selectedIndex_ = kNoCell;
  if (!show && hoverIndex_ >= kNamedColorCount) hoverIndex_ = kNoCell;
  RecalcLayout();
}

void TColorPopup::SetSpacing(int spacing) {
  spacing_ = std::max(spacing, 0);
  RecalcLayout();
}

// ---- opening and closing ----------------------------------------------------

void TColorPopup::ShowPopup() {
  hoverIndex_ = kNoCell;
  leftButtonDown_ = draggingIntensity_ = false;
  customAreaShown_ = selectedIndex_ == kCustomCell && !customText_.isEmpty();
  ResizeToParts();
  const QPoint origin = owner_.mapToGlobal(QPoint(0, 0));
  const QRect screen = owner_.screen()->availableGeometry();
  int left = origin.x() - 1;
  int top = origin.y() + owner_.height();
  if (top + height() > screen.bottom() + 1) top = origin.y() - height();
  if (left + width() > screen.right() + 1) left = screen.right() + 1 - width();
  left = std::max(left, screen.left());
  top = std::max(top, screen.top());
  move(left, top);
  show();
  raise();
  setFocus(Qt::PopupFocusReason);
}

void TColorPopup::Close(bool cancel) {
  if (!cancel) {
    if (selectedIndex_ >= 0) {
      owner_.SetSelectionColor(kPalette[static_cast<std::size_t>(selectedIndex_)].Value);
    } else if (selectedIndex_ == kCustomCell) {
      if (customIndex_ != 0) owner_.SetSelectionColor(CustomColor());
    } else {
      owner_.DoDefaultSelect();
    }
  }
  owner_.SetDroppedDown(false);
}

void TColorPopup::closeEvent(QCloseEvent* event) {
  // Qt closes a pop-up when the user presses the mouse outside it.
  if (owner_.GetDroppedDown()) Close(true);
  if (owner_.GetDroppedDown())
    event->ignore();
  else
    event->accept();
}

void TColorPopup::AcceptCell(int cell) {
  if (cell == kCustomCell && !customAreaShown_ && !customText_.isEmpty()) {
    // The first choice of the custom button opens the combs below it.
    SetSelectedIndex(kCustomCell);
    customAreaShown_ = true;
    ResizeToParts();
    const QRect screen = owner_.screen()->availableGeometry();
    if (geometry().bottom() > screen.bottom()) move(x(), std::max(screen.top(), screen.bottom() + 1 - height()));
    return;
  }
  SetSelectedIndex(cell);
  Close(false);
}

// ---- mouse ------------------------------------------------------------------

bool TColorPopup::TrackComb(QPoint point) {
  if (!customAreaShown_) return false;
  const auto x = static_cast<float>(point.x()), y = static_cast<float>(point.y());
  if (const int cell = CombCellAt(ColorComb(), x, y, false); cell >= 0) {
    SetCustomIndex(cell + 1);
    return true;
  }
  if (const int grey = CombCellAt(greyComb_, x, y, true); grey >= 0) {
    SetCustomIndex(-(grey + 1));
    return true;
  }
  return false;
}

void TColorPopup::TrackIntensity(QPoint point) {
  const double top = intensityBarRect_.top();
  const double bottom = intensityBarRect_.bottom();
  SetIntensity(static_cast<float>(1.0 - (point.y() - top) / (bottom - top)));
}

void TColorPopup::mousePressEvent(QMouseEvent* event) {
  if (!rect().contains(event->position().toPoint())) {
    Close(true);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  leftButtonDown_ = true;
  const QPoint point = event->position().toPoint();
  if (customAreaShown_ && intensityBarRect_.contains(point)) {
    draggingIntensity_ = true;
    TrackIntensity(point);
  } else {
    TrackComb(point);
  }
  RepaintCell(hoverIndex_);
}

void TColorPopup::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  SetHoverIndex(CellAt(point));
  if (!(event->buttons() & Qt::LeftButton)) return;
  if (draggingIntensity_)
    TrackIntensity(point);
  else
    TrackComb(point);
}

void TColorPopup::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  leftButtonDown_ = false;
  if (draggingIntensity_) {
    draggingIntensity_ = false;
    return;
  }
  RepaintCell(hoverIndex_);
  if (const int cell = CellAt(event->position().toPoint()); cell != kNoCell) AcceptCell(cell);
}

// ---- keyboard ---------------------------------------------------------------

bool TColorPopup::HandleAccelerator(QKeyEvent* event) {
  if (MatchesAccelerator(defaultText_, *event)) {
    AcceptCell(kDefaultCell);
    return true;
  }
  if (MatchesAccelerator(customText_, *event)) {
    SetHoverIndex(kCustomCell);
    if (!customAreaShown_) AcceptCell(kCustomCell);
    return true;
  }
  return false;
}

void TColorPopup::MoveHover(TPopupArrow arrow) {
  const int from = hoverIndex_ != kNoCell ? hoverIndex_ : selectedIndex_;
  SetHoverIndex(NextPopupCell(arrow, from, LastCell(), {!defaultText_.isEmpty(), !customText_.isEmpty()}));
}

void TColorPopup::keyPressEvent(QKeyEvent* event) {
  if (HandleAccelerator(event)) return;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
      // No cell at all is a choice too: it closes as chosen and so reports
      // the default.
      AcceptCell(hoverIndex_ != kNoCell ? hoverIndex_ : selectedIndex_);
      return;
    }
    case Qt::Key_Escape:
      Close(true);
      return;
    case Qt::Key_Left:
      return MoveHover(TPopupArrow::Left);
    case Qt::Key_Up:
      return MoveHover(TPopupArrow::Up);
    case Qt::Key_Right:
      return MoveHover(TPopupArrow::Right);
    case Qt::Key_Down:
      return MoveHover(TPopupArrow::Down);
    default:
      event->ignore();
  }
}

// ---- hints ------------------------------------------------------------------

TColorPopup::THint TColorPopup::HintAt(QPoint point) {
  const int cell = CellAt(point);
  if (cell >= 0) return {FromCp1252(owner_.CellHint(cell, std::string(kPalette[static_cast<std::size_t>(cell)].Hint)))};
  if (cell == kDefaultCell || cell == kCustomCell) {
    const QString text = PlainText(cell == kDefaultCell ? defaultText_ : customText_);
    return {text.isEmpty() ? owner_.toolTip() : text};
  }
  if (!customAreaShown_ || !customAreaRect_.contains(point)) return {};
  if (intensityBarRect_.contains(point))
    return {QStringLiteral("Intensity: %1%").arg(static_cast<int>(std::nearbyint(100 * intensity_))), kCombHintMs};
  const auto x = static_cast<float>(point.x()), y = static_cast<float>(point.y());
  int comb = CombCellAt(ColorComb(), x, y, false);
  const TCombCell* hit = comb >= 0 ? &ColorComb()[static_cast<std::size_t>(comb)] : nullptr;
  if (!hit && (comb = CombCellAt(greyComb_, x, y, true)) >= 0) hit = &greyComb_[static_cast<std::size_t>(comb)];
  if (!hit) return {};
  return {QStringLiteral("red: %1, green: %2, blue: %3")
              .arg(hit->Color & 0xFF)
              .arg((hit->Color >> 8) & 0xFF)
              .arg((hit->Color >> 16) & 0xFF),
          kCombHintMs};
}

bool TColorPopup::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const THint hint = HintAt(help->pos());
  if (hint.Text.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), hint.Text, this, QRect(), hint.DurationMs);
  }
  return true;
}

// ---- painting ---------------------------------------------------------------

void TColorPopup::RepaintCell(int cell) {
  if (const QRect r = CellRect(cell); r.isValid()) repaint(r);
}

void TColorPopup::PaintCell(QPainter& painter, int cell) {
  const QRect r = CellRect(cell);
  if (!r.isValid()) return;
  const bool selected = cell == selectedIndex_;
  const bool hovered = cell == hoverIndex_;
  painter.fillRect(r, ToQColor(selected && !hovered ? clBtnHighlight : clBtnFace));
  if (selected) DrawEdge(painter, r, TEdge::SunkenOuter);
  if (hovered) DrawEdge(painter, r, leftButtonDown_ ? TEdge::SunkenOuter : TEdge::RaisedInner);
  const int inset = kBorderWidth + 1;
  if (cell >= 0) {
    const QRect square = r.adjusted(inset, inset, -inset, -inset);
    painter.fillRect(square, ToQColor(*CellColor(cell)));
    FrameRect(painter, square, ToQColor(kSquareFrame));
    return;
  }
  QRect textRect = r;
  if (cell == kCustomCell) {
    textRect.setRight(customPreviewRect_.left() - 1);
    const QRect square = customPreviewRect_.adjusted(inset, inset, -inset, -inset);
    const std::optional<TColor> custom = CellColor(kCustomCell);
    painter.fillRect(square, ToQColor(custom.value_or(clBtnFace)));
    FrameRect(painter, square, ToQColor(kSquareFrame));
  }
  painter.setPen(ToQColor(clBtnText));
  painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                   cell == kDefaultCell ? defaultText_ : customText_);
}

void TColorPopup::PaintCustomArea(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  // The grey comb's cells get a shadow outline: its light greys would
  // otherwise vanish into the button face around them.
  const auto drawComb = [&](const TCombArray& comb, bool isGrey, int chosen) {
    const auto hexagonOf = [&](std::size_t i) {
      const float scale = isGrey && i + 1 == comb.size() ? 2.0f : 1.0f;
      QPolygonF hexagon;
      for (const TCombPoint& corner : CombHexagon(comb[i], scale)) hexagon << QPointF(corner.X, corner.Y);
      return hexagon;
    };
    for (std::size_t i = 0; i < comb.size(); ++i) {
      const QColor color = ToQColor(comb[i].Color);
      painter.setPen(isGrey ? QPen(ToQColor(clBtnShadow), 0.6) : QPen(color, 0.8));
      painter.setBrush(color);
      painter.drawPolygon(hexagonOf(i));
    }
    if (chosen < 0) return;
    const QPolygonF hexagon = hexagonOf(static_cast<std::size_t>(chosen));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawPolygon(hexagon);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPolygon(hexagon);
  };
  drawComb(ColorComb(), false, customIndex_ > 0 ? customIndex_ - 1 : -1);
  drawComb(greyComb_, true, customIndex_ < 0 ? -customIndex_ - 1 : -1);
  painter.setRenderHint(QPainter::Antialiasing, false);

  const QRect inside = DrawEdge(painter, intensityBarRect_, TEdge::SunkenOuter);
  QLinearGradient ramp(inside.topLeft(), inside.bottomLeft());
  ramp.setColorAt(0, Qt::white);
  ramp.setColorAt(1, Qt::black);
  painter.fillRect(inside, ramp);
  const int markerY = intensityBarRect_.top() +
                      static_cast<int>(std::nearbyint((1 - intensity_) * intensityBarRect_.height() - 1));
  const QRect marker(intensityBarRect_.left() - 2, std::clamp(markerY - 1, intensityBarRect_.top(),
                                                                intensityBarRect_.bottom() - 2),
                     intensityBarRect_.width() + 4, 3);
  painter.fillRect(marker, ToQColor(clBtnText));
}

void TColorPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(clBtnFace));
  DrawEdge(painter, rect(), TEdge::Raised);
  if (showSystemColors_) {
    const int y = systemGridRect_.top() + kBorderWidth - 1;
    painter.fillRect(QRect(systemGridRect_.left(), y, systemGridRect_.width(), 1), ToQColor(clBtnShadow));
    painter.fillRect(QRect(systemGridRect_.left(), y + 1, systemGridRect_.width(), 1), ToQColor(clBtnHighlight));
  }
  for (int cell = kDefaultCell; cell <= LastCell(); ++cell)
    if (cell != kNoCell) PaintCell(painter, cell);
  if (customAreaShown_) PaintCustomArea(painter);
}

}  // namespace widgets
