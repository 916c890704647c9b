// Run-length compressed BMP files (BI_RLE8, BI_RLE4): files ImageMagick
// writes (whose runs go on over the row padding) and files built here with
// every construct of the format are read pixel for pixel as ImageMagick reads
// them; malformed runs are refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace {

using namespace imagingtest;

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

// The command's standard output; its exit status in status.
TBytes RunCommand(const std::string& command, int& status) {
  FILE* pipe = ::popen(command.c_str(), "r");
  TBytes output;
  std::uint8_t buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.insert(output.end(), buffer, buffer + n);
  status = pipe ? ::pclose(pipe) : -1;
  return output;
}

// ImageMagick's decode of the file as opaque pixels, top row first.
std::vector<TColor32> DecodedByImageMagick(const std::string& path, int width, int height) {
  int status = -1;
  const TBytes rgb = RunCommand("convert '" + path + "' -depth 8 rgb:- 2>/dev/null", status);
  EXPECT_EQ(status, 0) << "ImageMagick cannot read " << path;
  std::vector<TColor32> pixels;
  if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    ADD_FAILURE() << "ImageMagick gave " << rgb.size() << " bytes for " << path;
    return pixels;
  }
  for (std::size_t i = 0; i < rgb.size(); i += 3)
    pixels.push_back(0xFF000000u | std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
  return pixels;
}

std::vector<TColor32> DecodedByUs(const std::string& path) {
  TCustomBitmap32 bitmap;
  bitmap.LoadFromFile(path);
  return Pixels(bitmap);
}

// A bottom-up BMP with an information header, a full palette of distinct
// colours and the run-length data.
TBytes RunLengthBmp(int width, int height, std::uint16_t bits, const TBytes& data) {
  const std::uint32_t colours = 1u << bits, offset = 14 + 40 + 4 * colours;
  TBytes file(offset, 0);
  file[0] = 'B', file[1] = 'M';
  rtl::ToLittleEndian(static_cast<std::uint32_t>(offset + data.size()), &file[2]);
  rtl::ToLittleEndian(offset, &file[10]);
  rtl::ToLittleEndian(std::uint32_t{40}, &file[14]);
  rtl::ToLittleEndian(static_cast<std::int32_t>(width), &file[18]);
  rtl::ToLittleEndian(static_cast<std::int32_t>(height), &file[22]);
  rtl::ToLittleEndian(std::uint16_t{1}, &file[26]);
  rtl::ToLittleEndian(bits, &file[28]);
  rtl::ToLittleEndian(bits == 8 ? kRle8 : kRle4, &file[30]);
  rtl::ToLittleEndian(static_cast<std::uint32_t>(data.size()), &file[34]);
  rtl::ToLittleEndian(colours, &file[46]);
  for (std::uint32_t i = 0; i < colours; ++i) {
    file[54 + 4 * i] = static_cast<std::uint8_t>(i * 7);         // blue
    file[55 + 4 * i] = static_cast<std::uint8_t>(255 - i);       // green
    file[56 + 4 * i] = static_cast<std::uint8_t>(i * 16 + i / 16);  // red
  }
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

}  // namespace

bool HasImageMagick() { return std::system("convert -version >/dev/null 2>&1") == 0; }

TEST(BmpRunLength, FilesImageMagickWritesReadAsImageMagickReadsThem) {
  if (!HasImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed (scripts/install-deps.sh)";
  ScratchFolder scratch("bmp_rle");
  const std::pair<std::string, std::string> pictures[] = {
      {"37x23", "xc:white -fill red -draw 'rectangle 3,3 20,12' -fill blue -draw 'circle 25,15 30,18'"},
      {"1x1", "xc:navy"},
      {"300x7", "gradient:red-blue"},  // runs longer than 255 pixels
      {"64x48", "-seed 5 plasma:"},    // mostly literal runs
      {"33x9", "pattern:checkerboard"},
  };
  for (const auto& [size, picture] : pictures) {
    const std::string path = scratch.File(size + ".bmp");
    int status = -1;
    RunCommand("convert -size " + size + " " + picture + " -colors 200 -type Palette -compress RLE 'BMP3:" + path + "'",
        status);
    ASSERT_EQ(status, 0) << picture;
    const TBytes file = ReadBytes(path);
    ASSERT_GT(file.size(), 54u);
    ASSERT_EQ(file[30], kRle8) << size << ": ImageMagick wrote no run-length file";
    const int width = std::stoi(size), height = std::stoi(size.substr(size.find('x') + 1));
    EXPECT_EQ(DecodedByUs(path), DecodedByImageMagick(path, width, height)) << picture;
  }
}

// Runs of one and of two alternating indices, literal runs of odd and even
// length with their padding, line ends, jumps over pixels (which keep index
// 0), lines and a picture left unfinished, and the end marker.
TEST(BmpRunLength, EveryConstructReadsAsImageMagickReadsIt) {
  if (!HasImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed (scripts/install-deps.sh)";
  ScratchFolder scratch("bmp_rle");
  const std::tuple<const char*, std::uint16_t, int, int, TBytes> cases[] = {
      {"rle8", 8, 7, 5,
       {3, 200, 0, 3, 9, 8, 7, 0, 0, 0,            // run, odd literal with padding, line end
        0, 4, 1, 2, 3, 4, 0, 2, 2, 1,              // even literal, jump right 2 and up 1
        1, 77, 0, 0, 7, 5, 0, 0, 0, 2, 0, 1, 0, 1}},  // run to the line end, jump up, end
      {"rle4", 4, 9, 4,
       {5, 0x1F, 0, 0, 0, 3, 0x23, 0x40, 0, 0,   // alternating run, literal of 3 nibbles
        0, 6, 0x56, 0x78, 0x9A, 0, 2, 0xBC,       // literal of 6 nibbles, then a run
        0, 0, 0, 2, 1, 0, 8, 0xDE, 0, 1}},        // line end, jump right, run of 8 to the line end
      {"no-end-marker", 8, 4, 3, {4, 9, 0, 0, 2, 10, 0, 0, 0, 4, 1, 2, 3, 4}},
  };
  for (const auto& [name, bits, width, height, data] : cases) {
    const std::string path = scratch.File(std::string(name) + ".bmp");
    TBytes padded = data;
    padded.insert(padded.end(), {0, 0});  // ImageMagick reads two bytes past the end
    WriteBytes(path, RunLengthBmp(width, height, bits, padded));
    EXPECT_EQ(DecodedByUs(path), DecodedByImageMagick(path, width, height)) << name;
  }
}

TEST(BmpRunLength, MalformedRunsAreRefusedWithTheReasonLeavingTheBitmap) {
  const std::string pastLine = "BMP run-length data runs past the end of a line";
  const std::string pastPicture = "BMP run-length data runs past the end of the picture";
  const std::string jump = "BMP run-length jump leaves the picture";
  const std::string truncated = "BMP data is truncated";
  const std::tuple<std::uint16_t, TBytes, std::string> cases[] = {
      // Five pixels a line: runs may go on over the padding to eight.
      {8, {9, 1}, pastLine},
      {8, {6, 1, 3, 1}, pastLine},
      {8, {0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}, pastLine},
      {4, {0, 9, 0x12, 0x34, 0x56, 0x78, 0x90, 0}, pastLine},
      {4, {9, 0x12}, pastLine},
      {8, {0, 0, 0, 0, 0, 0, 1, 1}, pastPicture},
      {8, {0, 2, 0, 3, 1, 1}, pastPicture},
      {8, {0, 2, 9, 0}, jump},
      {8, {0, 2, 0, 4}, jump},
      {4, {0, 2, 1, 2, 0, 2, 8, 0}, jump},
      {8, {4}, truncated},
      {8, {0, 2, 1}, truncated},
      {8, {0, 3, 1, 2, 3}, truncated},  // the padding byte is missing
      {4, {0, 5, 0x12, 0x34}, truncated},
  };
  for (const auto& [bits, data, message] : cases) {
    TCustomBitmap32 bitmap;
    imagingtest::Solid(bitmap, 2, 2, 0x11223344);
    const TBytes file = RunLengthBmp(5, 3, bits, data);
    TMemoryStream stream;
    imagingtest::Fill(stream, file);
    EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { bitmap.LoadFromStream(stream); }), message)
        << ::testing::PrintToString(data);
    EXPECT_EQ(Pixels(bitmap), std::vector<TColor32>(4, 0x11223344)) << message;
  }
  // The compression must match the depth.
  for (const auto& [bits, message] :
       {std::pair<std::uint16_t, const char*>{4, "BMP run-length compression 1 needs 8 bits per pixel"},
        {8, "BMP run-length compression 2 needs 4 bits per pixel"}}) {
    TBytes file = RunLengthBmp(4, 3, bits, {0, 1});
    rtl::ToLittleEndian(bits == 8 ? kRle4 : kRle8, &file[30]);
    TMemoryStream stream;
    imagingtest::Fill(stream, file);
    TCustomBitmap32 bitmap;
    EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { bitmap.LoadFromStream(stream); }), message);
  }
}
