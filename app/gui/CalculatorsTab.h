#pragma once
// tabutilitaires: the check-digit calculators. Each group wires an input
// edit, a button and an output edit to one check-digit routine; the ISBN
// group fills both the ISBN-10 and its EAN-13 form.

#include <array>
#include <string>

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

struct TCalculatorGroup {
  QGroupBox* Group;
  QLabel* ValueLabel;   // labval...
  QLineEdit* Input;     // eval...sanscle
  QPushButton* Button;  // bcalculcle...
  QLabel* ResultLabel;  // labres...
  QLineEdit* Output;    // evaleur...
  int InputDigits;
};

class TCalculatorsTab : public QWidget {
public:
  explicit TCalculatorsTab(QWidget* parent = nullptr);

  // The labels composed from the value, result and digits texts.
  void ApplyUITexts();

  // EAN-13, EAN-8, UPC-A, EAN-14, SSCC, then ISBN-10.
  std::array<TCalculatorGroup, 6> Groups{};
  QLabel* labreseanisbn = nullptr;
  QLineEdit* evaleureanisbn = nullptr;

private:
  TCalculatorGroup& Isbn() { return Groups.back(); }
  void AddIsbnOutput();
};

}  // namespace app
