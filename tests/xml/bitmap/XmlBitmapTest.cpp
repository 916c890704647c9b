// Bitmaps stored in XML, built by hand: the BMP stream written field by
// field, split into planes, packed by the hand-made chain and placed in XML
// text that the parser reads. Missing, lying and cut data must give the
// documented results or errors.

#include <gtest/gtest.h>

#include "platform/rtl/Format.h"
#include "tests/imaging/formats/HckFileBuilder.h"
#include "xml/Base64.h"
#include "xml/XmlDocument.h"
#include "xml/bitmap/XmlBitmap.h"

using hcktest::Bytes;

namespace {

constexpr int kW = 5, kH = 3;

TColor32 PixelAt(int x, int y) {
  return static_cast<TColor32>(x * 50 + 5) << 24 | static_cast<TColor32>(y * 80 << 16 | x * y * 17 << 8 | (200 - x));
}

// A 32-bit BMP stream with a 54-byte header; rows bottom-up or top-down.
Bytes BmpStream(bool bottomUp) {
  Bytes out{'B', 'M'};
  const std::uint32_t height = static_cast<std::uint32_t>(bottomUp ? kH : -kH);
  for (std::uint32_t field : {54u + kW * kH * 4, 0u, 54u, 40u, std::uint32_t{kW}, height}) hcktest::Put32(out, field);
  out.insert(out.end(), {1, 0, 32, 0});
  for (std::uint32_t field : {0u, std::uint32_t{kW * kH * 4}, 0u, 0u, 0u, 0u}) hcktest::Put32(out, field);
  for (int row = 0; row < kH; ++row)
    for (int x = 0; x < kW; ++x) hcktest::Put32(out, PixelAt(x, bottomUp ? kH - 1 - row : row));
  return out;
}

// Plane c holds byte c of every 4-byte sample; the bytes past the last whole sample follow unchanged.
Bytes Planes(const Bytes& samples) {
  const std::size_t whole = samples.size() / 4 * 4;
  Bytes planes;
  for (std::size_t c = 0; c < 4; ++c)
    for (std::size_t i = c; i < whole; i += 4) planes.push_back(samples[i]);
  planes.insert(planes.end(), samples.begin() + static_cast<std::ptrdiff_t>(whole), samples.end());
  return planes;
}

struct TStored {
  std::string CompressedSize, SourceSize, Buffer;  // an empty one is left out
};

TStored Stored(const Bytes& packed, std::size_t sourceSize) {
  return {std::to_string(packed.size()), std::to_string(sourceSize), xml::EncodeBase64(packed.data(), packed.size())};
}

void Parse(TXmlDocument& doc, const TStored& s) {
  std::string text = "<Settings><Other>1</Other><Thumb>";
  const std::pair<const char*, std::string> children[] = {
      {"CompressedSize", s.CompressedSize}, {"SourceSize", s.SourceSize}, {"Buffer", s.Buffer}};
  for (const auto& [name, value] : children)
    if (!value.empty()) text += rtl::Format("<%s>%s</%s>", name, value, name);
  doc.ReadFromString(text + "</Thumb></Settings>");
}

std::string LoadResult(const TStored& s) {
  TXmlDocument doc;
  Parse(doc, s);
  std::unique_ptr<TBitmap32> bitmap;
  try {
    xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Thumb", bitmap);
  } catch (const Exception& e) {
    return e.what();
  }
  return bitmap == nullptr ? "nothing loaded" : "loaded";
}

}  // namespace

TEST(XmlBitmap, LoadsAHandBuiltElementInBothRowOrdersAndBothEncodings) {
  std::unique_ptr<TBitmap32> bitmap;
  for (const auto& [bottomUp, encoding] : {std::pair{true, xbBase64}, std::pair{false, xbBinHex}}) {
    const Bytes bmp = BmpStream(bottomUp), packed = hcktest::ChainPackedByHand(Planes(bmp));
    TXmlDocument doc;
    doc.BinaryEncoding = encoding;
    Parse(doc, Stored(packed, bmp.size()));
    doc.GetRoot()->FindChild("Thumb")->FindChild("Buffer")->EncodeBinaryValue(packed.data(), packed.size());
    TMemoryStream stream;
    ASSERT_TRUE(xml::ReadCompressedXmlBuffer(*doc.GetRoot(), "Thumb", stream));
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(stream.Bytes(), Planes(bmp));
    TBitmap32* before = bitmap.get();
    xml::LoadBitmapFromXmlNode(doc.GetRoot(), "thumb", bitmap);  // names without regard to case
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(before == nullptr || bitmap.get() == before) << "an existing bitmap is loaded in place";
    ASSERT_EQ(std::pair(bitmap->GetWidth(), bitmap->GetHeight()), std::pair(kW, kH));
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) EXPECT_EQ(bitmap->GetPixel(x, y), PixelAt(x, y)) << x << "," << y;
    bitmap->SetSize(1, 1);
  }
}

TEST(XmlBitmap, MissingOrLyingSizesLoadNothingOrAreRefusedWithTheReason) {
  const Bytes bmp = BmpStream(false), packedBytes = hcktest::ChainPackedByHand(Planes(bmp));
  const TStored good = Stored(packedBytes, bmp.size());
  const std::string packed = good.CompressedSize, source = good.SourceSize, buffer = good.Buffer;
  const std::string missing = "Missing data in binary stream", corrupt = "Unable to decompress bitmap \"Thumb\"";
  const std::pair<TStored, std::string> cases[] = {
      {good, "loaded"},
      {{"", source, buffer}, "nothing loaded"},
      {{packed, "", buffer}, "nothing loaded"},
      {{packed, "0", buffer}, "nothing loaded"},
      {{"many", source, buffer}, "nothing loaded"},  // not a number: 0
      {{std::to_string(packedBytes.size() + 1), source, buffer}, missing},
      {{"1099511627776", source, buffer}, missing},
      {{packed, source, ""}, missing},
      {{std::to_string(packedBytes.size() - 1), source, buffer}, corrupt},
      {{"-1", source, buffer}, corrupt},
      {{packed, std::to_string(bmp.size() - 1), buffer}, corrupt},
      {{packed, std::to_string(bmp.size() + 1), buffer}, corrupt},
      {{packed, "2000000000", buffer}, corrupt},
      {{packed, "1099511627776", buffer}, corrupt},
      {{packed, "-5", buffer}, corrupt},
  };
  for (const auto& [stored, expected] : cases)
    EXPECT_EQ(LoadResult(stored), expected) << stored.CompressedSize << " " << stored.SourceSize;
  // A cut buffer never loads nothing silently (flipped bytes are the fuzz target's work).
  for (std::size_t cut = 1; cut < packedBytes.size(); ++cut) {
    const Bytes part(packedBytes.begin(), packedBytes.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_NE(LoadResult(Stored(part, bmp.size())), "nothing loaded") << cut;
  }
  TXmlDocument doc;
  Parse(doc, good);
  auto bitmap = std::make_unique<TBitmap32>();
  bitmap->SetSize(2, 2);
  xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Missing", bitmap);
  EXPECT_EQ(bitmap->GetWidth(), 2) << "nothing stored leaves the bitmap alone";
  // A stream whose own sides do not make its size: a taller picture than the
  // pixels stored, or more bytes than its pixels need.
  // Sides of 2^31 - 1 each, whose product of bytes no 64-bit number holds.
  Bytes taller = bmp, longer = bmp, widest = bmp;
  taller[22] = 100;
  longer.insert(longer.end(), 4, 0);
  for (int i : {18, 19, 20, 22, 23, 24}) widest[i] = 0xFF;
  widest[21] = widest[25] = 0x7F;
  for (const Bytes& lying : {taller, longer, widest})
    EXPECT_EQ(LoadResult(Stored(hcktest::ChainPackedByHand(Planes(lying)), lying.size())), corrupt);
  // Packed data that unpacks well but is no bitmap: the BMP reader says so.
  Parse(doc, Stored(hcktest::ChainPackedByHand(Bytes(64, 'x')), 64));
  EXPECT_THROW(xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Thumb", bitmap), EInvalidGraphic);
}
