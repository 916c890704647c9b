#include "platform/gdi/Metafile.h"

TMetafile::TMetafile(int width, int height, TPlayback playback)
    : Width(width < 0 ? 0 : width), Height(height < 0 ? 0 : height), Playback(std::move(playback)) {}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Playback && !rect.IsEmpty()) Playback(canvas, rect);
}
