#pragma once
// Start-up measurement: with the option "--first-paint-probe" a program
// writes the line "painted" on its standard output as soon as its main
// window has painted for the first time, then leaves its event loop. The
// start-up benchmark times the label designer and a bare Qt window this way.

class QWidget;

namespace app {

// True when the program's arguments hold the option.
bool HasFirstPaintProbeOption(int argc, char** argv);
// Watches window (which owns the watcher) for its first paint.
void InstallFirstPaintProbe(QWidget& window);

}  // namespace app
