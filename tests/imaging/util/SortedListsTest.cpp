#include "imaging/util/SortedLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

namespace {

int gLiving = 0;

struct TItem {
  explicit TItem(int key) : Key(key) { ++gLiving; }
  ~TItem() { --gLiving; }
  int Key;
};

class TKeyList : public TSortedList<TItem> {
public:
  explicit TKeyList(bool sorted = true) {
    Sorted = sorted;
    CompareFunction = [](const TItem& a, const TItem& b, void*) { return (a.Key > b.Key) - (a.Key < b.Key); };
  }
  std::vector<int> Keys() const {
    std::vector<int> keys;
    for (int i = 0; i < GetCount(); ++i) keys.push_back(GetItem(i)->Key);
    return keys;
  }
};

// Every item is freed once: none is left, and a second free is the sanitizer's to report.
class SortedLists : public ::testing::Test {
  void TearDown() override { EXPECT_EQ(gLiving, 0); }
};

template <class Action>
std::string MessageOf(Action action) {
  try {
    action();
  } catch (const EListError& error) {
    return error.what();
  }
  return "no EListError";
}

}  // namespace

TEST_F(SortedLists, AddSortFindAndFindMultipleAgreeWithTheStandardAlgorithms) {
  std::mt19937 random(5);
  for (unsigned spread : {1, 3, 40, 1000}) {
    for (int size : {0, 1, 2, 3, 5, 16, 1000}) {
      TKeyList added, sorted(false);
      std::vector<int> keys;
      for (int i = 0; i < size; ++i) {
        keys.push_back(static_cast<int>(random() % spread));
        ASSERT_EQ(added[added.Add(std::make_unique<TItem>(keys.back()))]->Key, keys.back());
        ASSERT_EQ(sorted.Add(std::make_unique<TItem>(keys.back())), i) << "unsorted lists append";
      }
      sorted.Sort();
      std::sort(keys.begin(), keys.end());
      ASSERT_TRUE(sorted.Sorted && sorted.Keys() == keys && added.Keys() == keys) << spread << ", " << size;
      for (int key = -1; key <= 41; ++key) {
        const auto [low, high] = std::equal_range(keys.begin(), keys.end(), key);
        const int lowIndex = low - keys.begin(), highIndex = high - keys.begin();
        int index = -5, first = -5, count = -5;
        ASSERT_EQ(added.Find(TItem(key), index), low != high);
        // An equal item, or where the key belongs (0 in an empty list).
        EXPECT_TRUE(low == high ? index == lowIndex : index >= lowIndex && index < highIndex) << key;
        added.FindMultiple(TItem(key), first, count);
        EXPECT_TRUE(count == highIndex - lowIndex && (count == 0 || first == lowIndex)) << key;
      }
    }
  }
}

TEST_F(SortedLists, SortLosesNoItemToAnInconsistentComparison) {
  std::mt19937 random(3);
  const std::function<int()> answers[] = {[] { return -1; }, [] { return 1; }, [&] { return int(random() % 3) - 1; }};
  for (const auto& answer : answers) {
    TKeyList list(false);
    for (int i = 0; i < 500; ++i) list.Add(std::make_unique<TItem>(i));
    list.CompareMethod = [&](const TItem&, const TItem&, void*) { return answer(); };
    list.Sort();
    std::vector<int> keys = list.Keys();
    std::sort(keys.begin(), keys.end());
    for (int i = 0; i < 500; ++i) ASSERT_EQ(keys[i], i) << "no item lost or duplicated";
  }
}

TEST_F(SortedLists, AddUniqueRaisesOrReplacesFreeingTheOddItemOut) {
  TKeyList list;
  for (int key : {5, 1, 9}) list.AddUnique(std::make_unique<TItem>(key), true);
  EXPECT_EQ(MessageOf([&] { list.AddUnique(std::make_unique<TItem>(5), true); }),
            "Adding non-unique object to list is not allowed");
  auto replacement = std::make_unique<TItem>(5);
  const TItem* fresh = replacement.get();
  EXPECT_EQ(list.AddUnique(std::move(replacement), false), 1);
  EXPECT_EQ(list[1], fresh);
  EXPECT_EQ(list.AddUnique(std::make_unique<TItem>(7), false), 2);
  EXPECT_EQ(gLiving, 4) << "the refused and the replaced item are freed";
}

TEST_F(SortedLists, MethodBeatsFunctionAndUnsortedListsFindByIdentity) {
  TKeyList list;
  list.CompareMethod = [](const TItem& a, const TItem& b, void*) { return b.Key - a.Key; };
  for (int key : {3, 1, 2}) list.Add(std::make_unique<TItem>(key));
  EXPECT_EQ(list.Keys(), (std::vector<int>{3, 2, 1}));
  list.Sorted = false;
  int index = -1, count = 0;
  EXPECT_TRUE(list.Find(*list[2], index) && index == 2);
  EXPECT_FALSE(list.Find(TItem(3), index) || index != 3) << "an equal but different object is not found";
  EXPECT_EQ(MessageOf([&] { list.FindMultiple(TItem(1), index, count); }), "List must be sorted");
}

TEST_F(SortedLists, DeleteAndClearFreeExtractHandsBackAndNullIsRefused) {
  TKeyList list;
  for (int key = 0; key < 10; ++key) list.Add(std::make_unique<TItem>(key));
  list.Delete(0);
  const std::unique_ptr<TItem> taken = list.Extract(0);
  EXPECT_EQ(gLiving, 9) << "deleting frees, extracting does not";
  EXPECT_EQ(MessageOf([&] { list.Delete(8); }), "List index out of bounds (8)");
  EXPECT_THROW(list.Add(nullptr), EListError);
  list.Clear();
  EXPECT_EQ(gLiving, 1);
}
