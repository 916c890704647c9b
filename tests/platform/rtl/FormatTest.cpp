#include "platform/rtl/Format.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"

TEST(Format, FillsDirectivesInOrderAndRefusesMismatchedArguments) {
  EXPECT_EQ(rtl::Format("%s: wrong BarcodeType", "TVmBarcode"), "TVmBarcode: wrong BarcodeType");
  EXPECT_EQ(rtl::Format("Page%.4d.xml", 7), "Page0007.xml");
  EXPECT_EQ(rtl::Format("%d%% of %u", -3, 10u), "-3% of 10");
  EXPECT_EQ(rtl::Format("$%.8X", 0xFF00AA11u), "$FF00AA11");
  EXPECT_EQ(rtl::Format("%s:Code93 bad Data <%s>", std::string("T"), std::string("a\x01")), "T:Code93 bad Data <a\x01>");
  // Mismatched or missing arguments are refused.
  EXPECT_THROW(rtl::Format("%d", "text"), EConvertError);
  EXPECT_THROW(rtl::Format("%s %s", "one"), EConvertError);
  EXPECT_THROW(rtl::Format("%s", 3), EConvertError);
  EXPECT_THROW(rtl::Format("trailing %"), EConvertError);
}
