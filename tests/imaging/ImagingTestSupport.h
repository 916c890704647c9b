#pragma once
// Helpers shared by the raster library tests: the per-channel combine formula
// written out independently, random pictures, pixel lists, fixed points,
// streams over bytes, scratch files.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/FixedPoint.h"
#include "platform/rtl/Stream.h"
#include "tests/SanitizerBuild.h"

namespace imagingtest {

// Under AddressSanitizer, tests whose point survives a smaller picture use one.
constexpr bool Sanitized = testbuild::UnderSanitizer;

// V(X, Y, W) per channel: (Y x 256 + 128 + W x (X - Y)) >> 8.
inline TColor32 RefV(TColor32 x, TColor32 y, std::uint32_t w) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) {
    const int xc = x >> s & 255, yc = y >> s & 255;
    r |= static_cast<TColor32>((yc * 256 + 128 + static_cast<int>(w) * (xc - yc)) >> 8) << s;
  }
  return r;
}

inline void Solid(TCustomBitmap32& b, int width, int height, TColor32 color) {
  b.SetSize(width, height);
  b.Clear(color);
}

inline void FillRandom(TCustomBitmap32& b, int width, int height, std::uint32_t seed) {
  std::mt19937 rng(seed);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, rng());
}

inline std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  if (b.IsEmpty()) return {};
  return {b.GetBits(), b.GetBits() + static_cast<std::ptrdiff_t>(b.GetWidth()) * b.GetHeight()};
}

inline void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes) {
  stream.SetSize(0);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

inline TFixedPoint Fx(double x, double y) {
  return TFixedPoint{static_cast<TFixed>(std::lround(x * 65536)), static_cast<TFixed>(std::lround(y * 65536))};
}

using TBytes = std::vector<std::uint8_t>;

inline TBytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const TBytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
  explicit ScratchFolder(const std::string& name)
      : Path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~ScratchFolder() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::ptrdiff_t Count() const { return std::distance(std::filesystem::recursive_directory_iterator(Path), {}); }

private:
  std::filesystem::path Path;
};

// The message of the E the action raised, or "no error".
template <class E = Exception>
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace imagingtest
