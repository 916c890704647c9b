#pragma once
// Where an arrow key moves the hover cell of the palette pop-up: through the
// 8-column grid of cells 0..lastCell and the two text buttons (cell numbers
// kDefaultCell and kCustomCell), each button only when it is shown.

namespace widgets {

enum class TPopupArrow { Left, Up, Right, Down };

struct TPopupButtons {
  bool HasDefault = false;
  bool HasCustom = false;
};

// `from` is the hover cell, or the selected cell when nothing is hovered;
// from no cell at all every arrow goes to cell 0.
int NextPopupCell(TPopupArrow arrow, int from, int lastCell, TPopupButtons buttons);

}  // namespace widgets
