#pragma once
// Quarter arcs of the polygon shapes and arrow heads: how many chords a
// quarter of a circle gets for its radius in device pixels, and the unit
// points along it.

#include <cstdint>
#include <vector>

#include "imaging/docgraphics/DocGraphics.h"

namespace document {

// No quarter arc gets more chords than this, whatever its size: a huge
// shape would otherwise ask for millions of points.
constexpr std::int32_t MaxArcSteps = 4096;

// t := radius x pi / 2; 1 step up to t = 0.5, 2 below 3, 3 below 7,
// ceil(t / 5) below 100, else ceil(t / 10). A radius that is not a number
// counts as 0.
std::int32_t ArcSteps(double radius);

// The n + 1 points (cos a, sin a) for a = i / n x pi / 2, i = 0 .. n, with n
// the arc steps of the radius: exactly (1, 0) first and (0, 1) last.
std::vector<TFloatPoint> QuarterArc(double radius);

}  // namespace document
