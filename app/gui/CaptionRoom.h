#pragma once
// Captions come from the language file, which may hold a text far longer
// than any control can show. A control's size follows its caption, and the
// window follows its controls: a caption of a few thousand characters would
// widen the window far past the screen, and the pixels behind it would take
// the machine. So a caption wider than the room its control has is cut, with
// an ellipsis, to that room; so are hints and menu items past the screen.

class QWidget;

namespace app {

// Every label, button, check box, radio button and group box of form (and
// of its children) whose caption does not fit its room. A control's room is
// the narrowest maximum width among it and its containers (a column of fixed
// width); where none is bounded, a share of the screen such that the most
// captions one row of its window holds fit the screen together. Hints and
// menu items get half the screen; tab bars cut the tabs that do not fit them.
void FitCaptionsToRoom(QWidget& form);

}  // namespace app
