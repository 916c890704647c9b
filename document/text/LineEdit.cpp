#include "document/text/LineEdit.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/Strings.h"
#include "platform/rtl/WideCase.h"

using rtl::IsHighSurrogate;
using rtl::IsLowSurrogate;

// ---- character boundaries

std::int32_t TdocLineEdit::PreviousBoundary(std::int32_t position) const {
  if (position <= 0) return 0;
  const std::int32_t before = position - 1;
  if (before == 0) return 0;
  const char16_t unit = Text[std::size_t(before)];
  const char16_t previous = Text[std::size_t(before - 1)];
  if (IsLowSurrogate(unit) && IsHighSurrogate(previous)) return before - 1;
  if (unit == u'\n' && previous == u'\r') return before - 1;
  return before;
}

std::int32_t TdocLineEdit::NextBoundary(std::int32_t position) const {
  if (position >= Length()) return Length();
  if (position + 1 < Length()) {
    const char16_t unit = Text[std::size_t(position)];
    const char16_t next = Text[std::size_t(position + 1)];
    if (IsHighSurrogate(unit) && IsLowSurrogate(next)) return position + 2;
    if (unit == u'\r' && next == u'\n') return position + 2;
  }
  return position + 1;
}

// A position inside a surrogate pair or between CR and LF moves to the
// start of that unit.
std::int32_t TdocLineEdit::SnapToBoundary(std::int32_t position) const {
  position = std::clamp(position, 0, Length());
  if (position == 0 || position == Length()) return position;
  return NextBoundary(PreviousBoundary(position)) == position ? position : PreviousBoundary(position);
}

// ---- state

void TdocLineEdit::Normalize() {
  if (MaxLength > 0 && Length() > MaxLength) {
    std::int32_t cut = MaxLength;
    if (IsHighSurrogate(Text[std::size_t(cut - 1)])) --cut;
    Text.resize(std::size_t(cut));
  }
  CharPos = SnapToBoundary(CharPos);
  SelStart = SnapToBoundary(SelStart);
  SelLength = SnapToBoundary(SelStart + std::clamp(SelLength, 0, Length() - SelStart)) - SelStart;
}

void TdocLineEdit::Changed() {
  if (OnChange) OnChange(this);
}

void TdocLineEdit::SetText(const std::u16string& text) {
  if (text != Text) {
    Text = text;
    CharPos = Length();
    SelStart = 0;
    SelLength = 0;
    Normalize();
  }
  Changed();
}

void TdocLineEdit::SetCharPos(std::int32_t position) {
  if (position == CharPos) return;
  CharPos = position;
  Normalize();
  Changed();
}

void TdocLineEdit::SetSelection(std::int32_t anchor, std::int32_t position) {
  SelStart = std::min(anchor, position);
  SelLength = std::abs(position - anchor);
  CharPos = position;
  Normalize();
  Changed();
}

void TdocLineEdit::SelectAll() {
  CharPos = Length();
  SelStart = 0;
  SelLength = Length();
  Changed();
}

void TdocLineEdit::ClearSelection() {
  if (SelLength == 0) return;
  SelStart = 0;
  SelLength = 0;
  Changed();
}

std::u16string TdocLineEdit::GetSelText() const {
  if (SelLength <= 0) return {};
  return Text.substr(std::size_t(SelStart), std::size_t(SelLength));
}

std::u16string TdocLineEdit::CutSelText() {
  std::u16string cut = GetSelText();
  DeleteSelection();
  return cut;
}

// ---- editing

void TdocLineEdit::DeleteRange(std::int32_t start, std::int32_t end) {
  Text.erase(std::size_t(start), std::size_t(end - start));
}

void TdocLineEdit::DeleteSelection() {
  if (SelLength <= 0) return;
  DeleteRange(SelStart, SelStart + SelLength);
  CharPos = SelStart;
  SelStart = 0;
  SelLength = 0;
}

void TdocLineEdit::InsertText(const std::u16string& text) {
  std::u16string cased = CaseMode == cmUpperCase   ? rtl::WideUpperCase(text)
                         : CaseMode == cmLowerCase ? rtl::WideLowerCase(text)
                                                   : text;
  DeleteSelection();
  CharPos = std::clamp(CharPos, 0, Length());
  Text.insert(std::size_t(CharPos), cased);
  CharPos += static_cast<std::int32_t>(cased.size());
}

void TdocLineEdit::DeleteKey(TKey key) {
  if (SelLength > 0) {
    DeleteSelection();
    return;
  }
  if (key == VK_DELETE) {
    DeleteRange(CharPos, NextBoundary(CharPos));
    return;
  }
  const std::int32_t start = PreviousBoundary(CharPos);
  DeleteRange(start, CharPos);
  CharPos = start;
}

std::int32_t TdocLineEdit::NavigationTarget(std::int32_t position, TKey key) {
  if (OnKeyNavigation) return OnKeyNavigation(this, position, key);
  switch (key) {
    case VK_END:
      return Length();
    case VK_HOME:
      return 0;
    case VK_LEFT:
    case VK_UP:
      return PreviousBoundary(position);
    default:
      return NextBoundary(position);
  }
}

void TdocLineEdit::Navigate(TKey key, TShiftState shift) {
  const std::int32_t from = CharPos;
  const std::int32_t to = NavigationTarget(from, key);
  if (InShiftState(shift, ssShift)) {
    if (SelLength == 0) SelStart = from;
    if (from == SelStart) {
      SelStart += to - from;
      SelLength += from - to;
    } else if (from == SelStart + SelLength) {
      SelLength += to - from;
    }
  } else {
    SelStart = 0;
    SelLength = 0;
  }
  CharPos = to;
  if (SelLength < 0) {
    SelStart += SelLength;
    SelLength = -SelLength;
  }
}

void TdocLineEdit::KeyDown(TKey& key, TShiftState shift) {
  CharPos = std::clamp(CharPos, 0, Length());
  if (key == VK_BACK || key == VK_DELETE)
    DeleteKey(key);
  else if (key == VK_RETURN)
    InsertText(u"\r\n");
  else if (key >= VK_END && key <= VK_DOWN)
    Navigate(key, shift);
  else
    return;
  Normalize();
  Changed();
}

void TdocLineEdit::KeyPress(char16_t& key) {
  const char16_t high = PendingHighSurrogate;
  PendingHighSurrogate = 0;
  if (IsHighSurrogate(key)) {
    // Waits for its other half.
    PendingHighSurrogate = key;
    return;
  }
  if (key == CharCopy) {
    if (WriteClipboard && SelLength > 0) WriteClipboard(GetSelText());
  } else if (key == CharPaste) {
    if (ReadClipboard) InsertText(ReadClipboard());
  } else if (key == CharCut) {
    // Without a clipboard the text stays: cutting it would lose it.
    if (SelLength > 0 && WriteClipboard) {
      CharPos = SelStart;
      WriteClipboard(CutSelText());
    }
  } else if (IsLowSurrogate(key)) {
    if (high != 0) InsertText(std::u16string{high, key});
  } else if (key >= 32) {
    InsertText(std::u16string(1, key));
  }
  Normalize();
  Changed();
}
