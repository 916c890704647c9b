#include "barcode/BarcodeGeometry.h"

#include <cmath>
#include <numbers>

#include "platform/rtl/Numbers.h"

namespace barcode {

double Radians(double degrees) { return degrees / 180 * std::numbers::pi; }

TPoint RotatePoint(TPoint point, double alpha) {
  const double c = std::cos(alpha);
  const double s = std::sin(alpha);
  return Point(rtl::Round(point.X * c + point.Y * s), rtl::Round(-point.X * s + point.Y * c));
}

TPoint OffsetPoint(TPoint a, TPoint b) {
  // Sums of two 32-bit integers are exact in a double.
  return Point(rtl::CheckedToInt32(static_cast<double>(a.X) + b.X), rtl::CheckedToInt32(static_cast<double>(a.Y) + b.Y));
}

TPoint RotatedBoxOrigin(double alpha, TPoint origin, int width, int height) {
  const double s = std::sin(alpha);
  const double c = std::cos(alpha);
  const auto round = [](double value) { return static_cast<double>(rtl::Round(value)); };
  double dx = 0;
  double dy = 0;
  if (s >= 0 && c >= 0) {
    dy = round(width * s);
  } else if (s >= 0) {
    dx = -round(width * c);
    dy = round(width * s - height * c);
  } else if (c >= 0) {
    dx = -round(height * s);
  } else {
    dx = -round(width * c) - round(height * s);
    dy = -round(height * c);
  }
  return OffsetPoint(origin, Point(rtl::CheckedToInt32(dx), rtl::CheckedToInt32(dy)));
}

}  // namespace barcode
