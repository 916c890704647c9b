#pragma once
// Whether two names lead to the same file: by device and inode, so relative
// names, links and letter case are judged the way the file system does.

#include <sys/types.h>

#include <optional>
#include <string>

namespace xml {

struct FileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of an existing file; none when it cannot be found.
std::optional<FileIdentity> IdentifyFile(const std::string& fileName);

}  // namespace xml
