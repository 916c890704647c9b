#pragma once
// The start-up step of the whole raster imaging subsystem: the raster core's
// step (CoreStartUp.h), then the raster file formats BMP, JPEG and HCK in
// that order, then the graphic classes of the picture registry (JPEG, HCK).
// Call it before the subsystem is used; later calls do nothing.

namespace imaging {

void StartUpSubsystem();

}  // namespace imaging
