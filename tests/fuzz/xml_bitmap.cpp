// A bitmap element built from arbitrary bytes: byte 0 picks the binary
// encoding and how far "CompressedSize" is off the true length, bytes 1-4
// give "SourceSize", the rest is the packed data. Loading must raise an
// exception, load nothing, or load a bitmap; the unpacked stream must have
// exactly the stated size. The element goes through a file first, in an
// encoding the input's length picks, and must come back as it was.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "imaging/startup/CoreStartUp.h"
#include "xml/XmlDocument.h"
#include "xml/bitmap/XmlBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUp();
  if (size < 5) return 0;
  TXmlDocument doc("Settings");
  doc.BinaryEncoding = (data[0] & 0x80) != 0 ? xbBinHex : xbBase64;
  const std::int64_t offBy = static_cast<std::int8_t>(data[0] << 1) / 32;
  const std::uint32_t sourceSize = static_cast<std::uint32_t>(data[1]) | data[2] << 8 | data[3] << 16 |
                                   static_cast<std::uint32_t>(data[4]) << 24;
  TXmlNode* element = doc.GetRoot()->AddChild("Thumb");
  element->WriteChildInt64("CompressedSize", static_cast<std::int64_t>(size - 5) + offBy, 0);
  element->WriteChildInt64("SourceSize", sourceSize, 0);
  element->AddChild("Buffer")->EncodeBinaryValue(data + 5, size - 5);
  const TXmlEncoding encodings[] = {xeUtf8, xeUtf16LE, xeUtf16BE};
  doc.ExternalEncoding = encodings[size % 3];
  TMemoryStream file;
  doc.SaveToStream(file);
  file.SetPosition(0);
  TXmlDocument read;
  read.LoadFromStream(file);
  if (read.WriteToString() != doc.WriteToString()) std::terminate();
  try {
    TMemoryStream stream;
    if (xml::ReadCompressedXmlBuffer(*read.GetRoot(), "Thumb", stream) && stream.GetSize() != sourceSize)
      std::terminate();
    std::unique_ptr<TBitmap32> bitmap;
    xml::LoadBitmapFromXmlNode(read.GetRoot(), "Thumb", bitmap);
  } catch (const Exception&) {
  }
  return 0;
}
