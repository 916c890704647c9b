#include "imaging/formats/BmpRunLength.h"

#include <algorithm>

#include "platform/rtl/Exception.h"

namespace imaging {
namespace {

[[noreturn]] void Invalid(const char* reason) { throw EInvalidGraphic(reason); }

// The escapes that follow a zero count.
constexpr std::uint8_t kEndOfLine = 0, kEndOfPicture = 1, kJump = 2;

class TRunLengthExpander {
public:
  TRunLengthExpander(std::span<const std::uint8_t> data, int bitsPerPixel, std::int64_t width, std::int64_t height)
      : Data(data),
        FourBits(bitsPerPixel == 4),
        Width(width),
        // Writers (ImageMagick among them) run lines on over the padding of
        // the uncompressed row, to its 32-bit boundary: those pixels are
        // dropped.
        LineLength((width * bitsPerPixel + 31) / 32 * 32 / bitsPerPixel),
        Height(height),
        Indices(static_cast<std::size_t>(width * height), 0) {}

  std::vector<std::uint8_t> Run() {
    // Data that stops without the picture's end marker ends the picture too.
    while (At < Data.size()) {
      const std::uint8_t count = Next(), value = Next();
      if (count > 0) {
        Write(count, [&](std::int64_t i) { return Nibble(value, i); });
      } else if (value == kEndOfLine) {
        X = 0;
        ++Y;
      } else if (value == kEndOfPicture) {
        break;
      } else if (value == kJump) {
        Jump();
      } else {
        Literal(value);
      }
    }
    return std::move(Indices);
  }

private:
  std::uint8_t Next() {
    if (At >= Data.size()) Invalid("BMP data is truncated");
    return Data[At++];
  }

  // The i-th index of a run of one byte: the byte itself, or its two nibbles
  // in turn.
  std::uint8_t Nibble(std::uint8_t value, std::int64_t i) const {
    if (!FourBits) return value;
    return i % 2 == 0 ? value >> 4 : value & 0x0F;
  }

  // Writes count indices at the current place, index(i) giving the i-th.
  template <class Index>
  void Write(std::int64_t count, Index&& index) {
    if (Y >= Height) Invalid("BMP run-length data runs past the end of the picture");
    if (count > LineLength - X) Invalid("BMP run-length data runs past the end of a line");
    std::uint8_t* row = Indices.data() + Y * Width;
    for (std::int64_t i = 0, end = std::min(count, Width - X); i < end; ++i) row[X + i] = index(i);
    X += count;
  }

  void Jump() {
    const std::uint8_t right = Next(), up = Next();
    X += right;
    Y += up;
    if (X > LineLength || Y > Height) Invalid("BMP run-length jump leaves the picture");
  }

  // count indices stored as they are, padded to a whole 16-bit word.
  void Literal(std::uint8_t count) {
    const std::size_t bytes = FourBits ? (count + 1u) / 2 : count;
    const std::size_t padded = (bytes + 1) & ~std::size_t{1};
    if (Data.size() - At < padded) Invalid("BMP data is truncated");
    const std::uint8_t* literal = Data.data() + At;
    Write(count, [&](std::int64_t i) { return FourBits ? Nibble(literal[i / 2], i) : literal[i]; });
    At += padded;
  }

  std::span<const std::uint8_t> Data;
  std::size_t At = 0;
  bool FourBits;
  std::int64_t Width, LineLength, Height;
  std::int64_t X = 0, Y = 0;
  std::vector<std::uint8_t> Indices;
};

}  // namespace

std::vector<std::uint8_t> ExpandRunLength(std::span<const std::uint8_t> data, int bitsPerPixel, std::int64_t width,
                                          std::int64_t height) {
  return TRunLengthExpander(data, bitsPerPixel, width, height).Run();
}

}  // namespace imaging
