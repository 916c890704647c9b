#pragma once
// Value conversions every shape class shares: the text form of undo values,
// property names compared without regard to case, and lengths read from
// XML held to a sane range.

#include <string>
#include <string_view>

class TXmlNode;
class TdocShape;

namespace document {

// Lengths beyond a kilometre or not finite come only from broken files; they
// would overflow pixel arithmetic further on.
constexpr double MaxLength = 1.0e6;

// Up to 15 significant digits with "." whatever the locale; reads back to
// the same single-precision value.
std::string FloatToUndoText(double value);
// Raises EConvertError for text that is not a finite float.
float UndoTextToFloat(const std::string& text);
bool SameText(std::string_view a, std::string_view b);

// The undo record of a change of stacking order among a shape's children:
// its value is the ids of the children, bottom first, before the change.
inline constexpr const char* ShapeOrderProperty = "ShapeOrder";
std::string ShapeOrderText(const TdocShape& parent);

// A float child held to -MaxLength..MaxLength; 0 when missing or not finite.
float ReadCoordinate(const TXmlNode& node, const char* name);
// The same, and never below 0.
float ReadLength(const TXmlNode& node, const char* name);
// value held to 0..MaxLength; 0 when not a number.
float SaneLength(float value);

}  // namespace document
