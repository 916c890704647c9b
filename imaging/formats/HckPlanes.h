#pragma once
// Pixels to and from the bit planes of HCK pictures. Planes are read as
// pixels are decoded, band after band, so that packed planes are unpacked
// as they are needed and never held whole.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/bitmap/Color32.h"
#include "imaging/formats/HckHeader.h"
#include "imaging/util/PackingChain.h"

class TCustomBitmap32;

namespace imaging {

// The raw planes of a page: bytes held whole (stored pixel data), or packed
// bytes unpacked as they are read.
class THckPlaneSource {
public:
  explicit THckPlaneSource(std::vector<std::uint8_t> raw) : Raw(std::move(raw)), Size(Raw.size()) {}
  THckPlaneSource(std::unique_ptr<TChainUnpacker> packed, std::uint64_t size)
      : Packed(std::move(packed)), Size(size) {}

  std::uint64_t GetSize() const { return Size; }

  // Reads the bytes in order from where it was placed.
  class TReader {
  public:
    void Read(std::uint8_t* dest, std::size_t count);

  private:
    friend class THckPlaneSource;
    explicit TReader(const std::uint8_t* raw) : Raw(raw) {}
    explicit TReader(TChainUnpacker::TReader packed) : Packed(packed) {}
    const std::uint8_t* Raw = nullptr;
    std::optional<TChainUnpacker::TReader> Packed;
  };
  // A reader from byte position on (at most the size); the source must
  // outlive it.
  TReader ReaderAt(std::uint64_t position) const;

private:
  std::vector<std::uint8_t> Raw;
  std::unique_ptr<TChainUnpacker> Packed;
  std::uint64_t Size;
};

// Decodes the pixels the planes a header describes hold: alpha (none:
// opaque; 1 bit: opaque or transparent black; 8 bits), red, green and blue
// bytes, then grey (1 bit: black or white; 8 bits), which replaces the
// colour and keeps the alpha. Pixels run row by row from the top left.
class THckPixelDecoder {
public:
  // Raises ERasterError "Image file is corrupted" for depths the format does
  // not have or planes shorter than the header asks. The source must
  // outlive the decoder.
  THckPixelDecoder(const THckHeader& header, const THckPlaneSource& planes);

  // Fills count pixels from pixel first on. Bands that follow each other
  // are decoded without going back; any other order reads again from where
  // its band starts. Raises ERasterError "Image file is corrupted" for
  // pixels outside the picture.
  void Decode(std::size_t first, std::size_t count, TColor32* pixels);

private:
  struct TPlane {
    std::uint8_t Bits;
    int Shift;  // of its byte in a pixel; grey and alpha are told by their place
    std::uint64_t Start;  // in the raw planes
    std::vector<std::uint8_t> WholeBits;  // a 1-bit plane, read at once
  };
  void PlaceReaders(std::size_t first);

  const THckPlaneSource& Source;
  std::size_t Pixels;
  std::uint8_t AlphaBits;
  std::vector<TPlane> Planes;  // in the order alpha, red, green, blue, grey
  std::vector<THckPlaneSource::TReader> Readers;  // of the 8-bit planes, in their order
  std::size_t Next = 0;  // the pixel the readers stand at
  std::vector<std::uint8_t> Band;
};

// The alpha, red, green and blue planes of every pixel, top row first.
std::vector<std::uint8_t> EncodeArgbPlanes(const TCustomBitmap32& bitmap);

}  // namespace imaging
