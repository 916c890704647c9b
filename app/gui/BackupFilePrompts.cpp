#include "app/gui/BackupFilePrompts.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/gui/QtText.h"

namespace app {

void TBackupFileBoxes::ShowError(const std::string& text) {
  QMessageBox::critical(Owner, Owner->windowTitle(), ToQString(text), QMessageBox::Ok);
}

bool TBackupFileBoxes::AskForDisk(const std::string& text) {
  return QMessageBox::information(Owner, Owner->windowTitle(), ToQString(text), QMessageBox::Ok | QMessageBox::Cancel,
                                  QMessageBox::Ok) == QMessageBox::Ok;
}

void TBackupFileBoxes::ProcessMessages() {
  // Painting goes on; the person's input waits until the archive is read.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace app
