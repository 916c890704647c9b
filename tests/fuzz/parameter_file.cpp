// Reads arbitrary bytes as the parameter file, from memory and from a file.
// Whatever they hold, the record must come out usable: a language index of 1
// or 2, a printer name of well-formed UTF-8, and a record that survives
// being written and read again.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ParameterFile.h"
#include "platform/rtl/Strings.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool SameRecord(const TParameterRecord& a, const TParameterRecord& b) {
  return a.LanguageIndex == b.LanguageIndex && a.PrinterName == b.PrinterName;
}

// The bytes as a file, read through its name like the real one.
TParameterFileContent ReadAsFile(const std::uint8_t* data, std::size_t size) {
  const int handle = ::memfd_create("MIRQOVEN.PAR", MFD_CLOEXEC);
  Require(handle >= 0);
  Require(::write(handle, data, size) == static_cast<ssize_t>(size));
  const TParameterFileContent content = ReadParameterFile("/proc/self/fd/" + std::to_string(handle));
  ::close(handle);
  return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TParameterFileContent content = DecodeParameterRecord({data, size});
  const TParameterRecord& record = content.Record;
  Require(record.LanguageIndex == 1 || record.LanguageIndex == 2);
  Require(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(record.PrinterName)) == record.PrinterName);
  Require(content.State == TParameterFileState::Read || content.State == TParameterFileState::Damaged);
  Require(content.State != TParameterFileState::Read || size == ParameterRecordSize);

  const auto stored = EncodeParameterRecord(record);
  const TParameterFileContent again = DecodeParameterRecord(stored);
  Require(again.State == TParameterFileState::Read && SameRecord(again.Record, record));

  const TParameterFileContent fromFile = ReadAsFile(data, size);
  Require(fromFile.State == content.State && SameRecord(fromFile.Record, record));
  return 0;
}
