#include "xml/storage/StorageDirectory.h"

#include <utility>

namespace xml {

void StorageDirectory::Assign(std::vector<TStorageEntry> entries) {
  Clear();
  List = std::move(entries);
  Dead.assign(List.size(), true);
  ByName.reserve(List.size());
  for (Slot slot = 0; slot < List.size(); ++slot) Link(slot);
}

void StorageDirectory::Clear() {
  List.clear();
  Dead.clear();
  Live = 0;
  ByName.clear();
  Bytes = kDirectoryFixedSize;
  Held.Clear();
  Journal.clear();
}

const std::vector<TStorageEntry>& StorageDirectory::Entries() const {
  if (Live != List.size()) Compact();
  return List;
}

std::optional<StorageDirectory::Slot> StorageDirectory::Find(std::string_view name) const {
  const auto found = ByName.find(FoldedStreamName(name));
  if (found == ByName.end()) return std::nullopt;
  return found->second;
}

StorageDirectory::Slot StorageDirectory::Append(TStorageEntry entry) {
  List.push_back(std::move(entry));
  Dead.push_back(true);
  const Slot slot = List.size() - 1;
  Link(slot);
  Record({StepKind::Appended, slot, {}});
  return slot;
}

void StorageDirectory::Replace(Slot slot, TStorageEntry entry) {
  TStorageEntry before;
  if (SameStreamName(List[slot].Name, entry.Name) && List[slot].Name.size() == entry.Name.size()) {
    // Only its place changes: the name index and the size stay as they are.
    const std::string key = FoldedStreamName(entry.Name);
    if (!List[slot].InSource) Held.Remove(List[slot].Position, key);
    before = std::exchange(List[slot], std::move(entry));
    if (!List[slot].InSource) Held.Add(List[slot].Position, List[slot].Size, key);
  } else {
    Unlink(slot);
    before = std::exchange(List[slot], std::move(entry));
    Link(slot);
  }
  Record({StepKind::Replaced, slot, std::move(before)});
}

void StorageDirectory::Erase(Slot slot) {
  Unlink(slot);
  Record({StepKind::Erased, slot, {}});
}

std::int64_t StorageDirectory::End() const { return kDirectoryOffsetField + Bytes; }

std::int64_t StorageDirectory::FindFreeSpace(std::int64_t size) const {
  return Held.FindFreeSpace(size, Bytes, End());
}

std::optional<StorageDirectory::Slot> StorageDirectory::LowestHeldBelow(std::int64_t limit) const {
  const std::string* key = Held.LowestBelow(limit);
  if (key == nullptr) return std::nullopt;
  return ByName.at(*key);
}

void StorageDirectory::Link(Slot slot) {
  const TStorageEntry& entry = List[slot];
  std::string key = FoldedStreamName(entry.Name);
  if (!entry.InSource) Held.Add(entry.Position, entry.Size, key);
  ByName.emplace(std::move(key), slot);
  Bytes += kEntryFixedSize + static_cast<std::int64_t>(entry.Name.size());
  Dead[slot] = false;
  ++Live;
}

void StorageDirectory::Unlink(Slot slot) {
  const TStorageEntry& entry = List[slot];
  const std::string key = FoldedStreamName(entry.Name);
  if (!entry.InSource) Held.Remove(entry.Position, key);
  ByName.erase(key);
  Bytes -= kEntryFixedSize + static_cast<std::int64_t>(entry.Name.size());
  Dead[slot] = true;
  --Live;
}

void StorageDirectory::Record(Step step) {
  if (Journaling) Journal.push_back(std::move(step));
}

void StorageDirectory::RollBack() noexcept {
  for (auto step = Journal.rbegin(); step != Journal.rend(); ++step) {
    switch (step->Kind) {
      case StepKind::Appended:
        if (!Dead[step->At]) Unlink(step->At);
        List.pop_back();
        Dead.pop_back();
        break;
      case StepKind::Replaced:
        Unlink(step->At);
        List[step->At] = std::move(step->Before);
        Link(step->At);
        break;
      case StepKind::Erased:
        Link(step->At);
        break;
    }
  }
  Journal.clear();
}

void StorageDirectory::Compact() const {
  std::vector<TStorageEntry> live;
  live.reserve(Live);
  for (Slot slot = 0; slot < List.size(); ++slot)
    if (!Dead[slot]) live.push_back(std::move(List[slot]));
  List = std::move(live);
  Dead.assign(List.size(), false);
  for (Slot slot = 0; slot < List.size(); ++slot) ByName[FoldedStreamName(List[slot].Name)] = slot;
}

StorageDirectory::Change::Change(StorageDirectory& directory) : Directory(directory) {
  Directory.Journal.clear();
  Directory.Journaling = true;
}

void StorageDirectory::Change::Commit() {
  Committed = true;
  Directory.Journal.clear();
  // Dead slots are swept once no step refers to them, before they outgrow
  // the entries.
  if (Directory.List.size() - Directory.Live > Directory.Live) Directory.Compact();
}

StorageDirectory::Change::~Change() {
  if (!Committed) Directory.RollBack();
  Directory.Journaling = false;
  Directory.Journal.clear();
}

}  // namespace xml
