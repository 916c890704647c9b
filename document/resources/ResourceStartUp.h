#pragma once
// Start-up and shut-down of the document engine's resources: the resource
// classes are registered and the resource cache thread started; shut-down
// joins the thread and empties the registry. Both run on the main thread
// and may be called again.

namespace document {

void StartUpResources();
void ShutDownResources();

}  // namespace document
