#pragma once
// The start-up step of the raster core: detects the processor, binds every
// pixel routine to its best variant, fills the gamma table and registers the
// resampler and kernel classes. Call it before any bitmap or pixel routine
// is used; later calls do nothing. The file formats are registered by the
// subsystem's start-up (SubsystemStartUp.h beside this file), which runs
// this step first.

namespace imaging {

void StartUp();

}  // namespace imaging
