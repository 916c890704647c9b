// Shared fonts counted by use, and the glyph cache filled from the engine.

#include <gtest/gtest.h>

#include <string>

#include "document/text/FontManager.h"

namespace {

const std::string kSans = "DejaVu Sans";
const std::string kSerif = "Liberation Serif";
constexpr TFontStyles kBold = 1;

TEST(FontManager, FontsAreSharedAndCountedByUse) {
  TdocFontManager manager;
  TdocFont* a = manager.AcquireFont(kSans, 0, nullptr);
  TdocFont* b = manager.AcquireFont(kSans, 0, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->RefCount, 2);
  // The name matches exactly, the style is part of the key.
  TdocFont* bold = manager.AcquireFont(kSans, kBold, nullptr);
  TdocFont* lower = manager.AcquireFont("dejavu sans", 0, nullptr);
  EXPECT_NE(bold, a);
  EXPECT_NE(lower, a);
  EXPECT_EQ(manager.GetFontCount(), 3);
  // Keeping the same font returns it untouched.
  EXPECT_EQ(manager.AcquireFont(kSans, 0, a), a);
  EXPECT_EQ(a->RefCount, 2);
  EXPECT_EQ(manager.AcquireFont("", 0, nullptr), nullptr);
}

TEST(FontManager, SwitchingAwayPurgesOnlyUnusedFonts) {
  TdocFontManager manager;
  TdocFont* first = manager.AcquireFont(kSans, 0, nullptr);   // shape 1
  TdocFont* shared = manager.AcquireFont(kSans, 0, nullptr);  // shape 2
  // Shape 1 switches to the serif: the sans face is still used by shape 2.
  TdocFont* serif = manager.AcquireFont(kSerif, 0, first);
  EXPECT_EQ(manager.GetFontCount(), 2);
  EXPECT_EQ(shared->RefCount, 1);
  // Shape 2 switches too: the sans face goes.
  EXPECT_EQ(manager.AcquireFont(kSerif, 0, shared), serif);
  ASSERT_EQ(manager.GetFontCount(), 1);
  EXPECT_EQ(manager.GetFont(0), serif);
  EXPECT_EQ(serif->RefCount, 2);
  // An empty name lets go of the font held (how a shape releases it).
  EXPECT_EQ(manager.AcquireFont("", 0, serif), nullptr);
  EXPECT_EQ(manager.AcquireFont("", 0, serif), nullptr);
  EXPECT_EQ(manager.GetFontCount(), 0);
}

TEST(FontManager, GlyphsAreFetchedOnceAndKeptInCodeOrder) {
  TdocFontManager manager;
  TdocFont* font = manager.AcquireFont(kSans, 0, nullptr);
  EXPECT_TRUE(font->HasHandle());
  const std::u16string text = u"zA m\u00E9A";
  for (char16_t c : text) font->GetGlyph(c);
  const TdocGlyphList& glyphs = font->GetGlyphs();
  ASSERT_EQ(glyphs.GetCount(), 5);
  for (int i = 1; i < glyphs.GetCount(); ++i) EXPECT_LT(glyphs[i - 1]->Code, glyphs[i]->Code);
  TdocGlyph* a = font->GetGlyph(u'A');
  EXPECT_EQ(a, font->GetGlyph(u'A'));
  EXPECT_EQ(a->font, font);
  ASSERT_TRUE(a->Outline);
  EXPECT_EQ(a->ContourCount(), 2);  // the outer shape and the counter
  EXPECT_EQ(a->Advance, a->Advance2);
  // A space has metrics and no outline.
  TdocGlyph* space = font->GetGlyph(u' ');
  EXPECT_FALSE(space->Outline);
  EXPECT_GT(space->Advance, 200);
  // The em is 1000 units: ascent + descent is DejaVu's win cell (1.164 em).
  EXPECT_EQ(font->Ascent + font->Descent, 1164);
  EXPECT_DOUBLE_EQ(font->GetLineHeight(10.0), 11.64);
}

TEST(FontManager, AFaceThatIsNotInstalledIsSubstituted) {
  TdocFontManager manager;
  TdocFont* font = manager.AcquireFont("No Such Face 12345", 0, nullptr);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->GetGlyph(u'x')->Outline);
}

}  // namespace
