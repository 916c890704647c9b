#pragma once
// What the resource tests share: a document stand-in with an archive, a
// scratch folder, pictures with known pixels and byte files.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/resources/BitmapResource.h"
#include "document/resources/ResourceHost.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "xml/storage/Storage.h"

namespace resource_test {

// A document with an archive in memory.
class TestHost : public TdocResourceHost {
public:
  TsdStorage* GetResourceArchive() const override { return &Archive; }
  mutable TsdStorage Archive;
};

// A folder of its own, removed with everything in it.
class ScratchFolder {
public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "resource-test-XXXXXX").string();
    Path = mkdtemp(pattern.data());
  }
  ~ScratchFolder() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path)) names.push_back(entry.path().filename());
    return names;
  }

  std::filesystem::path Path;
};

inline std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

inline void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Opaque pixels that all differ, seeded so that pictures differ too.
inline void FillPicture(TCustomBitmap32& bitmap, int width, int height, std::uint32_t seed) {
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, 0xFF000000u | ((seed * 2654435761u + static_cast<std::uint32_t>(y * width + x) * 40503u) & 0xFFFFFFu));
}

inline bool SamePixels(const TCustomBitmap32& a, const TCustomBitmap32& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
  return true;
}

// Every test starts with the raster formats registered and no resource left
// in the process's cache by an earlier one.
class ResourceTest : public ::testing::Test {
protected:
  void SetUp() override {
    imaging::StartUpSubsystem();
    ASSERT_EQ(document::ResourceCache().GetCount(), 0);
    document::ResourceCache().SetBudget(TdocResourceCache::kDefaultBudget);
  }
  void TearDown() override { EXPECT_EQ(document::ResourceCache().GetCount(), 0) << "a resource was not freed"; }
};

}  // namespace resource_test
