// Containers of a million streams: opened every way and saved; changed in
// place and saved over their own file with a tenth of them; each in a child process bounded in
// memory and, loosely, in time. The saved files are checked against the
// file an independent writer made, and the saves must reach the file in
// large writes: a write for every field of the directory is what made
// saving such a container take seconds.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>

#include "tests/document/ChildProcessPeak.h"
#include "tests/document/core/StorFile.h"
#include "tests/xml/TestSupport.h"
#include "xml/storage/Storage.h"
#include "tests/SanitizerBuild.h"

using namespace xmltest;

namespace {

constexpr int kScaleStreams = testbuild::UnderSanitizer ? 50000 : 1000000;

// Short names, most streams empty, every seventh of one to three bytes.
doctest::TStorStreams ManyStreams(int count) {
  doctest::TStorStreams streams;
  streams.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (int n = i; name.empty() || n > 0; n /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    streams.emplace_back(std::move(name), i % 7 == 0 ? std::string(static_cast<std::size_t>(1 + i % 3), 'x') : "");
  }
  return streams;
}

// A saved file differs from another writer's only in its free comment.
void ExpectSameSavedFile(const std::string& ours, const std::string& theirs) {
  if (ours.size() != theirs.size() || ours.compare(0, 14, theirs, 0, 14) != 0 ||
      ours.compare(69, std::string::npos, theirs, 69, std::string::npos) != 0)
    throw std::runtime_error("the saved container differs from the one the independent writer made");
}

// Counts the writes that reach it.
struct TCountingStream : TMemoryStream {
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    ++Writes;
    return TMemoryStream::Write(buffer, count);
  }
  long Writes = 0;
};

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RunBounded(const char* what, const std::function<void()>& work) {
  const double seconds = SecondsOf([&] {
    const doctest::TChildOutcome outcome = doctest::RunInChild(work, 60);
    ASSERT_TRUE(outcome.Finished) << what << ": " << outcome.Failure;
    EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024) << what;
    std::cout << what << ": peak " << outcome.PeakGrowthKb / 1024 << " MB";
  });
  std::cout << ", " << seconds << " s\n";
}

}  // namespace

TEST(StorageScale, AMillionStreamsOpenSaveAndChangeInPlace) {
  const doctest::TStorStreams streams = ManyStreams(kScaleStreams);
  const std::string written = doctest::WriteStor(streams);
  std::cout << kScaleStreams << " streams, " << written.size() / 1024 << " KB\n";
  ScratchFolder folder;
  const std::string source = folder.File("many.stor"), copy = folder.File("copy.stor");
  WriteFile(source, written);

  RunBounded("opened as the source and saved to another file", [&] {
    TsdStorage storage;
    storage.OpenFile(source);
    storage.SaveToFile(copy);
    ExpectSameSavedFile(ReadFile(copy), written);
  });
  RunBounded("loaded from a stream and saved to a stream in large writes", [&] {
    TsdStorage storage;
    BytesStream bytes(written);
    storage.LoadFromStream(bytes);
    if (storage.GetStreamCount() != kScaleStreams) throw std::runtime_error("streams lost");
    TCountingStream saved;
    storage.SaveToStream(saved);
    ExpectSameSavedFile(Text(saved), written);
    if (saved.Writes > static_cast<long>(written.size() / 4096) + 10)
      throw std::runtime_error(std::to_string(saved.Writes) + " writes for " + std::to_string(written.size()) + " bytes");
  });
  // A tenth of them for the rest: each change in place rewrites the whole
  // directory on disk, as the file must stay a container after each.
  const doctest::TStorStreams fewer(streams.begin(), streams.begin() + kScaleStreams / 10);
  WriteFile(copy, doctest::WriteStor(fewer));
  RunBounded("changed in place, then saved over itself", [&] {
    TsdStorage storage;
    storage.OpenFileInPlace(copy);
    WriteStreamBytes(storage, "added", "new bytes");
    storage.DeleteStream(streams[1].first);
    storage.RenameStream(streams[7].first, "renamed");
    if (ReadStreamBytes(storage, "renamed") != streams[7].second) throw std::runtime_error("renamed stream lost");
    storage.OpenFile(copy);
    storage.SaveToFile(copy);
    doctest::TStorStreams expected = fewer;
    expected[7].first = "renamed";
    expected.erase(expected.begin() + 1);
    expected.emplace_back("added", "new bytes");
    ExpectSameSavedFile(ReadFile(copy), doctest::WriteStor(expected));
  });
}
