#pragma once
// The sheet-template list. Its items carry the template number behind a long
// run of blanks; only the names are ever shown, closed and popped up. The
// list pops up as wide as the longest name needs, never wider than the
// window it belongs to.

#include <QComboBox>

namespace app {

class TTemplateList : public QComboBox {
public:
  explicit TTemplateList(QWidget* parent = nullptr);

  // The part of an item a person reads: its text without the blanks and the
  // number that follow the name.
  static QString ShownName(const QString& itemText);

  void showPopup() override;

protected:
  // The closed list shows the chosen item's name.
  void paintEvent(QPaintEvent* event) override;

private:
  int NamesWidth() const;
};

}  // namespace app
