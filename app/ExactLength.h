#pragma once
// A length edit shows two decimals of the current unit. A length the program
// puts there (a sheet template's) is remembered in millimetres, so that the
// label and the grid use it rather than its rounded display: 35 mm shows as
// "1.38" in inches and still counts as 35 mm. Any other text stands for
// itself.

#include <optional>
#include <string>
#include <string_view>

class TExactLength {
public:
  void Set(double mm) { Mm = mm; }
  void Forget() { Mm.reset(); }
  bool IsSet() const { return Mm.has_value(); }

  // The remembered length as the edit shows it in the unit of factor
  // (millimetres per unit).
  std::string Text(double factor) const;
  // The length in millimetres that text stands for: the remembered one while
  // text is its display, else the number typed (0 when none).
  double Millimetres(std::string_view text, double factor) const;
  // A unit switch rewrote the edit from oldFactor's text to text: the new
  // unit's display of the remembered length when text came from it,
  // nothing otherwise.
  std::optional<std::string> AfterUnitSwitch(std::string_view text, double oldFactor, double newFactor) const;

private:
  std::optional<double> Mm;
};
