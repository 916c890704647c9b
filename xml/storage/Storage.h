#pragma once
// TsdStorage keeps named byte streams in one "STOR" container file. While a
// container is open it works on a backing store (memory, then a temporary
// file past MemoryCache bytes, or the container file itself in place); the
// file in place stays a valid container after every change. Saving writes a
// compact file. Stream names compare without regard to ASCII letter case.
// Finding, writing, renaming and deleting a stream cost the same however
// many streams the container holds, except in place, where every change
// writes the whole directory to the file.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/StorageDirectory.h"
#include "xml/storage/StorageFileIdentity.h"

namespace xml {
class StorageBackingStore;
}

class TsdStorage : public TComponent {
public:
  explicit TsdStorage(TComponent* owner = nullptr);
  ~TsdStorage() override;

  std::string ClassName() const override { return "TsdStorage"; }

  // Work in place on FileName. Changing it reopens a named container in the
  // new mode; an unnamed one keeps its streams.
  bool GetAutoSave() const;
  void SetAutoSave(bool value);
  // The file open in place, else the source file.
  std::string GetFileName() const;
  // Opens the file in place when AutoSave is set, else as a source.
  void SetFileName(const std::string& fileName);
  // Bytes a memory backing store may hold before it moves to a temporary file.
  std::int64_t GetMemoryCache() const;
  void SetMemoryCache(std::int64_t bytes);
  int GetStreamCount() const;

  // An empty container in memory.
  void Clear();
  // Opens fileName read-only as the source whose streams are copied on
  // demand; a missing file gives an empty container.
  void OpenFile(const std::string& fileName);
  // Works on fileName itself, creating it when missing.
  void OpenFileInPlace(const std::string& fileName);
  // Replaces the container by the one held in stream (read from its start).
  void LoadFromStream(TStream& stream);
  // Writes a compact container file. Nothing happens for the file open in
  // place. The file is replaced only once the new one is complete, so a
  // failure leaves the old one whole; saving over the source file first
  // takes every stream out of it and closes it.
  void SaveToFile(const std::string& fileName);
  // Writes a compact container at the stream's position.
  void SaveToStream(TStream& stream);

  bool StreamExists(const std::string& name) const;
  // Empty when index is out of range.
  std::string GetStreamName(int index) const;
  // Replaces dest's content by the stream's bytes and leaves dest at 0.
  // Raises "Stream "%s" not found in the storage".
  void ReadStream(const std::string& name, TStream& dest);
  // Stores the whole of source (from its start) under name.
  void WriteStream(const std::string& name, TStream& source);
  // Unknown names do nothing.
  void DeleteStream(const std::string& name);
  // Unknown old names do nothing; a new name held by another stream raises
  // "Stream "%s" already exists in the storage".
  void RenameStream(const std::string& oldName, const std::string& newName);
  // "TMP", seven random decimal digits and suffix, held by no stream.
  std::string NewTempStreamName(const std::string& suffix);
  static bool IsTempName(const std::string& name);

  // English trace lines of the container's work; called with its lock held,
  // so a handler that calls back into this container is refused.
  std::function<void(TPersistent* sender, const std::string& text)> OnDebugOut;

private:
  class Operation;

  void Reset();
  void DoOpenFile(const std::string& fileName);
  void DoOpenFileInPlace(const std::string& fileName);
  // Runs change on the directory; when it fails the directory is put back.
  template <class Change>
  void ChangeDirectory(Change&& change);
  // Runs open on a fresh container; when it fails the container is left empty.
  template <class Open>
  void ResetAndOpen(Open&& open);

  void EnsureBackingSize(std::int64_t size);
  // Moves held streams out of the directory's way, then writes the directory
  // of a store in place.
  void Flush();
  // Copies every stream still in the source into the backing store.
  void TakeOverSource();
  void WriteContainer(TStream& dest);
  template <class... Args>
  void Trace(const char* format, const Args&... args);

  mutable std::recursive_mutex Lock;
  mutable bool Busy = false;
  bool AutoSave = false;
  std::int64_t MemoryCache = 10485760;
  std::unique_ptr<xml::StorageBackingStore> Backing;
  std::optional<xml::FileIdentity> InPlaceIdentity;
  std::unique_ptr<TStream> Source;
  std::string SourceFileName;
  std::optional<xml::FileIdentity> SourceIdentity;
  xml::StorageDirectory Directory;
  std::vector<std::uint8_t> CopyBuffer;
  std::mt19937 Random;
};
