#pragma once
// Pictures shared between picture resources that hold the same bytes: a
// hundred shapes showing one picture keep its bytes and its pixels once, and
// the label's budget counts it once. The pool only remembers where to find
// a picture: it lives as long as some resource (or budget) holds it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "document/resources/MapStream.h"

class TBitmap32;

namespace document {

// One picture's bytes: every resource that holds equal bytes of the same
// extension holds the same object, which stands for the picture.
class TPoolPicture {
public:
  std::int64_t ByteCount() const { return Size; }
  // Whether data is these bytes themselves (shares their blocks).
  bool IsHeldBy(const TMapStream& data) const { return data.SharesBlocksWith(Bytes); }

private:
  friend class TPicturePool;
  std::string Extension;
  // Kept to compare (equal hashes alone must never stand for another
  // picture) and to share with every resource that holds the same bytes.
  TMapStream Bytes;
  std::int64_t Size = 0;
  std::weak_ptr<const TBitmap32> Decoded;
};

// The picture of data (a raster file of the given extension): the one of
// equal bytes and extension that some holder still holds, and then data
// shares the blocks of those bytes, or else a new one. data is left at
// position 0.
std::shared_ptr<TPoolPicture> IdentifyPicture(TMapStream& data, const std::string& extension);
// A picture that stands for no bytes (one drawn in memory): counted on its own.
std::shared_ptr<TPoolPicture> UnsharedPicture();

// The decoded picture: the one still alive, else the result of decode(),
// remembered for later requests (a nil result is not).
std::shared_ptr<const TBitmap32> DecodedPicture(TPoolPicture& picture,
                                                const std::function<std::unique_ptr<TBitmap32>()>& decode);

// Pictures held in the pool (for tests).
std::size_t LivePictureCount();

}  // namespace document
