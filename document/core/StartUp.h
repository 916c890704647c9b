#pragma once
// The start-up step of the document engine's model: the raster subsystem's
// start-up, then the shape, effect and resource classes of the engine in their
// registries. The resource cache thread is started by the program's start-up
// (document/resources/ResourceStartUp.h). Call it before any shape is loaded; later
// calls do nothing.

namespace document {

void StartUp();

}  // namespace document
