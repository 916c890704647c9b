#pragma once
// The one start-up step of the raster library: detects the processor,
// binds every pixel routine to its best variant, fills the gamma table, and
// registers the resampler and kernel classes and the raster file formats.
// Call it before any bitmap or pixel routine is used; later calls do nothing.

namespace imaging {

void StartUp();

}  // namespace imaging
