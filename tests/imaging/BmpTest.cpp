// 32-bit BMP writing checked by an independent reader (Python), and reading
// of files written by ImageMagick and by a Python generator
// (data/make_bmps.sh), including V4/V5 headers, top-down rows, palettes,
// 16-bit masks, and refusal of cut or lying files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "imaging/BmpDecoder.h"
#include "imaging/CustomBitmap32.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

namespace {

std::string DataFile(const std::string& name) { return std::string(LABEL_TEST_DATA_DIR) + "/" + name; }

std::vector<std::uint8_t> Bytes(const TMemoryStream& s) { return s.Bytes(); }

void Fill(TMemoryStream& s, const std::vector<std::uint8_t>& bytes) {
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) { return rtl::FromLittleEndian<std::uint32_t>(&b[at]); }
std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) { return rtl::FromLittleEndian<std::int32_t>(&b[at]); }
void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { rtl::ToLittleEndian(v, &b[at]); }

TEST(Bmp, SmallBitmapIsWrittenInBothRowOrders) {
  TCustomBitmap32 a;
  a.SetSize(2, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) a.SetPixel(x, y, 0x10203040u + static_cast<TColor32>(y * 0x100 + x) * 0x01000001u);
  for (bool bottomUp : {true, false}) {
    TMemoryStream s;
    a.SaveToStream(s, bottomUp);
    const auto b = Bytes(s);
    ASSERT_EQ(b.size(), 78u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), 78u);
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(I32(b, 18), 2);
    EXPECT_EQ(I32(b, 22), bottomUp ? 3 : -3);
    EXPECT_EQ(rtl::FromLittleEndian<std::uint16_t>(&b[26]), 1);
    EXPECT_EQ(rtl::FromLittleEndian<std::uint16_t>(&b[28]), 32);
    EXPECT_EQ(U32(b, 30), 0u);
    EXPECT_EQ(U32(b, 34), 24u);
    for (int row = 0; row < 3; ++row) {
      const int y = bottomUp ? 2 - row : row;
      for (int x = 0; x < 2; ++x) {
        const TColor32 c = a.GetPixel(x, y);
        const std::size_t at = 54 + static_cast<std::size_t>(row * 2 + x) * 4;
        EXPECT_EQ(b[at], c & 0xFF);
        EXPECT_EQ(b[at + 1], c >> 8 & 0xFF);
        EXPECT_EQ(b[at + 2], c >> 16 & 0xFF);
        EXPECT_EQ(b[at + 3], c >> 24);
      }
    }
    s.SetPosition(0);
    TCustomBitmap32 c;
    c.LoadFromStream(s);
    ASSERT_EQ(c.GetWidth(), 2);
    ASSERT_EQ(c.GetHeight(), 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.GetBits()[i], a.GetBits()[i]);
  }
}

TEST(Bmp, EmptyBitmapIsJustTheHeader) {
  TCustomBitmap32 a;
  TMemoryStream s;
  a.SaveToStream(s);
  const auto b = Bytes(s);
  ASSERT_EQ(b.size(), 54u);
  EXPECT_EQ(I32(b, 18), 0);
  EXPECT_EQ(I32(b, 22), 0);
  s.SetPosition(0);
  TCustomBitmap32 c;
  c.SetSize(3, 3);
  c.LoadFromStream(s);
  EXPECT_TRUE(c.IsEmpty());
}

TEST(Bmp, SizesThatDoNotFitTheHeaderAreRefused) {
  EXPECT_EQ(imaging::Bmp32FileSize(2, 3), 78u);
  EXPECT_EQ(imaging::Bmp32FileSize(32767, 32767), 54u + 32767u * 32767u * 4u);
  EXPECT_THROW(imaging::Bmp32FileSize(65536, 16384), EInvalidGraphic);  // 2^32 + 54
  EXPECT_THROW(imaging::Bmp32FileSize(2147483647, 2147483647), EInvalidGraphic);
}

// Python parses the header and rows of our file and prints every pixel.
TEST(Bmp, AnIndependentReaderSeesOurPixels) {
  if (std::system("python3 -c pass") != 0) GTEST_SKIP() << "python3 is not available";
  TCustomBitmap32 a;
  a.SetSize(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) a.SetPixel(x, y, static_cast<TColor32>(0x01000000u * (x * 50 + 3) + 0x10000u * (y * 60) + 0x100u * (x ^ y) + 7u));
  const auto dir = std::filesystem::temp_directory_path();
  for (bool bottomUp : {true, false}) {
    const std::string bmp = (dir / ("imaging_test_" + std::to_string(bottomUp) + ".bmp")).string();
    const std::string out = bmp + ".txt";
    a.SaveToFile(bmp, bottomUp);
    const std::string script =
        "import struct,sys\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "assert d[:2]==b'BM' and struct.unpack_from('<I',d,2)[0]==len(d)\n"
        "off,hs,w,h,pl,bc,comp=struct.unpack_from('<IIiiHHI',d,10)\n"
        "assert hs==40 and pl==1 and bc==32 and comp==0\n"
        "rows=[d[off+r*w*4:off+(r+1)*w*4] for r in range(abs(h))]\n"
        "rows=rows[::-1] if h>0 else rows\n"
        "print(w,abs(h))\n"
        "for row in rows:\n"
        "  print(' '.join('%08x'%struct.unpack_from('<I',row,4*i)[0] for i in range(w)))\n";
    const std::string scriptFile = bmp + ".py";
    std::ofstream(scriptFile) << script;
    ASSERT_EQ(std::system(("python3 " + scriptFile + " " + bmp + " > " + out).c_str()), 0);
    std::ifstream in(out);
    int w = 0, h = 0;
    in >> w >> h;
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        std::string hex;
        in >> hex;
        EXPECT_EQ(std::stoul(hex, nullptr, 16), a.GetPixel(x, y)) << x << "," << y;
      }
    std::filesystem::remove(bmp);
    std::filesystem::remove(out);
    std::filesystem::remove(scriptFile);
  }
}

// The source image of data/make_bmps.sh.
int SourceAlpha(int x, int y) {
  if (x == 1 && y == 1) return 0;
  if (x == 3 && y == 2) return 128;
  if (x == 6 && y == 4) return 77;
  return 255;
}
TColor32 Source(int x, int y, bool withAlpha) {
  return static_cast<TColor32>(withAlpha ? SourceAlpha(x, y) : 255) << 24 | static_cast<TColor32>(36 * x) << 16 |
         static_cast<TColor32>(60 * y) << 8 | static_cast<TColor32>((13 * x * y) % 256);
}

class ForeignBmp : public ::testing::TestWithParam<std::pair<const char*, bool>> {};

TEST_P(ForeignBmp, ReadsTheSourcePixels) {
  const auto [name, withAlpha] = GetParam();
  TCustomBitmap32 b;
  b.LoadFromFile(DataFile(name));
  ASSERT_EQ(b.GetWidth(), 7);
  ASSERT_EQ(b.GetHeight(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const TColor32 expected = Source(x, y, withAlpha);
      if (expected >> 24 == 0) {
        EXPECT_EQ(b.GetPixel(x, y) >> 24, 0u);  // a transparent pixel's colour is the writer's choice
      } else {
        EXPECT_EQ(b.GetPixel(x, y), expected) << name << " " << x << "," << y;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Bmp, ForeignBmp,
                         ::testing::Values(std::pair{"im_v3_24.bmp", false}, std::pair{"im_v5_24.bmp", false},
                                           std::pair{"im_v3_8.bmp", false}, std::pair{"im_v5_32.bmp", true},
                                           std::pair{"py_v4_32_bitfields.bmp", true},
                                           std::pair{"py_v4_32_topdown.bmp", true},
                                           std::pair{"py_v3_32_topdown.bmp", true},
                                           std::pair{"py_v3_24_topdown.bmp", false}));

TEST(Bmp, SixteenBitMasksAreScaledToEightBits) {
  TCustomBitmap32 b;
  b.LoadFromFile(DataFile("py_v5_16_565.bmp"));
  ASSERT_EQ(b.GetWidth(), 7);
  const auto scale = [](int v, int bits) { return (v * 255 + ((1 << bits) - 1) / 2) / ((1 << bits) - 1); };
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const TColor32 s = Source(x, y, false);
      const TColor32 expected = 0xFF000000u | static_cast<TColor32>(scale((s >> 16 & 255) >> 3, 5)) << 16 |
                                static_cast<TColor32>(scale((s >> 8 & 255) >> 2, 6)) << 8 |
                                static_cast<TColor32>(scale((s & 255) >> 3, 5));
      EXPECT_EQ(b.GetPixel(x, y), expected) << x << "," << y;
    }
}

std::vector<std::uint8_t> FileBytes(const std::string& name) {
  std::ifstream in(DataFile(name), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void ExpectRefused(std::vector<std::uint8_t> bytes, const std::string& message) {
  TCustomBitmap32 b;
  b.SetSize(2, 2);
  b.Clear(0x11223344);
  TMemoryStream s;
  Fill(s, bytes);
  try {
    b.LoadFromStream(s);
    ADD_FAILURE() << "accepted; expected: " << message;
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
  EXPECT_EQ(b.GetWidth(), 2);  // left as it was
  EXPECT_EQ(b.GetPixel(1, 1), 0x11223344u);
}

TEST(Bmp, CutOrLyingFilesAreRefusedWithTheReason) {
  const auto v5 = FileBytes("im_v5_32.bmp");
  ASSERT_EQ(v5.size(), 278u);
  ExpectRefused({v5.begin(), v5.begin() + 10}, "BMP data is truncated");
  ExpectRefused({v5.begin(), v5.begin() + 60}, "BMP data is truncated");
  ExpectRefused({v5.begin(), v5.end() - 1}, "BMP pixel data is truncated");
  auto bad = v5;
  bad[0] = 'X';
  ExpectRefused(bad, "Bitmap image is not valid");
  bad = v5;
  PutU32(bad, 10, 1000);  // pixels said to start past the end
  ExpectRefused(bad, "BMP pixel data is truncated");
  bad = v5;
  PutU32(bad, 10, 20);  // pixels said to start inside the headers
  ExpectRefused(bad, "BMP pixel data overlaps its headers");
  bad = v5;
  PutU32(bad, 14, 200);
  ExpectRefused(bad, "Unsupported BMP header size 200");
  bad = v5;
  PutU32(bad, 18, 100000);
  PutU32(bad, 22, 100000);
  ExpectRefused(bad, "BMP image is too large");
  bad = v5;
  PutU32(bad, 18, 1000);
  PutU32(bad, 22, 1000);
  ExpectRefused(bad, "BMP pixel data is truncated");
  bad = v5;
  PutU32(bad, 22, 0x80000000u);
  ExpectRefused(bad, "BMP image is too large");
  bad = v5;
  PutU32(bad, 18, 0xFFFFFFF0u);
  ExpectRefused(bad, "BMP width is negative");
  bad = v5;
  bad[26] = 2;
  ExpectRefused(bad, "BMP has 2 planes instead of 1");
  bad = v5;
  bad[28] = 7;
  ExpectRefused(bad, "Unsupported BMP depth of 7 bits");
  bad = v5;
  PutU32(bad, 30, 1);
  ExpectRefused(bad, "Unsupported BMP compression 1");
  bad = v5;
  PutU32(bad, 54, 0x00FF00F0u);
  ExpectRefused(bad, "BMP colour mask is not contiguous");
  auto pal = FileBytes("im_v3_8.bmp");
  PutU32(pal, 46, 1000);
  ExpectRefused(pal, "BMP palette is larger than its depth allows");
}

TEST(Bmp, HeaderSizeAndPixelOffsetAreHonoured) {
  // The same 32-bit pixels behind a V5 header and 10 extra bytes of gap.
  TCustomBitmap32 a;
  a.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) a.GetBits()[i] = 0x80000000u + static_cast<TColor32>(i) * 0x010203u;
  TMemoryStream plain;
  a.SaveToStream(plain, true);
  auto b = plain.Bytes();
  std::vector<std::uint8_t> v5(b.begin(), b.begin() + 54);
  PutU32(v5, 14, 124);
  v5.resize(14 + 124 + 10, 0xEE);
  PutU32(v5, 10, static_cast<std::uint32_t>(v5.size()));
  v5.insert(v5.end(), b.begin() + 54, b.end());
  TCustomBitmap32 c;
  TMemoryStream s;
  Fill(s, v5);
  c.LoadFromStream(s);
  ASSERT_EQ(c.GetWidth(), 3);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(c.GetBits()[i], a.GetBits()[i]);
}

TEST(Bmp, FilesThatAreNoBmpAreRefused) {
  const std::string path = (std::filesystem::temp_directory_path() / "imaging_test_not_a.bmp").string();
  std::ofstream(path) << "GIF89a....";
  TCustomBitmap32 b;
  EXPECT_THROW(b.LoadFromFile(path), EInvalidGraphic);
  std::filesystem::remove(path);
  EXPECT_THROW(b.LoadFromFile(path), EFOpenError);
}

}  // namespace
