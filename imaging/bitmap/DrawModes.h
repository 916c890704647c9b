#pragma once
// How one bitmap is drawn onto another and how reads outside the clip
// rectangle are folded back. Ordinals are stored: keep their order.

#include <cstdint>

enum TDrawMode : std::uint8_t { dmOpaque, dmBlend, dmCustom, dmTransparent };
// cmBlend for an opaque destination, cmMerge for one with its own alpha.
enum TCombineMode : std::uint8_t { cmBlend, cmMerge };
enum TWrapMode : std::uint8_t { wmClamp, wmRepeat, wmMirror };
enum TStretchFilter : std::uint8_t { sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell };
