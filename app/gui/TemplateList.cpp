#include "app/gui/TemplateList.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace app {

namespace {

// Room beside a name in the popup: item margins, frame and the ellipsis of
// the blanks cut off at the right.
constexpr int NameMargin = 40;

// The popup's rows show the names.
class TTemplateNameDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QString displayText(const QVariant& value, const QLocale& locale) const override {
    return TTemplateList::ShownName(QStyledItemDelegate::displayText(value, locale));
  }
};

}  // namespace

TTemplateList::TTemplateList(QWidget* parent) : QComboBox(parent) {}

void TTemplateList::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText = ShownName(option.currentText);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

QString TTemplateList::ShownName(const QString& itemText) {
  qsizetype end = itemText.size();
  while (end > 0 && itemText[end - 1].isDigit()) --end;
  while (end > 0 && itemText[end - 1] == u' ') --end;
  return itemText.left(end);
}

int TTemplateList::NamesWidth() const {
  const QFontMetrics metrics = view()->fontMetrics();
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(ShownName(itemText(i))));
  const QScrollBar* bar = view()->verticalScrollBar();
  return widest + NameMargin + (bar->isVisible() ? bar->width() : 0);
}

void TTemplateList::showPopup() {
  // Set here rather than with the list: asking for the view makes the whole
  // drop-down, which the window's start need not wait for.
  if (!dynamic_cast<TTemplateNameDelegate*>(itemDelegate())) setItemDelegate(new TTemplateNameDelegate(this));
  // A name too long for the popup loses its end, never its middle.
  view()->setTextElideMode(Qt::ElideRight);
  QComboBox::showPopup();
  QWidget* popup = view()->window();
  if (popup == window()) return;
  const QRect bounds(window()->mapToGlobal(QPoint(0, 0)), window()->size());
  QRect frame = popup->geometry();
  frame.setWidth(std::min(std::max(width(), NamesWidth()), bounds.width()));
  if (frame.right() > bounds.right()) frame.moveRight(bounds.right());
  if (frame.left() < bounds.left()) frame.moveLeft(bounds.left());
  popup->setGeometry(frame);
}

}  // namespace app
