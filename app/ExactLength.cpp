#include "app/ExactLength.h"

#include "app/NumberText.h"

std::string TExactLength::Text(double factor) const { return FormatTwoDecimals(Mm.value_or(0.0) / factor); }

double TExactLength::Millimetres(std::string_view text, double factor) const {
  if (Mm && text == Text(factor)) return *Mm;
  return ParseNumber(text).value_or(0.0) * factor;
}

std::optional<std::string> TExactLength::AfterUnitSwitch(std::string_view text, double oldFactor,
                                                         double newFactor) const {
  if (!Mm || oldFactor == newFactor) return std::nullopt;
  const auto conversion = newFactor > oldFactor ? TUnitConversion::ToInches : TUnitConversion::ToMillimetres;
  if (text != pgloconvertitunite(Text(oldFactor), conversion)) return std::nullopt;
  return Text(newFactor);
}
