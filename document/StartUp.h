#pragma once
// The start-up step of the document engine's model: the raster subsystem's
// start-up, then the shape classes of the engine in the registry. Call it
// before any shape is loaded; later calls do nothing.

namespace document {

void StartUp();

}  // namespace document
