#include "app/gui/CaptionRoom.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QToolTip>
#include <QWidget>

namespace app {

namespace {

// The most captions side by side in one row of the main window: the
// calculators' two groups of a value and a result caption each, or the top
// row's three buttons with text and four without. A dialog has two at most.
constexpr int CaptionsInARow = 5;
constexpr int CaptionsInADialogRow = 2;
// A hint shows in a tip window of one line, a menu item in a popup menu of
// one column: each may take this share of the screen.
constexpr int HintsInARow = 2;
// Beside the text of a group box's title: its frame and indent.
constexpr int GroupTitleMargin = 24;

int ScreenShare(const QWidget& control, int parts) {
  const QScreen* screen = control.screen();
  return screen ? screen->availableGeometry().width() / parts : QWIDGETSIZE_MAX;
}

int CaptionRoomOf(const QWidget& control) {
  int room = QWIDGETSIZE_MAX;
  for (const QWidget* widget = &control; widget != nullptr; widget = widget->parentWidget()) {
    room = std::min(room, widget->maximumWidth());
    if (widget->isWindow()) break;
  }
  if (room < QWIDGETSIZE_MAX) return room;
  return ScreenShare(control, qobject_cast<const QMainWindow*>(control.window()) ? CaptionsInARow : CaptionsInADialogRow);
}

QString Cut(const QWidget& control, const QString& caption, int textRoom) {
  return control.fontMetrics().elidedText(caption, Qt::ElideRight, std::max(0, textRoom));
}

// A control whose size follows its text: the text loses what the control
// is wider than its room.
template <class W>
void FitText(W& control) {
  const int excess = control.sizeHint().width() - CaptionRoomOf(control);
  if (excess <= 0) return;
  const QString caption = control.text();
  control.setText(Cut(control, caption, control.fontMetrics().horizontalAdvance(caption) - excess));
}

void FitTitle(QGroupBox& group) {
  const QString title = group.title();
  const int textRoom = CaptionRoomOf(group) - GroupTitleMargin;
  if (group.fontMetrics().horizontalAdvance(title) > textRoom) group.setTitle(Cut(group, title, textRoom));
}

// A tab bar cuts its tabs' texts itself, only when they do not fit the bar.
void FitTabs(QTabBar& bar) { bar.setElideMode(Qt::ElideRight); }

void FitMenu(QMenu& menu) {
  const int room = ScreenShare(menu, HintsInARow);
  for (QAction* item : menu.actions())
    if (menu.fontMetrics().horizontalAdvance(item->text()) > room) item->setText(Cut(menu, item->text(), room));
}

void FitHint(QWidget& control) {
  const QString hint = control.toolTip();
  const QFontMetrics metrics(QToolTip::font());
  const int room = ScreenShare(control, HintsInARow);
  if (metrics.horizontalAdvance(hint) > room) control.setToolTip(metrics.elidedText(hint, Qt::ElideRight, room));
}

void FitCaption(QWidget& control) {
  FitHint(control);
  if (auto* label = qobject_cast<QLabel*>(&control); label && !label->wordWrap()) return FitText(*label);
  if (auto* button = qobject_cast<QAbstractButton*>(&control)) return FitText(*button);
  if (auto* group = qobject_cast<QGroupBox*>(&control)) return FitTitle(*group);
  if (auto* bar = qobject_cast<QTabBar*>(&control)) return FitTabs(*bar);
  if (auto* menu = qobject_cast<QMenu*>(&control)) FitMenu(*menu);
}

}  // namespace

void FitCaptionsToRoom(QWidget& form) {
  FitCaption(form);
  for (QWidget* control : form.findChildren<QWidget*>()) FitCaption(*control);
}

}  // namespace app
