// Toolkit key events against the desktop's virtual-key codes and key-press
// characters that the editor's handlers compare with.

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "platform/qt/KeyMap.h"

namespace {

QKeyEvent Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
  return QKeyEvent(QEvent::KeyPress, key, modifiers, text);
}

struct TVirtualKeyCase {
  int QtKey;
  Qt::KeyboardModifiers Modifiers;
  TKey Expected;
};

TEST(KeyMapTest, KeysTheEditorHandlesGiveTheirVirtualKeyCodes) {
  const TVirtualKeyCase cases[] = {
      {Qt::Key_Backspace, Qt::NoModifier, 8},  {Qt::Key_Tab, Qt::NoModifier, 9},
      {Qt::Key_Backtab, Qt::ShiftModifier, 9}, {Qt::Key_Return, Qt::NoModifier, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13}, {Qt::Key_Escape, Qt::NoModifier, 27},
      {Qt::Key_End, Qt::NoModifier, 35},       {Qt::Key_Home, Qt::NoModifier, 36},
      {Qt::Key_Left, Qt::NoModifier, 37},      {Qt::Key_Up, Qt::ShiftModifier, 38},
      {Qt::Key_Right, Qt::NoModifier, 39},     {Qt::Key_Down, Qt::NoModifier, 40},
      {Qt::Key_Delete, Qt::NoModifier, 46},    {Qt::Key_F2, Qt::NoModifier, 113},
      {Qt::Key_F5, Qt::NoModifier, 116},       {Qt::Key_Execute, Qt::NoModifier, 43},
      {Qt::Key_Cancel, Qt::NoModifier, 3},     {Qt::Key_PageUp, Qt::NoModifier, 33},
      {Qt::Key_PageDown, Qt::NoModifier, 34},  {Qt::Key_Space, Qt::NoModifier, 32},
      {Qt::Key_A, Qt::NoModifier, 65},         {Qt::Key_Z, Qt::ControlModifier, 90},
      {Qt::Key_0, Qt::NoModifier, 48},         {Qt::Key_7, Qt::KeypadModifier, 103},
      {Qt::Key_Plus, Qt::KeypadModifier, 107}, {Qt::Key_Minus, Qt::KeypadModifier, 109},
      {Qt::Key_F1, Qt::NoModifier, 112},       {Qt::Key_F24, Qt::NoModifier, 135},
      {Qt::Key_Control, Qt::ControlModifier, 17},
      // The plus key of the main block is 43 in the toolkit, but not Execute.
      {Qt::Key_Plus, Qt::NoModifier, 0},       {Qt::Key_Eacute, Qt::NoModifier, 0},
  };
  for (const TVirtualKeyCase& c : cases)
    EXPECT_EQ(VirtualKeyFromQt(Press(c.QtKey, c.Modifiers)), c.Expected) << "Qt key 0x" << std::hex << c.QtKey;
}

TEST(KeyMapTest, KeyPressDeliversCommittedTextEditingAndControlCharacters) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, none = Qt::NoModifier;
  const struct {
    QKeyEvent Event;
    std::u16string Expected;
  } cases[] = {
      {Press(Qt::Key_C, ctrl), std::u16string(1, CharCopy)}, {Press(Qt::Key_V, ctrl), std::u16string(1, CharPaste)},
      {Press(Qt::Key_X, ctrl), std::u16string(1, CharCut)}, {Press(Qt::Key_C, ctrl | Qt::ShiftModifier), u"\x03"},
      {Press(Qt::Key_V, ctrl, "v"), u"\x16"}, {Press(Qt::Key_1, ctrl, "1"), u""},  // the toolkit's text is ignored
      {Press(Qt::Key_E, ctrl | Qt::AltModifier, u8"€"), u"€"},  // Ctrl+Alt is AltGr on many layouts: typed text
      {Press(Qt::Key_Backspace), u"\b"}, {Press(Qt::Key_Tab), u"\t"}, {Press(Qt::Key_Return), u"\r"},
      {Press(Qt::Key_Enter, Qt::KeypadModifier), u"\r"}, {Press(Qt::Key_Escape), u"\x1b"},
      {Press(Qt::Key_A, Qt::ShiftModifier, "A"), u"A"}, {Press(0, none, QString::fromUtf8(u8"Ωж")), u"Ωж"},
      {Press(0, none, QString::fromUtf8(u8"𝄞")), u"𝄞"}, {Press(Qt::Key_Delete, none, "\x7f"), u""},
      {Press(Qt::Key_Left), u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyPressCharsFromQt(c.Event), c.Expected) << "Qt key 0x" << std::hex << c.Event.key();
}

TEST(KeyMapTest, ShiftStateCombinesKeysAndButtons) {
  EXPECT_EQ(ShiftStateFromQt(Qt::NoModifier), 0);
  EXPECT_EQ(ShiftStateFromQt(Qt::ShiftModifier | Qt::ControlModifier), ShiftBit(ssShift) | ShiftBit(ssCtrl));
  EXPECT_EQ(ShiftStateFromQt(Qt::AltModifier, Qt::LeftButton | Qt::MiddleButton),
            ShiftBit(ssAlt) | ShiftBit(ssLeft) | ShiftBit(ssMiddle));
  const TShiftState right = ShiftStateFromQt(Qt::KeypadModifier, Qt::RightButton);
  EXPECT_TRUE(InShiftState(right, ssRight));
  EXPECT_FALSE(InShiftState(right, ssShift));
  // The set's bits are the ordinals: Shift 1, Alt 2, Ctrl 4, Left 8, Right 16, Middle 32.
  EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier, Qt::RightButton), 4 | 16);
}

}  // namespace
