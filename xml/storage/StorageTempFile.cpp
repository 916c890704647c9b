#include "xml/storage/StorageTempFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/storage/StorageError.h"

namespace xml {
namespace {

std::string RandomTag() {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device device;
  std::uniform_int_distribution<int> pick(0, 35);
  std::string tag;
  for (int i = 0; i < 10; ++i) tag += kDigits[pick(device)];
  return tag;
}

}  // namespace

std::string CreateUniqueFile(const std::filesystem::path& folder, mode_t mode) {
  constexpr int kAttempts = 100;
  std::string path;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    path = (folder / ("~TMP" + RandomTag() + ".tmp")).string();
    const int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (handle >= 0) {
      ::close(handle);
      return path;
    }
    if (errno != EEXIST) break;
  }
  throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", path, std::strerror(errno)));
}

TemporaryPath::~TemporaryPath() {
  if (!Path.empty()) ::unlink(Path.c_str());
}

std::unique_ptr<TStream> CreateTemporaryStream() {
  try {
    const TemporaryPath path(CreateUniqueFile(std::filesystem::temp_directory_path(), 0600));
    return std::make_unique<TFileStream>(path.Get(), fmOpenReadWrite | fmShareExclusive);
  } catch (const std::exception&) {
    throw EStorageError("Unable to create temporary file");
  }
}

}  // namespace xml
