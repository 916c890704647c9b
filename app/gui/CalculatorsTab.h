#pragma once
// tabutilitaires: the check-digit calculators. Each group wires an input
// edit, a button and an output edit to one check-digit routine; the ISBN
// group fills both the ISBN-10 and its EAN-13 form. The groups are built
// when the page is first shown, or asked for: a page nobody opens costs the
// window's start nothing.

#include <array>
#include <functional>
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

  bool IsBuilt() const { return Built; }
  // Builds the groups once; OnBuilt follows.
  void EnsureBuilt();
  // The groups have just been built.
  std::function<void()> OnBuilt;

  // The labels composed from the value, result and digits texts; the groups
  // must be built.
  void ApplyUITexts();

  // EAN-13, EAN-8, UPC-A, EAN-14, SSCC, then ISBN-10.
  std::array<TCalculatorGroup, 6> Groups{};
  QLabel* labreseanisbn = nullptr;
  QLineEdit* evaleureanisbn = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  TCalculatorGroup& Isbn() { return Groups.back(); }
  void Build();
  void AddIsbnOutput();

  bool Built = false;
};

}  // namespace app
