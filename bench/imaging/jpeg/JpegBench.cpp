// Decoding and encoding an A4 page at 300 dpi, timed against libjpeg-turbo
// in the same run (accurate integer DCT, plain up-sampling, 24-bit pixels
// on both sides). The reference reads all rows it can per call, as its
// users do at their best.

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
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

void TheirDecode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& out,
                 std::vector<JSAMPROW>& rows) {
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
  rows.resize(info.output_height);
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = out.data() + y * info.output_width * 3;
  while (info.output_scanline < info.output_height)
    jpeg_read_scanlines(&info, rows.data() + info.output_scanline, info.output_height - info.output_scanline);
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

// The version the headers name, as major.minor.patch.
const std::string kLibjpeg = "libjpeg-turbo " + std::to_string(LIBJPEG_TURBO_VERSION_NUMBER / 1000000) + "." +
                             std::to_string(LIBJPEG_TURBO_VERSION_NUMBER / 1000 % 1000) + "." +
                             std::to_string(LIBJPEG_TURBO_VERSION_NUMBER % 1000);

void Decode(benchmark::State& state, bool progressive) {
  const auto file = TheirEncode(progressive);
  std::vector<std::uint8_t> out;
  std::vector<JSAMPROW> rows;
  bench::TPairTimer timer(state);
  for (auto _ : state) timer.Iteration([&] { OurDecode(file); }, [&] { TheirDecode(file, out, rows); });
  const std::string kind = progressive ? "progressive" : "baseline";
  timer.Report("decode " + kind + " 2480x3508 4:2:0 q85",
               {"TsdJpegFormat::LoadFromStream from memory, 24-bit BGR",
                kLibjpeg + " jpeg_read_scanlines all remaining rows per call, JDCT_ISLOW, no fancy upsampling, "
                           "JCS_EXT_BGR, from memory"});
}

void DecodeBaseline(benchmark::State& state) { Decode(state, false); }
void DecodeProgressive(benchmark::State& state) { Decode(state, true); }

void Encode(benchmark::State& state) {
  const TsdJpegPixelMap bitmap = PageBitmap();
  bench::TPairTimer timer(state);
  for (auto _ : state)
    timer.Iteration([&] { OurEncode(bitmap); }, [&] { benchmark::DoNotOptimize(TheirEncode(false).data()); });
  timer.Report("encode baseline 2480x3508 4:2:0 q85",
               {"TsdJpegFormat::SaveToStream to memory, 24-bit BGR, optimised Huffman tables",
                kLibjpeg + " jpeg_write_scanlines row by row, JDCT_ISLOW, optimize_coding, JCS_RGB, to memory"});
}

// Our decoder allocates its page anew each time, the reference writes into
// a buffer it keeps: with the heap thresholds pinned that allocation reuses
// the same memory instead of faulting in fresh pages.
const bool gPinned = [] {
  bench::PinHeapThresholds();
  return true;
}();

}  // namespace

BENCHMARK(DecodeBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeProgressive)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Encode)->UseManualTime()->Unit(benchmark::kMillisecond);
