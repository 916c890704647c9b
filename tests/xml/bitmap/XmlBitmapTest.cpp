// Bitmaps stored in XML, built by hand: the BMP stream written field by
// field, split into planes, packed by the hand-made chain, Base64-encoded
// here, and placed in XML text that the parser reads. Missing, lying and cut
// data must give the documented results or errors.

#include <gtest/gtest.h>

#include "tests/imaging/HckFileBuilder.h"
#include "xml/XmlDocument.h"
#include "xml/bitmap/XmlBitmap.h"

using hcktest::Bytes;

namespace {

constexpr int kW = 5, kH = 3;

TColor32 PixelAt(int x, int y) {
  return static_cast<TColor32>(x * 50 + 5) << 24 | static_cast<TColor32>(y * 80) << 16 |
         static_cast<TColor32>(x * y * 17) << 8 | static_cast<TColor32>(200 - x);
}

// A 32-bit BMP stream with a 54-byte header; rows bottom-up or top-down.
Bytes BmpStream(bool bottomUp) {
  Bytes out{'B', 'M'};
  const std::uint32_t pixelBytes = kW * kH * 4;
  hcktest::Put32(out, 54 + pixelBytes);
  hcktest::Put32(out, 0);
  hcktest::Put32(out, 54);
  hcktest::Put32(out, 40);
  hcktest::Put32(out, kW);
  hcktest::Put32(out, static_cast<std::uint32_t>(bottomUp ? kH : -kH));
  out.insert(out.end(), {1, 0, 32, 0});
  hcktest::Put32(out, 0);
  hcktest::Put32(out, pixelBytes);
  for (int i = 0; i < 4; ++i) hcktest::Put32(out, 0);
  for (int row = 0; row < kH; ++row) {
    const int y = bottomUp ? kH - 1 - row : row;
    for (int x = 0; x < kW; ++x) hcktest::Put32(out, PixelAt(x, y));
  }
  return out;
}

// Plane c holds byte c of every 4-byte sample; the bytes past the last whole sample follow unchanged.
Bytes SplitIntoPlanes(const Bytes& samples) {
  const std::size_t perPlane = samples.size() / 4;
  Bytes planes;
  for (std::size_t c = 0; c < 4; ++c)
    for (std::size_t i = 0; i < perPlane; ++i) planes.push_back(samples[i * 4 + c]);
  planes.insert(planes.end(), samples.begin() + static_cast<std::ptrdiff_t>(perPlane * 4), samples.end());
  return planes;
}

std::string Base64(const Bytes& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text += digits[n >> 18];
    text += digits[(n >> 12) & 63];
    text += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return text;
}

struct TStored {
  std::string CompressedSize;
  std::string SourceSize;
  std::string Buffer;
};

TStored Stored(const Bytes& bmp) {
  const Bytes packed = hcktest::ChainPackedByHand(SplitIntoPlanes(bmp));
  return {std::to_string(packed.size()), std::to_string(bmp.size()), Base64(packed)};
}

// <Settings><Thumb>...</Thumb></Settings>, leaving out empty children.
void Parse(TXmlDocument& doc, const TStored& s) {
  std::string text = "<Settings><Other>1</Other><Thumb>";
  if (!s.CompressedSize.empty()) text += "<CompressedSize>" + s.CompressedSize + "</CompressedSize>";
  if (!s.SourceSize.empty()) text += "<SourceSize>" + s.SourceSize + "</SourceSize>";
  if (!s.Buffer.empty()) text += "<Buffer>" + s.Buffer + "</Buffer>";
  doc.ReadFromString(text + "</Thumb></Settings>");
}

std::string LoadError(const TStored& s) {
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

void ExpectThePicture(const TBitmap32& b) {
  ASSERT_EQ(b.GetWidth(), kW);
  ASSERT_EQ(b.GetHeight(), kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) EXPECT_EQ(b.GetPixel(x, y), PixelAt(x, y)) << x << "," << y;
}

}  // namespace

TEST(XmlBitmap, LoadsAHandBuiltElementInBothRowOrders) {
  for (bool bottomUp : {false, true}) {
    TXmlDocument doc;
    Parse(doc, Stored(BmpStream(bottomUp)));
    std::unique_ptr<TBitmap32> bitmap;
    xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Thumb", bitmap);
    ASSERT_NE(bitmap, nullptr);
    ExpectThePicture(*bitmap);
    // An existing bitmap is loaded in place.
    TBitmap32* existing = bitmap.get();
    existing->SetSize(1, 1);
    xml::LoadBitmapFromXmlNode(doc.GetRoot(), "thumb", bitmap);  // names without regard to case
    EXPECT_EQ(bitmap.get(), existing);
    ExpectThePicture(*bitmap);
  }
}

TEST(XmlBitmap, ReadsBinHexBuffersByTheDocumentsEncoding) {
  const Bytes bmp = BmpStream(false);
  const Bytes packed = hcktest::ChainPackedByHand(SplitIntoPlanes(bmp));
  TXmlDocument doc;
  doc.BinaryEncoding = xbBinHex;
  Parse(doc, {std::to_string(packed.size()), std::to_string(bmp.size()), ""});
  doc.GetRoot()->FindChild("Thumb")->AddChild("Buffer")->EncodeBinaryValue(packed.data(), packed.size());
  std::unique_ptr<TBitmap32> bitmap;
  xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Thumb", bitmap);
  ASSERT_NE(bitmap, nullptr);
  ExpectThePicture(*bitmap);
}

TEST(XmlBitmap, TheUnpackedStreamHoldsThePlanesFromItsStart) {
  const Bytes bmp = BmpStream(true);
  TXmlDocument doc;
  Parse(doc, Stored(bmp));
  TMemoryStream stream;
  ASSERT_TRUE(xml::ReadCompressedXmlBuffer(*doc.GetRoot(), "Thumb", stream));
  EXPECT_EQ(stream.GetPosition(), 0);
  EXPECT_EQ(stream.Bytes(), SplitIntoPlanes(bmp));
}

TEST(XmlBitmap, NothingStoredLeavesTheBitmapAlone) {
  const TStored good = Stored(BmpStream(false));
  EXPECT_EQ(LoadError({"", good.SourceSize, good.Buffer}), "nothing loaded");
  EXPECT_EQ(LoadError({good.CompressedSize, "", good.Buffer}), "nothing loaded");
  EXPECT_EQ(LoadError({good.CompressedSize, "0", good.Buffer}), "nothing loaded");
  EXPECT_EQ(LoadError({"0", good.SourceSize, good.Buffer}), "nothing loaded");
  EXPECT_EQ(LoadError({"many", good.SourceSize, good.Buffer}), "nothing loaded");  // not a number: 0

  TXmlDocument doc;
  Parse(doc, good);
  auto bitmap = std::make_unique<TBitmap32>();
  bitmap->SetSize(2, 2);
  xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Missing", bitmap);
  xml::LoadBitmapFromXmlNode(doc.GetRoot(), "", bitmap);
  xml::LoadBitmapFromXmlNode(nullptr, "Thumb", bitmap);
  EXPECT_EQ(bitmap->GetWidth(), 2);
  std::unique_ptr<TBitmap32> none;
  xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Other", none);
  EXPECT_EQ(none, nullptr);
  TMemoryStream stream;
  EXPECT_FALSE(xml::ReadCompressedXmlBuffer(*doc.GetRoot(), "Missing", stream));
  EXPECT_EQ(stream.GetSize(), 0);
}

TEST(XmlBitmap, LyingSizesAreRefusedWithTheReason) {
  const TStored good = Stored(BmpStream(false));
  const std::size_t packed = std::stoul(good.CompressedSize), source = std::stoul(good.SourceSize);
  const std::string missing = "Missing data in binary stream";
  const std::string corrupt = "Unable to decompress bitmap \"Thumb\"";
  EXPECT_EQ(LoadError(good), "loaded");
  EXPECT_EQ(LoadError({std::to_string(packed + 1), good.SourceSize, good.Buffer}), missing);
  EXPECT_EQ(LoadError({"1099511627776", good.SourceSize, good.Buffer}), missing);
  EXPECT_EQ(LoadError({good.CompressedSize, good.SourceSize, ""}), missing);
  EXPECT_EQ(LoadError({std::to_string(packed - 1), good.SourceSize, good.Buffer}), corrupt);
  for (const std::string& size : {std::to_string(source - 1), std::to_string(source + 1), std::string("2000000000"),
                                  std::string("1099511627776"), std::string("-5")})
    EXPECT_EQ(LoadError({good.CompressedSize, size, good.Buffer}), corrupt) << size;
  EXPECT_EQ(LoadError({"-1", good.SourceSize, good.Buffer}), corrupt);
  // Packed data that unpacks well but is no bitmap: the BMP reader says so.
  const Bytes notBmp(64, 'x');
  const Bytes packedText = hcktest::ChainPackedByHand(notBmp);
  EXPECT_THROW(
      {
        TXmlDocument doc;
        Parse(doc, {std::to_string(packedText.size()), "64", Base64(packedText)});
        std::unique_ptr<TBitmap32> bitmap;
        xml::LoadBitmapFromXmlNode(doc.GetRoot(), "Thumb", bitmap);
      },
      EInvalidGraphic);
}

TEST(XmlBitmap, EveryCutOrFlippedByteEndsInAPictureOrAnError) {
  const Bytes bmp = BmpStream(false);
  const Bytes packed = hcktest::ChainPackedByHand(SplitIntoPlanes(bmp));
  for (std::size_t cut = 1; cut < packed.size(); ++cut) {
    const Bytes part(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
    const std::string result = LoadError({std::to_string(cut), std::to_string(bmp.size()), Base64(part)});
    EXPECT_NE(result, "nothing loaded") << cut;
  }
  for (std::size_t at = 0; at < packed.size(); at += 3) {
    Bytes bad = packed;
    bad[at] ^= 0xA5;
    const std::string result = LoadError({std::to_string(bad.size()), std::to_string(bmp.size()), Base64(bad)});
    EXPECT_NE(result, "nothing loaded") << at;
  }
}
