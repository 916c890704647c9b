// Restores arbitrary bytes with the archive component into a folder of its
// own. The first bytes choose the restore mode, full paths, and where the
// rest splits into the archive and a second volume "in.002". Whatever they
// hold, the restore returns or raises, is no longer busy, and nothing
// appears outside the target folder but the two volumes written here.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/BackupFile.h"

namespace {

namespace fs = std::filesystem;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

fs::path Box;

void Write(const fs::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Require(out.good());
}

// Only the two volumes and the target folder's own content.
void RequireNothingOutsideTheTarget() {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(Box.parent_path(), error))
    Require(entry.path() == Box);
  for (const fs::directory_entry& entry : fs::directory_iterator(Box, error)) {
    const std::string name = entry.path().filename().string();
    Require(name == "in.mqv" || name == "in.002" || name == "target");
  }
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Box / "target", error))
    Require(!entry.is_symlink());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/backup-restore-fuzz-XXXXXX";
  Require(::mkdtemp(pattern) != nullptr);
  Box = fs::path(pattern) / "box";
  fs::create_directory(Box);
  // The folder goes with the run.
  std::atexit([] {
    std::error_code error;
    fs::remove_all(Box.parent_path(), error);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t settings = data[0];
  const std::size_t split = std::min<std::size_t>(size - 3, std::size_t{data[1]} << 8 | data[2]);
  data += 3;
  size -= 3;
  std::error_code error;
  fs::remove_all(Box / "target", error);
  Write(Box / "in.mqv", data, size - split);
  Write(Box / "in.002", data + (size - split), split);

  app::TBackupFile backup;
  backup.RestoreMode = static_cast<app::TRestoreMode>(settings % 5);
  backup.RestoreFullPath = (settings & 8) != 0;
  // A few megabytes are plenty for any archive of this size.
  backup.MaxRestoredSize = std::int64_t{8} << 20;
  int asked = 0;
  backup.OnNeedDisk = [&asked](app::TBackupFile&, std::uint16_t, bool& proceed) { proceed = ++asked < 3; };
  backup.OnError = [](app::TBackupFile&, int code, const std::string&) { Require(code == app::beCompression); };
  try {
    backup.Restore((Box / "in.mqv").string(), (Box / "target").string());
  } catch (const std::exception&) {
  }
  Require(!backup.IsBusy());
  RequireNothingOutsideTheTarget();
  return 0;
}
