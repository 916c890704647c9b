// HCK pictures: files written field by field from the format's layout (every
// plane kind, stored and packed, version 2 pages), round trips of our own
// files, and refusal of cut or lying files with the format's messages.

#include <gtest/gtest.h>

#include <functional>

#include "HckFileBuilder.h"
#include "RasterTestSupport.h"
#include "imaging/CustomBitmap32.h"
#include "imaging/HckGraphic.h"
#include "imaging/HckImage.h"
#include "imaging/util/PackingChain.h"
#include "platform/rtl/BinaryIO.h"

using namespace hcktest;
using namespace rastertest;

namespace {

void Load(const Bytes& file, TCustomBitmap32& bitmap, std::int32_t page = 0, TSize target = {4000, 4000}) {
  TMemoryStream s;
  Fill(s, file);
  THckImage image;
  image.LoadFromStream(s, bitmap, page, target);
}

std::string LoadError(const Bytes& file, std::int32_t page = 0) {
  TCustomBitmap32 b;
  try {
    Load(file, b, page);
  } catch (const ERasterError& e) {
    return e.what();
  }
  return "no error";
}

Bytes Saved(const TCustomBitmap32& bitmap) {
  TMemoryStream s;
  THckImage image;
  image.SaveToStream(s, bitmap);
  return s.Bytes();
}

std::int32_t I32(const Bytes& b, std::size_t at) { return rtl::FromLittleEndian<std::int32_t>(&b[at]); }
std::uint32_t U32(const Bytes& b, std::size_t at) { return rtl::FromLittleEndian<std::uint32_t>(&b[at]); }

// A 3 x 2 picture: the planes by pixel, top row first.
constexpr int kW = 3, kH = 2;
const Bytes kAlpha{0, 50, 100, 150, 200, 255};
const Bytes kRed{1, 2, 3, 4, 5, 6};
const Bytes kGreen{10, 20, 30, 40, 50, 60};
const Bytes kBlue{200, 201, 202, 203, 204, 205};
const Bytes kGrey{9, 99, 199, 0, 128, 255};
const std::vector<bool> kBits{true, false, true, true, false, false};

THeaderFields Fields(std::uint8_t a, std::uint8_t rgb, std::uint8_t grey, std::uint8_t compression = 0) {
  THeaderFields f;
  f.Width = kW;
  f.Height = kH;
  f.Alpha = a;
  f.Red = f.Green = f.Blue = rgb;
  f.Grey = grey;
  f.Compression = compression;
  return f;
}

// Stored pixel data fills the raw size: width x ((sum of depths + 7) div 8) x height.
Bytes StoredFile(const THeaderFields& f, const Bytes& planes) {
  const unsigned bits = f.Alpha + f.Red + f.Green + f.Blue + f.Grey;
  Bytes data = planes;
  data.resize(static_cast<std::size_t>(f.Width) * ((bits + 7) / 8) * f.Height, 0xEE);
  return Concat({Header(f), data});
}

TColor32 Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

TEST(Hck, OurFileIsHeaderRawLengthPackedLengthAndTheFourPlanesPacked) {
  TCustomBitmap32 source;
  Paint(source, 37, 23, 1);
  const Bytes file = Saved(source);
  ASSERT_GE(file.size(), 32u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{'H', 'C', 'K', 0}));
  EXPECT_EQ(I32(file, 4), 37);
  EXPECT_EQ(I32(file, 8), 23);
  EXPECT_EQ(I32(file, 12), 1);
  EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 24), (Bytes{8, 8, 8, 8, 0, 1, 0, 0}));
  EXPECT_EQ(U32(file, 24), 37u * 23 * 4);
  EXPECT_EQ(U32(file, 28), file.size() - 32);
  // Unpacked, the data is the alpha, red, green and blue planes in that order.
  Bytes planes;
  ASSERT_EQ(imaging::ChainUnpack(&file[32], file.size() - 32, 37 * 23 * 4, planes), 0);
  const std::size_t n = 37 * 23;
  for (std::size_t i = 0; i < n; ++i) {
    const TColor32 c = source.GetBits()[i];
    ASSERT_EQ(planes[i], c >> 24);
    ASSERT_EQ(planes[n + i], (c >> 16) & 0xFF);
    ASSERT_EQ(planes[2 * n + i], (c >> 8) & 0xFF);
    ASSERT_EQ(planes[3 * n + i], c & 0xFF);
  }
  TCustomBitmap32 back;
  Load(file, back);
  ASSERT_EQ(back.GetWidth(), 37);
  ASSERT_EQ(back.GetHeight(), 23);
  EXPECT_EQ(Pixels(back), Pixels(source));
}

TEST(Hck, RoundTripsKeepEveryPixel) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 5}, {64, 64}, {301, 7}}) {
    TCustomBitmap32 source;
    Paint(source, w, h, static_cast<unsigned>(w * 31 + h));
    TCustomBitmap32 back;
    Load(Saved(source), back);
    EXPECT_EQ(Pixels(back), Pixels(source)) << w << " x " << h;
  }
}

TEST(Hck, AnEmptyPictureIsTheBareHeaderAndLeavesTheBitmapAlone) {
  TCustomBitmap32 empty;
  const Bytes file = Saved(empty);
  ASSERT_EQ(file.size(), 24u);
  EXPECT_EQ(I32(file, 4), 0);
  EXPECT_EQ(I32(file, 8), 0);
  TCustomBitmap32 target;
  Paint(target, 3, 3, 2);
  const auto before = Pixels(target);
  int changes = 0;
  target.OnChange = [&](TPersistent*) { ++changes; };
  Load(file, target);
  EXPECT_EQ(target.GetWidth(), 3);
  EXPECT_EQ(Pixels(target), before);
  EXPECT_EQ(changes, 0);
  // A width without height is no picture either.
  THeaderFields f = Fields(8, 8, 0);
  f.Height = 0;
  Load(Header(f), target);
  EXPECT_EQ(Pixels(target), before);
}

TEST(Hck, EveryPlaneKindDecodesAsTheFormatDefines) {
  struct TCase {
    const char* Name;
    THeaderFields Fields;
    Bytes Planes;
    std::function<TColor32(std::size_t)> Expected;
  };
  const Bytes bits = BitPlane(kBits);
  const Bytes noisyPadding = BitPlane(kBits, true);  // unused low bits set
  const TCase cases[] = {
      {"alpha and colour", Fields(8, 8, 0), Concat({kAlpha, kRed, kGreen, kBlue}),
       [](std::size_t i) { return Argb(kAlpha[i], kRed[i], kGreen[i], kBlue[i]); }},
      {"colour without alpha is opaque", Fields(0, 8, 0), Concat({kRed, kGreen, kBlue}),
       [](std::size_t i) { return Argb(255, kRed[i], kGreen[i], kBlue[i]); }},
      {"alpha alone is black", Fields(8, 0, 0), kAlpha, [](std::size_t i) { return Argb(kAlpha[i], 0, 0, 0); }},
      {"1-bit alpha", Fields(1, 8, 0), Concat({bits, kRed, kGreen, kBlue}),
       [](std::size_t i) { return kBits[i] ? Argb(255, kRed[i], kGreen[i], kBlue[i]) : Argb(0, kRed[i], kGreen[i], kBlue[i]); }},
      {"1-bit grey is opaque black and white", Fields(0, 0, 1), noisyPadding,
       [](std::size_t i) { return kBits[i] ? 0xFFFFFFFFu : 0xFF000000u; }},
      {"8-bit grey", Fields(0, 0, 8), kGrey, [](std::size_t i) { return Argb(255, kGrey[i], kGrey[i], kGrey[i]); }},
      {"grey with 8-bit alpha", Fields(8, 0, 8), Concat({kAlpha, kGrey}),
       [](std::size_t i) { return Argb(kAlpha[i], kGrey[i], kGrey[i], kGrey[i]); }},
      {"grey with 1-bit alpha", Fields(1, 0, 1), Concat({bits, noisyPadding}),
       [](std::size_t i) { return kBits[i] ? 0xFFFFFFFFu : 0x00000000u; }},
      {"grey replaces colour", Fields(0, 8, 8), Concat({kRed, kGreen, kBlue, kGrey}),
       [](std::size_t i) { return Argb(255, kGrey[i], kGrey[i], kGrey[i]); }},
  };
  for (const TCase& c : cases) {
    for (std::uint8_t compression : {0, 1}) {
      THeaderFields f = c.Fields;
      f.Compression = compression;
      const unsigned depthBits = f.Alpha + f.Red + f.Green + f.Blue + f.Grey;
      Bytes raw = c.Planes;
      raw.resize(static_cast<std::size_t>(kW) * ((depthBits + 7) / 8) * kH, 0);
      const Bytes file = compression == 0 ? StoredFile(f, c.Planes) : Concat({Header(f), PackedPixelData(raw)});
      TCustomBitmap32 b;
      Load(file, b);
      ASSERT_EQ(b.GetWidth(), kW) << c.Name;
      ASSERT_EQ(b.GetHeight(), kH) << c.Name;
      for (std::size_t i = 0; i < kW * kH; ++i)
        EXPECT_EQ(b.GetBits()[i], c.Expected(i)) << c.Name << ", compression " << int(compression) << ", pixel " << i;
    }
  }
}

TEST(Hck, VersionTwoFilesHoldPagesEachAfterItsByteCount) {
  THeaderFields f = Fields(0, 0, 8);
  f.Version = 2;
  Bytes first = kGrey, second(kGrey.rbegin(), kGrey.rend());
  Bytes file = Header(f);
  Put32(file, static_cast<std::uint32_t>(first.size()));
  file = Concat({file, first});
  Put32(file, static_cast<std::uint32_t>(second.size()));
  file = Concat({file, second});
  for (std::int32_t page : {0, 1}) {
    TCustomBitmap32 b;
    Load(file, b, page);
    const Bytes& grey = page == 0 ? first : second;
    for (std::size_t i = 0; i < kW * kH; ++i) EXPECT_EQ(b.GetBits()[i], Argb(255, grey[i], grey[i], grey[i])) << page;
  }
  EXPECT_EQ(LoadError(file, 2), "Requested non-existing page");
  // A packed page is read within its count.
  f.Compression = 1;
  const Bytes packed = PackedPixelData(kGrey);
  Bytes packedFile = Header(f);
  Put32(packedFile, static_cast<std::uint32_t>(packed.size()));
  TCustomBitmap32 b;
  Load(Concat({packedFile, packed}), b);
  EXPECT_EQ(b.GetBits()[1], Argb(255, 99, 99, 99));
  // Counts that are negative or run past the end.
  for (std::uint32_t count : {0xFFFFFFFFu, 7u, 0x7FFFFFFFu}) {
    Bytes lying = Header(Fields(0, 0, 8));
    rtl::ToLittleEndian(std::int32_t{2}, &lying[12]);
    Put32(lying, count);
    EXPECT_EQ(LoadError(Concat({lying, kGrey})), "Image file is corrupted") << count;
  }
  // A count shorter than the pixel data it announces.
  Bytes shortPage = Header(f);
  Put32(shortPage, static_cast<std::uint32_t>(packed.size() - 1));
  EXPECT_EQ(LoadError(Concat({shortPage, packed})), "Unable to decompress");
}

TEST(Hck, VersionOneHasOnlyPageZero) {
  const Bytes file = StoredFile(Fields(0, 0, 8), kGrey);
  EXPECT_EQ(LoadError(file, 1), "Requested non-existing page");
  EXPECT_EQ(LoadError(file, -1), "no error");
}

TEST(Hck, DepthsTheFormatHasNotAreCorrupt) {
  THeaderFields f = Fields(0, 8, 0);
  f.Red = 4;
  EXPECT_EQ(LoadError(StoredFile(f, Concat({kRed, kGreen, kBlue}))), "Image file is corrupted");
  EXPECT_EQ(LoadError(StoredFile(Fields(2, 0, 0), kAlpha)), "Image file is corrupted");
  EXPECT_EQ(LoadError(StoredFile(Fields(0, 1, 0), kAlpha)), "Image file is corrupted");
  EXPECT_EQ(LoadError(StoredFile(Fields(0, 0, 16), Concat({kGrey, kGrey}))), "Image file is corrupted");
}

TEST(Hck, PlanesLongerThanTheReservedDataAreCorrupt) {
  // One pixel with 1-bit alpha and grey: two plane bytes, one byte reserved.
  THeaderFields f = Fields(1, 0, 1);
  f.Width = f.Height = 1;
  EXPECT_EQ(LoadError(Concat({Header(f), Bytes{0x80}})), "Image file is corrupted");
  f.Compression = 1;
  EXPECT_EQ(LoadError(Concat({Header(f), PackedPixelData(Bytes{0x80})})), "Image file is corrupted");
}

TEST(Hck, CompressionsOtherThanStoredAndPackedHaveNoCodec) {
  EXPECT_EQ(LoadError(StoredFile(Fields(0, 0, 8, 2), kGrey)), "No suitable codec found");
  EXPECT_EQ(LoadError(StoredFile(Fields(0, 0, 8, 255), kGrey)), "No suitable codec found");
}

TEST(Hck, PackedDataThatLiesIsRefused) {
  const THeaderFields f = Fields(0, 0, 8, 1);
  EXPECT_EQ(LoadError(Concat({Header(f), PackedPixelData(kGrey, 7)})), "Unable to decompress");
  // Data that unpacks to another length than the field says.
  EXPECT_EQ(LoadError(Concat({Header(f), PackedPixelData(Bytes(7, 1), 6)})), "Unable to decompress");
  Bytes data = PackedPixelData(kGrey);
  rtl::ToLittleEndian(std::uint32_t{0xFFFFFFF0u}, &data[4]);  // packed length past the end
  EXPECT_EQ(LoadError(Concat({Header(f), data})), "Unable to decompress");
  data = PackedPixelData(kGrey);
  data[8] = 0xFF;  // the outer block claims more than it holds
  data[11] = 0x7F;
  EXPECT_EQ(LoadError(Concat({Header(f), data})), "Unable to decompress");
}

TEST(Hck, HeadersThatLieAreRefused) {
  THeaderFields f = Fields(8, 8, 0, 1);
  f.Signature = "HCX";
  f.Signature.push_back('\0');
  EXPECT_EQ(LoadError(Header(f)), "Image file is corrupted");
  for (auto [w, h] : {std::pair{-3, 2}, {3, -2}, {-3, -2}, {INT32_MIN, INT32_MIN}}) {
    THeaderFields g = Fields(0, 0, 8);
    g.Width = w;
    g.Height = h;
    EXPECT_EQ(LoadError(Concat({Header(g), kGrey})), "Image file is corrupted") << w << " x " << h;
  }
  // Huge sizes over a few bytes of data: refused before anything that big is reserved.
  for (std::uint8_t compression : {0, 1}) {
    THeaderFields g = Fields(8, 8, 8, compression);
    g.Width = g.Height = INT32_MAX;
    const Bytes data = compression == 0 ? kGrey : PackedPixelData(kGrey, 0xFFFFFFFFu);
    EXPECT_NE(LoadError(Concat({Header(g), data})), "no error");
    g.Width = g.Height = 30000;
    EXPECT_NE(LoadError(Concat({Header(g), PackedPixelData(Bytes(64, 0))})), "no error");
  }
}

TEST(Hck, EveryCutOfAFileIsRefusedWithAFormatError) {
  TCustomBitmap32 picture;
  Paint(picture, 9, 5, 3);
  const Bytes packed = Saved(picture);
  const Bytes stored = StoredFile(Fields(1, 8, 1), Concat({BitPlane(kBits), kRed, kGreen, kBlue, BitPlane(kBits)}));
  for (const Bytes* file : {&packed, &stored}) {
    for (std::size_t cut = 0; cut < file->size(); ++cut) {
      const std::string error = LoadError(Bytes(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(cut)));
      EXPECT_TRUE(error == "Image file is corrupted" || error == "Unable to decompress") << cut << ": " << error;
    }
  }
}

TEST(Hck, AcceptsStreamLooksForTheSignatureAndPutsThePositionBack) {
  EXPECT_FALSE(THckImage::AcceptsStream(nullptr));
  const Bytes signature{'H', 'C', 'K', 0};
  for (std::size_t n = 0; n < 4; ++n) {
    TMemoryStream s;
    Fill(s, Bytes(signature.begin(), signature.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_FALSE(THckImage::AcceptsStream(&s)) << n;
    EXPECT_EQ(s.GetPosition(), 0);
  }
  TMemoryStream exact;
  Fill(exact, signature);
  EXPECT_TRUE(THckImage::AcceptsStream(&exact));
  TMemoryStream other;
  Fill(other, Bytes{'H', 'C', 'K', 'X', 0, 0});
  EXPECT_FALSE(THckImage::AcceptsStream(&other));
  // Asked where the data starts, inside a larger stream.
  TCustomBitmap32 small;
  Paint(small, 2, 2, 4);
  TMemoryStream inside;
  Fill(inside, Concat({Bytes{1, 2, 3}, Saved(small)}));
  inside.SetPosition(3);
  EXPECT_TRUE(THckImage::AcceptsStream(&inside));
  EXPECT_EQ(inside.GetPosition(), 3);
}

TEST(Hck, TheHeaderAndImageSizeAreKeptAfterALoad) {
  THeaderFields f = Fields(1, 0, 1);
  TMemoryStream s;
  Fill(s, StoredFile(f, Concat({BitPlane(kBits), BitPlane(kBits)})));
  THckImage image;
  TCustomBitmap32 b;
  image.LoadFromStream(s, b, 0, {0, 0});
  EXPECT_EQ(image.ImageWidth, kW);
  EXPECT_EQ(image.ImageHeight, kH);
  EXPECT_EQ(image.Header.AlphaBits, 1);
  EXPECT_EQ(image.Header.GreyBits, 1);
  EXPECT_EQ(image.Header.Compression, 0);
  EXPECT_EQ(s.GetPosition(), s.GetSize());
}

TEST(Hck, TheGraphicLoadsThePictureAsA32BitBitmap) {
  TCustomBitmap32 source;
  Paint(source, 5, 4, 6);
  TMemoryStream s;
  Fill(s, Saved(source));
  THckGraphic graphic;
  graphic.LoadFromStream(s);
  ASSERT_EQ(graphic.GetWidth(), 5);
  ASSERT_EQ(graphic.GetHeight(), 4);
  EXPECT_EQ(graphic.GetPixelFormat(), pf32bit);
  const TPixelSurface& surface = graphic.GetSurface();
  EXPECT_TRUE(std::equal(surface.Bits, surface.Bits + 20, source.GetBits()));
  TMemoryStream bad;
  Fill(bad, StoredFile(Fields(0, 0, 8, 9), kGrey));
  EXPECT_THROW(graphic.LoadFromStream(bad), ERasterError);
}

namespace {

// The file of a w x h picture whose pixel i has the colour colour(i).
Bytes PictureFile(int w, int h, const std::function<TColor32(int, int)>& colour) {
  TCustomBitmap32 b;
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, colour(x, y));
  return Saved(b);
}

}  // namespace

TEST(Hck, PicturesLargerThanTheTargetAreReducedByBoxAveraging) {
  // Alternating black and white, 4 x 4 to 2 x 2: 255 x 2 div 4 per channel.
  const Bytes checker = PictureFile(4, 4, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
  TCustomBitmap32 b;
  Load(checker, b, 0, {2, 2});
  ASSERT_EQ(b.GetWidth(), 2);
  ASSERT_EQ(b.GetHeight(), 2);
  for (TColor32 c : Pixels(b)) EXPECT_EQ(c, 0xFF7F7F7Fu);
  // 10 x 3 into 3 x 3: scale 0.3, so 3 x 1; column spans 0-2, 3-5 and 6-9, one span of all rows.
  const Bytes ramp = PictureFile(10, 3, [](int x, int y) { return 0xFF000000u | static_cast<TColor32>(x * 20 + y); });
  Load(ramp, b, 0, {3, 3});
  ASSERT_EQ(b.GetWidth(), 3);
  ASSERT_EQ(b.GetHeight(), 1);
  const int spans[3][2] = {{0, 3}, {3, 6}, {6, 10}};
  for (int column = 0; column < 3; ++column) {
    unsigned sum = 0, n = 0;
    for (int x = spans[column][0]; x < spans[column][1]; ++x)
      for (int y = 0; y < 3; ++y, ++n) sum += static_cast<unsigned>(x * 20 + y);
    EXPECT_EQ(b.GetPixel(column, 0), 0xFF000000u | (sum / n)) << column;
  }
}

TEST(Hck, TheDefaultTargetKeepsProportionsAndNoSideVanishes) {
  const auto grey = [](int x, int) { return 0xFF000000u | static_cast<TColor32>(x % 256) * 0x010101u; };
  TCustomBitmap32 b;
  Load(PictureFile(8000, 2, grey), b);  // like 8000 x 2000: halved
  EXPECT_EQ(b.GetWidth(), 4000);
  EXPECT_EQ(b.GetHeight(), 1);
  EXPECT_EQ(b.GetPixel(1, 0), 0xFF020202u);  // mean of columns 2 and 3 over both rows: (2 + 3) x 2 div 4
  Load(PictureFile(10000, 1, grey), b);  // 0.4 of one row rounds to 0: kept at 1
  EXPECT_EQ(b.GetWidth(), 4000);
  EXPECT_EQ(b.GetHeight(), 1);
  Load(PictureFile(4000, 3, grey), b);  // fits: whole
  EXPECT_EQ(b.GetWidth(), 4000);
  EXPECT_EQ(b.GetHeight(), 3);
  for (TSize target : {TSize{0, 0}, TSize{-5, 100}, TSize{5000, 5000}}) {
    Load(PictureFile(4001, 2, grey), b, 0, target);
    EXPECT_EQ(b.GetWidth(), 4001) << target.cx;
  }
  // The graphic always loads the whole picture.
  TMemoryStream s;
  Fill(s, PictureFile(4001, 2, grey));
  THckGraphic graphic;
  graphic.LoadFromStream(s);
  EXPECT_EQ(graphic.GetWidth(), 4001);
}
