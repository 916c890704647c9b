#pragma once
// TdocLineEdit: the edit buffer behind in-place editing of text shapes. It
// holds UTF-16 text, a caret and a selection, takes key-down and key-press
// calls and tells every change through OnChange. It has no window and paints
// nothing: the text shape lays the text out and draws caret and selection.
//
// Positions count UTF-16 units (0 = before the first one), but the caret,
// the selection and every deletion move by whole characters: a surrogate
// pair is never split and a line break "\r\n" goes as one unit.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/Keys.h"

// How inserted text is cased. Ordinals are stored.
enum TdocCaseMode : std::uint8_t { cmAsTyped, cmUpperCase, cmLowerCase };

class TdocLineEdit {
public:
  using TChangeEvent = std::function<void(TdocLineEdit* sender)>;
  // Answers the caret position for a navigation key; replaces the built-in
  // moves when set.
  using TNavigationEvent = std::function<std::int32_t(TdocLineEdit* sender, std::int32_t charPos, TKey key)>;

  virtual ~TdocLineEdit() = default;

  // Navigation keys move the caret (with Shift they drag the selection),
  // Backspace and Delete remove, Enter inserts "\r\n".
  virtual void KeyDown(TKey& key, TShiftState shift);
  // Ctrl+C, Ctrl+V and Ctrl+X work with the clipboard, characters from 32
  // up are inserted, other control characters do nothing. The two halves of
  // a surrogate pair may come in two calls: they are inserted together.
  virtual void KeyPress(char16_t& key);
  virtual void KeyUp(TKey& /*key*/, TShiftState /*shift*/) {}

  const std::u16string& GetText() const { return Text; }
  // A different text puts the caret at its end and clears the selection;
  // OnChange fires in every case.
  void SetText(const std::u16string& text);
  std::int32_t GetCharPos() const { return CharPos; }
  void SetCharPos(std::int32_t position);
  std::int32_t GetSelStart() const { return SelStart; }
  std::int32_t GetSelLength() const { return SelLength; }
  // The selection from anchor to position (either order), caret at position.
  void SetSelection(std::int32_t anchor, std::int32_t position);
  void SelectAll();
  void ClearSelection();
  std::u16string GetSelText() const;
  // The selected text, which is then deleted.
  std::u16string CutSelText();
  // Case-converted, replaces the selection or goes in at the caret; the
  // caret ends after it.
  void InsertText(const std::u16string& text);
  // Cuts the text to MaxLength and brings caret and selection back inside
  // the text and off the middle of a character.
  void Normalize();
  void Changed();

  TdocCaseMode CaseMode = cmAsTyped;
  // 0 = unlimited.
  std::int32_t MaxLength = 0;
  TChangeEvent OnChange;
  TNavigationEvent OnKeyNavigation;
  // The clipboard's text; nothing is read or written while unset.
  std::function<std::u16string()> ReadClipboard;
  std::function<void(const std::u16string&)> WriteClipboard;

private:
  std::int32_t Length() const { return static_cast<std::int32_t>(Text.size()); }
  // The character boundary before / after position.
  std::int32_t PreviousBoundary(std::int32_t position) const;
  std::int32_t NextBoundary(std::int32_t position) const;
  std::int32_t SnapToBoundary(std::int32_t position) const;
  std::int32_t NavigationTarget(std::int32_t position, TKey key);
  void Navigate(TKey key, TShiftState shift);
  void DeleteRange(std::int32_t start, std::int32_t end);
  void DeleteSelection();
  void DeleteKey(TKey key);

  std::int32_t CharPos = 0;
  std::int32_t SelStart = 0;
  std::int32_t SelLength = 0;
  std::u16string Text;
  char16_t PendingHighSurrogate = 0;
};
