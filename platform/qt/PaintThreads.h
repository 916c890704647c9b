#pragma once
// Qt's raster painter hands the rows of a tall translucent fill (a frame's
// shaded edge, a scroll bar's groove) to the global thread pool and waits
// until every part is done. A window's such fills are a few hundred rows:
// waking a thread per processor for them costs more than the rows, and the
// first paint would wait for the threads to be created besides.
// LimitPaintThreads keeps the pool to one worker and starts it at once.
// Main thread, once the application object exists.

void LimitPaintThreads();
