#pragma once
// Translation of toolkit key and mouse state into the virtual-key codes,
// key-press characters and shift states the editor's handlers expect.

#include <string>

#include <QKeyEvent>

#include "platform/rtl/Keys.h"

// The virtual-key code of a key-down or key-up event; 0 for keys without one.
TKey VirtualKeyFromQt(const QKeyEvent& event);
// The characters a key press delivers: Ctrl+A .. Ctrl+Z give 1 .. 26 (so
// Ctrl+C, V, X give 3, 22, 24), Backspace 8, Tab 9, Enter 13, Escape 27;
// otherwise the committed text. Other Ctrl chords deliver nothing.
std::u16string KeyPressCharsFromQt(const QKeyEvent& event);
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
