#include "xml/bitmap/XmlBitmap.h"

#include <cstring>
#include <vector>

#include "imaging/util/Packing.h"
#include "imaging/util/PackingChain.h"
#include "platform/rtl/Format.h"
#include "xml/XmlNode.h"

namespace xml {
namespace {

constexpr int kPlanes = 4;

[[noreturn]] void CannotDecompress(std::string_view name) {
  throw EXmlError(rtl::Format("Unable to decompress bitmap \"%s\"", name));
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
  if (compressedSize < 0 || sourceSize < 0) CannotDecompress(name);
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
  if (bitmap == nullptr) bitmap = std::make_unique<TBitmap32>();
  bitmap->LoadFromStream(stream);
}

}  // namespace xml
