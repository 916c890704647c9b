#pragma once
// The scale of a ruler, without a window: units and their names, pixels per
// unit, the label step and tick period chosen for the zoom, and where each
// label and tick falls along the ruler.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/core/DocumentTypes.h"

// Which edge of the view a ruler stands on.
enum TRulerDir : std::uint8_t { rdTop, rdLeft, rdRight, rdBottom };
// The hair line: a line at the mouse, or the band from the start to it.
enum THairLineStyle : std::uint8_t { hlsLine, hlsRect };
// Which corner of the view the corner piece fills.
enum TCornerPos : std::uint8_t { cpLeftTop, cpRightTop, cpLeftBottom, cpRightBottom };

namespace ruler {

// Screen pixels per inch of the pixel unit.
constexpr double ScreenPixelsPerInch = 96.0;
// Pixels between labels the layout aims at.
constexpr double LabelTargetPixels = 40.0;

// The unit's short name ("mm") and long name ("millimeter").
const std::string& ShortName(TRulerUnit unit);
const std::string& LongName(TRulerUnit unit);

// Units per millimetre.
double UnitsPerMillimetre(TRulerUnit unit);
// Ruler pixels per unit at the given screen pixels per millimetre and scale.
double PixelsPerUnit(TRulerUnit unit, double screenDpm, double scale);

// The label step (units), how many ticks make a long tick, and the label
// spacing in pixels; ten ticks between labels.
struct TScaleStep {
  double Step = 0.0;
  int LongTickPeriod = 0;
  double LabelSpacing = 0.0;
};
// The step for pixelsPerUnit, empty when it is not a finite positive value
// (nothing can be drawn then).
std::optional<TScaleStep> ScaleStepFor(double pixelsPerUnit);

struct TLabel {
  double Position = 0.0;  // pixels along the ruler
  double Value = 0.0;     // units
};
struct TTick {
  double Position = 0.0;
  bool Long = false;
};

// The labels and ticks over a ruler of length pixels whose origin sits at
// originPixels (the offset in pixels). Empty when the layout has no usable
// step or the numbers are out of any drawable range.
std::vector<TLabel> Labels(const TScaleStep& step, double length, double originPixels);
std::vector<TTick> Ticks(const TScaleStep& step, double length, double originPixels);

}  // namespace ruler
