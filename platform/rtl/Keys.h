#pragma once
// Virtual-key codes and the shift state that keyboard and mouse handlers
// receive. The numbers are the desktop's virtual-key codes, which stored
// handlers compare against; platform/qt translates toolkit events into them.

#include <cstdint>

using TKey = std::uint16_t;

constexpr TKey VK_CANCEL = 3;
constexpr TKey VK_BACK = 8;
constexpr TKey VK_TAB = 9;
constexpr TKey VK_RETURN = 13;
constexpr TKey VK_SHIFT = 16;
constexpr TKey VK_CONTROL = 17;
constexpr TKey VK_MENU = 18;
constexpr TKey VK_ESCAPE = 27;
constexpr TKey VK_SPACE = 32;
constexpr TKey VK_PRIOR = 33;
constexpr TKey VK_NEXT = 34;
constexpr TKey VK_END = 35;
constexpr TKey VK_HOME = 36;
constexpr TKey VK_LEFT = 37;
constexpr TKey VK_UP = 38;
constexpr TKey VK_RIGHT = 39;
constexpr TKey VK_DOWN = 40;
constexpr TKey VK_EXECUTE = 43;
constexpr TKey VK_INSERT = 45;
constexpr TKey VK_DELETE = 46;
// Digits and letters are their upper-case ASCII codes ('0' = 48, 'A' = 65).
constexpr TKey VK_NUMPAD0 = 96;
constexpr TKey VK_MULTIPLY = 106;
constexpr TKey VK_ADD = 107;
constexpr TKey VK_SUBTRACT = 109;
constexpr TKey VK_DECIMAL = 110;
constexpr TKey VK_DIVIDE = 111;
constexpr TKey VK_F1 = 112;  // F1 .. F24 are 112 .. 135
constexpr TKey VK_F2 = VK_F1 + 1;

// Ctrl+C, Ctrl+V and Ctrl+X as the characters a key press delivers.
constexpr char16_t CharCopy = 3;
constexpr char16_t CharPaste = 22;
constexpr char16_t CharCut = 24;

enum TShiftStateItem : std::uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
// A set of TShiftStateItem, bit 1 << ordinal.
using TShiftState = std::uint8_t;

constexpr TShiftState ShiftBit(TShiftStateItem item) { return static_cast<TShiftState>(1u << item); }
constexpr bool InShiftState(TShiftState state, TShiftStateItem item) { return (state & ShiftBit(item)) != 0; }

// The mouse button a button event is about.
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
