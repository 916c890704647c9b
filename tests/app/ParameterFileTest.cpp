#include "app/ParameterFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <string>

#include "platform/rtl/Exception.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::ReadBytes;
using apptest::TTempFolder;
using apptest::WriteBytes;

// The stored record, read by its published layout.
struct TParsedRecord {
  bool SignatureOk = false;
  std::int32_t LanguageIndex = 0;
  std::string PrinterName;  // Windows-1252
  bool UnusedBytesZero = false;
};

TParsedRecord ParseRecord(const std::string& bytes) {
  TParsedRecord parsed;
  if (bytes.size() != 120) return parsed;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  parsed.SignatureOk = byte(0) == 3 && bytes.substr(1, 3) == "MQV";
  parsed.LanguageIndex = static_cast<std::int32_t>(byte(4) | byte(5) << 8 | byte(6) << 16 | std::uint32_t{byte(7)} << 24);
  const std::size_t length = byte(8);
  parsed.PrinterName = bytes.substr(9, std::min<std::size_t>(length, 100));
  parsed.UnusedBytesZero = bytes.find_first_not_of('\0', 9 + length) == std::string::npos;
  return parsed;
}

// A record in the stored layout.
std::string MakeRecord(std::int32_t index, std::uint8_t nameLength, const std::string& name) {
  std::string bytes(120, '\0');
  bytes.replace(0, 4, "\x03MQV");
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(static_cast<std::uint32_t>(index) >> (8 * i));
  bytes[8] = static_cast<char>(nameLength);
  bytes.replace(9, name.size(), name);
  return bytes;
}

TEST(ParameterFile, WrittenRecordFollowsTheLayout) {
  const TTempFolder folder;
  const std::string file = folder.File("config/mirqoven/MIRQOVEN.PAR");
  WriteParameterFile(file, {2, "Bureau Café"});
  const TParsedRecord parsed = ParseRecord(ReadBytes(file));
  EXPECT_TRUE(parsed.SignatureOk);
  EXPECT_EQ(parsed.LanguageIndex, 2);
  EXPECT_EQ(parsed.PrinterName, "Bureau Caf\xE9");
  EXPECT_TRUE(parsed.UnusedBytesZero);

  const TParameterFileContent back = ReadParameterFile(file);
  EXPECT_EQ(back.State, TParameterFileState::Read);
  EXPECT_EQ(back.Record.LanguageIndex, 2);
  EXPECT_EQ(back.Record.PrinterName, "Bureau Café");
}

TEST(ParameterFile, FirstStartDefaultsAndRecord) {
  const TTempFolder folder;
  const TParameterFileContent missing = ReadParameterFile(folder.File("MIRQOVEN.PAR"));
  EXPECT_EQ(missing.State, TParameterFileState::Missing);
  EXPECT_EQ(missing.Record.LanguageIndex, 1);
  EXPECT_EQ(missing.Record.PrinterName, "");

  WriteParameterFile(folder.File("MIRQOVEN.PAR"), missing.Record);
  const std::string bytes = ReadBytes(folder.File("MIRQOVEN.PAR"));
  ASSERT_EQ(bytes.size(), 120u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x03MQV\x01\x00\x00\x00", 8));
  EXPECT_EQ(bytes.find_first_not_of('\0', 8), std::string::npos);
}

TEST(ParameterFile, LongPrinterNameIsCutTo100Characters) {
  const TTempFolder folder;
  std::string name;
  for (int i = 0; name.size() < 130; ++i) name += "Printer" + std::to_string(i) + " ";
  WriteParameterFile(folder.File("p"), {1, name});
  const TParsedRecord parsed = ParseRecord(ReadBytes(folder.File("p")));
  EXPECT_EQ(static_cast<std::uint8_t>(ReadBytes(folder.File("p"))[8]), 100);
  EXPECT_EQ(parsed.PrinterName, name.substr(0, 100));
  EXPECT_EQ(ReadParameterFile(folder.File("p")).Record.PrinterName, name.substr(0, 100));
}

struct THostileCase {
  const char* Name;
  std::string Bytes;
  TParameterFileState State;
  std::int32_t LanguageIndex;
  const char* PrinterName;
};

TEST(ParameterFile, HostileFilesFallBackFieldByField) {
  const std::string good = MakeRecord(2, 5, "Laser");
  const THostileCase cases[] = {
      {"good", good, TParameterFileState::Read, 2, "Laser"},
      {"empty", "", TParameterFileState::Damaged, 1, ""},
      {"short", good.substr(0, 60), TParameterFileState::Damaged, 1, ""},
      {"long", good + "x", TParameterFileState::Damaged, 1, ""},
      {"length byte 255", MakeRecord(2, 255, "Laser"), TParameterFileState::Damaged, 2, ""},
      {"length byte 101", MakeRecord(2, 101, "Laser"), TParameterFileState::Damaged, 2, ""},
      {"length byte 100", MakeRecord(2, 100, std::string(100, 'L')), TParameterFileState::Read, 2,
       "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"},
      {"language index 7", MakeRecord(7, 5, "Laser"), TParameterFileState::Damaged, 1, "Laser"},
      {"language index 0", MakeRecord(0, 5, "Laser"), TParameterFileState::Damaged, 1, "Laser"},
      {"language index -1", MakeRecord(-1, 5, "Laser"), TParameterFileState::Damaged, 1, "Laser"},
      {"other signature", "XXXX" + good.substr(4), TParameterFileState::Read, 2, "Laser"},
  };
  const TTempFolder folder;
  for (const auto& c : cases) {
    WriteBytes(folder.File("p"), c.Bytes);
    const TParameterFileContent content = ReadParameterFile(folder.File("p"));
    EXPECT_EQ(content.State, c.State) << c.Name;
    EXPECT_EQ(content.Record.LanguageIndex, c.LanguageIndex) << c.Name;
    EXPECT_EQ(content.Record.PrinterName, c.PrinterName) << c.Name;
  }
}

TEST(ParameterFile, FolderOrPipeInPlaceOfTheFileIsUnreadableWithoutHanging) {
  const TTempFolder folder;
  std::filesystem::create_directory(folder.File("dir"));
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  for (const char* name : {"dir", "pipe"}) {
    const TParameterFileContent content = ReadParameterFile(folder.File(name));
    EXPECT_EQ(content.State, TParameterFileState::Unreadable) << name;
    EXPECT_FALSE(content.Error.empty()) << name;
    EXPECT_EQ(content.Record.LanguageIndex, 1) << name;
  }
}

// Keeps writes to files below a size for its lifetime, as a full disk would.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Old);
    OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = Old;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldHandler);
  }

private:
  rlimit Old{};
  void (*OldHandler)(int);
};

TEST(ParameterFile, FailedWriteKeepsTheOldFileAndRaises) {
  const TTempFolder folder;
  const std::string file = folder.File("MIRQOVEN.PAR");
  WriteParameterFile(file, {2, "Old printer"});
  const std::string before = ReadBytes(file);
  {
    const TFileSizeLimit limit(50);
    EXPECT_THROW(WriteParameterFile(file, {1, "New printer"}), EStreamError);
  }
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "temporary file left";
}

TEST(ParameterFile, ReadOnlyFolderKeepsTheOldFileAndRaises) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser; the size-limit test covers failures";
  const TTempFolder folder;
  const std::string file = folder.File("MIRQOVEN.PAR");
  WriteParameterFile(file, {2, "Old printer"});
  const std::string before = ReadBytes(file);
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_THROW(WriteParameterFile(file, {1, "New printer"}), EStreamError);
  EXPECT_EQ(ReadBytes(file), before);
}

}  // namespace
