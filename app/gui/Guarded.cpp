#include "app/gui/Guarded.h"

#include <exception>

#include <QMessageBox>
#include <QString>

namespace app {

void Guarded(QWidget* parent, const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    QMessageBox::critical(parent, QStringLiteral("Mirqoven"), QString::fromUtf8(error.what()));
  }
}

}  // namespace app
