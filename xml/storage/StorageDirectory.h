#pragma once
// The container's directory: its entries in order, found by name without
// regard to ASCII letter case, with the size its written form takes and the
// space its held streams take in the backing store. A lookup or change costs
// at most the logarithm of the number of entries, never a walk over them (a
// document may hold a million streams), and a change can be taken back as a
// whole.
//
// Entries live in slots. A removed entry leaves a dead slot behind, swept
// when the entries are listed or once dead slots outnumber the live ones, so
// removing many streams one by one never shifts the rest each time. A slot
// found stays valid until the entries are listed or a Change is committed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xml/storage/StorageEntry.h"
#include "xml/storage/StorageFormat.h"
#include "xml/storage/StoragePlacement.h"

namespace xml {

class StorageDirectory {
public:
  using Slot = std::size_t;

  // Replaces the entries by these, whose names differ.
  void Assign(std::vector<TStorageEntry> entries);
  void Clear();

  std::size_t Count() const { return Live; }
  // The entries in directory order; right after, each one's slot is its index.
  const std::vector<TStorageEntry>& Entries() const;
  // Calls visit for each entry in directory order.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (Slot slot = 0; slot < List.size(); ++slot)
      if (!Dead[slot]) visit(List[slot]);
  }

  std::optional<Slot> Find(std::string_view name) const;
  const TStorageEntry& At(Slot slot) const { return List[slot]; }
  // The entry's name must be held by no other entry.
  Slot Append(TStorageEntry entry);
  // The same for the new entry's name, the slot's own entry aside.
  void Replace(Slot slot, TStorageEntry entry);
  void Erase(Slot slot);

  // Bytes of the offset field and the directory: 12 + sum(20 + name length).
  std::int64_t Size() const { return Bytes; }
  // End of the directory a backing store writes at 6.
  std::int64_t End() const;
  // First fit for size new bytes among the streams the backing store holds.
  std::int64_t FindFreeSpace(std::int64_t size) const;
  // The held entry with the lowest position when it starts before limit.
  std::optional<Slot> LowestHeldBelow(std::int64_t limit) const;
  // The end of the held stream reaching furthest; 0 when none is held.
  std::int64_t HeldEnd() const { return Held.End(); }

  // The changes made while a Change lives are taken back when it ends
  // without Commit. Changes do not nest.
  class Change {
  public:
    explicit Change(StorageDirectory& directory);
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    void Commit();

  private:
    StorageDirectory& Directory;
    bool Committed = false;
  };

private:
  enum class StepKind { Appended, Replaced, Erased };
  struct Step {
    StepKind Kind;
    Slot At;
    TStorageEntry Before;  // the entry a replacement overwrote
  };

  // The entry in the slot joins or leaves the name index, the size and the
  // held space.
  void Link(Slot slot);
  void Unlink(Slot slot);
  void Record(Step step);
  void RollBack() noexcept;
  // Drops the dead slots; listing the entries does it, so it counts as const.
  void Compact() const;

  mutable std::vector<TStorageEntry> List;
  mutable std::vector<bool> Dead;
  std::size_t Live = 0;
  mutable std::unordered_map<std::string, Slot> ByName;  // folded name
  std::int64_t Bytes = kDirectoryFixedSize;
  HeldSpace Held;
  bool Journaling = false;
  std::vector<Step> Journal;
};

}  // namespace xml
