#pragma once
// The framework's list of 8-bit (Windows-1252) strings, as far as the
// program uses it: appending, counting, reading by index and clearing.

#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"

class TStringList : public TPersistent {
public:
  TStringList() = default;

  std::string ClassName() const override { return "TStringList"; }

  int Add(std::string text) {
    Items.push_back(std::move(text));
    return static_cast<int>(Items.size()) - 1;
  }
  int GetCount() const { return static_cast<int>(Items.size()); }
  // Raises EListError "List index out of bounds".
  const std::string& GetStrings(int index) const {
    if (index < 0 || index >= GetCount()) throw EListError("List index out of bounds");
    return Items[static_cast<std::size_t>(index)];
  }
  void Clear() { Items.clear(); }

private:
  std::vector<std::string> Items;
};
