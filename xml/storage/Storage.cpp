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
  std::vector<TStorageEntry> saved = Directory;
  try {
    change();
  } catch (...) {
    Directory = std::move(saved);
    throw;
  }
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
  return static_cast<int>(Directory.size());
}

// ---- opening and saving ----

void TsdStorage::Reset() {
  Source.reset();
  SourceFileName.clear();
  SourceIdentity.reset();
  InPlaceIdentity.reset();
  Directory.clear();
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
      Directory = std::move(entries);
      Source = std::move(source);
      SourceIdentity = xml::IdentifyFile(fileName);
    }
    SourceFileName = fileName;
    Trace("Opened \"%s\" with %d streams", fileName, Directory.size());
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
    if (!create) Directory = xml::ReadDirectory(file->Stream());
    Backing = std::move(file);
    InPlaceIdentity = xml::IdentifyFile(fileName);
    if (create) {
      xml::WriteStorageHeader(Backing->Stream());
      Flush();
    }
    Trace("Opened \"%s\" in place with %d streams", fileName, Directory.size());
  });
}

void TsdStorage::LoadFromStream(TStream& stream) {
  Operation operation(*this);
  ResetAndOpen([&] {
    const std::int64_t size = stream.GetSize();
    Backing->CutTo(0);
    EnsureBackingSize(size);
    xml::CopyBlocks(stream, 0, Backing->Stream(), 0, size, CopyBuffer);
    Directory = xml::ReadDirectory(Backing->Stream());
    Trace("Loaded %d streams from a stream of %d bytes", Directory.size(), size);
  });
}

void TsdStorage::SaveToFile(const std::string& fileName) {
  Operation operation(*this);
  const std::optional<xml::FileIdentity> target = xml::IdentifyFile(fileName);
  if (target && Backing->InPlace() && target == InPlaceIdentity) return;
  if (target && Source && target == SourceIdentity) TakeOverSource();
  xml::SaveFileAtomically(fileName, [this](TStream& file) { WriteContainer(file); });
  Trace("Saved %d streams to \"%s\"", Directory.size(), fileName);
}

void TsdStorage::SaveToStream(TStream& stream) {
  Operation operation(*this);
  WriteContainer(stream);
}

void TsdStorage::TakeOverSource() {
  ChangeDirectory([&] {
    for (TStorageEntry& e : Directory) {
      if (!e.InSource) continue;
      const std::int64_t to = xml::FindFreeSpace(Directory, e.Size);
      EnsureBackingSize(to + e.Size);
      xml::CopyBlocks(*Source, e.Position, Backing->Stream(), to, e.Size, CopyBuffer);
      e.InSource = false;
      e.Position = to;
    }
    Flush();
  });
  const std::string released = SourceFileName;
  Source.reset();
  SourceFileName.clear();
  SourceIdentity.reset();
  Trace("Streams of \"%s\" copied into the backing store", released);
}

void TsdStorage::WriteContainer(TStream& dest) {
  const std::vector<TStorageEntry> laidOut = xml::SavedLayout(Directory);
  const std::int64_t start = dest.GetPosition();
  xml::WriteSavedDirectory(dest, laidOut);
  for (std::size_t i = 0; i < Directory.size(); ++i) {
    const TStorageEntry& e = Directory[i];
    TStream& from = e.InSource ? *Source : Backing->Stream();
    xml::CopyBlocks(from, e.Position, dest, start + laidOut[i].Position, e.Size, CopyBuffer);
  }
}

// ---- streams ----

TStorageEntry* TsdStorage::Find(const std::string& name) {
  const auto it = std::find_if(Directory.begin(), Directory.end(),
                               [&](const TStorageEntry& e) { return xml::SameStreamName(e.Name, name); });
  return it == Directory.end() ? nullptr : &*it;
}

const TStorageEntry* TsdStorage::Find(const std::string& name) const {
  return const_cast<TsdStorage*>(this)->Find(name);
}

bool TsdStorage::StreamExists(const std::string& name) const {
  Operation operation(*this);
  return Find(name) != nullptr;
}

std::string TsdStorage::GetStreamName(int index) const {
  Operation operation(*this);
  if (index < 0 || static_cast<std::size_t>(index) >= Directory.size()) return {};
  return Directory[static_cast<std::size_t>(index)].Name;
}

void TsdStorage::ReadStream(const std::string& name, TStream& dest) {
  Operation operation(*this);
  const TStorageEntry* e = Find(name);
  if (e == nullptr) throw EStorageError(rtl::Format("Stream \"%s\" not found in the storage", name));
  TStream& from = e->InSource ? *Source : Backing->Stream();
  dest.SetSize(e->Size);
  xml::CopyBlocks(from, e->Position, dest, 0, e->Size, CopyBuffer);
  dest.SetPosition(0);
}

void TsdStorage::WriteStream(const std::string& name, TStream& source) {
  Operation operation(*this);
  const std::int64_t size = source.GetSize();
  ChangeDirectory([&] {
    TStorageEntry* entry = Find(name);
    if (entry != nullptr && !entry->InSource && entry->Size >= size) {
      xml::CopyBlocks(source, 0, Backing->Stream(), entry->Position, size, CopyBuffer);
      entry->Size = size;
    } else {
      const std::int64_t position = xml::FindFreeSpace(Directory, size);
      EnsureBackingSize(position + size);
      xml::CopyBlocks(source, 0, Backing->Stream(), position, size, CopyBuffer);
      if (entry == nullptr) entry = &Directory.emplace_back();
      *entry = TStorageEntry{name, false, position, size};
    }
    Flush();
  });
  Trace("Stream \"%s\" written at %d (%d bytes)", name, Find(name)->Position, size);
}

void TsdStorage::DeleteStream(const std::string& name) {
  Operation operation(*this);
  const TStorageEntry* entry = Find(name);
  if (entry == nullptr) return;
  ChangeDirectory([&] {
    Directory.erase(Directory.begin() + (entry - Directory.data()));
    Flush();
  });
  // Only the space behind the last stream and the directory is given back.
  Backing->CutTo(std::max(xml::HeldEnd(Directory), xml::DirectoryEnd(Directory)));
  Trace("Stream \"%s\" deleted", name);
}

void TsdStorage::RenameStream(const std::string& oldName, const std::string& newName) {
  Operation operation(*this);
  TStorageEntry* entry = Find(oldName);
  if (entry == nullptr) return;
  const TStorageEntry* holder = Find(newName);
  if (holder != nullptr && holder != entry)
    throw EStorageError(rtl::Format("Stream \"%s\" already exists in the storage", newName));
  ChangeDirectory([&] {
    entry->Name = newName;
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
  } while (Find(name) != nullptr);
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
  const std::int64_t directoryEnd = xml::DirectoryEnd(Directory);
  while (TStorageEntry* lowest = xml::LowestHeldBelow(Directory, directoryEnd)) {
    const std::int64_t to = xml::FindFreeSpace(Directory, lowest->Size);
    EnsureBackingSize(to + lowest->Size);
    xml::MoveBlock(Backing->Stream(), lowest->Position, to, lowest->Size, CopyBuffer);
    Trace("Stream \"%s\" moved from %d to %d", lowest->Name, lowest->Position, to);
    lowest->Position = to;
  }
  std::vector<TStorageEntry> held;
  std::copy_if(Directory.begin(), Directory.end(), std::back_inserter(held),
               [](const TStorageEntry& e) { return !e.InSource; });
  EnsureBackingSize(directoryEnd);
  TStream& stream = Backing->Stream();
  stream.SetPosition(xml::kDirectoryOffsetField);
  rtl::WriteLE<std::int64_t>(stream, xml::kBackingDirectoryOffset);
  xml::WriteDirectoryEntries(stream, held);
}
