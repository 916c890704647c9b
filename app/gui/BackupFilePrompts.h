#pragma once
// The archive component's questions as message boxes of a window: the error
// box and the question for the next disk.

#include <QWidget>

#include "app/BackupFile.h"

namespace app {

class TBackupFileBoxes : public TBackupFilePrompts {
public:
  explicit TBackupFileBoxes(QWidget* owner) : Owner(owner) {}

  void ShowError(const std::string& text) override;
  bool AskForDisk(const std::string& text) override;
  void ProcessMessages() override;

private:
  QWidget* Owner;
};

}  // namespace app
