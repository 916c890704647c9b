#pragma once
// The screen's cursor table: cursor id -> what the toolkit shows. The
// editor's own cursors are drawn once, on first use, on the main thread.

#include <QCursor>

#include "platform/rtl/Cursors.h"

// Unknown ids give the arrow, as the default cursor does.
QCursor CursorFromId(TCursor id);
