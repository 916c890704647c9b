#include "xml/storage/StorageFileIdentity.h"

#include <sys/stat.h>

namespace xml {

std::optional<FileIdentity> IdentifyFile(const std::string& fileName) {
  struct stat info {};
  if (fileName.empty() || ::stat(fileName.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

}  // namespace xml
