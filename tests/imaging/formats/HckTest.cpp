// HCK pictures: files written field by field from the format's layout (every
// plane kind, stored and packed, version 2 pages), round trips of our own
// files, box reduction on load, and refusal of cut or lying files.

#include <gtest/gtest.h>

#include <functional>

#include "tests/imaging/formats/HckFileBuilder.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/formats/HckGraphic.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/HckPlanes.h"
#include "imaging/formats/ImageFiler.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/resample/BoxDownsample.h"
#include "imaging/util/Packing.h"
#include "platform/rtl/BinaryIO.h"

using namespace hcktest;
using namespace imagingtest;

namespace {

void Load(const Bytes& file, TCustomBitmap32& bitmap, std::int32_t page = 0, TSize target = {4000, 4000}) {
  TMemoryStream s;
  Fill(s, file);
  THckImage().LoadFromStream(s, bitmap, page, target);
}

std::string LoadError(const Bytes& file, std::int32_t page = 0) {
  TCustomBitmap32 b;
  return ErrorOf<Exception>([&] { Load(file, b, page); });
}

Bytes Saved(const TCustomBitmap32& bitmap) {
  TMemoryStream s;
  THckImage().SaveToStream(s, bitmap);
  return s.Bytes();
}

// A 3 x 2 picture: the planes by pixel, top row first.
constexpr int kW = 3, kH = 2;
const Bytes kAlpha{0, 50, 100, 150, 200, 255};
const Bytes kRed{1, 2, 3, 4, 5, 6};
const Bytes kGreen{10, 20, 30, 40, 50, 60};
const Bytes kBlue{200, 201, 202, 203, 204, 205};
const Bytes kGrey{9, 99, 199, 0, 128, 255};
const std::vector<bool> kBits{true, false, true, true, false, false};

THeaderFields Fields(std::uint8_t a, std::uint8_t rgb, std::uint8_t grey, std::uint8_t compression = 0,
                     std::int32_t w = kW, std::int32_t h = kH) {
  return {.Width = w, .Height = h, .Alpha = a, .Red = rgb, .Green = rgb, .Blue = rgb, .Grey = grey, .Compression = compression};
}

// The raw pixel data fills width x ((sum of depths + 7) div 8) x height.
Bytes RawData(const THeaderFields& f, Bytes planes) {
  const unsigned bits = f.Alpha + f.Red + f.Green + f.Blue + f.Grey;
  planes.resize(static_cast<std::size_t>(f.Width) * ((bits + 7) / 8) * f.Height, 0);
  return planes;
}

Bytes StoredFile(const THeaderFields& f, const Bytes& planes) { return Concat({Header(f), RawData(f, planes)}); }

// Version 2: each page's byte count before its data.
Bytes PagedFile(THeaderFields f, std::initializer_list<std::pair<std::uint32_t, Bytes>> pages) {
  f.Version = 2;
  Bytes file = Header(f);
  for (const auto& [count, data] : pages) {
    Put32(file, count);
    file = Concat({file, data});
  }
  return file;
}

TSize Size(const TCustomBitmap32& b) { return {b.GetWidth(), b.GetHeight()}; }

TColor32 Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return a << 24 | r << 16 | g << 8 | b; }

Bytes PictureFile(int w, int h, const std::function<TColor32(int, int)>& colour) {
  TCustomBitmap32 b;
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, colour(x, y));
  return Saved(b);
}

}  // namespace

TEST(Hck, OurFilesHaveTheFormatsHeaderAndRoundTrip) {
  TCustomBitmap32 source, back;
  FillRandom(source, 37, 23, 1);
  const Bytes file = Saved(source);
  Bytes header = Header(Fields(8, 8, 0, 1, 37, 23));
  Put32(header, 37 * 23 * 4);  // raw length, then packed length
  Put32(header, static_cast<std::uint32_t>(file.size() - 32));
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 32), header);
  Load(file, back);
  EXPECT_EQ(Pixels(back), Pixels(source));
  // A picture without area leaves the bitmap alone.
  TCustomBitmap32 target;
  FillRandom(target, 3, 3, 2);
  const auto before = Pixels(target);
  Load(Header(Fields(8, 8, 0, 0, kW, 0)), target);
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
  const auto opaqueGrey = [](std::size_t i) { return Argb(255, kGrey[i], kGrey[i], kGrey[i]); };
  const TCase cases[] = {
      {"alpha and colour", Fields(8, 8, 0), Concat({kAlpha, kRed, kGreen, kBlue}),
       [](std::size_t i) { return Argb(kAlpha[i], kRed[i], kGreen[i], kBlue[i]); }},
      {"colour without alpha is opaque", Fields(0, 8, 0), Concat({kRed, kGreen, kBlue}),
       [](std::size_t i) { return Argb(255, kRed[i], kGreen[i], kBlue[i]); }},
      {"alpha alone is black", Fields(8, 0, 0), kAlpha, [](std::size_t i) { return Argb(kAlpha[i], 0, 0, 0); }},
      {"1-bit alpha", Fields(1, 8, 0), Concat({bits, kRed, kGreen, kBlue}),
       [](std::size_t i) { return Argb(kBits[i] ? 255 : 0, kRed[i], kGreen[i], kBlue[i]); }},
      {"1-bit grey is opaque black and white", Fields(0, 0, 1), noisyPadding,
       [](std::size_t i) { return kBits[i] ? 0xFFFFFFFFu : 0xFF000000u; }},
      {"8-bit grey", Fields(0, 0, 8), kGrey, opaqueGrey},
      {"grey with 8-bit alpha", Fields(8, 0, 8), Concat({kAlpha, kGrey}),
       [](std::size_t i) { return Argb(kAlpha[i], kGrey[i], kGrey[i], kGrey[i]); }},
      {"grey with 1-bit alpha", Fields(1, 0, 1), Concat({bits, noisyPadding}),
       [](std::size_t i) { return kBits[i] ? 0xFFFFFFFFu : 0x00000000u; }},
      {"grey replaces colour", Fields(0, 8, 8), Concat({kRed, kGreen, kBlue, kGrey}), opaqueGrey},
  };
  for (const TCase& c : cases) {
    for (std::uint8_t compression : {0, 1}) {
      THeaderFields f = c.Fields;
      f.Compression = compression;
      const Bytes raw = RawData(f, c.Planes);
      TCustomBitmap32 b;
      Load(Concat({Header(f), compression == 0 ? raw : PackedPixelData(raw)}), b);
      ASSERT_EQ(Size(b), (TSize{kW, kH})) << c.Name;
      for (std::size_t i = 0; i < kW * kH; ++i)
        EXPECT_EQ(b.GetBits()[i], c.Expected(i)) << c.Name << ", compression " << int(compression) << ", pixel " << i;
    }
  }
}

TEST(Hck, VersionTwoFilesHoldPagesEachAfterItsByteCount) {
  const Bytes second(kGrey.rbegin(), kGrey.rend()), packed = PackedPixelData(kGrey);
  const Bytes file = PagedFile(Fields(0, 0, 8), {{6u, kGrey}, {6u, second}});
  TCustomBitmap32 b;
  Load(file, b, 0);
  EXPECT_EQ(b.GetPixel(1, 0), Argb(255, 99, 99, 99));
  Load(file, b, 1);
  EXPECT_EQ(b.GetPixel(1, 0), Argb(255, 128, 128, 128));
  Load(PagedFile(Fields(0, 0, 8, 1), {{static_cast<std::uint32_t>(packed.size()), packed}}), b);
  EXPECT_EQ(b.GetPixel(2, 0), Argb(255, 199, 199, 199));
}

TEST(Hck, CutOrLyingFilesAreRefused) {
  const char* const corrupted = "Image file is corrupted";
  const char* const unpackable = "Unable to decompress";
  THeaderFields badSignature = Fields(8, 8, 0, 1), red4 = Fields(0, 8, 0);
  badSignature.Signature = std::string("HCX\0", 4);
  red4.Red = 4;
  const Bytes packed = PackedPixelData(kGrey);
  Bytes outerBlockTooLong = packed, packedLengthTooLong = packed;
  outerBlockTooLong[8] = 0xFF;
  outerBlockTooLong[11] = 0x7F;
  packedLengthTooLong[7] = 0xFF;
  const struct {
    const char* Name;
    Bytes File;
    std::int32_t Page;
    const char* Error;  // nullptr: any refusal
  } cases[] = {
      {"signature", Header(badSignature), 0, corrupted},
      {"negative width", Concat({Header(Fields(0, 0, 8, 0, -3, 2)), kGrey}), 0, corrupted},
      {"most negative height", Concat({Header(Fields(0, 0, 8, 0, 3, INT32_MIN)), kGrey}), 0, corrupted},
      {"4-bit red", StoredFile(red4, Concat({kRed, kGreen, kBlue})), 0, corrupted},
      // One pixel of 1-bit alpha and grey: two plane bytes, one byte reserved.
      {"planes past the stored data", Concat({Header(Fields(1, 0, 1, 0, 1, 1)), Bytes{0x80}}), 0, corrupted},
      {"planes past the packed data", Concat({Header(Fields(1, 0, 1, 1, 1, 1)), PackedPixelData({0x80})}), 0, corrupted},
      {"compression 2", StoredFile(Fields(0, 0, 8, 2), kGrey), 0, "No suitable codec found"},
      {"raw length too long", Concat({Header(Fields(0, 0, 8, 1)), PackedPixelData(kGrey, 7)}), 0, unpackable},
      {"unpacks past the raw length", Concat({Header(Fields(0, 0, 8, 1)), PackedPixelData(Bytes(7, 1), 6)}), 0, unpackable},
      {"packed length past the end", Concat({Header(Fields(0, 0, 8, 1)), packedLengthTooLong}), 0, unpackable},
      {"outer block past the end", Concat({Header(Fields(0, 0, 8, 1)), outerBlockTooLong}), 0, unpackable},
      {"version 1 page 1", StoredFile(Fields(0, 0, 8), kGrey), 1, "Requested non-existing page"},
      {"version 2 page 2", PagedFile(Fields(0, 0, 8), {{6u, kGrey}, {6u, kGrey}}), 2, "Requested non-existing page"},
      {"negative page count", PagedFile(Fields(0, 0, 8), {{0xFFFFFFFFu, kGrey}}), 0, corrupted},
      {"page count short of its data", PagedFile(Fields(0, 0, 8, 1), {{std::uint32_t(packed.size() - 1), packed}}), 0, unpackable},
      {"huge stored sides", Concat({Header(Fields(8, 8, 8, 0, INT32_MAX, INT32_MAX)), kGrey}), 0, nullptr},
      {"huge packed sides", Concat({Header(Fields(8, 8, 8, 1, INT32_MAX, INT32_MAX)), PackedPixelData(kGrey, ~0u)}), 0, nullptr},
      {"large sides, little data", Concat({Header(Fields(8, 8, 8, 1, 30000, 30000)), PackedPixelData(Bytes(64))}), 0, nullptr},
  };
  for (const auto& c : cases) {
    const std::string error = LoadError(c.File, c.Page);
    EXPECT_TRUE(c.Error ? error == c.Error : error != "no error") << c.Name << ": " << error;
  }
  // Every cut of a packed and of a stored file.
  TCustomBitmap32 picture;
  FillRandom(picture, 9, 5, 3);
  const Bytes ours = Saved(picture);
  const Bytes bitPlanes = StoredFile(Fields(1, 8, 1), Concat({BitPlane(kBits), kRed, kGreen, kBlue, BitPlane(kBits)}));
  for (const Bytes* file : {&ours, &bitPlanes}) {
    for (std::size_t cut = 0; cut < file->size(); ++cut) {
      const std::string error = LoadError(Bytes(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(cut)));
      EXPECT_TRUE(error == corrupted || error == unpackable) << cut << ": " << error;
    }
  }
}

TEST(Hck, PicturesLargerThanTheTargetAreReducedByBoxAveraging) {
  // Alternating black and white, 4 x 4 to 2 x 2: 255 x 2 div 4 per channel.
  TCustomBitmap32 b;
  Load(PictureFile(4, 4, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }), b, 0, {2, 2});
  ASSERT_EQ(Size(b), (TSize{2, 2}));
  for (TColor32 c : Pixels(b)) EXPECT_EQ(c, 0xFF7F7F7Fu);
  // 10 x 3 into 3 x 3: scale 0.3, so 3 x 1; column spans 0-2, 3-5 and 6-9, one span of all rows.
  Load(PictureFile(10, 3, [](int x, int y) { return 0xFF000000u | static_cast<TColor32>(x * 20 + y); }), b, 0, {3, 3});
  ASSERT_EQ(Size(b), (TSize{3, 1}));
  // (3 x (0 + 20 + 40) + 3 x (0 + 1 + 2)) div 9 = 21; 729 div 9 = 81; (3 x 600 + 4 x 3) div 12 = 151.
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0xFF000015u, 0xFF000051u, 0xFF000097u}));
  // The default target keeps proportions, and no side vanishes.
  const auto grey = [](int x, int) { return 0xFF000000u | static_cast<TColor32>(x % 256) * 0x010101u; };
  Load(PictureFile(8000, 2, grey), b);  // like 8000 x 2000: halved
  EXPECT_EQ(Size(b), (TSize{4000, 1}));
  EXPECT_EQ(b.GetPixel(1, 0), 0xFF020202u);  // mean of columns 2 and 3 over both rows: (2 + 3) x 2 div 4
  Load(PictureFile(10000, 1, grey), b);  // 0.4 of one row rounds to 0: kept at 1
  EXPECT_EQ(Size(b), (TSize{4000, 1}));
  Load(PictureFile(4001, 2, grey), b, 0, {-5, 100});  // a target without area: whole
  EXPECT_EQ(b.GetWidth(), 4001);
  // The graphic always loads the whole picture, as 32-bit pixels.
  TMemoryStream s;
  Fill(s, PictureFile(4001, 2, grey));
  THckGraphic graphic;
  graphic.LoadFromStream(s);
  EXPECT_EQ(graphic.GetPixelFormat(), pf32bit);
  EXPECT_EQ(graphic.GetSurface().Bits[4002], grey(1, 1));
}

namespace {

// A stored 8-bit grey picture whose grey is x / 7 + 3 x (y / 5), as bytes.
std::uint8_t BandedGrey(int x, int y) { return static_cast<std::uint8_t>(x / 7 + 3 * (y / 5)); }

Bytes StoredBandedGreyFile(std::int32_t width, std::int32_t height) {
  Bytes file = Header(Fields(0, 0, 8, 0, width, height));
  file.reserve(file.size() + std::size_t(width) * std::size_t(height));
  Bytes row(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    if (y % 5 == 0)
      for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = BandedGrey(x, y);
    file.insert(file.end(), row.begin(), row.end());
  }
  return file;
}

// The banded grey picture of width x height reduced at once, as reduced
// holds it. Under the sanitizers, which take many seconds for it, the
// loading itself is the point (they watch the band).
void ExpectReducedAsAWhole(const TCustomBitmap32& reduced, int width, int height) {
  if (imagingtest::Sanitized) return;
  TCustomBitmap32 whole, expected;
  whole.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      whole.GetBits()[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 0xFF000000u | BandedGrey(x, y) * 0x010101u;
  expected.SetSize(reduced.GetWidth(), reduced.GetHeight());
  imaging::BoxDownsample32(expected, expected.BoundsRect(), whole, whole.BoundsRect());
  EXPECT_TRUE(Pixels(reduced) == Pixels(expected));
}

}  // namespace

TEST(Hck, PicturesPastTheBudgetLoadReducedAndTheBudgetJudgesTheReducedSize) {
  // 72 million pixels, more than a loaded picture may have, load as
  // 4000 x 3556: the budget is asked about those, as the label charges them.
  const Bytes file = StoredBandedGreyFile(9000, 8000);
  std::vector<std::pair<std::int64_t, std::int64_t>> admitted;
  TCustomBitmap32 reduced;
  {
    const imaging::TPictureAdmission admission([&](std::int64_t w, std::int64_t h) { admitted.emplace_back(w, h); });
    TMemoryStream s;
    Fill(s, file);
    imaging::LoadRasterFromStream(s, ".hck", reduced, 0, TSize{0, 0});
  }
  ASSERT_EQ(Size(reduced), (TSize{4000, 3556}));
  EXPECT_EQ(admitted, (std::vector<std::pair<std::int64_t, std::int64_t>>{{4000, 3556}}));
  // Loaded whole, the same picture is past the budget.
  EXPECT_EQ(ErrorOf<EPictureTooLarge>([&] { Load(file, reduced, 0, TSize{0, 0}); }),
            "The picture is too large (9000 x 8000 pixels): a picture may have at most 64 million pixels");
  ExpectReducedAsAWhole(reduced, 9000, 8000);
}

TEST(Hck, VeryWidePicturesReduceInBandsOfTheirTallestRowSpan) {
  // 204000 x 155 into 4000 x 3: source row spans of 51, 52 and 52 rows,
  // while 16 MB of pixels are 20 such rows.
  TCustomBitmap32 reduced;
  Load(StoredBandedGreyFile(204000, 155), reduced, 0, TSize{4000, 155});
  ASSERT_EQ(Size(reduced), (TSize{4000, 3}));
  ExpectReducedAsAWhole(reduced, 204000, 155);
}

TEST(Hck, APictureToReduceHasAtMostTwiceTheBudgetOfPixels) {
  // Refused from the header alone, before any pixel data is looked at.
  const Bytes lying = Concat({Header(Fields(8, 8, 8, 1, 16384, 8193)), PackedPixelData(Bytes(16, 1))});
  EXPECT_EQ(LoadError(lying),
            "The picture is too large (16384 x 8193 pixels): a picture may have at most 128 million pixels");
  EXPECT_EQ(THckImage::MaxReducedSourcePixels, 128 << 20);
  // One pixel row fewer is read, and found short of data.
  EXPECT_EQ(LoadError(Concat({Header(Fields(8, 8, 8, 1, 16384, 8192)), PackedPixelData(Bytes(16, 1))})),
            "Unable to decompress");
}

TEST(Hck, PackedPlanesDecodeInBandsOfAnyOrderAsAWhole) {
  TCustomBitmap32 picture, whole;
  FillRandom(picture, 37, 23, 11);
  const Bytes file = Saved(picture);
  Load(file, whole, 0, TSize{0, 0});
  ASSERT_EQ(Pixels(whole), Pixels(picture));
  // The planes of the same file, decoded in bands from the last to the first.
  std::array<std::uint8_t, kHckHeaderSize> headerBytes{};
  std::copy_n(file.begin(), kHckHeaderSize, headerBytes.begin());
  const THckHeader header = imaging::DecodeHckHeader(headerBytes);
  // After the header, the raw and the packed length.
  auto unpacker = std::make_unique<imaging::TChainUnpacker>();
  ASSERT_EQ(unpacker->Open(file.data() + 32, file.size() - 32, header.RawSize()), imaging::cPackOk);
  imaging::THckPlaneSource source(std::move(unpacker), header.RawSize());
  imaging::THckPixelDecoder decoder(header, source);
  std::vector<TColor32> bands(37 * 23);
  for (std::size_t first = 37 * 23; first > 0;) {
    const std::size_t count = std::min<std::size_t>(first, 100);
    first -= count;
    decoder.Decode(first, count, bands.data() + first);
  }
  EXPECT_EQ(bands, Pixels(picture));
  EXPECT_THROW(decoder.Decode(37 * 23 - 5, 6, bands.data()), ERasterError);
}
