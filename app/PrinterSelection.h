#pragma once
// Which item of a printer list the saved printer name selects.

#include <string>
#include <string_view>
#include <vector>

// The last item equal to name (exact, case-sensitive); -1 when name is empty
// or no item equals it, so a printer no longer installed selects nothing.
int FindPrinterIndex(const std::vector<std::string>& items, std::string_view name);
