#pragma once
// Where a page lands on a printer's paper: turned by a quarter when that
// gives it the larger scale, scaled to fit and centred in the paper
// rectangle (device pixels).

#include "platform/rtl/Types.h"

struct TPagePlacement {
  bool Turned = false;  // a quarter turn counter-clockwise
  double Scale = 0;     // device pixels per page unit
  TRect Area;           // empty when the page does not fit at all
  float PageWidth = 0;

  // The device pixel of a page point (page units).
  TPoint DevicePoint(double x, double y) const;
  // The device rectangle that a page rectangle covers, placed by its corner
  // nearest the device's origin; its size is given in device pixels, so
  // every copy of one picture keeps the same size.
  TRect DeviceRect(float left, float top, float right, float bottom, std::int32_t width, std::int32_t height) const;
};

TPagePlacement PlacePage(float width, float height, const TRect& paper);
