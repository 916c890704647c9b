#pragma once
// A tool button or menu item that stands for an action follows it as an
// action link does: it takes the action's enabled state and visibility when
// linked and at every change of the action, its action list's included.

#include <QAction>
#include <QObject>

namespace app {

// The control takes the action's enabled state and shows while the action
// does and `shown` holds.
template <class TControl>
void FollowActionState(TControl& control, const QAction& action, bool shown = true) {
  control.setEnabled(action.isEnabled());
  control.setVisible(shown && action.isVisible());
}

// Links a control that already has its place (a button in a shown layout, an
// item in its menu) to the action.
template <class TControl>
void LinkToAction(TControl* control, QAction* action) {
  FollowActionState(*control, *action);
  QObject::connect(action, &QAction::changed, control, [control, action] { FollowActionState(*control, *action); });
}

}  // namespace app
