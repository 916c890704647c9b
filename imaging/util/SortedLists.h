#pragma once
// Owning object lists kept in order by a virtual comparison, with binary
// search, unique insertion and quicksort. Deleting an item frees it; Extract
// hands it back to the caller instead.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace imaging {
[[noreturn]] void RaiseListIndexError(int index);
[[noreturn]] void RaiseNilListItem();
[[noreturn]] void RaiseNonUniqueItem();
[[noreturn]] void RaiseListNotSorted();
}  // namespace imaging

template <class T>
class TCustomObjectList {
public:
  TCustomObjectList() = default;
  TCustomObjectList(const TCustomObjectList&) = delete;
  TCustomObjectList& operator=(const TCustomObjectList&) = delete;
  virtual ~TCustomObjectList() = default;

  int GetCount() const { return static_cast<int>(Items.size()); }
  T* GetItem(int index) const { return Items[CheckedIndex(index)].get(); }
  T* operator[](int index) const { return GetItem(index); }

  // The position of this very object, or -1.
  int IndexOf(const T* item) const {
    for (int i = 0; i < GetCount(); ++i) {
      if (Items[i].get() == item) return i;
    }
    return -1;
  }

  // Inserts at index (0..count); keeping a sorted list in order is the caller's concern.
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > GetCount()) imaging::RaiseListIndexError(index);
    RequireItem(item);
    Items.insert(Items.begin() + index, std::move(item));
  }

  // Removes and frees the item.
  void Delete(int index) { Items.erase(Items.begin() + CheckedIndex(index)); }

  // Removes the item without freeing it.
  std::unique_ptr<T> Extract(int index) {
    std::unique_ptr<T> item = std::move(Items[CheckedIndex(index)]);
    Items.erase(Items.begin() + index);
    return item;
  }

  void Clear() { Items.clear(); }

protected:
  static void RequireItem(const std::unique_ptr<T>& item) {
    if (!item) imaging::RaiseNilListItem();
  }

  int CheckedIndex(int index) const {
    if (index < 0 || index >= GetCount()) imaging::RaiseListIndexError(index);
    return index;
  }

  std::vector<std::unique_ptr<T>> Items;
};

template <class T>
class TCustomSortedList : public TCustomObjectList<T> {
public:
  bool Sorted = true;

  // Inserts next to its equals when sorted, else appends. Returns the index.
  int Add(std::unique_ptr<T> item) {
    this->RequireItem(item);
    int index = this->GetCount();
    if (Sorted) Find(*item, index);
    this->Insert(index, std::move(item));
    return index;
  }

  // Adds the item unless an equal one exists: then raises, or frees the
  // existing item and puts the new one in its place. Returns the index.
  virtual int AddUnique(std::unique_ptr<T> item, bool raiseIfExists) {
    this->RequireItem(item);
    int index = 0;
    if (!Find(*item, index)) {
      this->Insert(index, std::move(item));
    } else if (raiseIfExists) {
      imaging::RaiseNonUniqueItem();
    } else {
      this->Items[index] = std::move(item);
    }
    return index;
  }

  // Sorted: binary search for an equal item, or the index where it belongs.
  // Unsorted: the position of this very object, or the count.
  virtual bool Find(const T& item, int& index) const {
    if (!Sorted) {
      index = this->IndexOf(&item);
      if (index >= 0) return true;
      index = this->GetCount();
      return false;
    }
    int low = 0;
    int high = this->GetCount() - 1;
    while (low <= high) {
      const int middle = low + (high - low) / 2;
      const int order = DoCompare(*this->Items[middle], item);
      if (order == 0) {
        index = middle;
        return true;
      }
      if (order < 0) {
        low = middle + 1;
      } else {
        high = middle - 1;
      }
    }
    index = low;
    return false;
  }

  // The range of items equal to item; count 0 (and first where it would
  // belong) when there is none.
  virtual void FindMultiple(const T& item, int& first, int& count) const {
    if (!Sorted) imaging::RaiseListNotSorted();
    count = 0;
    if (!Find(item, first)) return;
    int last = first;
    while (first > 0 && DoCompare(*this->Items[first - 1], item) == 0) --first;
    while (last + 1 < this->GetCount() && DoCompare(*this->Items[last + 1], item) == 0) ++last;
    count = last - first + 1;
  }

  virtual void Sort() {
    if (this->GetCount() > 1) QuickSort(0, this->GetCount() - 1);
    Sorted = true;
  }

protected:
  // Negative, 0 or positive; the base orders items by address.
  virtual int DoCompare(const T& item1, const T& item2) const {
    const std::less<const T*> before;
    if (before(&item1, &item2)) return -1;
    return before(&item2, &item1) ? 1 : 0;
  }

private:
  // Partitions around the middle item. The scans are bounded by the range so
  // that an inconsistent comparison cannot run them off the list; recursion
  // takes the smaller part, keeping the stack shallow.
  void QuickSort(int left, int right) {
    auto& items = this->Items;
    while (left < right) {
      const T& pivot = *items[left + (right - left) / 2];
      int i = left;
      int j = right;
      do {
        while (i < right && DoCompare(*items[i], pivot) < 0) ++i;
        while (j > left && DoCompare(*items[j], pivot) > 0) --j;
        if (i <= j) {
          std::swap(items[i], items[j]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - left < right - i) {
        QuickSort(left, j);
        left = i;
      } else {
        QuickSort(i, right);
        right = j;
      }
    }
  }
};

// A sorted list whose order comes from a compare method or, when none is
// set, a compare function; both get the items and CompareInfo.
template <class T>
class TSortedList : public TCustomSortedList<T> {
public:
  using TCompareMethod = std::function<int(const T& item1, const T& item2, void* info)>;
  using TCompareFunction = int (*)(const T& item1, const T& item2, void* info);

  void* CompareInfo = nullptr;
  TCompareMethod CompareMethod;
  TCompareFunction CompareFunction = nullptr;

protected:
  int DoCompare(const T& item1, const T& item2) const override {
    if (CompareMethod) return CompareMethod(item1, item2, CompareInfo);
    if (CompareFunction != nullptr) return CompareFunction(item1, item2, CompareInfo);
    return TCustomSortedList<T>::DoCompare(item1, item2);
  }
};
