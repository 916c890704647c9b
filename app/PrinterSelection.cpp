#include "app/PrinterSelection.h"

int FindPrinterIndex(const std::vector<std::string>& items, std::string_view name) {
  if (name.empty()) return -1;
  for (std::size_t i = items.size(); i-- > 0;)
    if (items[i] == name) return static_cast<int>(i);
  return -1;
}
