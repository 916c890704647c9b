#include "xml/storage/StorageAtomicSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageTempFile.h"

namespace xml {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& fileName) {
  throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", fileName, std::strerror(errno)));
}

// The file to replace: symbolic links are followed so the link survives.
fs::path ResolveTarget(const std::string& fileName) {
  std::error_code error;
  const fs::path resolved = fs::canonical(fileName, error);
  return error ? fs::absolute(fileName) : resolved;
}

void Sync(const std::string& path, int flags, const std::string& fileName) {
  const int handle = ::open(path.c_str(), flags | O_CLOEXEC);
  if (handle < 0) Fail(fileName);
  const int result = ::fsync(handle);
  ::close(handle);
  if (result != 0) Fail(fileName);
}

void CopyPermissions(const fs::path& from, const std::string& to, const std::string& fileName) {
  struct stat info {};
  if (::stat(from.c_str(), &info) == 0 && ::chmod(to.c_str(), info.st_mode & 07777) != 0) Fail(fileName);
}

}  // namespace

void SaveFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& write) {
  const fs::path target = ResolveTarget(fileName);
  TemporaryPath temporary(CreateUniqueFile(target.parent_path(), 0666));
  {
    TFileStream file(temporary.Get(), fmOpenReadWrite | fmShareExclusive);
    write(file);
  }
  Sync(temporary.Get(), O_RDONLY, fileName);
  CopyPermissions(target, temporary.Get(), fileName);
  if (::rename(temporary.Get().c_str(), target.c_str()) != 0) Fail(fileName);
  temporary.Release();
  Sync(target.parent_path().string(), O_RDONLY | O_DIRECTORY, fileName);
}

}  // namespace xml
