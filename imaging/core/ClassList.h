#pragma once
// TClassList: class references in the order they were added, found by class
// name. A class reference points to a constant record of the class (its name
// and its factory); the list owns nothing.

#include <cstddef>
#include <string_view>
#include <vector>

// TClassRef is a pointer to a record with a ClassName member convertible to
// std::string_view.
template <class TClassRef>
class TClassList {
public:
  // Appends and returns the new index.
  std::size_t Add(TClassRef classRef) {
    Items.push_back(classRef);
    return Items.size() - 1;
  }

  // The first class in list order whose name equals name exactly
  // (case-sensitive); nullptr when there is none.
  TClassRef Find(std::string_view name) const {
    for (TClassRef item : Items)
      if (std::string_view(item->ClassName) == name) return item;
    return nullptr;
  }

  std::size_t Count() const { return Items.size(); }
  TClassRef operator[](std::size_t index) const { return Items.at(index); }
  void Clear() { Items.clear(); }

private:
  std::vector<TClassRef> Items;
};
