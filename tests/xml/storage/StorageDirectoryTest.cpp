// The directory of the container against a plain list of its entries:
// random runs append, replace (renaming, in other letter case too) and
// remove entries inside changes, of which some are taken back half-way,
// and list them now and then. Order, lookup without regard to case, the
// written size and the held end must agree at every step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/storage/StorageDirectory.h"

namespace {

bool SameNameByHand(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::vector<TStorageEntry>::const_iterator FindByHand(const std::vector<TStorageEntry>& plain, const std::string& name) {
  return std::find_if(plain.begin(), plain.end(), [&](const TStorageEntry& e) { return SameNameByHand(e.Name, name); });
}

void ExpectAgree(xml::StorageDirectory& directory, const std::vector<TStorageEntry>& plain, bool list) {
  ASSERT_EQ(directory.Count(), plain.size());
  std::int64_t size = 12, heldEnd = 0;
  for (const TStorageEntry& e : plain) {
    size += 20 + static_cast<std::int64_t>(e.Name.size());
    if (!e.InSource) heldEnd = std::max(heldEnd, e.Position + e.Size);
    const auto slot = directory.Find(e.Name);
    ASSERT_TRUE(slot.has_value()) << e.Name;
    EXPECT_EQ(directory.At(*slot).Name, e.Name);
    EXPECT_EQ(directory.At(*slot).Position, e.Position);
  }
  EXPECT_EQ(directory.Size(), size);
  EXPECT_EQ(directory.HeldEnd(), heldEnd);
  if (!list) return;
  const std::vector<TStorageEntry>& listed = directory.Entries();
  ASSERT_EQ(listed.size(), plain.size());
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(listed[i].Name, plain[i].Name);
    EXPECT_EQ(listed[i].InSource, plain[i].InSource);
    EXPECT_EQ(listed[i].Position, plain[i].Position);
    EXPECT_EQ(listed[i].Size, plain[i].Size);
  }
}

}  // namespace

TEST(StorageDirectory, AgreesWithAPlainListThroughChangesKeptAndTakenBack) {
  std::mt19937 random(7);
  auto pick = [&random](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
  auto nameOf = [&pick](int number) {
    std::string name = "Page" + std::to_string(number) + ".xml";
    for (char& c : name)
      if (pick(2) == 0) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  };
  for (int run = 0; run < 20; ++run) {
    xml::StorageDirectory directory;
    std::vector<TStorageEntry> plain;
    std::int64_t nextPosition = 1000;
    for (int i = 0; i < 30; ++i) {
      plain.push_back({nameOf(i), pick(3) == 0, nextPosition, pick(50)});
      nextPosition += 60;
    }
    directory.Assign(plain);
    ExpectAgree(directory, plain, true);
    for (int step = 0; step < 300; ++step) {
      std::vector<TStorageEntry> changed = plain;
      const bool takenBack = pick(4) == 0;
      try {
        xml::StorageDirectory::Change change(directory);
        for (int edit = pick(5); edit >= 0; --edit) {
          const int action = pick(3);
          if (action == 0 || changed.empty()) {
            const std::string name = nameOf(100 + pick(200));
            if (FindByHand(changed, name) != changed.end()) continue;
            const TStorageEntry entry{name, false, nextPosition, pick(50)};
            nextPosition += 60;
            directory.Append(entry);
            changed.push_back(entry);
          } else {
            const std::size_t index = static_cast<std::size_t>(pick(static_cast<int>(changed.size())));
            const auto slot = directory.Find(changed[index].Name);
            ASSERT_TRUE(slot.has_value());
            if (action == 1) {
              TStorageEntry entry = changed[index];
              const std::string name = pick(2) == 0 ? nameOf(100 + pick(200)) : nameOf(0);
              const auto holder = FindByHand(changed, name);
              if (holder == changed.end() || holder == changed.begin() + static_cast<std::ptrdiff_t>(index))
                entry.Name = name;
              entry.InSource = false;
              entry.Position = nextPosition;
              nextPosition += 60;
              directory.Replace(*slot, entry);
              changed[index] = entry;
            } else {
              directory.Erase(*slot);
              changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(index));
            }
          }
        }
        if (takenBack) throw std::runtime_error("taken back");
        change.Commit();
        plain = changed;
      } catch (const std::runtime_error&) {
      }
      ExpectAgree(directory, plain, pick(8) == 0);
      if (testing::Test::HasFailure()) FAIL() << "run " << run << " step " << step;
    }
  }
}
