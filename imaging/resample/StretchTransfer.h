#pragma once
// The transfer of a rectangle of one bitmap into a rectangle of another:
// pixel for pixel when the sizes agree, through a resampler otherwise.

#include "imaging/bitmap/CustomBitmap32.h"

class TCustomResampler;

namespace imaging {

// Draws srcRect of src into dstRect of dst, only inside dstClip. A srcRect
// reaching outside src cuts dstRect in proportion. Nothing happens for empty
// bitmaps or rectangles, or when blending with master alpha 0; a measuring
// dst only reports the area. Raises ERasterError "Destination bitmap is nil"
// or "Source bitmap is nil". Reports dstRect as changed.
void StretchTransfer(TCustomBitmap32* dst, TRect dstRect, TRect dstClip, const TCustomBitmap32* src, TRect srcRect,
                     const TCustomResampler& resampler, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// Copies or combines srcRect of src (cut to src) pixel for pixel with its
// top-left corner at (dstX, dstY) of dst, only inside dstClip. Writes
// nothing while dst is measuring and reports nothing.
void BlockTransfer(TCustomBitmap32* dst, std::int32_t dstX, std::int32_t dstY, TRect dstClip,
                   const TCustomBitmap32* src, TRect srcRect, TDrawMode combineOp,
                   const TPixelCombineEvent& combineCallBack);

}  // namespace imaging
