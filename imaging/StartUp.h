#pragma once
// The one start-up step of the raster library: detects the processor,
// binds every pixel routine to its best variant, fills the gamma table and
// registers the raster file formats.
// Call it before any bitmap or pixel routine is used; later calls do nothing.

namespace imaging {

void StartUp();

}  // namespace imaging
