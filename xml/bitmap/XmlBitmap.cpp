#include "xml/bitmap/XmlBitmap.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/formats/PictureBudget.h"
#include "imaging/util/Packing.h"
#include "imaging/util/PackingChain.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Format.h"
#include "xml/XmlNode.h"

namespace xml {
namespace {

constexpr int kPlanes = 4;
// The stored stream is a 32-bit BMP: headers, then four bytes a pixel.
constexpr std::int64_t kBmpHeadersSize = 54;
constexpr std::int64_t kLargestStream = kBmpHeadersSize + 4 * imaging::MaxPicturePixels;

[[noreturn]] void CannotDecompress(std::string_view name) {
  throw EXmlError(rtl::Format("Unable to decompress bitmap \"%s\"", name));
}

// The stream's size must be what its own width and height make: "SourceSize"
// is only what the writer claimed.
bool SizeFitsHeader(TMemoryStream& stream) {
  const std::uint8_t* bytes = stream.Memory();
  // Not a BMP at all: the reader tells why.
  if (stream.GetSize() < kBmpHeadersSize || bytes[0] != 'B' || bytes[1] != 'M') return true;
  const std::int64_t width = rtl::FromLittleEndian<std::int32_t>(bytes + 18);
  const std::int64_t height = rtl::FromLittleEndian<std::int32_t>(bytes + 22);
  if (width < 0 || height == INT32_MIN) return false;
  const std::int64_t rows = height < 0 ? -height : height;
  // Divided rather than multiplied: sides of 2^31 make a product of bytes
  // past any 64-bit number.
  const std::int64_t pixelBytes = stream.GetSize() - kBmpHeadersSize;
  if (width == 0 || rows == 0) return pixelBytes == 0;
  return pixelBytes % (4 * width) == 0 && pixelBytes / (4 * width) == rows;
}

std::vector<std::uint8_t> DecodeBuffer(const TXmlNode& element, std::size_t size) {
  const TXmlNode* buffer = element.FindChild("Buffer");
  // Checked before anything is reserved for the stated size.
  if (buffer == nullptr || buffer->GetBinaryValueSize() < size) throw EXmlError("Missing data in binary stream");
  std::vector<std::uint8_t> bytes(size);
  buffer->DecodeBinaryValue(bytes.data(), size);
  return bytes;
}

}  // namespace

bool ReadCompressedXmlBuffer(const TXmlNode& node, std::string_view name, TMemoryStream& stream) {
  const TXmlNode* element = node.FindChild(name);
  if (element == nullptr) return false;
  const std::int64_t compressedSize = element->ReadChildInt64("CompressedSize", 0);
  const std::int64_t sourceSize = element->ReadChildInt64("SourceSize", 0);
  if (compressedSize == 0 || sourceSize == 0) return false;
  // Nothing is reserved for more than the largest picture the program takes.
  if (compressedSize < 0 || sourceSize < 0 || sourceSize > kLargestStream) CannotDecompress(name);
  const std::vector<std::uint8_t> packed = DecodeBuffer(*element, static_cast<std::size_t>(compressedSize));
  std::vector<std::uint8_t> unpacked;
  if (imaging::ChainUnpack(packed.data(), packed.size(), static_cast<std::size_t>(sourceSize), unpacked) !=
      imaging::cPackOk)
    CannotDecompress(name);
  stream.SetSize(sourceSize);
  std::memcpy(stream.Memory(), unpacked.data(), unpacked.size());
  stream.SetPosition(0);
  return true;
}

void LoadBitmapFromXmlNode(const TXmlNode* node, std::string_view name, std::unique_ptr<TBitmap32>& bitmap) {
  if (node == nullptr || name.empty()) return;
  TMemoryStream stream;
  if (!ReadCompressedXmlBuffer(*node, name, stream)) return;
  imaging::MergePlanes(stream.Memory(), stream.Memory(), static_cast<std::size_t>(stream.GetSize()), kPlanes);
  if (!SizeFitsHeader(stream)) CannotDecompress(name);
  if (bitmap == nullptr) bitmap = std::make_unique<TBitmap32>();
  bitmap->LoadFromStream(stream);
}

}  // namespace xml
