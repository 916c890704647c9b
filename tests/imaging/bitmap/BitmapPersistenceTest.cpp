// The pixels as the framework's writer and reader stream them: the "Data"
// value, written only where it differs from the ancestor.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/bitmap/Bitmap32.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Filer.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace {

using imagingtest::Pixels;

std::vector<std::uint8_t> Written(TCustomBitmap32& bitmap, const TPersistent* ancestor) {
  TMemoryStream stream;
  TWriter writer(stream, ancestor);
  writer.WriteProperties(bitmap);
  return stream.Bytes();
}

void Read(TPersistent& object, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  TReader reader(stream);
  reader.ReadProperties(object);
}

void Fill3x2(TCustomBitmap32& b) {
  b.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) b.GetBits()[i] = 0x11223300u + static_cast<TColor32>(i);
}

TEST(BitmapPersistence, DataHoldsSizeAndPixelsAndReadsBack) {
  TCustomBitmap32 source;
  Fill3x2(source);
  const std::vector<std::uint8_t> bytes = Written(source, nullptr);
  // "Data", 32 bytes: width 3, height 2, six pixels B G R A; then the end.
  std::vector<std::uint8_t> expected = {4, 'D', 'a', 't', 'a', 32, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0};
  for (std::uint8_t i = 0; i < 6; ++i) expected.insert(expected.end(), {i, 0x33, 0x22, 0x11});
  expected.push_back(0);
  EXPECT_EQ(bytes, expected);

  TCustomBitmap32 copy;
  int changes = 0;
  copy.OnChange = [&](TPersistent*) { ++changes; };
  Read(copy, bytes);
  EXPECT_EQ(copy.GetWidth(), 3);
  EXPECT_EQ(copy.GetHeight(), 2);
  EXPECT_EQ(Pixels(copy), Pixels(source));
  EXPECT_EQ(changes, 1);
}

TEST(BitmapPersistence, DataIsWrittenOnlyWhereItDiffersFromTheAncestor) {
  const std::vector<std::uint8_t> nothing = {0};
  TCustomBitmap32 empty, emptyToo, pixels, same, other;
  TBitmap32 sameInAnotherClass;
  TBitmap platformBitmap;
  Fill3x2(pixels);
  Fill3x2(same);
  Fill3x2(other);
  other.GetBits()[5] ^= 1;
  Fill3x2(sameInAnotherClass);

  EXPECT_EQ(Written(empty, nullptr), nothing);
  EXPECT_NE(Written(pixels, nullptr), nothing);
  EXPECT_EQ(Written(empty, &platformBitmap), nothing);  // an ancestor that is no bitmap
  EXPECT_NE(Written(pixels, &platformBitmap), nothing);
  EXPECT_EQ(Written(empty, &emptyToo), nothing);
  EXPECT_EQ(Written(pixels, &same), nothing);
  EXPECT_NE(Written(pixels, &other), nothing);
  EXPECT_NE(Written(pixels, &sameInAnotherClass), nothing);
  // Emptied against an ancestor with pixels: the empty size is written, and
  // reading it empties the copy made from the ancestor.
  const std::vector<std::uint8_t> emptied = Written(empty, &pixels);
  EXPECT_EQ(emptied.size(), 1 + 4 + 4 + 8 + 1u);
  TCustomBitmap32 fromAncestor;
  Fill3x2(fromAncestor);
  Read(fromAncestor, emptied);
  EXPECT_TRUE(fromAncestor.IsEmpty());
}

TEST(BitmapPersistence, UnknownOrDamagedValuesAreReadErrors) {
  TCustomBitmap32 bitmap, target;
  Fill3x2(bitmap);
  const std::vector<std::uint8_t> good = Written(bitmap, nullptr);
  auto message = [&](const std::vector<std::uint8_t>& bytes) -> std::string {
    try {
      Read(target, bytes);
    } catch (const EReadError& e) {
      return e.what();
    }
    return "";
  };
  std::vector<std::uint8_t> renamed = good;
  renamed[1] = 'X';
  EXPECT_EQ(message(renamed), "Property Xata does not exist");
  std::vector<std::uint8_t> longer = good;
  longer[5] = 200;  // more bytes than the stream holds
  EXPECT_EQ(message(longer), "Error reading Data");
  std::vector<std::uint8_t> extra = good;
  extra[5] = 33;  // one byte more than the pixels take
  extra.insert(extra.end() - 1, 0xAB);
  EXPECT_EQ(message(extra), "Error reading Data");
  std::vector<std::uint8_t> tall = good;
  tall[13] = 9;  // height 9: the pixels would run past the value
  EXPECT_EQ(message(tall), "Bitmap data is invalid or truncated");
  std::vector<std::uint8_t> widest = good;  // 2^31 - 1 by 2^31 - 1: four bytes a pixel overflow 64 bits
  for (const std::size_t side : {9u, 13u}) rtl::ToLittleEndian(std::int32_t{INT32_MAX}, &widest[side]);
  EXPECT_EQ(message(widest), "Bitmap data is invalid or truncated");
  EXPECT_EQ(message(std::vector<std::uint8_t>(good.begin(), good.end() - 1)), "Stream read error");  // no end mark
}

}  // namespace
