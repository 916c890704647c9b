#include "document/effects/EffectParams.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "xml/XmlNode.h"

float ReadFloatParam(const TXmlNode& node, std::string_view name) {
  constexpr double limit = std::numeric_limits<float>::max();
  const double value = node.ReadChildFloat(name, 0);
  return std::isnan(value) ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(std::clamp(value, -limit, limit));
}

std::int32_t RoundPixels(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int32_t>(std::nearbyint(std::clamp<double>(value, -MaxEffectPixels, MaxEffectPixels)));
}
