#pragma once
// How colours computed by a transfer reach the destination pixels under a
// draw mode: copied, blended through the source's combine mode and master
// alpha, left out when they equal the source's OuterColor, or handed to the
// combine callback.

#include <cstdint>

#include "imaging/bitmap/CustomBitmap32.h"

namespace imaging {

// Block copies and the nearest resampler blend whole runs with the line
// routines (master alpha only below 255); the interpolating resamplers blend
// each pixel with the memory routine and master alpha.
enum TBlendForm : std::uint8_t { bfLine, bfMemory };

class TPixelWriter {
public:
  // mode dmCustom needs a callback (callers turn it into dmOpaque otherwise).
  TPixelWriter(const TCustomBitmap32& src, TDrawMode mode, const TPixelCombineEvent& callback, TBlendForm form);

  void Write(const TColor32* colors, TColor32* dst, std::int32_t count) const;
  // True when colours are stored unchanged, so they may be computed in place.
  bool Stores() const { return Mode == dmOpaque; }

private:
  TDrawMode Mode;
  TBlendForm Form;
  std::uint32_t MasterAlpha;
  TColor32 OuterColor;
  TCombineMode CombineMode;
  const TPixelCombineEvent& Callback;
};

}  // namespace imaging

namespace imaging {

// copy := the pixels of src and what a writer reads of it (master alpha,
// combine mode, outer colour): what a transfer draws from when a bitmap is
// drawn onto itself.
void CopyForTransfer(const TCustomBitmap32& src, TCustomBitmap32& copy);

}  // namespace imaging
