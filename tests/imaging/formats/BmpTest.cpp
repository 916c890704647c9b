// 32-bit BMP writing checked by an independent reader (Python), and reading
// of files written by ImageMagick and by a Python generator
// (data/make_bmps.sh), including V4/V5 headers, top-down rows, palettes,
// 16-bit masks, and refusal of cut or lying files.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/formats/BmpDecoder.h"
#include "imaging/formats/BmpFormat.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

namespace {

using TBytes = std::vector<std::uint8_t>;
using imagingtest::Pixels;
using imagingtest::Solid;

std::string DataFile(const std::string& name) { return std::string(LABEL_TEST_DATA_DIR) + "/" + name; }

TBytes FileBytes(const std::string& name) { return imagingtest::ReadBytes(DataFile(name)); }

void Load(TCustomBitmap32& b, const TBytes& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  b.LoadFromStream(s);
}

void PutU32(TBytes& b, std::size_t at, std::uint32_t v) {
  if (at + 4 > b.size()) throw std::out_of_range("PutU32 past the end");
  rtl::ToLittleEndian(v, &b[at]);
}

TEST(Bmp, EmptyBitmapsAreJustTheHeaderAndOversizedOnesAreRefused) {
  TCustomBitmap32 empty, c;
  Solid(c, 3, 3, 0);
  TMemoryStream s;
  empty.SaveToStream(s);
  EXPECT_EQ(s.GetSize(), 54);
  s.SetPosition(0);
  c.LoadFromStream(s);
  EXPECT_TRUE(c.IsEmpty());
  // Sizes whose file would not fit the header's 32-bit size are refused.
  EXPECT_EQ(imaging::Bmp32FileSize(32767, 32767), 54u + 32767u * 32767u * 4u);
  EXPECT_THROW(imaging::Bmp32FileSize(65536, 16384), EInvalidGraphic);  // 2^32 + 54
  EXPECT_THROW(imaging::Bmp32FileSize(2147483647, 2147483647), EInvalidGraphic);
}

// Python parses the header and rows of our file and prints every pixel; we
// read the file back.
TEST(Bmp, AnIndependentReaderSeesOurPixels) {
  if (std::system("python3 -c pass") != 0) GTEST_SKIP() << "python3 is not available";
  TCustomBitmap32 a;
  imagingtest::FillRandom(a, 5, 4, 2);
  const imagingtest::ScratchFolder folder("imaging_test_bmp");  // named by the process: build trees apart
  const std::string base = folder.File("a");
  std::ofstream(base + ".py") << "import struct,sys\n"
                                 "d=open(sys.argv[1],'rb').read()\n"
                                 "assert d[:2]==b'BM' and struct.unpack_from('<I',d,2)[0]==len(d)\n"
                                 "off,hs,w,h,pl,bc,comp=struct.unpack_from('<IIiiHHI',d,10)\n"
                                 "assert hs==40 and pl==1 and bc==32 and comp==0\n"
                                 "rows=[d[off+r*w*4:off+(r+1)*w*4] for r in range(abs(h))]\n"
                                 "for row in (rows[::-1] if h>0 else rows):\n"
                                 "  print(' '.join('%d'%struct.unpack_from('<I',row,4*i)[0] for i in range(w)))\n";
  for (bool bottomUp : {true, false}) {
    a.SaveToFile(base + ".bmp", bottomUp);
    ASSERT_EQ(std::system(("python3 " + base + ".py " + base + ".bmp > " + base + ".txt").c_str()), 0);
    std::ifstream in(base + ".txt");
    std::vector<TColor32> seen;
    for (unsigned long v; in >> v;) seen.push_back(static_cast<TColor32>(v));
    EXPECT_EQ(seen, Pixels(a)) << bottomUp;
    TCustomBitmap32 back;
    back.LoadFromFile(base + ".bmp");
    EXPECT_EQ(Pixels(back), Pixels(a));
  }
}

// The source picture of data/make_bmps.sh.
TColor32 Source(int x, int y, bool withAlpha) {
  const int alpha = !withAlpha ? 255 : x == 1 && y == 1 ? 0 : x == 3 && y == 2 ? 128 : x == 6 && y == 4 ? 77 : 255;
  return static_cast<TColor32>(alpha) << 24 | static_cast<TColor32>(36 * x) << 16 | static_cast<TColor32>(60 * y) << 8 |
         static_cast<TColor32>((13 * x * y) % 256);
}

TEST(Bmp, ForeignFilesGiveTheSourcePixels) {
  for (const auto& [name, withAlpha] :
       {std::pair{"im_v3_24.bmp", false}, {"im_v5_24.bmp", false}, {"im_v3_8.bmp", false}, {"im_v5_32.bmp", true},
        {"py_v4_32_bitfields.bmp", true}, {"py_v4_32_topdown.bmp", true}, {"py_v3_32_topdown.bmp", true},
        {"py_v3_24_topdown.bmp", false}}) {
    TCustomBitmap32 b;
    b.LoadFromFile(DataFile(name));
    ASSERT_EQ(b.GetWidth(), 7);
    ASSERT_EQ(b.GetHeight(), 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        // A transparent pixel's colour is the writer's choice.
        const TColor32 expected = Source(x, y, withAlpha), mask = expected >> 24 == 0 ? 0xFF000000 : 0xFFFFFFFF;
        EXPECT_EQ(b.GetPixel(x, y) & mask, expected & mask) << name << " " << x << "," << y;
      }
  }
  // 16-bit 5-6-5 masks are scaled to eight bits.
  TCustomBitmap32 b;
  b.LoadFromFile(DataFile("py_v5_16_565.bmp"));
  const auto scale = [](TColor32 v, int bits) { return (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1); };
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const TColor32 s = Source(x, y, false);
      EXPECT_EQ(b.GetPixel(x, y), 0xFF000000u | scale((s >> 16 & 255) >> 3, 5) << 16 |
                                      scale((s >> 8 & 255) >> 2, 6) << 8 | scale((s & 255) >> 3, 5));
    }
}

// A 2 x 2 uncompressed 32-bit BMP written byte by byte, rows bottom up;
// pixel i is blue i, green 10 + i, red 20 + i and the given fourth byte.
TBytes Bmp32(const std::array<std::uint8_t, 4>& fourthBytes) {
  TBytes b(54 + 16, 0);
  b[0] = 'B', b[1] = 'M';
  PutU32(b, 2, 70), PutU32(b, 10, 54), PutU32(b, 14, 40), PutU32(b, 18, 2), PutU32(b, 22, 2);
  b[26] = 1, b[28] = 32;
  for (std::size_t i = 0; i < 4; ++i) {
    b[54 + 4 * i] = static_cast<std::uint8_t>(i);
    b[55 + 4 * i] = static_cast<std::uint8_t>(10 + i);
    b[56 + 4 * i] = static_cast<std::uint8_t>(20 + i);
    b[57 + 4 * i] = fourthBytes[i];
  }
  return b;
}

// Pictures from elsewhere, through the BMP picture format and by file name:
// a fourth byte that is 0 everywhere means opaque, any other is alpha. The
// bitmap's own streams keep even an all-transparent bitmap as it was.
TEST(Bmp, AFourthByteThatIsAlwaysZeroMeansOpaqueAnyOtherIsAlpha) {
  const auto pixel = [](std::uint32_t i, std::uint32_t alpha) { return alpha << 24 | (20 + i) << 16 | (10 + i) << 8 | i; };
  const imagingtest::ScratchFolder folder("imaging_test_bmp_alpha");
  const std::function<void(TCustomBitmap32&, const TBytes&)> pictureRoads[] = {
      [](TCustomBitmap32& b, const TBytes& bytes) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        s.SetPosition(0);
        TdocBmpFormat().LoadFromStream(s, b, 0, TSize{0, 0});
      },
      [&folder](TCustomBitmap32& b, const TBytes& bytes) {
        const std::string file = folder.File("picture.dib");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        b.LoadFromFile(file);
      }};
  for (const auto& load : pictureRoads) {
    TCustomBitmap32 unused;
    load(unused, Bmp32({0, 0, 0, 0}));
    // Stored rows run bottom up: pixels 0 and 1 are the lower row.
    EXPECT_EQ(Pixels(unused), (std::vector<TColor32>{pixel(2, 255), pixel(3, 255), pixel(0, 255), pixel(1, 255)}));
    TCustomBitmap32 used;
    load(used, Bmp32({0, 0, 1, 0}));
    EXPECT_EQ(Pixels(used), (std::vector<TColor32>{pixel(2, 1), pixel(3, 0), pixel(0, 0), pixel(1, 0)}));
    TCustomBitmap32 mixed;
    load(mixed, Bmp32({255, 0, 128, 0}));
    EXPECT_EQ(Pixels(mixed), (std::vector<TColor32>{pixel(2, 128), pixel(3, 0), pixel(0, 255), pixel(1, 0)}));
  }
  TCustomBitmap32 own;
  Load(own, Bmp32({0, 0, 0, 0}));
  EXPECT_EQ(Pixels(own), (std::vector<TColor32>{pixel(2, 0), pixel(3, 0), pixel(0, 0), pixel(1, 0)}));
}

TEST(Bmp, CutOrLyingFilesAreRefusedWithTheReason) {
  const TBytes v5 = FileBytes("im_v5_32.bmp");
  ASSERT_EQ(v5.size(), 278u);
  const auto patched = [&](std::size_t at, std::uint32_t value) {
    TBytes bad = v5;
    PutU32(bad, at, value);
    return bad;
  };
  TBytes huge = patched(18, 100000), big = patched(18, 1000), pal = FileBytes("im_v3_8.bmp");
  PutU32(huge, 22, 100000);
  PutU32(big, 22, 1000);
  PutU32(pal, 46, 1000);
  const std::pair<TBytes, std::string> cases[] = {
      {TBytes(v5.begin(), v5.begin() + 10), "BMP data is truncated"},
      {TBytes(v5.begin(), v5.begin() + 60), "BMP data is truncated"},
      {TBytes(v5.begin(), v5.end() - 1), "BMP pixel data is truncated"},
      {patched(0, 0x00004D58), "Bitmap image is not valid"},
      {patched(10, 1000), "BMP pixel data is truncated"},  // pixels said to start past the end
      {patched(10, 20), "BMP pixel data overlaps its headers"},
      {patched(14, 200), "Unsupported BMP header size 200"},
      {huge, "The picture is too large (100000 x 100000 pixels): a picture may have at most 64 million pixels"},
      {big, "BMP pixel data is truncated"},
      {patched(22, 0x80000000u), "The picture is too large (7 x 2147483648 pixels): a picture may have at most 64 million pixels"},
      {patched(18, 0xFFFFFFF0u), "BMP width is negative"},
      {patched(26, 0x00200002), "BMP has 2 planes instead of 1"},
      {patched(26, 0x00070001), "Unsupported BMP depth of 7 bits"},
      {patched(30, 1), "BMP run-length compression 1 needs 8 bits per pixel"},
      {patched(30, 4), "Unsupported BMP compression 4"},
      {patched(54, 0x00FF00F0u), "BMP colour mask is not contiguous"},
      {pal, "BMP palette is larger than its depth allows"}};
  for (const auto& [bytes, message] : cases) {
    TCustomBitmap32 b;
    Solid(b, 2, 2, 0x11223344);
    EXPECT_EQ(imagingtest::ErrorOf<EInvalidGraphic>([&, &bytes = bytes] { Load(b, bytes); }), message);
    EXPECT_EQ(Pixels(b), std::vector<TColor32>(4, 0x11223344)) << message;  // left as it was
  }
}

TEST(Bmp, HeaderSizeAndPixelOffsetAreHonoured) {
  // The same 32-bit pixels behind a V5 header and 10 extra bytes of gap.
  TCustomBitmap32 a, c;
  imagingtest::FillRandom(a, 3, 2, 3);
  TMemoryStream plain;
  a.SaveToStream(plain, true);
  const TBytes b = plain.Bytes();
  TBytes v5(b.begin(), b.begin() + 54);
  PutU32(v5, 14, 124);
  v5.resize(14 + 124 + 10, 0xEE);
  PutU32(v5, 10, static_cast<std::uint32_t>(v5.size()));
  v5.insert(v5.end(), b.begin() + 54, b.end());
  Load(c, v5);
  EXPECT_EQ(Pixels(c), Pixels(a));
  EXPECT_THROW(c.LoadFromFile(DataFile("no such file.bmp")), EFOpenError);
}

}  // namespace
