#include "document/editor/RulerScale.h"

#include <array>
#include <cmath>

namespace ruler {

namespace {

struct TUnitInfo {
  std::string Short;
  std::string Long;
  double PerMillimetre;
  double PixelsPerMillimetreFactor;  // times the screen's pixels per mm; 0 = fixed 1 pixel
};

const std::array<TUnitInfo, 5>& UnitTable() {
  static const std::array<TUnitInfo, 5> table{{
      {"cm", "centimeter", 0.1, 10.0},
      {"mm", "millimeter", 1.0, 1.0},
      {"in", "inch", 1.0 / 25.4, 25.4},
      {"px", "pixel", ScreenPixelsPerInch / 25.4, 0.0},
      {"", "", 1.0, 0.0},
  }};
  return table;
}

const TUnitInfo& Info(TRulerUnit unit) { return UnitTable()[unit < UnitTable().size() ? unit : ruNone]; }

// A ruler never shows more marks than it has pixels; beyond that the
// numbers are not drawable (or not finite) and nothing is laid out.
bool Drawable(double first, double last, double length) {
  return std::isfinite(first) && std::isfinite(last) && last >= first && last - first <= length + 2.0;
}

// Pixels beside the ruler where a mark still shows: half a label at most.
constexpr double MarkMargin = 500.0;

// Calls mark(i) for every i whose position i x spacing - origin + 1 may
// fall on the ruler.
template <class Mark>
void ForEachMark(double spacing, double length, double origin, Mark mark) {
  const double first = std::floor(origin / spacing);
  const double last = std::ceil((length + origin) / spacing);
  if (!Drawable(first, last, length)) return;
  // Counted in integers: far from 0 adding 1 to a double may change nothing.
  const auto count = static_cast<std::int64_t>(last - first);
  for (std::int64_t k = 0; k <= count; ++k) {
    const double i = first + static_cast<double>(k);
    // Far from 0 the position loses its precision: what lands off the
    // ruler (and a label's width beside it) is left out.
    const double position = i * spacing - origin + 1.0;
    if (position >= -MarkMargin && position <= length + MarkMargin) mark(i, position);
  }
}

}  // namespace

const std::string& ShortName(TRulerUnit unit) { return Info(unit).Short; }
const std::string& LongName(TRulerUnit unit) { return Info(unit).Long; }
double UnitsPerMillimetre(TRulerUnit unit) { return Info(unit).PerMillimetre; }

double PixelsPerUnit(TRulerUnit unit, double screenDpm, double scale) {
  const double factor = Info(unit).PixelsPerMillimetreFactor;
  return (factor == 0.0 ? 1.0 : screenDpm * factor) * scale;
}

std::optional<TScaleStep> ScaleStepFor(double pixelsPerUnit) {
  if (!std::isfinite(pixelsPerUnit) || pixelsPerUnit <= 0.0) return std::nullopt;
  double r = LabelTargetPixels / pixelsPerUnit;
  if (!std::isfinite(r)) return std::nullopt;
  double m = 1.0;
  while (r > 10.0) {
    m *= 10.0;
    r /= 10.0;
  }
  TScaleStep step;
  if (r < 1.2) {
    step = {m, 5};
  } else if (r < 2.5) {
    step = {2.0 * m, 5};
  } else if (r < 6.0) {
    step = {5.0 * m, 2};
  } else {
    step = {10.0 * m, 5};
  }
  step.LabelSpacing = step.Step * pixelsPerUnit;
  if (!std::isfinite(step.LabelSpacing) || step.LabelSpacing <= 0.0) return std::nullopt;
  return step;
}

std::vector<TLabel> Labels(const TScaleStep& step, double length, double originPixels) {
  std::vector<TLabel> labels;
  ForEachMark(step.LabelSpacing, length, originPixels,
              [&](double i, double position) { labels.push_back({position, step.Step * i}); });
  return labels;
}

std::vector<TTick> Ticks(const TScaleStep& step, double length, double originPixels) {
  std::vector<TTick> ticks;
  ForEachMark(step.LabelSpacing / 10.0, length, originPixels, [&](double j, double position) {
    ticks.push_back({position, std::fmod(j, step.LongTickPeriod) == 0.0});
  });
  return ticks;
}

}  // namespace ruler
