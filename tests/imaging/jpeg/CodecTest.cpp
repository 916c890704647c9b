// Markers, tables, transforms and hostile input of the JPEG codec.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "imaging/jpeg/JpegDct.h"
#include "imaging/jpeg/JpegHuffman.h"
#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;

namespace {

std::vector<std::uint8_t> SmallFile(bool progressive = false, int restart = 0) {
  return ReferenceEncode(MakePhoto(40, 24, 3, 1), {.Progressive = progressive, .RestartInterval = restart});
}

// Files a tolerant reader repairs or skips over, with the note it leaves.
TEST(Markers, RepairableFilesDecodeAsTheCleanOne) {
  const std::vector<std::uint8_t> clean = SmallFile(false, 1);
  std::vector<std::uint8_t> extended = clean, renumbered = clean;
  extended[FindMarker(clean, 0xC0) - 1] = 0xC1;  // extended sequential, coded as baseline
  int seen = 0;
  for (std::size_t i = FindMarker(clean, 0xDA); i + 1 < clean.size(); ++i)
    if (clean[i] == 0xFF && clean[i + 1] >= 0xD0 && clean[i + 1] <= 0xD7 && ++seen == 3) renumbered[i + 1] = 0xD5;
  ASSERT_EQ(renumbered.size(), clean.size());
  const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
      {Insert(clean, 0, {0xFF}), "Error: duplicate $FF encountered"},
      {Insert(clean, FindMarker(clean, 0xDB) - 2, {1, 2, 3}), "Error: marker expected at"},
      {extended, ""},
      {renumbered, "WARNING: Restart interval error (expected: 2, found: 5)"}};
  const Image expected = OwnDecode(clean);
  for (const auto& [file, note] : cases) {
    std::vector<std::string> trace;
    EXPECT_EQ(LoadError(file, &trace), "") << note;
    EXPECT_TRUE(Contains(trace, note)) << note;
    EXPECT_EQ(OwnDecode(file).Pixels, expected.Pixels) << note;
  }
  EXPECT_NE(renumbered, clean);
}

TEST(Markers, LoadedSegmentsAndANewCommentSurviveSaving) {
  TsdJpegFormat codec;
  TMemoryStream in, out;
  EXPECT_THROW(codec.SetComment("x"), EInvalidGraphic);  // nothing loaded yet
  EXPECT_THROW(codec.SaveToStream(out), EInvalidGraphic);
  const std::vector<std::uint8_t> app5 = {0xFF, 0xE5, 0x00, 0x07, 'h', 'e', 'l', 'l', 'o'};
  const std::vector<std::uint8_t> file = Insert(SmallFile(), 2 + 2 + 16, app5);  // after the JFIF segment
  Fill(in, file);
  codec.LoadFromStream(in);
  codec.SetComment("label");
  EXPECT_EQ(codec.GetComment(), "label");
  EXPECT_EQ(codec.GetMarkers()[2]->GetCode(), 0xFE);  // right after the JFIF segment
  codec.SaveToStream(out);
  const auto& saved = out.Bytes();
  EXPECT_NE(std::search(saved.begin(), saved.end(), app5.begin(), app5.end()), saved.end());
  // Saved from the loaded coefficients: the picture is unchanged.
  EXPECT_EQ(ReferenceDecode(saved).Picture.Pixels, ReferenceDecode(file).Picture.Pixels);
}

TEST(Markers, IccProfileIsChunkedAndReassembledInAnyOrder) {
  std::vector<std::uint8_t> bytes(130000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  TsdJpegICCProfile profile;
  profile.SetData(bytes);
  TsdJpegMarkerList written, reversed;
  profile.WriteToMarkers(written, nullptr);
  ASSERT_EQ(written.Count(), 3);
  for (int i = 2; i >= 0; --i) {  // reading sorts the chunks by number
    const auto* chunk = dynamic_cast<const TsdICCProfileMarker*>(written[i]);
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->ChunkNumber(), i + 1);
    EXPECT_EQ(chunk->ChunkCount(), 3);
    EXPECT_EQ(chunk->GetData().size(), 14u + (i < 2 ? 60000u : 10000u));
    auto copy = std::make_unique<TsdICCProfileMarker>(nullptr, 0xE2);
    copy->SetData(chunk->GetData());
    reversed.Add(std::move(copy));
  }
  // A chunk too short for its header is ignored.
  auto stub = std::make_unique<TsdICCProfileMarker>(nullptr, 0xE2);
  stub->SetData({'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0});
  reversed.Add(std::move(stub));
  TsdJpegICCProfile read;
  read.ReadFromMarkers(reversed);
  EXPECT_EQ(read.GetData(), bytes);
  // More than 255 chunks do not fit in a file.
  profile.SetData(std::vector<std::uint8_t>(255 * 60000 + 1));
  EXPECT_THROW(profile.WriteToMarkers(written, nullptr), EInvalidGraphic);
}

// Bytes written over a file after a marker, and the error they must raise.
struct Lie {
  bool Progressive;
  std::uint8_t Marker;
  int Offset;
  std::vector<std::uint8_t> Bytes;
  const char* Error;  // the message starts with this
};

TEST(Hostile, UnsupportedAndLyingSegmentsGiveClearErrors) {
  const Lie lies[] = {
      {false, 0xC0, -1, {0xC3}, "Unsupported encoding: SOF3"},
      {false, 0xC0, 0, {0, 1}, "Invalid length 1 of marker C0"},
      {false, 0xC0, 7, {0}, "Invalid number of frame components: 0"},
      {false, 0xC0, 9, {0x20}, "Invalid sampling factors in frame header"},
      {false, 0xC0, 9, {0x33, 0, 2, 0x22}, "Invalid sampling factors in frame header"},  // 2 x 2 does not divide 3 x 3
      {false, 0xC0, 3, {0xFF, 0xFF, 0xFF, 0xFF}, "The picture is too large (65535 x 65535 pixels)"},
      {false, 0xC0, 2, {12}, "Unsupported sample precision: 12 bits"},
      {false, 0xC4, 3, {3}, "Invalid Huffman table: too many codes for their lengths"},  // three codes of length 1
      {false, 0xC4, 2, {0x20}, "Invalid table class in DHT marker"},
      {false, 0xDA, 4, {0x33}, "Scan uses an undefined Huffman table"},
      {true, 0xDA, 10, {5}, "Invalid progressive parameters"},  // DC scan reaching into AC
      {true, 0xDA, 11, {0x0F}, "Invalid progressive parameters"},
  };
  const std::vector<std::uint8_t> files[] = {SmallFile(), SmallFile(true)};
  for (const Lie& lie : lies) {
    std::vector<std::uint8_t> file = files[lie.Progressive];
    const std::size_t at = FindMarker(file, lie.Marker) + static_cast<std::size_t>(lie.Offset);
    std::copy(lie.Bytes.begin(), lie.Bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    EXPECT_EQ(LoadError(file).rfind(lie.Error, 0), 0u) << lie.Error << ": " << LoadError(file);
  }
  // 3 x 3 luma against 1 x 1 chroma is fine.
  std::vector<std::uint8_t> file = files[0];
  file[FindMarker(file, 0xC0) + 9] = 0x33;
  EXPECT_EQ(LoadError(file).find("Invalid sampling"), std::string::npos);
}

TEST(Hostile, EveryTruncationFailsCleanly) {
  for (const auto& file : {SmallFile(), SmallFile(true, 2), OwnEncode(MakePhoto(20, 12, 1, 3), 70)}) {
    for (std::size_t size = 0; size < file.size() - 1; ++size) {
      const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_NE(LoadError(cut), "") << "cut at " << size;
    }
  }
}

TEST(Hostile, RandomCorruptionNeverCrashes) {
  std::mt19937 random(17);
  const std::vector<std::uint8_t> files[] = {SmallFile(), SmallFile(true, 1)};
  for (const auto& file : files)
    for (int round = 0; round < 300; ++round) {
      std::vector<std::uint8_t> bad = file;
      for (int flips = 0; flips < 4; ++flips)
        bad[std::uniform_int_distribution<std::size_t>(0, bad.size() - 1)(random)] = static_cast<std::uint8_t>(random());
      LoadError(bad);  // decodes or raises; the sanitizers watch the rest
    }
  SUCCEED();
}

TEST(Hostile, InputsFoundByTheFuzzer) {
  // Codes longer than 8 bits in a fresh table; an early restart marker that
  // moves decoding into block rows not yet allocated.
  for (const char* name : {"long_huffman_codes.bin", "early_restart.bin"}) LoadError(FuzzerInput(name));
}

// Direct evaluation of the 8 x 8 DCT formulas.
double Basis(int x, int u) { return (u == 0 ? std::sqrt(0.5) : 1.0) * std::cos((2 * x + 1) * u * M_PI / 16); }

TEST(Dct, TransformsFollowTheFormula) {
  std::mt19937 random(3);
  TsdQuantizationTable flat;
  flat.Quant.fill(1);
  TsdJpegIDCT accurate, fast;
  accurate.Setup(flat, dmAccurate, jsFull);
  fast.Setup(flat, dmFast, jsFull);
  TsdJpegFDCT forward;
  forward.Setup(flat);
  for (int round = 0; round < 200; ++round) {
    std::int16_t c[64] = {}, f[64];
    for (int k = 0; k < 64; ++k)
      if (random() % 3 == 0) c[k] = static_cast<std::int16_t>(static_cast<int>(random() % 120) - 60);
    c[0] = static_cast<std::int16_t>(static_cast<int>(random() % 800) - 400);
    std::uint8_t a[64], q[64], samples[64];
    accurate.InverseBlock(c, a, 8);
    fast.InverseBlock(c, q, 8);
    for (auto& s : samples) s = static_cast<std::uint8_t>(random());
    forward.ForwardBlock(samples, 8, f);
    for (int p = 0; p < 8; ++p)
      for (int r = 0; r < 8; ++r) {
        double inverse = 0, direct = 0;
        for (int j = 0; j < 8; ++j)
          for (int i = 0; i < 8; ++i) {
            inverse += c[j * 8 + i] * Basis(r, i) * Basis(p, j);
            direct += (samples[j * 8 + i] - 128) * Basis(i, r) * Basis(j, p);
          }
        const double expected = std::clamp(inverse / 4 + 128, 0.0, 255.0);
        EXPECT_NEAR(a[p * 8 + r], expected, 1.0);
        EXPECT_NEAR(q[p * 8 + r], expected, 2.5);
        EXPECT_NEAR(f[p * 8 + r], direct / 4, 1.0);
      }
  }
}

TEST(Huffman, SingleSymbolGetsTwoBitsAndLongCodesAreLimited) {
  std::array<std::uint32_t, 256> counts{};
  counts[7] = 100;
  const TsdDHTTable single = jpeg::OptimizedTable(counts, 0, 0);
  EXPECT_EQ(single.Counts[1], 1);
  EXPECT_EQ(single.Values, std::vector<std::uint8_t>{7});
  // Fibonacci counts would give codes of up to 40 bits.
  for (std::uint32_t s = 0, a = 1, b = 1; s < 40; ++s, b += a, a = b - a) counts[s] = a;
  const TsdDHTTable limited = jpeg::OptimizedTable(counts, 1, 0);
  double kraft = 0;
  int symbols = 0;
  for (int length = 1; length <= 16; ++length) {
    kraft += limited.Counts[static_cast<std::size_t>(length - 1)] * std::ldexp(1.0, -length);
    symbols += limited.Counts[static_cast<std::size_t>(length - 1)];
  }
  EXPECT_EQ(symbols, 40);
  EXPECT_LT(kraft, 1.0);  // a prefix code that leaves the all-ones code free
}

TEST(Codec, QualityScalesTheStandardTables) {
  // 11 x 5000 / 100 clamped to 255; the table entry itself; all ones.
  for (auto [quality, expected] : {std::pair{0, 255}, {50, 11}, {100, 1}})
    EXPECT_EQ(ReferenceDecode(OwnEncode(MakePhoto(8, 8, 3, 1), quality)).QuantTables[0][1], expected) << quality;
}

TEST(Codec, ComponentIdsSelectTheColourSpace) {
  std::vector<std::uint8_t> file = SmallFile();
  file.erase(file.begin() + 2, file.begin() + 2 + 2 + 16);  // drop the JFIF segment
  TsdJpegFormat codec;
  TMemoryStream in;
  Fill(in, file);
  codec.LoadFromStream(in);
  EXPECT_EQ(codec.DetectStoredColorSpace(), jcYCbCr);
  const std::size_t sof = FindMarker(file, 0xC0), sos = FindMarker(file, 0xDA);
  for (std::size_t i = 0; i < 3; ++i) file[sof + 8 + 3 * i] = file[sos + 3 + 2 * i] = static_cast<std::uint8_t>("RGB"[i]);
  Fill(in, file);
  codec.LoadFromStream(in);
  EXPECT_EQ(codec.DetectStoredColorSpace(), jcRGB);
}

TEST(Codec, ReducedLoadCannotBeSaved) {
  TsdJpegFormat codec;
  TMemoryStream in, out;
  Fill(in, SmallFile());
  codec.LoadScale = jsDiv2;
  codec.LoadFromStream(in);
  EXPECT_EQ(codec.GetWidth(), 20);
  EXPECT_EQ(imagingtest::ErrorOf<EInvalidGraphic>([&] { codec.SaveToStream(out); }),
            "Operation can only be performed with LoadScale = lsFull");
}

TEST(Codec, ColourHintsThatDoNotFitTheComponentCountAreIgnored) {
  const std::vector<std::uint8_t> grey = OwnEncode(MakePhoto(24, 16, 1, 5), 80);
  const Image expected = OwnDecode(grey);
  // Found by the fuzzer: an Adobe segment announcing YCbCr in a one-component
  // frame made the conversion read three samples per pixel from one.
  const std::vector<std::uint8_t> fuzzed = FuzzerInput("planar_overrun.bin");
  EXPECT_EQ(OwnDecode(fuzzed).Pixels, AsRgb(OwnDecode(fuzzed, jsFull, jcGray)).Pixels);
  // The same hint, and a CIELab hint, added to a grey file of our own.
  const std::vector<std::uint8_t> adobeYcc = {0xFF, 0xEE, 0, 14, 'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 1};
  const std::vector<std::uint8_t> g3fax = {0xFF, 0xE1, 0, 12, 'G', '3', 'F', 'A', 'X', 0, 0, 0, 0, 0};
  for (const auto& segment : {adobeYcc, g3fax}) {
    std::vector<std::uint8_t> file = grey;
    file.erase(file.begin() + 2, file.begin() + 2 + 2 + 16);  // drop the JFIF segment
    EXPECT_EQ(OwnDecode(Insert(file, 2, segment)).Pixels, expected.Pixels);
  }
  // A stored space forced by the caller: the samples are output as stored.
  TsdJpegFormat forced;
  std::vector<std::string> trace;
  forced.OnDebugOut = [&trace](TsdJpegFormat&, const std::string& text) { trace.push_back(text); };
  forced.StoredCS = jcYCbCr;
  TMemoryStream stream;
  Fill(stream, grey);
  forced.LoadFromStream(stream);
  const TsdJpegPixelMap& bitmap = forced.GetBitmap();
  EXPECT_EQ(bitmap.GetBytesPerPixel(), 1);
  EXPECT_TRUE(Contains(trace, "Warning: no color transform could be found"));
  for (int x = 0; x < 24; ++x) EXPECT_EQ(bitmap.Row(5)[x], expected.At(x, 5, 0));
}

}  // namespace
