// Tile mode: a block of the picture decoded on its own must be exactly the
// same block cut from a full decode, whatever the sampling, restart interval
// and scale.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;

namespace {

struct Rect {
  int Left, Top, Right, Bottom;
};

// The rectangle widened to whole MCUs of mcuW x mcuH and cut to the picture.
Rect McuBounds(const Rect& r, int mcuW, int mcuH, int width, int height) {
  const int x0 = std::clamp(r.Left, 0, width), x1 = std::clamp(r.Right, 0, width);
  const int y0 = std::clamp(r.Top, 0, height), y1 = std::clamp(r.Bottom, 0, height);
  if (x1 <= x0 || y1 <= y0) return {0, 0, 0, 0};
  return {x0 / mcuW * mcuW, y0 / mcuH * mcuH, std::min((x1 + mcuW - 1) / mcuW * mcuW, width),
          std::min((y1 + mcuH - 1) / mcuH * mcuH, height)};
}

// The part of a picture decoded at divisor d that shows the full-size pixels of r.
Image Cut(const Image& picture, const Rect& r, int d) {
  Image part;
  part.Components = picture.Components;
  part.Width = (r.Right - r.Left + d - 1) / d;
  part.Height = (r.Bottom - r.Top + d - 1) / d;
  for (int y = 0; y < part.Height; ++y)
    for (int x = 0; x < part.Width; ++x)
      for (int c = 0; c < part.Components; ++c) part.Pixels.push_back(picture.At(r.Left / d + x, r.Top / d + y, c));
  return part;
}

void LoadTiled(TsdJpegFormat& codec, const std::vector<std::uint8_t>& file) {
  codec.LoadOptions = 1 << loTileMode;
  TMemoryStream stream;
  Fill(stream, file);
  codec.LoadFromStream(stream);
}

std::string TileError(TsdJpegFormat& codec) {
  try {
    TsdJpegPixelMap tile;
    codec.LoadTileBlock(tile, 0, 0, 8, 8);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "";
}

TEST(Tiles, EveryBlockEqualsTheSameRegionOfTheFullDecode) {
  struct Case {
    int Width, Height, Components, Hor, Ver, Restart;
  };
  const Case cases[] = {{83, 57, 3, 2, 2, 0},  {83, 57, 3, 2, 2, 3},  {200, 130, 3, 2, 1, 1}, {200, 130, 3, 1, 1, 10},
                        {17, 9, 3, 2, 2, 0},   {130, 70, 1, 1, 1, 0}, {130, 70, 1, 1, 1, 7},  {300, 40, 3, 1, 2, 2}};
  const Rect rects[] = {{0, 0, 1, 1},        {5, 3, 40, 33},     {17, 20, 18, 21},  {-10, -10, 1000, 1000},
                        {70, 50, 1000, 60},  {100, 8, 199, 129}, {33, 0, 160, 10},  {16, 16, 32, 32}};
  int checked = 0;
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> file = ReferenceEncode(
        MakePhoto(c.Width, c.Height, c.Components, 7), {.HorSampling = c.Hor, .VerSampling = c.Ver, .RestartInterval = c.Restart});
    const int mcuW = c.Components == 1 ? 8 : 8 * c.Hor, mcuH = c.Components == 1 ? 8 : 8 * c.Ver;
    for (TsdJpegScale scale : {jsFull, jsDiv2, jsDiv4, jsDiv8}) {
      const Image full = OwnDecode(file, scale);
      TsdJpegFormat codec;
      codec.LoadScale = scale;
      LoadTiled(codec, file);
      for (const Rect& r : rects) {
        const Rect bounds = McuBounds(r, mcuW, mcuH, c.Width, c.Height);
        if (bounds.Right == 0) continue;
        TsdJpegPixelMap tile;
        codec.LoadTileBlock(tile, r.Left, r.Top, r.Right, r.Bottom);
        const Image expected = Cut(full, bounds, 1 << scale);
        SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " sampling " << c.Hor << "x" << c.Ver
                                        << " restart " << c.Restart << " scale " << int(scale) << " rect " << r.Left
                                        << "," << r.Top << "," << r.Right << "," << r.Bottom);
        EXPECT_EQ(codec.GetWidth(), expected.Width);
        EXPECT_EQ(codec.GetHeight(), expected.Height);
        ASSERT_EQ(FromPixelMap(tile).Width, expected.Width);
        ASSERT_EQ(FromPixelMap(tile).Height, expected.Height);
        EXPECT_EQ(FromPixelMap(tile).Pixels, expected.Pixels);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 200);
}

TEST(Tiles, TilesInAnyOrderAndTheLibraryReferenceAgree) {
  const std::vector<std::uint8_t> file =
      ReferenceEncode(MakePhoto(160, 96, 3, 3), {.Quality = 92, .RestartInterval = 2});
  const Image reference = ReferenceDecode(file).Picture;
  TsdJpegFormat codec;
  codec.DCTCodingMethod = dmAccurate;
  LoadTiled(codec, file);
  // Bottom-right first, then top-left: a tile does not depend on the one before.
  for (const Rect& r : {Rect{128, 64, 160, 96}, Rect{0, 0, 32, 32}, Rect{48, 16, 96, 48}}) {
    TsdJpegPixelMap tile;
    codec.LoadTileBlock(tile, r.Left, r.Top, r.Right, r.Bottom);
    EXPECT_LE(MaxDifference(FromPixelMap(tile), Cut(reference, r, 1)), 2);
    EXPECT_EQ(FromPixelMap(tile).Pixels, Cut(OwnDecode(file), r, 1).Pixels);
  }
}

TEST(Tiles, TileModeTracesAndRefusals) {
  const std::vector<std::uint8_t> baseline = ReferenceEncode(MakePhoto(64, 48, 3, 1), {});
  const std::vector<std::uint8_t> progressive = ReferenceEncode(MakePhoto(64, 48, 3, 1), {.Progressive = true});
  TsdJpegFormat unloaded;
  EXPECT_EQ(TileError(unloaded), "Call LoadTileBlock only after LoadFromStream");

  TsdJpegFormat whole;  // loaded without tile mode
  TMemoryStream in;
  Fill(in, baseline);
  whole.LoadFromStream(in);
  EXPECT_EQ(TileError(whole), "Call LoadTileBlock only after LoadFromStream");

  TsdJpegFormat progressiveWhole;
  Fill(in, progressive);
  in.SetPosition(0);
  progressiveWhole.LoadFromStream(in);
  EXPECT_EQ(TileError(progressiveWhole), "Tiled loading only possible with baseline jpeg");

  TsdJpegFormat progressiveTiled;
  EXPECT_THROW(
      try { LoadTiled(progressiveTiled, progressive); } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot use tilemode with progressive jpeg");
        throw;
      },
      EInvalidGraphic);

  TsdJpegFormat tiled;
  std::vector<std::string> trace;
  tiled.OnDebugOut = [&](TsdJpegFormat&, const std::string& line) { trace.push_back(line); };
  LoadTiled(tiled, baseline);
  EXPECT_EQ(tiled.GetImageWidth(), 64);
  EXPECT_EQ(tiled.GetWidth(), 0);  // no tile yet
  TsdJpegPixelMap tile;
  tiled.LoadTileBlock(tile, 1, 2, 3, 4);
  EXPECT_TRUE(Contains(trace, "Load tile block 1,2, 3,4"));
  EXPECT_EQ(tile.GetWidth(), 16);
  EXPECT_EQ(tile.GetHeight(), 16);
  tiled.LoadTileBlock(tile, 40, 40, 40, 48);  // no pixel between left and right
  EXPECT_TRUE(tile.IsEmpty());
  TMemoryStream out;
  EXPECT_THROW(tiled.SaveToStream(out), EInvalidGraphic);
}

TEST(Tiles, AFrameCodedInSeveralScansIsRefusedInTileMode) {
  const std::vector<std::uint8_t> file = ReferenceEncode(MakePhoto(40, 24, 3, 1), {.SeparateScans = true});
  EXPECT_EQ(LoadError(file), "");  // decodes whole
  TsdJpegFormat codec;
  try {
    LoadTiled(codec, file);
    FAIL() << "loaded in tile mode";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Tiled loading needs all components in one scan");
  }
}

// Bytes between the end of an interval's data and its restart marker are
// passed over with a note of how many and where.
TEST(Tiles, SuperfluousBytesBeforeARestartMarkerAreReported) {
  const std::vector<std::uint8_t> clean = ReferenceEncode(MakePhoto(64, 32, 3, 4), {.RestartInterval = 1});
  std::size_t second = 0;
  int seen = 0;
  for (std::size_t i = FindMarker(clean, 0xDA); i + 1 < clean.size(); ++i)
    if (clean[i] == 0xFF && clean[i + 1] >= 0xD0 && clean[i + 1] <= 0xD7 && ++seen == 2) {
      second = i;
      break;
    }
  ASSERT_GT(second, 0u);
  const std::vector<std::uint8_t> padded = Insert(clean, second, {0x12, 0x34, 0x56});
  std::vector<std::string> trace;
  EXPECT_EQ(LoadError(padded, &trace), "");
  EXPECT_TRUE(Contains(trace, "WARNING: 3 superfluous bytes found at pos " + std::to_string(second)));
  EXPECT_EQ(OwnDecode(padded).Pixels, OwnDecode(clean).Pixels);
  std::vector<std::string> cleanTrace;
  EXPECT_EQ(LoadError(clean, &cleanTrace), "");
  EXPECT_FALSE(Contains(cleanTrace, "superfluous"));
}

}  // namespace
