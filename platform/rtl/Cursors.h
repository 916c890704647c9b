#pragma once
// Cursor ids of the screen's cursor table: the standard cursors are negative
// small numbers, the editor's own cursors -30 .. -38. Shapes store the id of
// their insert cursor; platform/qt turns an id into what the toolkit shows.

#include <cstdint>

using TCursor = std::int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

constexpr TCursor crRotation = -30;
constexpr TCursor crSizeCopy = -31;
constexpr TCursor crDocCross = -32;
constexpr TCursor crDocCrossLine = -33;
constexpr TCursor crDocCrossArrow = -34;
constexpr TCursor crDocCrossRectangle = -35;
constexpr TCursor crDocCrossEllipse = -36;
constexpr TCursor crDocCrossText = -37;
constexpr TCursor crDocCrossImage = -38;
