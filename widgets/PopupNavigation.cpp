#include "widgets/PopupNavigation.h"

#include "widgets/ColorPalette.h"

namespace widgets {

namespace {

// The first shown button of the two in the order given, else `otherwise`.
int FirstShown(bool firstShown, int first, bool secondShown, int second, int otherwise) {
  if (firstShown) return first;
  if (secondShown) return second;
  return otherwise;
}

int Backwards(int cell, int lastCell, TPopupButtons buttons) {
  // Leaving the grid backwards: default button, custom button, last cell.
  if (cell == kDefaultCell) return FirstShown(buttons.HasCustom, kCustomCell, false, 0, lastCell);
  if (cell == kCustomCell) return lastCell;
  return FirstShown(buttons.HasDefault, kDefaultCell, buttons.HasCustom, kCustomCell, lastCell);
}

int Forwards(int cell, TPopupButtons buttons) {
  // Leaving the grid forwards: custom button, default button, cell 0.
  if (cell == kDefaultCell) return 0;
  if (cell == kCustomCell) return FirstShown(buttons.HasDefault, kDefaultCell, false, 0, 0);
  return FirstShown(buttons.HasCustom, kCustomCell, buttons.HasDefault, kDefaultCell, 0);
}

}  // namespace

int NextPopupCell(TPopupArrow arrow, int from, int lastCell, TPopupButtons buttons) {
  if (from == kNoCell) return 0;
  const bool inGrid = from >= 0;
  switch (arrow) {
    case TPopupArrow::Left:
      return inGrid && from > 0 ? from - 1 : Backwards(from, lastCell, buttons);
    case TPopupArrow::Up:
      return inGrid && from >= kPaletteColumns ? from - kPaletteColumns : Backwards(from, lastCell, buttons);
    case TPopupArrow::Right:
      return inGrid && from < lastCell ? from + 1 : Forwards(from, buttons);
    case TPopupArrow::Down:
      return inGrid && from + kPaletteColumns <= lastCell ? from + kPaletteColumns : Forwards(from, buttons);
  }
  return from;
}

}  // namespace widgets
