#pragma once
// Micro tiles: the dirty part of a 256 x 256 tile as one packed rectangle,
// and their union, reached through routine variables bound at start-up
// ("MicroTiles bindings"). The repaint optimiser that would use them is not
// part of this program; the bindings are kept so every registry of the
// raster core is there.

#include <cstddef>
#include <cstdint>

namespace imaging {

// Left in bits 24-31, top 16-23, right 8-15, bottom 0-7 (right and bottom
// exclusive); 0 is the empty tile.
using TMicroTile = std::uint32_t;

constexpr TMicroTile MakeMicroTile(std::uint8_t left, std::uint8_t top, std::uint8_t right, std::uint8_t bottom) {
  return TMicroTile{left} << 24 | TMicroTile{top} << 16 | TMicroTile{right} << 8 | bottom;
}

// dst becomes the smallest tile holding dst and src; an empty tile adds nothing.
using TMicroTileUnion = void (*)(TMicroTile& dst, TMicroTile src);
// The same for count pairs of tiles.
using TMicroTilesUnion = void (*)(TMicroTile* dst, const TMicroTile* src, std::size_t count);

extern TMicroTileUnion MicroTileUnion;
extern TMicroTilesUnion MicroTilesUnion;

enum : int { FID_MICROTILEUNION, FID_MICROTILESUNION };

// Creates and binds the "MicroTiles bindings" registry.
void RegisterMicroTilesBindings();

namespace portable {
void MicroTileUnion(TMicroTile& dst, TMicroTile src);
void MicroTilesUnion(TMicroTile* dst, const TMicroTile* src, std::size_t count);
}  // namespace portable

// Byte minimum and maximum, as extended MMX brought them.
namespace exmmx {
void MicroTileUnion(TMicroTile& dst, TMicroTile src);
void MicroTilesUnion(TMicroTile* dst, const TMicroTile* src, std::size_t count);
}  // namespace exmmx

}  // namespace imaging
