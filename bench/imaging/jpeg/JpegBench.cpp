// Decode and encode throughput on an A4 page at 300 dpi against libjpeg-turbo
// (accurate integer DCT, plain up-sampling, 24-bit output on both sides).

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "imaging/jpeg/JpegFormat.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508, kQuality = 85;

// Gradients, noise and text-like strokes, as RGB.
const std::vector<std::uint8_t>& Page() {
  static const std::vector<std::uint8_t> page = [] {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> jitter(-6, 6);
    std::size_t i = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const bool stroke = (y % 50) >= 34 && (y % 50) < 44 && (x % 16) < 10 && ((x / 16 + y / 50) % 6) != 0;
        for (int c = 0; c < 3; ++c) {
          double v = 140 + 70 * std::sin(x * 0.004 + c) * std::cos(y * 0.003 - c) + jitter(random);
          if (stroke) v = 30 + 20 * c;
          pixels[i++] = static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
        }
      }
    return pixels;
  }();
  return page;
}

std::vector<std::uint8_t> TheirEncode(bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, kQuality, TRUE);
  info.dct_method = JDCT_ISLOW;
  info.optimize_coding = TRUE;  // as ours does by default
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const auto& page = Page();
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(page.data() + static_cast<std::size_t>(info.next_scanline) * kWidth * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

void TheirDecode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = FALSE;
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  out.resize(static_cast<std::size_t>(info.output_width) * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.data() + static_cast<std::size_t>(info.output_scanline) * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
}

void OurDecode(const std::vector<std::uint8_t>& file) {
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.SetPosition(0);
  TsdJpegFormat codec;
  codec.LoadFromStream(stream);
  benchmark::DoNotOptimize(codec.GetBitmap().Row(0));
}

TsdJpegPixelMap PageBitmap() {
  TsdJpegPixelMap bitmap;
  bitmap.SetSize(kWidth, kHeight, 3);
  const auto& page = Page();
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    const std::uint8_t* source = page.data() + static_cast<std::size_t>(y) * kWidth * 3;
    for (int x = 0; x < kWidth; ++x) {
      row[3 * x] = source[3 * x + 2];
      row[3 * x + 1] = source[3 * x + 1];
      row[3 * x + 2] = source[3 * x];
    }
  }
  return bitmap;
}

void OurEncode(const TsdJpegPixelMap& bitmap) {
  TsdJpegFormat codec;
  codec.GetSaveOptions().Quality = kQuality;
  codec.SetBitmap(bitmap);
  TMemoryStream stream;
  codec.SaveToStream(stream);
  benchmark::DoNotOptimize(stream.Memory());
}

// Seconds per iteration of each side, filled by the benchmarks and reported
// with their ratio at the end.
std::map<std::string, double> gSeconds;

template <class Fn>
void Run(benchmark::State& state, const std::string& name, Fn fn) {
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  gSeconds[name] = total / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_DecodeBaseline_Ours(benchmark::State& state) {
  const auto file = TheirEncode(false);
  Run(state, "decode baseline ours", [&] { OurDecode(file); });
}
void BM_DecodeBaseline_Theirs(benchmark::State& state) {
  const auto file = TheirEncode(false);
  std::vector<std::uint8_t> out;
  Run(state, "decode baseline theirs", [&] { TheirDecode(file, out); });
}
void BM_DecodeProgressive_Ours(benchmark::State& state) {
  const auto file = TheirEncode(true);
  Run(state, "decode progressive ours", [&] { OurDecode(file); });
}
void BM_DecodeProgressive_Theirs(benchmark::State& state) {
  const auto file = TheirEncode(true);
  std::vector<std::uint8_t> out;
  Run(state, "decode progressive theirs", [&] { TheirDecode(file, out); });
}
void BM_Encode_Ours(benchmark::State& state) {
  const TsdJpegPixelMap bitmap = PageBitmap();
  Run(state, "encode ours", [&] { OurEncode(bitmap); });
}
void BM_Encode_Theirs(benchmark::State& state) {
  Page();
  Run(state, "encode theirs", [&] { benchmark::DoNotOptimize(TheirEncode(false).data()); });
}

BENCHMARK(BM_DecodeBaseline_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBaseline_Theirs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeProgressive_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeProgressive_Theirs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_Theirs)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const char* what : {"decode baseline", "decode progressive", "encode"}) {
    const double ours = gSeconds[std::string(what) + " ours"], theirs = gSeconds[std::string(what) + " theirs"];
    if (ours > 0 && theirs > 0)
      std::printf("jpeg %s: ours %.1f ms, libjpeg-turbo %.1f ms, throughput ratio %.2f (goal >= 0.5)\n", what,
                  ours * 1e3, theirs * 1e3, theirs / ours);
  }
  return 0;
}
