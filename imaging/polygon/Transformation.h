#pragma once
// A mapping of 16.16 points applied to a polygon's points as it is drawn or
// measured.

#include "imaging/core/FixedPoint.h"

class TTransformation {
public:
  virtual ~TTransformation() = default;
  virtual TFixedPoint Transform(const TFixedPoint& point) const = 0;
};
