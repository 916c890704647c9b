#pragma once
// 32-bit bitmaps stored inside XML documents. The element (named by the
// caller) holds "CompressedSize", "SourceSize" and "Buffer": the bytes of the
// bitmap's BMP stream, split into four byte planes, packed with the packing
// chain and written as a binary value. This library joins the XML model and
// the raster library; neither of them depends on the other.

#include <memory>
#include <string_view>

#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Stream.h"

class TXmlNode;

namespace xml {

// Unpacks the element name of node into stream (resized, at position 0) and
// answers true; false, with stream untouched, when the element is missing or
// either size is missing or 0. Raises EXmlError "Missing data in binary
// stream" when "Buffer" holds fewer bytes than "CompressedSize" says, and
// "Unable to decompress bitmap "%s"" for negative sizes or packed data that
// is inconsistent or does not unpack to "SourceSize" bytes, and for a
// "SourceSize" past the stream of the largest picture the program takes
// (PictureBudget.h), before anything is reserved for it.
bool ReadCompressedXmlBuffer(const TXmlNode& node, std::string_view name, TMemoryStream& stream);

// Loads the bitmap stored in element name of node, creating it when bitmap
// is null. Does nothing without a node or a name, or when nothing is stored.
// Raises "Unable to decompress bitmap "%s"" when the unpacked stream's size
// is not what its own width and height make; the BMP reader's errors pass
// through.
void LoadBitmapFromXmlNode(const TXmlNode* node, std::string_view name, std::unique_ptr<TBitmap32>& bitmap);

}  // namespace xml
