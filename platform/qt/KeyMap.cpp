#include "platform/qt/KeyMap.h"

#include <array>
#include <utility>

namespace {

struct TKeyPair {
  int Qt;
  TKey Virtual;
};

constexpr std::array<TKeyPair, 28> NamedKeys{{
    {Qt::Key_Cancel, VK_CANCEL},   {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},     {Qt::Key_Return, VK_RETURN},  {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},     {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Space, VK_SPACE},    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},   {Qt::Key_End, VK_END},        {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},          {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},       {Qt::Key_Execute, VK_EXECUTE}, {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},   {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},
    {Qt::Key_Minus, VK_SUBTRACT},  {Qt::Key_Period, VK_DECIMAL},  {Qt::Key_Comma, VK_DECIMAL},
    {Qt::Key_Slash, VK_DIVIDE},
}};

// The last six named keys have codes only on the numeric keypad.
constexpr std::size_t KeypadOnlyKeys = 6;

TKey NamedKey(int key, bool keypad) {
  const std::size_t count = keypad ? NamedKeys.size() : NamedKeys.size() - KeypadOnlyKeys;
  for (std::size_t i = 0; i < count; ++i)
    if (NamedKeys[i].Qt == key) return NamedKeys[i].Virtual;
  return 0;
}

bool IsLetter(int key) { return key >= Qt::Key_A && key <= Qt::Key_Z; }

bool CtrlChord(Qt::KeyboardModifiers modifiers) {
  return modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
}

}  // namespace

TKey VirtualKeyFromQt(const QKeyEvent& event) {
  const int key = event.key();
  const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<TKey>(keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : key);
  if (IsLetter(key)) return static_cast<TKey>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<TKey>(VK_F1 + (key - Qt::Key_F1));
  return NamedKey(key, keypad);
}

std::u16string KeyPressCharsFromQt(const QKeyEvent& event) {
  const int key = event.key();
  if (CtrlChord(event.modifiers())) {
    if (!IsLetter(key)) return {};
    return std::u16string(1, static_cast<char16_t>(key - Qt::Key_A + 1));
  }
  switch (key) {
    case Qt::Key_Backspace: return u"\b";
    case Qt::Key_Tab: return u"\t";
    case Qt::Key_Return:
    case Qt::Key_Enter: return u"\r";
    case Qt::Key_Escape: return u"\x1b";
    default: break;
  }
  const QString text = event.text();
  std::u16string chars;
  for (const QChar c : text)
    if (c.unicode() >= 0x20 && c.unicode() != 0x7f) chars.push_back(c.unicode());
  return chars;
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  constexpr std::array<std::pair<Qt::KeyboardModifier, TShiftStateItem>, 3> keys{
      {{Qt::ShiftModifier, ssShift}, {Qt::AltModifier, ssAlt}, {Qt::ControlModifier, ssCtrl}}};
  constexpr std::array<std::pair<Qt::MouseButton, TShiftStateItem>, 3> mouse{
      {{Qt::LeftButton, ssLeft}, {Qt::RightButton, ssRight}, {Qt::MiddleButton, ssMiddle}}};
  TShiftState state = 0;
  for (const auto& [flag, item] : keys)
    if (modifiers.testFlag(flag)) state |= ShiftBit(item);
  for (const auto& [flag, item] : mouse)
    if (buttons.testFlag(flag)) state |= ShiftBit(item);
  return state;
}
