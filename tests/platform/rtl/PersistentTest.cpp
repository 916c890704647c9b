#include "platform/rtl/Persistent.h"

#include <gtest/gtest.h>

#include "platform/gdi/Font.h"
#include "platform/rtl/Exception.h"

namespace {
class TWidget : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TWidget"; }
};
}  // namespace

TEST(Persistent, AssignBetweenUnrelatedClassesIsRefusedWithBothNames) {
  TWidget widget(nullptr);
  TFont font;
  try {
    widget.Assign(&font);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TFont to a TWidget");
  }
  try {
    font.Assign(&widget);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TWidget to a TFont");
  }
  EXPECT_THROW(widget.Assign(nullptr), EConvertError);
}

TEST(Persistent, ComponentKnowsItsOwner) {
  TWidget owner(nullptr);
  TWidget child(&owner);
  EXPECT_EQ(child.GetOwner(), &owner);
  EXPECT_EQ(owner.GetOwner(), nullptr);
}

TEST(Font, AssignCopiesEveryAttributeAndNotifies) {
  TFont source;
  source.SetName("Arial");
  source.SetHeight(-20);
  source.SetColor(clRed);
  source.SetCharset(ANSI_CHARSET);
  source.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic));
  source.SetEscapement(900);
  TFont dest;
  int changes = 0;
  dest.OnChange = [&](TPersistent* sender) {
    EXPECT_EQ(sender, &dest);
    ++changes;
  };
  dest.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dest.GetName(), "Arial");
  EXPECT_EQ(dest.GetHeight(), -20);
  EXPECT_EQ(dest.GetColor(), clRed);
  EXPECT_EQ(dest.GetCharset(), ANSI_CHARSET);
  EXPECT_EQ(dest.GetStyle(), FontStyleBit(fsBold) | FontStyleBit(fsItalic));
  EXPECT_EQ(dest.GetWeight(), 700);
  EXPECT_EQ(dest.GetEscapement(), 900);
}

TEST(Font, SizeAndHeightAgreeAtNinetySixPixelsPerInch) {
  TFont font;
  font.SetSize(12);
  EXPECT_EQ(font.GetHeight(), -16);
  EXPECT_EQ(font.GetSize(), 12);
  font.SetHeight(-11);
  EXPECT_EQ(font.GetSize(), 8);
}
