#include <gtest/gtest.h>

#include <sstream>

#include "platform/rtl/Format.h"
#include "tests/xml/TestSupport.h"
#include "xml/FastMemStream.h"
#include "xml/Storage.h"

namespace xmltest {
namespace {

std::string ToHex(const std::string& bytes) {
  std::string hex = bytes.empty() ? "-" : "";
  for (unsigned char c : bytes) hex += rtl::Format("%02x", c);
  return hex;
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; hex != "-" && i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string RunOracle(const std::string& arguments, const std::string& input) {
  int status = 0;
  std::string output = RunCommand(rtl::Format("'%s' '%s' %s", STOR_ORACLE_PYTHON, STOR_ORACLE_SCRIPT, arguments), input, &status);
  EXPECT_EQ(status, 0) << "the oracle refused: " << arguments;
  return output;
}

}  // namespace

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

Streams StreamsOf(TsdStorage& storage) {
  Streams streams;
  for (int i = 0; i < storage.GetStreamCount(); ++i)
    streams.emplace_back(storage.GetStreamName(i), ReadStreamBytes(storage, storage.GetStreamName(i)));
  return streams;
}

OracleContainer OracleRead(const std::string& path, bool saved) {
  std::istringstream lines(RunOracle(rtl::Format("read '%s'%s", path, saved ? " --saved" : ""), ""));
  OracleContainer container;
  std::string kind, name, data;
  std::int64_t position = 0;
  std::size_t count = 0;
  lines >> kind >> container.Major >> container.Minor >> container.DirectoryOffset >> count;
  while (container.Content.size() < count && lines >> kind >> name >> position >> data) {
    container.Content.emplace_back(FromHex(name), FromHex(data));
    container.Positions.push_back(position);
  }
  return container;
}

void OracleWrite(const std::string& path, const Streams& streams) {
  std::string list;
  for (const auto& [name, data] : streams) list += ToHex(name) + " " + ToHex(data) + "\n";
  RunOracle(rtl::Format("write '%s'", path), list);
}

}  // namespace xmltest
