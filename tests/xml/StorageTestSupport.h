#pragma once
// Helpers shared by the container tests: scratch folders, whole-file I/O,
// streams from text, and the independent layout oracle (a Python script).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Stream.h"
#include "xml/Storage.h"

namespace storage_test {

// A fresh folder under the system's temporary folder, removed with its
// content at the end of the scope.
class ScratchFolder {
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return Folder; }
  std::string File(const std::string& name) const { return Folder + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const;

private:
  std::string Folder;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// A memory stream holding bytes, at position 0.
class BytesStream : public TMemoryStream {
public:
  explicit BytesStream(const std::string& bytes);
};
// The bytes of a stream of the container.
std::string ReadStreamBytes(TsdStorage& storage, const std::string& name);
void WriteStreamBytes(TsdStorage& storage, const std::string& name, const std::string& bytes);
// Deterministic bytes that differ from stream to stream.
std::string Pattern(std::size_t size, unsigned seed);

struct OracleEntry {
  std::string Name;
  std::int64_t Position = 0;
  std::int64_t Size = 0;
  std::string Data;
};

struct OracleContainer {
  int Major = 0;
  int Minor = 0;
  std::int64_t DirectoryOffset = 0;
  std::vector<OracleEntry> Entries;
};

// Reads a container file with the oracle; with saved, it also checks the
// compact layout of a saved file. Fails the test (and returns an empty
// container) when the oracle refuses the file.
OracleContainer OracleRead(const std::string& path, bool saved);
// Writes a saved container with the oracle.
void OracleWrite(const std::string& path, const std::vector<std::pair<std::string, std::string>>& streams);

}  // namespace storage_test
