#pragma once
// The stock sheet templates and the template list of the main window: the
// free A4 sheet (number 0) and nine label sheets sold in shops.

#include <string>
#include <string_view>
#include <vector>

// One sheet template; lengths in millimetres.
struct Tmodeleplanche {
  std::string Name;  // UTF-8, at most 40 characters
  int Labels = 0;    // the maker's count, informative only
  float LabelWidth = 0;
  float LabelHeight = 0;
  float SheetWidth = 0;
  float SheetHeight = 0;
  float MarginLeft = 0;
  float MarginTop = 0;
  float SpacingX = 0;  // between columns
  float SpacingY = 0;  // between rows
};

constexpr int SheetTemplateCount = 9;
constexpr std::size_t MaxTemplateNameLength = 40;

// The nine templates in list order; two names come from the UI texts in the
// current language.
std::vector<Tmodeleplanche> pglomodelesplanche();

// Template n of the list: 0 is the free A4 sheet (label and sheet 210 x 297,
// no margins), 1..9 the stock templates. Raises EConvertError for others.
Tmodeleplanche SheetTemplate(const std::vector<Tmodeleplanche>& stock, int number);

// A list item: the name, 200 blanks and the number, so that the number sits
// out of sight and is read back from the item's last five characters.
std::string TemplateItemText(std::string_view name, int number);
// The number at the end of an item; 0 when there is none.
int TemplateItemNumber(std::string_view text);
