#pragma once
// Temporary files of the container: created exclusively under a fresh random
// name (as mkstemp does, with a chosen mode), never left behind.

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/rtl/Stream.h"

namespace xml {

// Creates a new empty file "~TMP<random>.tmp" in folder with O_EXCL, so an
// existing file or link is never opened; returns its path. Raises
// EFCreateError with the system's reason.
std::string CreateUniqueFile(const std::filesystem::path& folder, mode_t mode);

// Removes the file at path when it goes out of scope, unless released.
class TemporaryPath {
public:
  explicit TemporaryPath(std::string path) : Path(std::move(path)) {}
  ~TemporaryPath();
  TemporaryPath(const TemporaryPath&) = delete;
  TemporaryPath& operator=(const TemporaryPath&) = delete;

  const std::string& Get() const { return Path; }
  void Release() { Path.clear(); }

private:
  std::string Path;
};

// A read-write stream on a new file in the system's temporary folder (TMPDIR
// or /tmp). The file is unlinked as soon as it is open, so it disappears with
// the stream whatever happens. Raises EStorageError "Unable to create
// temporary file".
std::unique_ptr<TStream> CreateTemporaryStream();

}  // namespace xml
