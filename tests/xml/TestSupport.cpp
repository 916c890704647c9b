#include "tests/xml/TestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <random>
#include <sstream>

#include "platform/rtl/Format.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"
#include "xml/storage/FastMemStream.h"
#include "xml/storage/Storage.h"

namespace xmltest {

namespace fs = std::filesystem;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

std::string ReadFile(const std::string& path) {
  TMemoryStream file;
  file.LoadFromFile(path);
  return Text(file);
}

void WriteFile(const std::string& path, const std::string& bytes) { BytesStream(bytes).SaveToFile(path); }

std::string Text(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

BytesStream::BytesStream(const std::string& bytes) {
  WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  SetPosition(0);
}

std::string Saved(const TXmlDocument& doc) {
  TMemoryStream stream;
  doc.SaveToStream(stream);
  return Text(stream);
}

std::string Loaded(TXmlDocument& doc, const std::string& bytes) {
  BytesStream stream(bytes);
  doc.LoadFromStream(stream);
  return doc.GetRoot()->GetValue();
}

std::string RunCommand(const std::string& command, const std::string& input, int* status) {
  // Always under /tmp, so that tests counting the files of $TMPDIR see none of ours.
  char inName[] = "/tmp/xmltest_input_XXXXXX";
  ::close(::mkstemp(inName));
  WriteFile(inName, input);
  FILE* pipe = ::popen(("(" + command + ") < " + inName).c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int exit = pipe ? ::pclose(pipe) : -1;
  if (status) *status = exit;
  fs::remove(inName);
  return output;
}

std::string Pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::mt19937 random(seed);
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

ScratchFolder::ScratchFolder() : Folder((fs::temp_directory_path() / "xmltest_XXXXXX").string()) {
  if (::mkdtemp(Folder.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(Folder, ignored);
}

std::vector<std::string> ScratchFolder::List() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : Name(name) {
  if (const char* old = std::getenv(name)) Old = old;
  ::setenv(name, value.c_str(), 1);
  ::tzset();
}

ScopedEnv::~ScopedEnv() {
  if (Old) ::setenv(Name, Old->c_str(), 1);
  else ::unsetenv(Name);
  ::tzset();
}

// ---- the container oracle

namespace {

std::string ToHex(const std::string& bytes) {
  std::string hex = bytes.empty() ? "-" : "";
  for (unsigned char c : bytes) hex += rtl::Format("%02x", c);
  return hex;
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; hex != "-" && i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string RunOracle(const std::string& arguments, const std::string& input) {
  int status = 0;
  const std::string command = rtl::Format("'%s' '%s' %s", STOR_ORACLE_PYTHON, STOR_ORACLE_SCRIPT, arguments);
  std::string output = RunCommand(command, input, &status);
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
  std::string name, data;
  std::int64_t position = 0;
  lines >> container.DirectoryOffset;
  while (lines >> name >> position >> data) {
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

namespace {
std::atomic<std::size_t> Largest = 0;
}

void ResetLargestAllocation() { Largest = 0; }
std::size_t LargestAllocation() { return Largest.load(); }

}  // namespace xmltest

namespace {

void* Allocate(std::size_t size) noexcept {
  for (std::size_t seen = xmltest::Largest; size > seen && !xmltest::Largest.compare_exchange_weak(seen, size);) {
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}

}  // namespace

// Every plain form is replaced, so no block crosses between these and the
// library's own operators.
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
