#pragma once
// The sheet-template list. Its items carry the template number out of sight
// behind a long run of blanks; the list pops up as wide as the longest name
// needs, never wider than the window it belongs to.

#include <QComboBox>

namespace app {

class TTemplateList : public QComboBox {
public:
  explicit TTemplateList(QWidget* parent = nullptr);

  // The part of an item a person reads: its text without the blanks and the
  // number that follow the name.
  static QString ShownName(const QString& itemText);

  void showPopup() override;

private:
  int NamesWidth() const;
};

}  // namespace app
