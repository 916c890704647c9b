#pragma once
// The start-up step of the document engine's model: the raster subsystem's
// start-up, then the shape and effect classes of the engine in their
// registries. Call it before any shape is loaded; later calls do nothing.

namespace document {

void StartUp();

}  // namespace document
