#pragma once
// Event handlers of the windows run through Guarded: an exception never
// leaves a Qt slot, the user sees its message in a message box instead (a
// warning for a barcode to correct, an error for anything else).

#include <functional>

class QWidget;

namespace app {

void Guarded(QWidget* parent, const std::function<void()>& action);

// The handler wrapped so that it runs guarded; for connect().
template <class F>
auto GuardedSlot(QWidget* parent, F action) {
  return [parent, action](auto&&...) { Guarded(parent, action); };
}

}  // namespace app
