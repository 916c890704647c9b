#pragma once
// A text written inside a rectangle of a canvas: broken into lines at its
// blanks and made smaller until every line fits the rectangle's width and
// all lines its height, so no word is cut at the rectangle's edge.

#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Canvas.h"

namespace app {

// A font height (negative: em size) a tenth smaller, at least one pixel
// smaller, never below one pixel: the next size a text tries to fit in.
int SmallerFontHeight(int height);

// The lines of text broken at blanks so that each is at most width pixels
// wide in the canvas's font where a word allows it; a word wider than that
// stands alone on its line.
std::vector<std::u16string> WrapAtBlanks(TCanvas& canvas, std::u16string_view text, int width);

// Draws text from the rectangle's top-left corner in font, or in the largest
// smaller size that fits; in the smallest size when none does. The canvas
// keeps the font it is left with.
void PaintFittedText(TCanvas& canvas, const TRect& rect, TFont font, std::u16string_view text);

}  // namespace app
