#pragma once
// Tfapropos: the about box, with the version and six lines of text from the
// text service.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace app {

class TAboutBox : public QDialog {
public:
  static constexpr const char* Version = "1.32";

  explicit TAboutBox(QWidget* parent = nullptr);

  // Memo1 gets texts 85 to 90, one line each.
  void FillMemo();

  QLabel* lproduct;
  QLabel* lversion;
  QPlainTextEdit* Memo1;
  QPushButton* OKButton;

protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace app
