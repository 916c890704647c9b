// Opens arbitrary bytes as a label document file. Whatever they hold, the
// open either raises or gives a document and a usable sheet setup; what
// opens must save and open again to the same content; and nothing may stay
// behind in the temporary folder, where alone the members are unpacked and
// which is removed when the run ends.

#include <dirent.h>
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/LabelFile.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

std::string UnpackRoot;

bool UnpackRootEmpty() {
  DIR* folder = ::opendir(UnpackRoot.c_str());
  Require(folder != nullptr);
  bool empty = true;
  while (const dirent* entry = ::readdir(folder))
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") empty = false;
  ::closedir(folder);
  return empty;
}

void RemoveUnpackRoot() {
  std::error_code ignored;
  std::filesystem::remove_all(UnpackRoot, ignored);
}

bool Usable(const app::TSheetSetupRecord& record) {
  for (const float length : {record.SheetWidth, record.SheetHeight, record.LabelWidth, record.LabelHeight,
                             record.OuterMarginX, record.OuterMarginY, record.BetweenMarginX, record.BetweenMarginY})
    if (!std::isfinite(length) || length < 0 || length > app::MaxSheetLength) return false;
  return true;
}

std::vector<std::uint8_t> MemberBytes(const app::TLabelFileContent& content) {
  TMemoryStream bytes;
  bytes.LoadFromFile(content.DocumentFile());
  return bytes.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/label-file-fuzz-XXXXXX";
  Require(::mkdtemp(pattern) != nullptr);
  UnpackRoot = pattern;
  std::atexit(RemoveUnpackRoot);
  ::setenv("TMPDIR", pattern, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> document;
  app::TSheetSetupRecord sheet;
  try {
    const app::TLabelFileContent content = app::ReadLabelArchive({data, size});
    document = MemberBytes(content);
    sheet = content.SheetSetup;
  } catch (const std::exception&) {
    Require(UnpackRootEmpty());
    return 0;
  }
  Require(UnpackRootEmpty());
  Require(Usable(sheet));
  const app::TLabelFileContent again = app::ReadLabelArchive(app::BuildLabelArchive(document, sheet));
  Require(MemberBytes(again) == document);
  Require(app::EncodeSheetSetupRecord(again.SheetSetup) == app::EncodeSheetSetupRecord(sheet));
  return 0;
}
