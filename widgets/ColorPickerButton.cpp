#include "widgets/ColorPickerButton.h"

#include <QAction>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/ColorPopup.h"
#include "widgets/EdgeDrawing.h"

namespace widgets {

namespace {

constexpr int kIndicatorHeight = 6;
constexpr int kIndicatorInset = 2;
constexpr int kIndicatorGlyphGap = 4;
// The space the indicator bar takes in the face layout when there is no glyph.
constexpr QSize kIndicatorOnlyArea(16, kIndicatorHeight);

}  // namespace

TColorPickerButton::TColorPickerButton(QWidget* parent)
    : QWidget(parent), popup_(std::make_unique<TColorPopup>(*this)) {
  resize(45, 22);
}

TColorPickerButton::~TColorPickerButton() = default;

template <typename T>
void TColorPickerButton::StoreAndRepaint(T& field, T value) {
  if (field == value) return;
  field = value;
  update();
}

// ---- selection and pop-up ---------------------------------------------------

void TColorPickerButton::SetSelectionColor(TColor value) {
  if (value == selectionColor_) return;
  selectionColor_ = value;
  update();
  if (droppedDown_) popup_->SelectColor(value);
  if (OnChange) OnChange(*this);
}

void TColorPickerButton::SetDroppedDown(bool value) {
  if (value == droppedDown_) return;
  bool allowed = true;
  if (OnDropChanging) OnDropChanging(*this, allowed);
  if (!allowed) return;
  droppedDown_ = value;
  if (value) {
    state_ = bsDown;
    popup_->SelectColor(selectionColor_);
    popup_->ShowPopup();
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    popup_->hide();
  }
  if (OnDropChanged) OnDropChanged(*this);
  update();
}

void TColorPickerButton::DoDefaultSelect() {
  if (OnDefaultSelect) OnDefaultSelect(*this);
}

std::string TColorPickerButton::CellHint(int cell, std::string hint) {
  if (OnHint) OnHint(*this, cell, hint);
  return hint;
}

// ---- action -----------------------------------------------------------------

void TColorPickerButton::SetAction(QAction* value) {
  if (value == action_) return;
  if (action_) disconnect(action_, nullptr, this, nullptr);
  action_ = value;
  if (!action_) return;
  connect(action_, &QAction::changed, this, &TColorPickerButton::ActionChanged);
  ActionChanged();
}

void TColorPickerButton::ActionChanged() {
  SetCaption(action_->text());
  setEnabled(action_->isEnabled());
  setToolTip(action_->toolTip());
  setVisible(action_->isVisible());
}

void TColorPickerButton::Click() {
  if (OnClick)
    OnClick(*this);
  else if (action_)
    action_->trigger();
}

// ---- properties -------------------------------------------------------------

void TColorPickerButton::SetCaption(const QString& value) { StoreAndRepaint(caption_, value); }
QString TColorPickerButton::GetCustomText() const { return popup_->GetCustomText(); }
void TColorPickerButton::SetCustomText(const QString& value) { popup_->SetCustomText(value); }
QString TColorPickerButton::GetDefaultText() const { return popup_->GetDefaultText(); }
void TColorPickerButton::SetDefaultText(const QString& value) { popup_->SetDefaultText(value); }
bool TColorPickerButton::GetShowSystemColors() const { return popup_->GetShowSystemColors(); }
void TColorPickerButton::SetShowSystemColors(bool value) { popup_->SetShowSystemColors(value); }
int TColorPickerButton::GetPopupSpacing() const { return popup_->GetSpacing(); }
void TColorPickerButton::SetPopupSpacing(int value) { popup_->SetSpacing(value); }

void TColorPickerButton::SetAllowAllUp(bool value) { StoreAndRepaint(allowAllUp_, value); }
void TColorPickerButton::SetDropDownArrowColor(TColor value) { StoreAndRepaint(dropDownArrowColor_, value); }
void TColorPickerButton::SetDropDownWidth(int value) { StoreAndRepaint(dropDownWidth_, std::max(value, 0)); }
void TColorPickerButton::SetFlat(bool value) { StoreAndRepaint(flat_, value); }
void TColorPickerButton::SetIndicatorBorder(TIndicatorBorder value) { StoreAndRepaint(indicatorBorder_, value); }
void TColorPickerButton::SetLayout(TButtonLayout value) { StoreAndRepaint(layout_, value); }
void TColorPickerButton::SetMargin(int value) { StoreAndRepaint(margin_, value); }
void TColorPickerButton::SetSpacing(int value) { StoreAndRepaint(spacing_, value); }
void TColorPickerButton::SetTransparent(bool value) { StoreAndRepaint(transparent_, value); }

void TColorPickerButton::SetGlyph(const QImage& value) {
  glyph_.SetGlyph(value);
  update();
}

void TColorPickerButton::SetNumGlyphs(int value) {
  if (value == glyph_.GetNumGlyphs()) return;
  glyph_.SetNumGlyphs(value);
  update();
}

void TColorPickerButton::SetGroupIndex(int value) {
  StoreAndRepaint(groupIndex_, value);
  if (groupIndex_ == 0) SetDown(false);
}

// A button of a group stays down until another of its group goes down,
// unless the group allows all of them up.
void TColorPickerButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = value;
  if (isEnabled()) state_ = down_ ? bsExclusive : bsUp;
  if (down_) ReleaseGroupSiblings();
  update();
}

void TColorPickerButton::ReleaseGroupSiblings() {
  if (!parentWidget()) return;
  for (auto* sibling : parentWidget()->findChildren<TColorPickerButton*>(Qt::FindDirectChildrenOnly)) {
    if (sibling == this || sibling->groupIndex_ != groupIndex_ || !sibling->down_) continue;
    sibling->down_ = false;
    sibling->state_ = sibling->isEnabled() ? bsUp : bsDisabled;
    sibling->update();
  }
}

// ---- geometry ---------------------------------------------------------------

QRect TColorPickerButton::FaceRect() const { return QRect(0, 0, std::max(width() - dropDownWidth_, 0), height()); }

QRect TColorPickerButton::DropDownRect() const { return QRect(FaceRect().width(), 0, dropDownWidth_, height()); }

bool TColorPickerButton::InDropDownPart(int x) const { return x > width() - dropDownWidth_; }

TButtonLayoutResult TColorPickerButton::FaceLayout() const {
  const QSize glyphSize = glyph_.IsEmpty() && !caption_.isEmpty() ? kIndicatorOnlyArea : glyph_.ImageSize();
  const QSize textSize =
      caption_.isEmpty() ? QSize() : QFontMetrics(font()).size(Qt::TextSingleLine | Qt::TextShowMnemonic, caption_);
  return CalcButtonLayout(FaceRect().adjusted(2, 2, -2, -2), glyphSize, textSize, layout_, margin_, spacing_);
}

QRect TColorPickerButton::IndicatorRect() const {
  const TButtonLayoutResult placed = FaceLayout();
  const QSize glyphSize = glyph_.ImageSize();
  if (!caption_.isEmpty()) {
    const int barWidth = glyph_.IsEmpty() ? kIndicatorOnlyArea.width() : glyphSize.width();
    const int top = std::min(placed.GlyphPos.y() + glyphSize.height(), height() - 2 - kIndicatorHeight);
    return QRect(placed.GlyphPos.x(), top, barWidth, kIndicatorHeight);
  }
  QRect area = rect();
  area.setRight(area.right() - (dropDownWidth_ + 2));
  area.adjust(kIndicatorInset, kIndicatorInset, -kIndicatorInset, -kIndicatorInset);
  if (glyph_.IsEmpty()) return area;
  const QRect glyph(placed.GlyphPos, glyphSize);
  switch (layout_) {
    case blGlyphLeft:
      area.setLeft(glyph.right() + 1 + kIndicatorGlyphGap);
      break;
    case blGlyphRight:
      area.setRight(glyph.left() - 1 - kIndicatorGlyphGap);
      break;
    case blGlyphTop:
      area.setTop(glyph.bottom() + 1 + kIndicatorGlyphGap);
      break;
    case blGlyphBottom:
      area.setBottom(glyph.top() - 1 - kIndicatorGlyphGap);
      break;
  }
  return area;
}

// ---- painting ---------------------------------------------------------------

void TColorPickerButton::PaintFace(QPainter& painter) {
  const QRect face = FaceRect();
  const bool pushed = state_ == bsDown || state_ == bsExclusive;
  QRect inner = face;
  if (flat_) {
    if (!transparent_ || pushed) painter.fillRect(face, ToQColor(clBtnFace));
    if (pushed)
      inner = DrawEdge(painter, face, TEdge::SunkenOuter);
    else if (mouseInside_ && isEnabled())
      inner = DrawEdge(painter, face, TEdge::RaisedInner);
  } else {
    inner = DrawButtonFrame(painter, face, pushed);
  }
  if (state_ == bsExclusive) painter.fillRect(inner, QBrush(ToQColor(clBtnHighlight), Qt::Dense4Pattern));

  const TButtonLayoutResult placed = FaceLayout();
  if (!glyph_.IsEmpty()) painter.drawImage(placed.GlyphPos, glyph_.Image(state_));
  if (!caption_.isEmpty()) {
    painter.setPen(ToQColor(isEnabled() ? clBtnText : clGrayText));
    painter.drawText(placed.TextRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption_);
  }
}

void TColorPickerButton::PaintDropDown(QPainter& painter) {
  const QRect part = DropDownRect();
  if (part.width() <= 0) return;
  if (!flat_)
    DrawButtonFrame(painter, part, droppedDown_);
  else if (droppedDown_)
    DrawEdge(painter, part, TEdge::SunkenOuter);
  else if (mouseInside_ && isEnabled())
    DrawEdge(painter, part, TEdge::RaisedInner);
  // A small downward triangle: rows of 5, 3 and 1 pixels.
  const int shift = droppedDown_ ? 1 : 0;
  const int x = part.left() + (part.width() - 5) / 2 + shift;
  const int y = part.top() + (part.height() - 3) / 2 + shift;
  const QColor arrow = ToQColor(isEnabled() ? dropDownArrowColor_ : clBtnShadow);
  for (int row = 0; row < 3; ++row) painter.fillRect(QRect(x + row, y + row, 5 - 2 * row, 1), arrow);
}

void TColorPickerButton::PaintIndicator(QPainter& painter) {
  QRect fill = IndicatorRect();
  if (fill.isEmpty()) return;
  switch (indicatorBorder_) {
    case ibNone:
      break;
    case ibFlat:
      FrameRect(painter, fill, ToQColor(clBtnShadow));
      fill.adjust(1, 1, -1, -1);
      break;
    case ibSunken:
      fill = DrawEdge(painter, fill, TEdge::SunkenOuter);
      break;
    case ibRaised:
      fill = DrawEdge(painter, fill, TEdge::RaisedInner);
      break;
  }
  // clNone leaves the indicator empty: there is no colour to show.
  if (selectionColor_ != clNone) painter.fillRect(fill, ToQColor(selectionColor_));
}

void TColorPickerButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFace(painter);
  PaintDropDown(painter);
  PaintIndicator(painter);
}

// ---- mouse ------------------------------------------------------------------

void TColorPickerButton::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(*this, event->button(), event->modifiers(), point.x(), point.y());
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  if (InDropDownPart(point.x())) {
    if (!droppedDown_) {
      update();
      SetDroppedDown(true);
    }
    return;
  }
  if (!down_) {
    state_ = bsDown;
    update();
  }
  tracking_ = true;
}

void TColorPickerButton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(*this, event->modifiers(), point.x(), point.y());
  if (!tracking_) return;
  const bool inside = rect().contains(point);
  const TButtonState state = down_ ? bsExclusive : inside ? bsDown : bsUp;
  if (state != state_) {
    state_ = state;
    update();
  }
}

void TColorPickerButton::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(*this, event->button(), event->modifiers(), point.x(), point.y());
  if (!tracking_ || event->button() != Qt::LeftButton) return;
  tracking_ = false;
  const bool inside = rect().contains(point);
  if (groupIndex_ == 0) {
    state_ = bsUp;
    if (inside) update();
  } else if (inside) {
    SetDown(!down_);
    state_ = down_ ? bsExclusive : bsUp;
    update();
  }
  if (inside) Click();
  if (flat_ && mouseInside_ != inside) {
    mouseInside_ = inside;
    update();
  }
}

void TColorPickerButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (OnDblClick && event->button() == Qt::LeftButton) OnDblClick(*this);
  mousePressEvent(event);
}

void TColorPickerButton::enterEvent(QEnterEvent*) {
  mouseInside_ = true;
  if (flat_) update();
}

void TColorPickerButton::leaveEvent(QEvent*) {
  mouseInside_ = false;
  if (flat_) update();
}

void TColorPickerButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    state_ = !isEnabled() ? bsDisabled : down_ ? bsExclusive : bsUp;
    update();
  }
  QWidget::changeEvent(event);
}

}  // namespace widgets
