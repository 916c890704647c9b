#include "tests/xml/StorageTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/rtl/Format.h"
#include "xml/FastMemStream.h"

namespace storage_test {
namespace {

namespace fs = std::filesystem;

std::string ToHex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex.empty() ? "-" : hex;
}

std::string FromHex(const std::string& hex) {
  if (hex == "-") return {};
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// Runs the oracle and returns its standard output; its exit status goes to status.
std::string RunOracle(const std::string& arguments, int& status) {
  const std::string command = rtl::Format("'%s' '%s' %s", STOR_ORACLE_PYTHON, STOR_ORACLE_SCRIPT, arguments);
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return {};
  }
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  status = ::pclose(pipe);
  return output;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "storage_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
  Folder = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::remove_all(Folder, error);
}

std::vector<std::string> ScratchFolder::List() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

BytesStream::BytesStream(const std::string& bytes) {
  WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  SetPosition(0);
}

std::string ReadStreamBytes(TsdStorage& storage, const std::string& name) {
  TFastMemStream stream;
  storage.ReadStream(name, stream);
  EXPECT_EQ(stream.GetPosition(), 0);
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
}

void WriteStreamBytes(TsdStorage& storage, const std::string& name, const std::string& bytes) {
  BytesStream stream(bytes);
  storage.WriteStream(name, stream);
}

std::string Pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

OracleContainer OracleRead(const std::string& path, bool saved) {
  int status = 0;
  const std::string output = RunOracle("read '" + path + "'" + (saved ? " --saved" : ""), status);
  OracleContainer container;
  EXPECT_EQ(status, 0) << "the oracle refused " << path;
  if (status != 0) return container;
  std::istringstream lines(output);
  std::string kind;
  int count = 0;
  lines >> kind >> container.Major >> container.Minor >> container.DirectoryOffset >> count;
  EXPECT_EQ(kind, "header");
  for (int i = 0; i < count; ++i) {
    OracleEntry entry;
    std::string name, data;
    lines >> kind >> name >> entry.Position >> entry.Size >> data;
    entry.Name = FromHex(name);
    entry.Data = FromHex(data);
    container.Entries.push_back(entry);
  }
  return container;
}

void OracleWrite(const std::string& path, const std::vector<std::pair<std::string, std::string>>& streams) {
  std::string arguments = "write '" + path + "'";
  std::vector<std::string> dataFiles;
  for (const auto& [name, data] : streams) {
    dataFiles.push_back(rtl::Format("%s.part%d", path, dataFiles.size()));
    WriteFile(dataFiles.back(), data);
    arguments += rtl::Format(" %s:'%s'", ToHex(name), dataFiles.back());
  }
  int status = 0;
  RunOracle(arguments, status);
  for (const std::string& file : dataFiles) fs::remove(file);
  ASSERT_EQ(status, 0) << "the oracle could not write " << path;
}

}  // namespace storage_test
