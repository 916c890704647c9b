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

std::string AssignRefusal(TPersistent& dest, TPersistent* source) {
  try {
    dest.Assign(source);
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "assigned";
}

}  // namespace

TEST(Persistent, AssignBetweenUnrelatedClassesIsRefusedWithBothNames) {
  TWidget widget(nullptr);
  TFont font;
  EXPECT_EQ(AssignRefusal(widget, &font), "Cannot assign a TFont to a TWidget");
  EXPECT_EQ(AssignRefusal(font, &widget), "Cannot assign a TWidget to a TFont");
  EXPECT_NE(AssignRefusal(widget, nullptr), "assigned");
}

TEST(Font, AssignCopiesEveryAttributeAndNotifiesOnce) {
  TFont source, dest;
  source.SetName("Arial");
  source.SetHeight(-20);
  source.SetColor(clRed);
  source.SetCharset(ANSI_CHARSET);
  source.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic));
  source.SetEscapement(900);
  int changes = 0;
  dest.OnChange = [&](TPersistent* sender) { changes += sender == &dest; };
  dest.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(std::tuple(dest.GetName(), dest.GetHeight(), dest.GetColor(), dest.GetCharset(), dest.GetStyle(),
                       dest.GetWeight(), dest.GetEscapement()),
            std::tuple(std::string("Arial"), -20, clRed, ANSI_CHARSET, FontStyleBit(fsBold) | FontStyleBit(fsItalic),
                       700, 900));
}

TEST(Font, SizeAndHeightAgreeAtNinetySixPixelsPerInch) {
  TFont font;
  font.SetSize(12);
  EXPECT_EQ(font.GetHeight(), -16);
  font.SetHeight(-11);  // 8.25 points
  EXPECT_EQ(font.GetSize(), 8);
}
