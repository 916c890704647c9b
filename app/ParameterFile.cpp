#include "app/ParameterFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Strings.h"
#include "xml/storage/StorageAtomicSave.h"

namespace {

constexpr std::size_t SignatureOffset = 0;
constexpr std::size_t LanguageOffset = 4;
constexpr std::size_t PrinterNameOffset = 8;
constexpr std::string_view Signature = "\x03MQV";

bool IsLanguageIndex(std::int32_t index) { return index == 1 || index == 2; }

// Closes the descriptor when it goes out of scope.
class TFileHandle {
public:
  explicit TFileHandle(int handle) : Handle(handle) {}
  ~TFileHandle() {
    if (Handle >= 0) ::close(Handle);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  int Get() const { return Handle; }

private:
  int Handle;
};

TParameterFileContent Unreadable(const std::string& reason) {
  return {{}, TParameterFileState::Unreadable, reason};
}

bool ReadAll(int handle, std::uint8_t* buffer, std::size_t size) {
  while (size > 0) {
    const ssize_t count = ::read(handle, buffer, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    buffer += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

}  // namespace

std::array<std::uint8_t, ParameterRecordSize> EncodeParameterRecord(const TParameterRecord& record) {
  std::array<std::uint8_t, ParameterRecordSize> bytes{};
  std::copy(Signature.begin(), Signature.end(), bytes.begin() + SignatureOffset);
  rtl::ToLittleEndian(record.LanguageIndex, bytes.data() + LanguageOffset);
  std::string name = rtl::Utf8ToCp1252(record.PrinterName);
  name.resize(std::min(name.size(), MaxPrinterNameLength));
  bytes[PrinterNameOffset] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), bytes.begin() + PrinterNameOffset + 1);
  return bytes;
}

TParameterFileContent DecodeParameterRecord(std::span<const std::uint8_t> bytes) {
  TParameterFileContent content{{}, TParameterFileState::Read, {}};
  if (bytes.size() != ParameterRecordSize) {
    content.State = TParameterFileState::Damaged;
    return content;
  }
  const auto index = rtl::FromLittleEndian<std::int32_t>(bytes.data() + LanguageOffset);
  if (IsLanguageIndex(index))
    content.Record.LanguageIndex = index;
  else
    content.State = TParameterFileState::Damaged;
  const std::size_t length = bytes[PrinterNameOffset];
  if (length <= MaxPrinterNameLength) {
    const auto* name = reinterpret_cast<const char*>(bytes.data() + PrinterNameOffset + 1);
    content.Record.PrinterName = rtl::Cp1252ToUtf8(std::string_view(name, length));
  } else {
    content.State = TParameterFileState::Damaged;
  }
  return content;
}

TParameterFileContent ReadParameterFile(const std::string& fileName) {
  // Non-blocking, so that a pipe in the file's place cannot hang the start.
  const TFileHandle file(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT) return {};
    return Unreadable(std::strerror(errno));
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return Unreadable(std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Unreadable("not a regular file");
  if (info.st_size != static_cast<off_t>(ParameterRecordSize)) return DecodeParameterRecord({});
  std::array<std::uint8_t, ParameterRecordSize> bytes{};
  errno = 0;
  if (!ReadAll(file.Get(), bytes.data(), bytes.size())) return Unreadable(errno != 0 ? std::strerror(errno) : "short read");
  return DecodeParameterRecord(bytes);
}

void WriteParameterFile(const std::string& fileName, const TParameterRecord& record) {
  const auto bytes = EncodeParameterRecord(record);
  std::error_code ignored;  // a folder that cannot be made fails the save below, with its reason
  std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ignored);
  xml::SaveFileAtomically(fileName, [&bytes](TStream& stream) { stream.WriteBuffer(bytes.data(), bytes.size()); });
}
