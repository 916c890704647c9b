#pragma once
// Helpers shared by the XML and container tests, and the independent oracles
// they compare against: libxml2 for XML trees, a Python script for the
// container layout, and a probe of the largest single allocation.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Stream.h"

class TXmlDocument;
class TXmlNode;
class TsdStorage;

namespace xmltest {

// The message of the exception the action raised, or "no error".
std::string MessageOf(const std::function<void()>& action);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string Text(const TMemoryStream& stream);

// A memory stream holding bytes, at position 0.
struct BytesStream : TMemoryStream {
  explicit BytesStream(const std::string& bytes);
};

// The document saved to bytes; bytes loaded into the document, giving the root's value.
std::string Saved(const TXmlDocument& doc);
std::string Loaded(TXmlDocument& doc, const std::string& bytes);

// Runs a shell command with input on its standard input; returns its output
// and, when asked, its exit status.
std::string RunCommand(const std::string& command, const std::string& input, int* status = nullptr);

// Deterministic bytes that differ from seed to seed.
std::string Pattern(std::size_t size, unsigned seed);

// A fresh folder under $TMPDIR, removed with its content at the end of the scope.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  std::string File(const std::string& name) const { return Folder + "/" + name; }
  std::vector<std::string> List() const;  // names of the entries, sorted
  std::string Folder;
};

// Sets an environment variable (and the time zone from TZ) for a scope.
struct ScopedEnv {
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  const char* Name;
  std::optional<std::string> Old;
};

// Every operator new of the test binary records its size, so a test can
// tell that nothing was sized by a field of a hostile file.
void ResetLargestAllocation();
std::size_t LargestAllocation();

// Canonical event lists (elements, attributes, trimmed non-blank text, CDATA,
// comments, instructions) of our tree below a node, and of libxml2's tree of
// the bytes' root element; the latter fails the test when libxml2 finds the
// bytes not well-formed.
std::vector<std::string> Canonical(const TXmlNode& node);
std::vector<std::string> CanonicalByLibxml2(const std::string& bytes);
// The text content of each child element of the root as libxml2 reads the
// bytes (white space included); fails the test when libxml2 refuses them.
std::vector<std::string> ChildTextsByLibxml2(const std::string& bytes);

// Names and bytes of streams, in directory order.
using Streams = std::vector<std::pair<std::string, std::string>>;
std::string ReadStreamBytes(TsdStorage& storage, const std::string& name);
void WriteStreamBytes(TsdStorage& storage, const std::string& name, const std::string& bytes);
Streams StreamsOf(TsdStorage& storage);

// A container file as the Python oracle reads it.
struct OracleContainer {
  std::int64_t DirectoryOffset = 0;
  Streams Content;
  std::vector<std::int64_t> Positions;
};
// Reads a container file with the oracle; with saved, it also checks the
// compact layout of a saved file. Fails the test when the oracle refuses.
OracleContainer OracleRead(const std::string& path, bool saved);
// Writes a saved container holding the streams.
void OracleWrite(const std::string& path, const Streams& streams);

}  // namespace xmltest
