// Loading and saving a picture of 64 million pixels (the most a picture may
// have) as HCK: loading reduces it to 4000 x 4000 as the label's pictures
// are loaded. Timed against zlib in the same run, packing and unpacking the
// same alpha, red, green and blue planes: another packer of byte planes,
// not the same format.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/HckPlanes.h"
#include "imaging/formats/ImageFiler.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "platform/rtl/Stream.h"

namespace {

constexpr int kSide = 8192;

// Smooth colours with one level of noise, as a scanned drawing has.
void Paint(TCustomBitmap32& bitmap) {
  bitmap.SetSize(kSide, kSide);
  std::mt19937 random(3);
  TColor32* pixels = bitmap.GetBits();
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const unsigned noise = random() & 1;
      pixels[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] =
          0xFF000000u | ((x / 37 + noise) & 255) << 16 | ((y / 29 + noise) & 255) << 8 | ((x + y) / 53 & 255);
    }
}

const TCustomBitmap32& Picture() {
  [[maybe_unused]] static const bool started = (imaging::StartUpSubsystem(), true);
  static TCustomBitmap32 picture;
  [[maybe_unused]] static const bool painted = (Paint(picture), true);
  return picture;
}

const std::vector<std::uint8_t>& HckFile() {
  static const std::vector<std::uint8_t> file = [] {
    TMemoryStream stream;
    THckImage().SaveToStream(stream, Picture());
    return stream.Bytes();
  }();
  return file;
}

std::vector<Bytef> Deflated(const std::vector<std::uint8_t>& planes) {
  std::vector<Bytef> packed(compressBound(static_cast<uLong>(planes.size())));
  uLongf size = packed.size();
  compress2(packed.data(), &size, planes.data(), static_cast<uLong>(planes.size()), Z_DEFAULT_COMPRESSION);
  packed.resize(size);
  return packed;
}

const std::string kZlib = std::string("zlib ") + zlibVersion();

void LoadReduced(benchmark::State& state) {
  TMemoryStream file;
  file.WriteBuffer(HckFile().data(), static_cast<std::int64_t>(HckFile().size()));
  const std::vector<std::uint8_t> planes = imaging::EncodeArgbPlanes(Picture());
  const std::vector<Bytef> deflated = Deflated(planes);
  std::vector<std::uint8_t> inflated(planes.size());
  bench::TPairTimer timer(state);
  for (auto _ : state)
    timer.Iteration(
        [&] {
          file.SetPosition(0);
          TCustomBitmap32 bitmap;
          imaging::LoadRasterFromStream(file, ".hck", bitmap, 0, TSize{0, 0});
          benchmark::DoNotOptimize(bitmap.GetBits());
        },
        [&] {
          uLongf size = inflated.size();
          uncompress(inflated.data(), &size, deflated.data(), static_cast<uLong>(deflated.size()));
          benchmark::DoNotOptimize(inflated.data());
        });
  timer.Report("load 8192x8192 HCK reduced to 4000x4000",
               {"imaging::LoadRasterFromStream \".hck\", default target, from memory",
                kZlib + " uncompress of the same ARGB planes deflated at the default level, no reduction"});
}

void Save(benchmark::State& state) {
  bench::TPairTimer timer(state);
  for (auto _ : state)
    timer.Iteration(
        [&] {
          TMemoryStream file;
          THckImage().SaveToStream(file, Picture());
          benchmark::DoNotOptimize(file.Memory());
        },
        [&] { benchmark::DoNotOptimize(Deflated(imaging::EncodeArgbPlanes(Picture())).data()); });
  timer.Report("save 8192x8192 as HCK",
               {"THckImage::SaveToStream to memory",
                kZlib + " compress2 of the same ARGB planes at the default level"});
}

const bool gPinned = [] {
  bench::PinHeapThresholds();
  return true;
}();

}  // namespace

BENCHMARK(LoadReduced)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(0.5));
BENCHMARK(Save)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(0.5));
