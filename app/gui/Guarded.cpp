#include "app/gui/Guarded.h"

#include <exception>

#include <QMessageBox>
#include <QString>

#include "app/shapes/BarcodeShape.h"

namespace app {

void Guarded(QWidget* parent, const std::function<void()>& action) {
  try {
    action();
  } catch (const EBarcodeRefused& refusal) {
    // A barcode the user must correct, not a failure of the program.
    QMessageBox::warning(parent, QStringLiteral("Mirqoven"), QString::fromUtf8(refusal.what()));
  } catch (const std::exception& error) {
    QMessageBox::critical(parent, QStringLiteral("Mirqoven"), QString::fromUtf8(error.what()));
  }
}

}  // namespace app
