// The places a resource keeps its bytes in: an external file and a stream of
// the owner's archive.

#include <filesystem>
#include <system_error>

#include "document/resources/Resource.h"
#include "platform/rtl/Format.h"
#include "xml/storage/Storage.h"

namespace {

constexpr std::uint16_t kReadShared = fmOpenRead | fmShareDenyNone;

// Only regular files count: a document naming a device or a folder must not
// make the program read forever or fail obscurely.
bool IsRegularFile(const std::string& name) {
  std::error_code error;
  return !name.empty() && std::filesystem::is_regular_file(name, error);
}

bool PathExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(name, error));
}

std::string FullPath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(name, error);
  return error ? name : full.lexically_normal().string();
}

}  // namespace

void TdocResource::LoadFromFile(const std::string& name) {
  TdocResourceAccess access(*this);
  Clear();
  if (!IsRegularFile(name)) throw EResourceError(rtl::Format("File does not exist: %s", name));
  FileName = FullPath(name);
  LoadExternalData();
  if (Data.GetSize() > 0 && DataChangedFlag && Storage == rsArchive) SaveDataToArchive();
  if (OnFileLoaded) OnFileLoaded(this);
  Changed();
}

void TdocResource::LoadDataFromFile(const std::string& name) {
  TFileStream file(name, kReadShared);
  EmptyData();
  Data.CopyFrom(file, 0);
  Data.SetPosition(0);
}

// An archived resource gets a stream of its own when it is next stored: it
// is never named after the file, which another resource may have loaded too.
// A picture converted on loading (the name changed) differs from its file
// and must be written, also for external storage.
void TdocResource::LoadExternalData() {
  EmptyData();
  DataChangedFlag = false;
  const std::string loadedName = FileName;
  if (IsRegularFile(FileName)) {
    LoadDataFromFile(FileName);
    LoadedFlag = true;
  }
  DataChangedFlag = Storage != rsExternal || FileName != loadedName;
}

void TdocResource::LoadDataFromArchive() {
  EmptyData();
  DataChangedFlag = false;
  TsdStorage* archive = GetStorage();
  if (ArchiveName.empty() || archive == nullptr) return;
  archive->ReadStream(ArchiveName, Data);
  if (Data.GetSize() == 0) ArchiveName.clear();
  LoadedFlag = true;
}

void TdocResource::SaveDataToArchive() {
  TsdStorage* archive = GetStorage();
  if (!DataChangedFlag || archive == nullptr) return;
  if (Data.GetSize() > 0) {
    if (ArchiveName.empty()) ArchiveName = archive->NewTempStreamName(GetFileExtension());
    archive->WriteStream(ArchiveName, Data);
  } else if (!ArchiveName.empty()) {
    archive->DeleteStream(ArchiveName);
    ArchiveName.clear();
  }
  DataChangedFlag = false;
}

// An existing file is never replaced; the bytes then stay changed (and in
// memory) and the document embeds them when it is saved.
void TdocResource::SaveDataToFile() {
  if (!DataChangedFlag || FileName.empty() || FileName.front() == '.' || PathExists(FileName)) return;
  if (Data.GetSize() > 0) {
    try {
      TFileStream file(FileName, fmCreate);
      file.CopyFrom(Data, 0);
    } catch (...) {
      std::error_code ignored;
      std::filesystem::remove(FileName, ignored);
      throw;
    }
  }
  DataChangedFlag = false;
}
