#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "imaging/util/SortedLists.h"
#include "platform/rtl/Exception.h"

namespace {

int gLiving = 0;
int gFreed = 0;

struct TItem {
  explicit TItem(int key, int tag = 0) : Key(key), Tag(tag) { ++gLiving; }
  TItem(const TItem&) = delete;
  ~TItem() {
    --gLiving;
    ++gFreed;
  }
  int Key;
  int Tag;
};

int CompareKeys(const TItem& a, const TItem& b, void*) { return a.Key < b.Key ? -1 : a.Key > b.Key ? 1 : 0; }

class TKeyList : public TSortedList<TItem> {
public:
  TKeyList() { CompareFunction = CompareKeys; }
};

class SortedLists : public ::testing::Test {
protected:
  void SetUp() override { gLiving = gFreed = 0; }
  void TearDown() override { EXPECT_EQ(gLiving, 0) << "every item is freed exactly once"; }
};

std::vector<int> Keys(const TCustomObjectList<TItem>& list) {
  std::vector<int> keys;
  for (int i = 0; i < list.GetCount(); ++i) keys.push_back(list[i]->Key);
  return keys;
}

template <class F>
std::string MessageOf(F action) {
  try {
    action();
  } catch (const EListError& error) {
    return error.what();
  }
  return "no EListError";
}

}  // namespace

TEST_F(SortedLists, AddAndFindAgreeWithTheStandardAlgorithms) {
  std::mt19937 random(5);
  for (int size : {0, 1, 2, 3, 10, 200}) {
    TKeyList list;
    std::vector<int> keys;
    for (int i = 0; i < size; ++i) {
      const int key = static_cast<int>(random() % 40);
      keys.push_back(key);
      const int index = list.Add(std::make_unique<TItem>(key));
      ASSERT_EQ(list[index]->Key, key);
    }
    std::sort(keys.begin(), keys.end());
    ASSERT_EQ(Keys(list), keys);
    for (int probeKey = -1; probeKey <= 41; ++probeKey) {
      const TItem probe(probeKey);
      const auto [low, high] = std::equal_range(keys.begin(), keys.end(), probeKey);
      int index = -5;
      const bool found = list.Find(probe, index);
      EXPECT_EQ(found, low != high);
      if (found) {
        EXPECT_GE(index, low - keys.begin());
        EXPECT_LT(index, high - keys.begin());
      } else {
        EXPECT_EQ(index, low - keys.begin());
      }
      int first = -5, count = -5;
      list.FindMultiple(probe, first, count);
      EXPECT_EQ(count, high - low);
      if (count > 0) {
        EXPECT_EQ(first, low - keys.begin());
      }
    }
  }
}

TEST_F(SortedLists, FindInAnEmptySortedListGivesFalseAndZero) {
  TKeyList list;
  int index = -1;
  EXPECT_FALSE(list.Find(TItem(3), index));
  EXPECT_EQ(index, 0);
}

TEST_F(SortedLists, SortOrdersLikeStdSortWhateverTheStartingOrder) {
  std::mt19937 random(9);
  auto shapes = std::vector<std::function<int(int, int)>>{
      [&](int, int) { return static_cast<int>(random() % 1000); },  // random
      [](int i, int) { return i; },                                  // ascending
      [](int i, int n) { return n - i; },                            // descending
      [](int, int) { return 4; },                                    // all equal
      [](int i, int n) { return std::min(i, n - i); },               // organ pipe
  };
  for (auto& shape : shapes) {
    for (int size : {0, 1, 2, 3, 5, 16, 1000}) {
      TKeyList list;
      list.Sorted = false;
      std::vector<int> keys;
      for (int i = 0; i < size; ++i) {
        keys.push_back(shape(i, size));
        EXPECT_EQ(list.Add(std::make_unique<TItem>(keys.back())), i) << "unsorted lists append";
      }
      list.Sort();
      EXPECT_TRUE(list.Sorted);
      std::sort(keys.begin(), keys.end());
      ASSERT_EQ(Keys(list), keys);
    }
  }
}

TEST_F(SortedLists, SortSurvivesAnInconsistentComparison) {
  std::mt19937 random(3);
  TSortedList<TItem> list;
  list.Sorted = false;
  for (int i = 0; i < 500; ++i) list.Add(std::make_unique<TItem>(i));
  list.CompareMethod = [&](const TItem&, const TItem&, void*) { return static_cast<int>(random() % 3) - 1; };
  list.Sort();
  std::vector<int> keys = Keys(list);
  std::sort(keys.begin(), keys.end());
  for (int i = 0; i < 500; ++i) ASSERT_EQ(keys[i], i) << "no item lost or duplicated";
}

TEST_F(SortedLists, AddUniqueRaisesOrReplacesAndFreesOnce) {
  TKeyList list;
  for (int key : {5, 1, 9}) EXPECT_GE(list.AddUnique(std::make_unique<TItem>(key), true), 0);
  EXPECT_EQ(Keys(list), (std::vector<int>{1, 5, 9}));
  EXPECT_EQ(MessageOf([&] { list.AddUnique(std::make_unique<TItem>(5, 1), true); }),
            "Adding non-unique object to list is not allowed");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list[1]->Tag, 0);
  EXPECT_EQ(gFreed, 1) << "the refused item is freed";

  EXPECT_EQ(list.AddUnique(std::make_unique<TItem>(5, 2), false), 1);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list[1]->Tag, 2);
  EXPECT_EQ(gFreed, 2) << "the replaced item is freed";
  EXPECT_EQ(list.AddUnique(std::make_unique<TItem>(7), false), 2);
  EXPECT_EQ(Keys(list), (std::vector<int>{1, 5, 7, 9}));
}

TEST_F(SortedLists, FindMultipleNeedsASortedList) {
  TKeyList list;
  list.Sorted = false;
  list.Add(std::make_unique<TItem>(1));
  int first = 0, count = 0;
  EXPECT_EQ(MessageOf([&] { list.FindMultiple(TItem(1), first, count); }), "List must be sorted");
}

TEST_F(SortedLists, UnsortedFindLooksForTheObjectItself) {
  TKeyList list;
  list.Sorted = false;
  list.Add(std::make_unique<TItem>(3));
  list.Add(std::make_unique<TItem>(8));
  int index = -1;
  EXPECT_TRUE(list.Find(*list[1], index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find(TItem(8), index)) << "an equal but different object is not found";
  EXPECT_EQ(index, 2);
}

TEST_F(SortedLists, ComparisonPrecedenceAndUserData) {
  TSortedList<TItem> list;
  int calls = 0;
  list.CompareInfo = &calls;
  list.CompareFunction = [](const TItem& a, const TItem& b, void* info) {
    ++*static_cast<int*>(info);
    return a.Key - b.Key;
  };
  for (int key : {3, 1, 2}) list.Add(std::make_unique<TItem>(key));
  EXPECT_EQ(Keys(list), (std::vector<int>{1, 2, 3}));
  EXPECT_GT(calls, 0);
  list.CompareMethod = [](const TItem& a, const TItem& b, void*) { return b.Key - a.Key; };
  const int callsBefore = calls;
  list.Sort();
  EXPECT_EQ(Keys(list), (std::vector<int>{3, 2, 1})) << "the method wins over the function";
  EXPECT_EQ(calls, callsBefore);
}

TEST_F(SortedLists, TheBaseOrdersByAddress) {
  TCustomSortedList<TItem> list;
  std::vector<const TItem*> addresses;
  for (int i = 0; i < 50; ++i) {
    auto item = std::make_unique<TItem>(i);
    addresses.push_back(item.get());
    list.Add(std::move(item));
  }
  std::sort(addresses.begin(), addresses.end(), std::less<const TItem*>());
  for (int i = 0; i < 50; ++i) EXPECT_EQ(list[i], addresses[i]);
  int index = -1;
  EXPECT_TRUE(list.Find(*addresses[17], index));
  EXPECT_EQ(index, 17);
}

TEST_F(SortedLists, OwnershipDeleteExtractClearAndDestruction) {
  {
    TKeyList list;
    for (int key = 0; key < 10; ++key) list.Add(std::make_unique<TItem>(key));
    list.Delete(0);
    EXPECT_EQ(gFreed, 1);
    std::unique_ptr<TItem> taken = list.Extract(0);
    EXPECT_EQ(taken->Key, 1);
    EXPECT_EQ(gFreed, 1) << "extracting does not free";
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.IndexOf(taken.get()), -1);
    EXPECT_EQ(list.IndexOf(list[3]), 3);
    taken.reset();
    list.Clear();
    EXPECT_EQ(gFreed, 10);
    for (int key = 0; key < 5; ++key) list.Add(std::make_unique<TItem>(key));
  }
  EXPECT_EQ(gFreed, 15) << "the list frees what it still holds";
}

TEST_F(SortedLists, BadIndexesAndMissingItemsAreRefused) {
  TKeyList list;
  list.Add(std::make_unique<TItem>(1));
  EXPECT_EQ(MessageOf([&] { list.GetItem(1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf([&] { list.Extract(5); }), "List index out of bounds (5)");
  EXPECT_EQ(MessageOf([&] { list.Insert(3, std::make_unique<TItem>(2)); }), "List index out of bounds (3)");
  EXPECT_EQ(MessageOf([&] { list.Add(nullptr); }), "List items must be assigned");
  EXPECT_EQ(MessageOf([&] { list.AddUnique(nullptr, false); }), "List items must be assigned");
  EXPECT_EQ(list.GetCount(), 1);
}
