// The in-place line edit: the worked cases as tables of key sequences with
// the text, caret and selection each must leave; line breaks and surrogate
// pairs as single units; the clipboard characters; case modes on text in
// other scripts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/text/LineEdit.h"
#include "platform/rtl/Keys.h"

namespace {

// One step: a key down (Key != 0) or a key press (Char != 0).
struct TStep {
  TKey Key = 0;
  TShiftState Shift = 0;
  char16_t Char = 0;
};

TStep Down(TKey key, TShiftState shift = 0) { return {key, shift, 0}; }
TStep Press(char16_t c) { return {0, 0, c}; }
constexpr TShiftState Shift = ShiftBit(ssShift);

struct TEditCase {
  const char* Name;
  std::u16string Text;
  std::int32_t Caret;
  std::vector<TStep> Steps;
  std::u16string ExpectedText;
  std::int32_t ExpectedCaret;
  std::int32_t ExpectedSelStart;
  std::int32_t ExpectedSelLength;
  TdocCaseMode Mode = cmAsTyped;
  std::int32_t MaxLength = 0;
};

void Type(TdocLineEdit& edit, const std::vector<TStep>& steps) {
  for (TStep step : steps) {
    if (step.Key != 0)
      edit.KeyDown(step.Key, step.Shift);
    else
      edit.KeyPress(step.Char);
  }
}

TEST(LineEditTest, WorkedCases) {
  const std::vector<TEditCase> cases = {
      {"backspace after a line break removes CR LF", u"ab\r\ncd", 4, {Down(VK_BACK)}, u"abcd", 2, 0, 0},
      {"delete before a line break removes CR LF", u"ab\r\ncd", 2, {Down(VK_DELETE)}, u"abcd", 2, 0, 0},
      {"backspace after a lone CR keeps the letter before it", u"a\rx", 3, {Down(VK_BACK)}, u"a\r", 2, 0, 0},
      {"shift right twice from 1 selects two", u"abcdef", 1, {Down(VK_RIGHT, Shift), Down(VK_RIGHT, Shift)}, u"abcdef", 3, 1, 2},
      {"then shift left shrinks to one",
       u"abcdef", 1, {Down(VK_RIGHT, Shift), Down(VK_RIGHT, Shift), Down(VK_LEFT, Shift)}, u"abcdef", 2, 1, 1},
      {"shift left from 3 selects leftwards", u"abcdef", 3, {Down(VK_LEFT, Shift), Down(VK_LEFT, Shift)}, u"abcdef", 1, 1, 2},
      {"a plain move clears the selection", u"abcdef", 1, {Down(VK_RIGHT, Shift), Down(VK_RIGHT)}, u"abcdef", 3, 0, 0},
      {"shift end from 2 selects the rest", u"abcdef", 2, {Down(VK_END, Shift)}, u"abcdef", 6, 2, 4},
      {"home goes to 0", u"abcdef", 4, {Down(VK_HOME)}, u"abcdef", 0, 0, 0},
      {"up and down move like left and right", u"abcdef", 3, {Down(VK_UP), Down(VK_UP), Down(VK_DOWN)}, u"abcdef", 2, 0, 0},
      {"typing x in upper-case mode gives X", u"ab", 2, {Press(u'x')}, u"abX", 3, 0, 0, cmUpperCase},
      {"typing X in lower-case mode gives x", u"ab", 2, {Press(u'X')}, u"abx", 3, 0, 0, cmLowerCase},
      {"a sixth character over MaxLength 5 is cut", u"abcde", 5, {Press(u'f')}, u"abcde", 5, 0, 0, cmAsTyped, 5},
      {"backspace at 0 changes nothing", u"abc", 0, {Down(VK_BACK)}, u"abc", 0, 0, 0},
      {"delete at the end changes nothing", u"abc", 3, {Down(VK_DELETE)}, u"abc", 3, 0, 0},
      {"enter inserts CR LF", u"ab", 1, {Down(VK_RETURN)}, u"a\r\nb", 3, 0, 0},
      {"typing replaces the selection",
       u"abcdef", 1, {Down(VK_RIGHT, Shift), Down(VK_RIGHT, Shift), Press(u'Z')}, u"aZdef", 2, 0, 0},
      {"backspace deletes the selection",
       u"abcdef", 4, {Down(VK_LEFT, Shift), Down(VK_LEFT, Shift), Down(VK_BACK)}, u"abef", 2, 0, 0},
      {"control characters insert nothing", u"ab", 2, {Press(1), Press(9), Press(27)}, u"ab", 2, 0, 0},
      {"other keys do nothing", u"ab", 1, {Down(VK_F1), Down(VK_INSERT)}, u"ab", 1, 0, 0},
  };
  for (const TEditCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TdocLineEdit edit;
    edit.CaseMode = c.Mode;
    edit.MaxLength = c.MaxLength;
    edit.SetText(c.Text);
    edit.SetCharPos(c.Caret);
    Type(edit, c.Steps);
    EXPECT_EQ(edit.GetText(), c.ExpectedText);
    EXPECT_EQ(edit.GetCharPos(), c.ExpectedCaret);
    EXPECT_EQ(edit.GetSelStart(), c.ExpectedSelStart);
    EXPECT_EQ(edit.GetSelLength(), c.ExpectedSelLength);
  }
}

TEST(LineEditTest, EveryHandledKeyReportsAChange) {
  TdocLineEdit edit;
  int changes = 0;
  edit.OnChange = [&changes](TdocLineEdit*) { ++changes; };
  edit.SetText(u"abc");
  EXPECT_EQ(changes, 1);
  edit.SetText(u"abc");  // the same text still reports
  EXPECT_EQ(changes, 2);
  Type(edit, {Down(VK_LEFT), Down(VK_BACK), Press(u'q'), Down(VK_F1)});
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(edit.GetText(), u"aqc");
}

TEST(LineEditTest, ClipboardCharacters) {
  std::u16string clipboard;
  TdocLineEdit edit;
  edit.ReadClipboard = [&clipboard] { return clipboard; };
  edit.WriteClipboard = [&clipboard](const std::u16string& text) { clipboard = text; };
  edit.SetText(u"hello world");
  edit.SetCharPos(6);
  Type(edit, {Down(VK_END, Shift), Press(CharCopy)});
  EXPECT_EQ(clipboard, u"world");
  EXPECT_EQ(edit.GetText(), u"hello world");
  // Ctrl+X with the caret at the start of a two-character selection.
  edit.SetSelection(3, 1);
  ASSERT_EQ(edit.GetCharPos(), 1);
  Type(edit, {Press(CharCut)});
  EXPECT_EQ(clipboard, u"el");
  EXPECT_EQ(edit.GetText(), u"hlo world");
  EXPECT_EQ(edit.GetCharPos(), 1);
  EXPECT_EQ(edit.GetSelLength(), 0);
  Type(edit, {Press(CharPaste)});
  EXPECT_EQ(edit.GetText(), u"hello world");
  EXPECT_EQ(edit.GetCharPos(), 3);
}

TEST(LineEditTest, CutWithoutAClipboardKeepsTheText) {
  TdocLineEdit edit;
  edit.SetText(u"keep");
  edit.SelectAll();
  Type(edit, {Press(CharCut)});
  EXPECT_EQ(edit.GetText(), u"keep");
}

TEST(LineEditTest, GreekAndCyrillicTypedAndPastedSurvive) {
  const std::u16string greek = u"Καλημέρα κόσμε";
  const std::u16string cyrillic = u"Съешь же ещё";
  std::u16string clipboard = cyrillic;
  TdocLineEdit edit;
  edit.ReadClipboard = [&clipboard] { return clipboard; };
  for (char16_t c : greek) Type(edit, {Press(c)});
  Type(edit, {Press(u' '), Press(CharPaste)});
  EXPECT_EQ(edit.GetText(), greek + u" " + cyrillic);

  const struct {
    TdocCaseMode Mode;
    std::u16string Expected;
  } modes[] = {{cmUpperCase, u"ΚΑΛΗΜΈΡΑ ΚΌΣΜΕ СЪЕШЬ ЖЕ ЕЩЁ"}, {cmLowerCase, u"καλημέρα κόσμε съешь же ещё"}};
  for (const auto& mode : modes) {
    TdocLineEdit cased;
    cased.CaseMode = mode.Mode;
    cased.ReadClipboard = [&clipboard] { return clipboard; };
    for (char16_t c : greek) Type(cased, {Press(c)});
    Type(cased, {Press(u' '), Press(CharPaste)});
    EXPECT_EQ(cased.GetText(), mode.Expected);
  }
}

TEST(LineEditTest, SurrogatePairsAreNeverSplit) {
  // U+1D11E (musical G clef) and U+1F600, two units each.
  const std::u16string text = u"a\U0001D11Eb\U0001F600";
  TdocLineEdit edit;
  edit.SetText(text);
  ASSERT_EQ(edit.GetCharPos(), 6);
  const std::vector<std::int32_t> leftStops = {4, 3, 1, 0, 0};
  for (std::int32_t expected : leftStops) {
    Type(edit, {Down(VK_LEFT)});
    EXPECT_EQ(edit.GetCharPos(), expected);
  }
  const std::vector<std::int32_t> rightStops = {1, 3, 4, 6, 6};
  for (std::int32_t expected : rightStops) {
    Type(edit, {Down(VK_RIGHT)});
    EXPECT_EQ(edit.GetCharPos(), expected);
  }
  // A caret put inside a pair goes to its start.
  edit.SetCharPos(2);
  EXPECT_EQ(edit.GetCharPos(), 1);
  Type(edit, {Down(VK_DELETE)});
  EXPECT_EQ(edit.GetText(), u"ab\U0001F600");
  Type(edit, {Down(VK_END), Down(VK_BACK)});
  EXPECT_EQ(edit.GetText(), u"ab");
  // Shift+Left over a pair selects both halves.
  edit.SetText(u"x\U0001F600");
  Type(edit, {Down(VK_LEFT, Shift)});
  EXPECT_EQ(edit.GetSelText(), u"\U0001F600");
  // The two halves typed one by one arrive as one character, upper-cased
  // when the letter has a case (U+10428 DESERET SMALL LONG I -> U+10400).
  TdocLineEdit typed;
  typed.CaseMode = cmUpperCase;
  char16_t high = 0xD801, low = 0xDC28;
  typed.KeyPress(high);
  EXPECT_EQ(typed.GetText(), u"");
  typed.KeyPress(low);
  EXPECT_EQ(typed.GetText(), u"\U00010400");
  // MaxLength never leaves half a pair.
  TdocLineEdit limited;
  limited.MaxLength = 2;
  limited.SetText(u"a");
  limited.InsertText(u"\U0001F600");
  limited.Normalize();
  EXPECT_EQ(limited.GetText(), u"a");
}

TEST(LineEditTest, NavigationEventReplacesTheMoves) {
  TdocLineEdit edit;
  edit.SetText(u"abcdef");
  std::vector<TKey> asked;
  edit.OnKeyNavigation = [&asked](TdocLineEdit*, std::int32_t, TKey key) {
    asked.push_back(key);
    return 4;
  };
  Type(edit, {Down(VK_HOME, Shift)});
  EXPECT_EQ(asked, std::vector<TKey>{VK_HOME});
  EXPECT_EQ(edit.GetCharPos(), 4);
  EXPECT_EQ(edit.GetSelStart(), 4);
  EXPECT_EQ(edit.GetSelLength(), 2);
}

}  // namespace
