// Sheet templates, the grid of labels and print runs, against the worked
// examples and hand-computed counts.

#include "app/ExactLength.h"
#include "app/SheetLayout.h"
#include "app/SheetTemplates.h"
#include "app/UiTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TSheetSetup SetupOf(const Tmodeleplanche& model, bool turned) {
  return {model.SheetWidth, model.SheetHeight, model.LabelWidth, model.LabelHeight, model.MarginLeft,
          model.MarginTop,  model.SpacingX,    model.SpacingY,    turned};
}

TEST(SheetTemplatesTest, ListItemsCarryTheirNumberOutOfSight) {
  UiTextService().SetLanguageIndex(LanguageEnglish);
  const std::vector<Tmodeleplanche> stock = pglomodelesplanche();
  ASSERT_EQ(stock.size(), 9u);
  EXPECT_EQ(stock[0].Name, "AVERY L7164/J8164");
  EXPECT_EQ(stock[4].Name, "Identity photo");
  EXPECT_EQ(stock[5].Name, "Business card");
  const std::string item = TemplateItemText(stock[8].Name, 9);
  EXPECT_EQ(item.size(), stock[8].Name.size() + 200 + 1);
  EXPECT_EQ(TemplateItemNumber(item), 9);
  EXPECT_EQ(TemplateItemNumber(TemplateItemText("", 0)), 0);
  EXPECT_EQ(TemplateItemNumber("no number"), 0);
  const Tmodeleplanche free = SheetTemplate(stock, 0);
  EXPECT_EQ(free.LabelWidth, 210.0f);
  EXPECT_EQ(free.LabelHeight, 297.0f);
  EXPECT_EQ(free.MarginLeft + free.MarginTop + free.SpacingX + free.SpacingY, 0.0f);
  EXPECT_THROW(SheetTemplate(stock, 10), EConvertError);
}

// Columns x rows by hand: trunc((210 - left + gap) / (cell + gap)) across,
// the same down from 297; turned, the cell is the label on its side.
TEST(SheetTemplatesTest, LabelsPerSheetOfEveryTemplate) {
  const int upright[] = {12, 65, 100, 65, 36, 10, 55, 18, 65};
  const int turned[] = {8, 63, 108, 63, 32, 9, 49, 16, 63};
  const std::vector<Tmodeleplanche> stock = pglomodelesplanche();
  for (std::size_t i = 0; i < stock.size(); ++i) {
    EXPECT_EQ(LabelsPerSheet(SetupOf(stock[i], false)), upright[i]) << "template " << i + 1;
    EXPECT_EQ(LabelsPerSheet(SetupOf(stock[i], true)), turned[i]) << "template " << i + 1;
  }
}

TEST(SheetLayoutTest, OddSheetsGiveOneCellOrAClearError) {
  TSheetSetup big;
  big.LabelWidth = 300;
  big.LabelHeight = 400;
  EXPECT_EQ(LabelsPerSheet(big), 1);

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float TSheetSetup::*field : {&TSheetSetup::SheetWidth, &TSheetSetup::LabelWidth, &TSheetSetup::LabelHeight,
                                    &TSheetSetup::MarginX, &TSheetSetup::SpacingY}) {
    for (float bad : {nan, inf, -1.0f}) {
      TSheetSetup setup;
      setup.*field = bad;
      EXPECT_THROW(LabelsPerSheet(setup), ESheetLayout) << bad;
    }
  }
  TSheetSetup zero;
  zero.LabelWidth = 0;  // with no spacing, nothing to divide by
  EXPECT_THROW(LabelsPerSheet(zero), ESheetLayout);
  TSheetSetup tiny;
  tiny.LabelWidth = tiny.LabelHeight = 1;
  EXPECT_THROW(LabelsPerSheet(tiny), ESheetLayout);  // 210 x 297 cells
  tiny.LabelWidth = tiny.LabelHeight = 5;
  EXPECT_EQ(LabelsPerSheet(tiny), 42 * 59);
}

TEST(SheetLayoutTest, PrintRunsSpreadOverSheets) {
  struct TCase {
    TLabelRun Run;
    std::vector<std::vector<int>> Sheets;
  };
  const TCase cases[] = {
      {{5, 10}, {{9, 10, 11}, {0, 1}}},
      {{12, 1}, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}},
      {{1, 12}, {{11}}},
      {{0, 1}, {}},
      {{-3, 1}, {}},
      {WholeSheets(2, 12), {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}},
      {WholeSheets(0, 12), {}},
  };
  for (const TCase& test : cases) {
    ASSERT_EQ(SheetCount(test.Run, 12), static_cast<std::int64_t>(test.Sheets.size())) << test.Run.Count;
    for (std::size_t sheet = 0; sheet < test.Sheets.size(); ++sheet)
      EXPECT_EQ(PrintedCells(test.Run, 12, static_cast<std::int64_t>(sheet)), test.Sheets[sheet]);
  }
  // (2^31 - 2 + 11) / 12 + 1, without overflow.
  EXPECT_EQ(SheetCount({std::numeric_limits<int>::max(), 12}, 12), ((std::int64_t{1} << 31) + 9) / 12 + 1);
}

// Inches show two decimals; a template's length keeps counting exactly.
TEST(ExactLengthTest, TemplateLengthsSurviveTheInchDisplay) {
  TExactLength width;
  width.Set(35.0);
  EXPECT_EQ(width.Text(25.4), "1.38");
  EXPECT_EQ(width.Millimetres("1.38", 25.4), 35.0);
  EXPECT_NEAR(width.Millimetres("1.39", 25.4), 35.306, 1e-9);
  // The window's unit switch rewrites "35.00" to "1.38", and back to "35.05".
  EXPECT_EQ(width.AfterUnitSwitch("1.38", 1.0, 25.4), "1.38");
  EXPECT_EQ(width.AfterUnitSwitch("35.05", 25.4, 1.0), "35.00");
  EXPECT_FALSE(width.AfterUnitSwitch("40.00", 25.4, 1.0).has_value());
  width.Forget();
  EXPECT_NEAR(width.Millimetres("1.38", 25.4), 35.052, 1e-9);
  EXPECT_EQ(width.Millimetres("abc", 1.0), 0.0);
}

}  // namespace
