#include "imaging/bitmap/PixelWriter.h"

#include <algorithm>

#include "imaging/blend/Blend.h"

namespace imaging {

TPixelWriter::TPixelWriter(const TCustomBitmap32& src, TDrawMode mode, const TPixelCombineEvent& callback,
                           TBlendForm form)
    : Mode(mode),
      Form(form),
      MasterAlpha(src.GetMasterAlpha()),
      OuterColor(src.OuterColor),
      CombineMode(src.GetCombineMode()),
      Callback(callback) {}

void TPixelWriter::Write(const TColor32* colors, TColor32* dst, std::int32_t count) const {
  switch (Mode) {
    case dmOpaque:
      if (colors != dst) std::copy_n(colors, count, dst);
      break;
    case dmBlend:
      if (Form == bfMemory) {
        const TBlendMemEx blend = BlendMemExOf(CombineMode);
        for (std::int32_t i = 0; i < count; ++i) blend(colors[i], dst[i], MasterAlpha);
      } else if (MasterAlpha < 255) {
        BlendLineExOf(CombineMode)(colors, dst, count, MasterAlpha);
      } else {
        BlendLineOf(CombineMode)(colors, dst, count);
      }
      break;
    case dmTransparent:
      for (std::int32_t i = 0; i < count; ++i)
        if (colors[i] != OuterColor) dst[i] = colors[i];
      break;
    case dmCustom:
      for (std::int32_t i = 0; i < count; ++i) Callback(colors[i], dst[i], MasterAlpha);
      break;
  }
}

}  // namespace imaging

namespace imaging {

void CopyForTransfer(const TCustomBitmap32& src, TCustomBitmap32& copy) {
  src.CopyMapTo(copy);
  copy.SetMasterAlpha(src.GetMasterAlpha());
  copy.SetCombineMode(src.GetCombineMode());
  copy.OuterColor = src.OuterColor;
}

}  // namespace imaging
