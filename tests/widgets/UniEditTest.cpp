// Unicode entry: texts beyond any 8-bit code page round-trip, typed or set,
// and every real change of the text is reported exactly once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

#include "platform/rtl/Exception.h"
#include "widgets/UniEdit.h"
#include "widgets/UniMemo.h"
#include "widgets/WideText.h"

using namespace widgets;

namespace {

const std::u16string kGreek = u"Καλημέρα κόσμε";
const std::u16string kCyrillic = u"Съешь же ещё этих булок";
// G clef and a face: each a surrogate pair.
const std::u16string kAstral = u"\U0001D11E clef \U0001F600";

// Committed input, as an input method or a compose sequence delivers it.
void Commit(QWidget& widget, const std::u16string& text) {
  QInputMethodEvent event;
  event.setCommitString(ToQString(text));
  QApplication::sendEvent(&widget, &event);
}

// Key presses carrying one character each, as a keyboard layout sends them.
void TypeKeys(QWidget& widget, const std::u16string& text) {
  for (const char16_t c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
    QApplication::sendEvent(&widget, &press);
  }
}

}  // namespace

TEST(UniEdit, TextsRoundTripSetAndTyped) {
  ASSERT_EQ(kAstral.size(), 2u + 6u + 2u);
  for (const std::u16string& text : {kGreek, kCyrillic, kAstral}) {
    TUniEdit edit;
    edit.show();
    edit.SetText(text);
    EXPECT_EQ(edit.GetText(), text);

    TUniEdit typed;
    typed.show();
    typed.setFocus();
    Commit(typed, text);
    EXPECT_EQ(typed.GetText(), text);
  }
  TUniEdit keys;
  keys.show();
  TypeKeys(keys, kGreek + kCyrillic);
  EXPECT_EQ(keys.GetText(), kGreek + kCyrillic);
}

TEST(UniEdit, OneChangeEventPerRealChange) {
  TUniEdit edit;
  int changes = 0;
  edit.OnChange = [&](TUniEdit&) { ++changes; };
  edit.SetText(kCyrillic);
  EXPECT_EQ(changes, 1);
  edit.SetText(kCyrillic);
  EXPECT_EQ(changes, 1);
  edit.show();
  edit.setFocus();
  edit.end(false);
  QTest::keyClicks(&edit, QStringLiteral("ab"));
  EXPECT_EQ(changes, 3);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(changes, 4);
  // Replacing the selection with the very same text is no change.
  edit.selectAll();
  Commit(edit, edit.GetText());
  EXPECT_EQ(changes, 4);
  edit.SetText(u"");
  EXPECT_EQ(changes, 5);
}

TEST(UniEdit, TextSetBeforeTheWindowExistsIsShown) {
  TUniEdit edit;
  edit.SetText(kAstral);
  EXPECT_FALSE(edit.testAttribute(Qt::WA_WState_Created));
  edit.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
  EXPECT_EQ(edit.displayText(), ToQString(kAstral));
  EXPECT_EQ(edit.GetText(), kAstral);
}

TEST(UniEdit, LongTextsAreKeptWhole) {
  const std::u16string text(40000, u'\u0416');
  TUniEdit edit;
  edit.SetText(text);
  EXPECT_EQ(edit.GetText(), text);
}

TEST(UniEdit, PasswordCharMasksEveryCharacterAndSelectionCountsUnits) {
  TUniEdit edit;
  edit.SetText(kGreek);
  edit.SetPasswordChar(u'\u25CF');
  EXPECT_EQ(edit.displayText(), QString(static_cast<qsizetype>(kGreek.size()), QChar(0x25CF)));
  EXPECT_EQ(edit.GetText(), kGreek);
  edit.SetPasswordChar(0);
  EXPECT_EQ(edit.displayText(), ToQString(kGreek));

  edit.SetText(kAstral);
  edit.SetSelStart(0);
  edit.SetSelLength(2);
  EXPECT_EQ(edit.GetSelText(), u"\U0001D11E");
  EXPECT_EQ(edit.GetSelLength(), 2);
  edit.SetSelText(u"\u03A9");
  EXPECT_EQ(edit.GetText(), u"\u03A9 clef \U0001F600");
}

TEST(UniMemo, LinesJoinWithCarriageReturnLineFeed) {
  TUniMemo memo;
  EXPECT_EQ(memo.GetText(), u"");
  EXPECT_EQ(memo.GetLineCount(), 0);
  memo.SetText(kGreek + u"\r\n" + kAstral);
  EXPECT_EQ(memo.GetText(), kGreek + u"\r\n" + kAstral);
  ASSERT_EQ(memo.GetLineCount(), 2);
  EXPECT_EQ(memo.GetLine(1), kAstral);
  EXPECT_THROW(memo.GetLine(2), EListError);

  // Lone line feeds and carriage returns read back as CR LF; a no-break space stays.
  memo.SetText(u"a\nb\rc\u00A0d");
  EXPECT_EQ(memo.GetText(), u"a\r\nb\r\nc\u00A0d");

  memo.SetLine(0, kCyrillic);
  memo.InsertLine(3, u"end");
  memo.DeleteLine(1);
  EXPECT_EQ(memo.GetText(), kCyrillic + u"\r\nc\u00A0d\r\nend");
  memo.SetLines({u"x", u"y"});
  EXPECT_EQ(memo.GetText(), u"x\r\ny");
}

TEST(UniMemo, TypedAndPastedBreaksAreLineBreaks) {
  TUniMemo memo;
  memo.show();
  memo.setFocus();
  QTest::keyClicks(&memo, QStringLiteral("ab"));
  QTest::keyClick(&memo, Qt::Key_Return);
  QTest::keyClicks(&memo, QStringLiteral("c"));
  QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);
  Commit(memo, kAstral);
  memo.insertPlainText(QStringLiteral("\r\n") + ToQString(kCyrillic));
  EXPECT_EQ(memo.GetText(), u"ab\r\nc\r\n" + kAstral + u"\r\n" + kCyrillic);
}

TEST(UniMemo, OneChangeEventPerRealChange) {
  TUniMemo memo;
  int changes = 0;
  memo.OnChange = [&](TUniMemo&) { ++changes; };
  memo.SetText(u"one\r\ntwo");
  EXPECT_EQ(changes, 1);
  memo.SetText(u"one\r\ntwo");
  memo.SetText(u"one\ntwo");  // the same lines
  EXPECT_EQ(changes, 1);
  memo.SetLines({u"one", u"two"});
  EXPECT_EQ(changes, 1);
  memo.SetLine(1, kGreek);
  EXPECT_EQ(changes, 2);
  memo.show();
  memo.setFocus();
  QTest::keyClicks(&memo, QStringLiteral("z"));
  EXPECT_EQ(changes, 3);
  memo.SetText(u"");
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(memo.GetText(), u"");
}

// The selection as the person makes it with Shift and the arrows, read in
// Text's units: the line break it spans counts two (CR LF).
TEST(UniMemo, SelectionTypedAndReadInWideCharacters) {
  TUniMemo memo;
  memo.show();
  memo.setFocus();
  TypeKeys(memo, u"αβ");
  QTest::keyClick(&memo, Qt::Key_Return);
  TypeKeys(memo, u"γδ");
  ASSERT_EQ(memo.GetText(), u"αβ\r\nγδ");
  EXPECT_EQ(memo.GetSelStart(), 6);
  EXPECT_EQ(memo.GetSelLength(), 0);
  for (int i = 0; i < 3; ++i) QTest::keyClick(&memo, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(memo.GetSelStart(), 2);
  EXPECT_EQ(memo.GetSelLength(), 4);
  EXPECT_EQ(memo.GetSelText(), u"\r\nγδ");
  // Typing replaces the selection; the caret stands after what was typed.
  TypeKeys(memo, u"ε");
  EXPECT_EQ(memo.GetText(), u"αβε");
  EXPECT_EQ(memo.GetSelStart(), 3);

  // Set from code, the same units: the second line's first character.
  memo.SetText(u"ab\r\ncd\r\nef");
  memo.SetSelStart(4);
  memo.SetSelLength(4);
  EXPECT_EQ(memo.GetSelText(), u"cd\r\n");
  QTest::keyClick(&memo, Qt::Key_Delete);
  EXPECT_EQ(memo.GetText(), u"ab\r\nef");
  // A start inside a line break goes to the next line's start.
  memo.SetSelStart(3);
  EXPECT_EQ(memo.GetSelStart(), 4);
  memo.SetSelLength(1);
  memo.SetSelText(u"X\nY");
  EXPECT_EQ(memo.GetText(), u"ab\r\nX\r\nYf");
  memo.SetSelStart(100);
  EXPECT_EQ(memo.GetSelStart(), 9);
}
