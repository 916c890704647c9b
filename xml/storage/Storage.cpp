#include "xml/storage/Storage.h"

#include <algorithm>
#include <filesystem>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageAtomicSave.h"
#include "xml/storage/StorageBacking.h"
#include "xml/storage/StorageCopy.h"
#include "xml/storage/StorageError.h"
#include "xml/storage/StorageFormat.h"
#include "xml/storage/StoragePlacement.h"

namespace {

bool FileExists(const std::string& fileName) {
  std::error_code error;
  return std::filesystem::exists(fileName, error);
}

}  // namespace

// Holds the container's lock for one public operation and refuses an
// operation that starts inside another on the same thread (another thread
// waits for the lock instead, and so never sees the busy flag set).
class TsdStorage::Operation {
public:
  explicit Operation(const TsdStorage& storage) : Owner(storage), Guard(storage.Lock) {
    if (Owner.Busy) throw EStorageError("Warning: recursive call to sdStorage from event");
    Owner.Busy = true;
  }
  ~Operation() { Owner.Busy = false; }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

private:
  const TsdStorage& Owner;
  std::unique_lock<std::recursive_mutex> Guard;
};

TsdStorage::TsdStorage(TComponent* owner)
    : TComponent(owner), CopyBuffer(xml::kCopyBlockSize), Random(std::random_device{}()) {
  Reset();
}

TsdStorage::~TsdStorage() = default;

template <class... Args>
void TsdStorage::Trace(const char* format, const Args&... args) {
  if (OnDebugOut) OnDebugOut(this, rtl::Format(format, args...));
}

template <class Change>
void TsdStorage::ChangeDirectory(Change&& change) {
  xml::StorageDirectory::Change transaction(Directory);
  change();
  transaction.Commit();
}

template <class Open>
void TsdStorage::ResetAndOpen(Open&& open) {
  Reset();
  try {
    open();
  } catch (...) {
    Reset();
    throw;
  }
}

// ---- properties ----

bool TsdStorage::GetAutoSave() const {
  Operation operation(*this);
  return AutoSave;
}

void TsdStorage::SetAutoSave(bool value) {
  Operation operation(*this);
  if (value == AutoSave) return;
  AutoSave = value;
  const std::string fileName = Backing->InPlace() ? Backing->GetFileName() : SourceFileName;
  if (fileName.empty()) return;
  if (AutoSave) DoOpenFileInPlace(fileName);
  else DoOpenFile(fileName);
}

std::string TsdStorage::GetFileName() const {
  Operation operation(*this);
  return Backing->InPlace() ? Backing->GetFileName() : SourceFileName;
}

void TsdStorage::SetFileName(const std::string& fileName) {
  Operation operation(*this);
  if (AutoSave) DoOpenFileInPlace(fileName);
  else DoOpenFile(fileName);
}

std::int64_t TsdStorage::GetMemoryCache() const {
  Operation operation(*this);
  return MemoryCache;
}

void TsdStorage::SetMemoryCache(std::int64_t bytes) {
  Operation operation(*this);
  const bool wasInMemory = Backing->InMemory();
  Backing->SetMemoryCache(bytes);
  MemoryCache = bytes;
  if (wasInMemory && !Backing->InMemory()) Trace("Backing store moved to a temporary file");
}

int TsdStorage::GetStreamCount() const {
  Operation operation(*this);
  return static_cast<int>(Directory.Count());
}

// ---- opening and saving ----

void TsdStorage::Reset() {
  Source.reset();
  SourceFileName.clear();
  SourceIdentity.reset();
  InPlaceIdentity.reset();
  Directory.Clear();
  Backing.reset();
  Backing = std::make_unique<xml::StorageBackingStore>(MemoryCache);
  xml::WriteStorageHeader(Backing->Stream());
  Flush();
}

void TsdStorage::Clear() {
  Operation operation(*this);
  Reset();
}

void TsdStorage::OpenFile(const std::string& fileName) {
  Operation operation(*this);
  DoOpenFile(fileName);
}

void TsdStorage::DoOpenFile(const std::string& fileName) {
  ResetAndOpen([&] {
    if (FileExists(fileName)) {
      auto source = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
      std::vector<TStorageEntry> entries = xml::ReadDirectory(*source);
      for (TStorageEntry& e : entries) e.InSource = true;
      Directory.Assign(std::move(entries));
      Source = std::move(source);
      SourceIdentity = xml::IdentifyFile(fileName);
    }
    SourceFileName = fileName;
    Trace("Opened \"%s\" with %d streams", fileName, Directory.Count());
  });
}

void TsdStorage::OpenFileInPlace(const std::string& fileName) {
  Operation operation(*this);
  DoOpenFileInPlace(fileName);
}

void TsdStorage::DoOpenFileInPlace(const std::string& fileName) {
  ResetAndOpen([&] {
    const bool create = !FileExists(fileName);
    std::unique_ptr<xml::StorageBackingStore> file = xml::StorageBackingStore::OpenInPlace(fileName, create);
    if (!create) Directory.Assign(xml::ReadDirectory(file->Stream()));
    Backing = std::move(file);
    InPlaceIdentity = xml::IdentifyFile(fileName);
    if (create) {
      xml::WriteStorageHeader(Backing->Stream());
      Flush();
    }
    Trace("Opened \"%s\" in place with %d streams", fileName, Directory.Count());
  });
}

void TsdStorage::LoadFromStream(TStream& stream) {
  Operation operation(*this);
  ResetAndOpen([&] {
    const std::int64_t size = stream.GetSize();
    Backing->CutTo(0);
    EnsureBackingSize(size);
    xml::CopyBlocks(stream, 0, Backing->Stream(), 0, size, CopyBuffer);
    Directory.Assign(xml::ReadDirectory(Backing->Stream()));
    Trace("Loaded %d streams from a stream of %d bytes", Directory.Count(), size);
  });
}

void TsdStorage::SaveToFile(const std::string& fileName) {
  Operation operation(*this);
  const std::optional<xml::FileIdentity> target = xml::IdentifyFile(fileName);
  if (target && Backing->InPlace() && target == InPlaceIdentity) return;
  if (target && Source && target == SourceIdentity) TakeOverSource();
  xml::SaveFileAtomically(fileName, [this](TStream& file) { WriteContainer(file); });
  Trace("Saved %d streams to \"%s\"", Directory.Count(), fileName);
}

void TsdStorage::SaveToStream(TStream& stream) {
  Operation operation(*this);
  WriteContainer(stream);
}

void TsdStorage::TakeOverSource() {
  const std::size_t count = Directory.Entries().size();  // slots are indices now
  ChangeDirectory([&] {
    // Every stream gets its place first; the bytes then follow in runs.
    struct Move {
      std::int64_t From, To, Size;
    };
    std::vector<Move> moves;
    std::int64_t end = 0;
    for (xml::StorageDirectory::Slot slot = 0; slot < count; ++slot) {
      TStorageEntry e = Directory.At(slot);
      if (!e.InSource) continue;
      const std::int64_t to = Directory.FindFreeSpace(e.Size);
      moves.push_back({e.Position, to, e.Size});
      end = std::max(end, to + e.Size);
      e.InSource = false;
      e.Position = to;
      Directory.Replace(slot, std::move(e));
    }
    EnsureBackingSize(end);
    xml::RunCopy copy(Backing->Stream(), CopyBuffer);
    for (const Move& move : moves) copy.Add(*Source, move.From, move.To, move.Size);
    copy.Finish();
    Flush();
  });
  const std::string released = SourceFileName;
  Source.reset();
  SourceFileName.clear();
  SourceIdentity.reset();
  Trace("Streams of \"%s\" copied into the backing store", released);
}

void TsdStorage::WriteContainer(TStream& dest) {
  const std::vector<TStorageEntry>& entries = Directory.Entries();
  const std::vector<TStorageEntry> laidOut = xml::SavedLayout(entries);
  const std::int64_t start = dest.GetPosition();
  xml::WriteSavedDirectory(dest, laidOut);
  xml::RunCopy copy(dest, CopyBuffer);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TStorageEntry& e = entries[i];
    copy.Add(e.InSource ? *Source : Backing->Stream(), e.Position, start + laidOut[i].Position, e.Size);
  }
  copy.Finish();
}

// ---- streams ----

bool TsdStorage::StreamExists(const std::string& name) const {
  Operation operation(*this);
  return Directory.Find(name).has_value();
}

std::string TsdStorage::GetStreamName(int index) const {
  Operation operation(*this);
  const std::vector<TStorageEntry>& entries = Directory.Entries();
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return {};
  return entries[static_cast<std::size_t>(index)].Name;
}

void TsdStorage::ReadStream(const std::string& name, TStream& dest) {
  Operation operation(*this);
  const std::optional<xml::StorageDirectory::Slot> slot = Directory.Find(name);
  if (!slot) throw EStorageError(rtl::Format("Stream \"%s\" not found in the storage", name));
  const TStorageEntry& e = Directory.At(*slot);
  TStream& from = e.InSource ? *Source : Backing->Stream();
  dest.SetSize(e.Size);
  xml::CopyBlocks(from, e.Position, dest, 0, e.Size, CopyBuffer);
  dest.SetPosition(0);
}

void TsdStorage::WriteStream(const std::string& name, TStream& source) {
  Operation operation(*this);
  const std::int64_t size = source.GetSize();
  std::int64_t position = 0;
  ChangeDirectory([&] {
    const std::optional<xml::StorageDirectory::Slot> slot = Directory.Find(name);
    const TStorageEntry* entry = slot ? &Directory.At(*slot) : nullptr;
    if (entry != nullptr && !entry->InSource && entry->Size >= size) {
      xml::CopyBlocks(source, 0, Backing->Stream(), entry->Position, size, CopyBuffer);
      Directory.Replace(*slot, TStorageEntry{entry->Name, false, entry->Position, size});
    } else {
      position = Directory.FindFreeSpace(size);
      EnsureBackingSize(position + size);
      xml::CopyBlocks(source, 0, Backing->Stream(), position, size, CopyBuffer);
      if (slot)
        Directory.Replace(*slot, TStorageEntry{name, false, position, size});
      else
        Directory.Append(TStorageEntry{name, false, position, size});
    }
    Flush();
    position = Directory.At(*Directory.Find(name)).Position;
  });
  Trace("Stream \"%s\" written at %d (%d bytes)", name, position, size);
}

void TsdStorage::DeleteStream(const std::string& name) {
  Operation operation(*this);
  const std::optional<xml::StorageDirectory::Slot> slot = Directory.Find(name);
  if (!slot) return;
  ChangeDirectory([&] {
    Directory.Erase(*slot);
    Flush();
  });
  // Only the space behind the last stream and the directory is given back.
  Backing->CutTo(std::max(Directory.HeldEnd(), Directory.End()));
  Trace("Stream \"%s\" deleted", name);
}

void TsdStorage::RenameStream(const std::string& oldName, const std::string& newName) {
  Operation operation(*this);
  const std::optional<xml::StorageDirectory::Slot> slot = Directory.Find(oldName);
  if (!slot) return;
  const std::optional<xml::StorageDirectory::Slot> holder = Directory.Find(newName);
  if (holder && holder != slot)
    throw EStorageError(rtl::Format("Stream \"%s\" already exists in the storage", newName));
  ChangeDirectory([&] {
    TStorageEntry renamed = Directory.At(*slot);
    renamed.Name = newName;
    Directory.Replace(*slot, std::move(renamed));
    Flush();
  });
  Trace("Stream \"%s\" renamed to \"%s\"", oldName, newName);
}

std::string TsdStorage::NewTempStreamName(const std::string& suffix) {
  Operation operation(*this);
  std::uniform_int_distribution<int> number(0, 9999999);
  std::string name;
  do {
    name = rtl::Format("TMP%.7d%s", number(Random), suffix);
  } while (Directory.Find(name));
  return name;
}

bool TsdStorage::IsTempName(const std::string& name) { return name.compare(0, 3, "TMP") == 0; }

// ---- backing store ----

void TsdStorage::EnsureBackingSize(std::int64_t size) {
  const bool wasInMemory = Backing->InMemory();
  Backing->EnsureSize(size);
  if (wasInMemory && !Backing->InMemory()) Trace("Backing store moved to a temporary file at %d bytes", size);
}

void TsdStorage::Flush() {
  const std::int64_t directoryEnd = Directory.End();
  while (const std::optional<xml::StorageDirectory::Slot> slot = Directory.LowestHeldBelow(directoryEnd)) {
    TStorageEntry lowest = Directory.At(*slot);
    const std::int64_t to = Directory.FindFreeSpace(lowest.Size);
    EnsureBackingSize(to + lowest.Size);
    xml::MoveBlock(Backing->Stream(), lowest.Position, to, lowest.Size, CopyBuffer);
    Trace("Stream \"%s\" moved from %d to %d", lowest.Name, lowest.Position, to);
    lowest.Position = to;
    Directory.Replace(*slot, std::move(lowest));
  }
  EnsureBackingSize(directoryEnd);
  // A memory or temporary store is this container's own: its directory is
  // the one in memory, and writing it out at every change would cost a pass
  // over every entry each time. Only a file in place is read again as a
  // container, so only there is the directory kept current on disk; the
  // space stays reserved in every store so streams lie alike in all of them.
  if (!Backing->InPlace()) return;
  std::vector<TStorageEntry> held;
  Directory.ForEach([&held](const TStorageEntry& e) {
    if (!e.InSource) held.push_back(e);
  });
  TStream& stream = Backing->Stream();
  stream.SetPosition(xml::kDirectoryOffsetField);
  rtl::WriteLE<std::int64_t>(stream, xml::kBackingDirectoryOffset);
  xml::WriteDirectoryEntries(stream, held);
}
