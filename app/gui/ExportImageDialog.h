#pragma once
// Tfexportimage: the image-export dialog. It chooses the resolution in pixels
// per millimetre and sends the label's image to the clipboard or to a file.

#include <functional>

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace app {

class TExportImageDialog : public QDialog {
public:
  explicit TExportImageDialog(QWidget* parent = nullptr);

  // The captions in the interface's language.
  void ApplyUITexts();
  // The chosen resolution in pixels per millimetre.
  int Resolution() const;

  // Called with mode 1 (file) or 2 (clipboard) and the resolution.
  std::function<void(int mode, int scale)> OnExport;

  QLabel* labresolution;
  QComboBox* comblisteniveauresolution;
  QPushButton* bclipboard;
  QPushButton* bExporter;
  QPushButton* sretour;

protected:
  // Every showing starts at the default resolution.
  void showEvent(QShowEvent* event) override;
};

}  // namespace app
