#pragma once
// Decoded pictures shared between picture resources that hold the same
// bytes: a hundred shapes showing one picture keep its pixels and its bytes
// once. A picture lives as long as some resource holds it; the pool only
// remembers where to find it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "document/resources/MapStream.h"

class TBitmap32;

namespace document {

// The picture decoded from data (a raster file of the given extension):
// one that is still alive when it came from equal bytes and extension, and
// then data shares the blocks of those bytes; otherwise the result of
// decode(), remembered for later requests. A nil result of decode() is
// returned and not remembered. data is left at position 0.
std::shared_ptr<const TBitmap32> SharedPicture(TMapStream& data, const std::string& extension,
                                               const std::function<std::unique_ptr<TBitmap32>()>& decode);

// Pictures the pool can still hand out (for tests).
std::size_t LivePictureCount();

}  // namespace document
