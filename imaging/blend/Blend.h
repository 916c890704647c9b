#pragma once
// Per-pixel compositing of TColor32 values, reached through routine
// variables that start-up binds to the fastest variant this processor runs.
// All variants give the same bits.
//
// Notation: F foreground/source, B background/destination, W weight of the
// first colour (0..255, 255 = all of it), M master alpha (0..255).
// The interpolation V(X, Y, W) = (Y x 256 + 128 + W x (X - Y)) >> 8 is
// applied to all four channels, alpha included.

#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "imaging/bitmap/DrawModes.h"

using TBlendReg = TColor32 (*)(TColor32 f, TColor32 b);
using TBlendMem = void (*)(TColor32 f, TColor32& b);
using TBlendLine = void (*)(const TColor32* src, TColor32* dst, int count);
using TBlendRegEx = TColor32 (*)(TColor32 f, TColor32 b, TColor32 m);
using TBlendMemEx = void (*)(TColor32 f, TColor32& b, TColor32 m);
using TBlendLineEx = void (*)(const TColor32* src, TColor32* dst, int count, TColor32 m);
using TCombineReg = TColor32 (*)(TColor32 x, TColor32 y, TColor32 w);
using TCombineMem = void (*)(TColor32 x, TColor32& y, TColor32 w);
using TCombineLine = void (*)(const TColor32* src, TColor32* dst, int count, TColor32 w);
using TColorOp = TColor32 (*)(TColor32 c1, TColor32 c2);
using TClearVectorState = void (*)();

namespace imaging {

// Function ids of the "Blend bindings" registry.
enum : int {
  FID_EMMS, FID_MERGEREG, FID_MERGEMEM, FID_MERGELINE, FID_MERGEREGEX, FID_MERGEMEMEX, FID_MERGELINEEX,
  FID_COMBINEREG, FID_COMBINEMEM, FID_COMBINELINE, FID_BLENDREG, FID_BLENDMEM, FID_BLENDLINE,
  FID_BLENDREGEX, FID_BLENDMEMEX, FID_BLENDLINEEX, FID_COLORMAX, FID_COLORMIN, FID_COLORAVG, FID_COLORADD,
  FID_COLORSUB, FID_COLORDIV, FID_COLORMODULATE, FID_COLORDIFFERENCE, FID_COLOREXCLUSION, FID_COLORSCALE,
};

// Called once after a run of pixel routines. Our vector variants leave no
// state behind, so this is bound to an empty routine; callers still call it.
extern TClearVectorState EMMS;

// Merge: non-premultiplied F over a B with its own alpha; correct result alpha.
// F_a = 0 leaves B and F_a = 255 gives F exactly; over an opaque B the result
// is V(F, B, F_a) with alpha 255, over a transparent B it is F.
extern TBlendReg MergeReg;
extern TBlendMem MergeMem;
extern TBlendLine MergeLine;
// The same with F's alpha first replaced by DivTable[M][F_a] (M above 255
// counts as 255).
extern TBlendRegEx MergeRegEx;
extern TBlendMemEx MergeMemEx;
extern TBlendLineEx MergeLineEx;

// Combine: V(X, Y, W). The register form has no special case; the memory and
// line forms leave Y for W = 0 and store X for W = 255.
extern TCombineReg CombineReg;
extern TCombineMem CombineMem;
extern TCombineLine CombineLine;

// Blend: F over an opaque B, V(F, B, F_a). The memory and line forms leave B
// for F_a = 0 and store F for F_a = 255.
extern TBlendReg BlendReg;
extern TBlendMem BlendMem;
extern TBlendLine BlendLine;
// With master alpha: W = ((M + 1) x F_a) >> 8 for register and memory forms,
// ((F_a + 1) x M) >> 8 for the line form; W = 0 leaves B, else V(F, B, W).
extern TBlendRegEx BlendRegEx;
extern TBlendMemEx BlendMemEx;
extern TBlendLineEx BlendLineEx;

// Channel-wise operations on all four channels.
extern TColorOp ColorMax;
extern TColorOp ColorMin;
extern TColorOp ColorAverage;     // floor of the mean
extern TColorOp ColorAdd;         // saturating
extern TColorOp ColorSub;         // C1 - C2, saturating at 0
extern TColorOp ColorDiv;         // 255 when C1 is 0, else min(C2 x 256 div C1, 255)
extern TColorOp ColorModulate;    // (C1 x C2) >> 8
extern TColorOp ColorDifference;  // |C1 - C2|
extern TColorOp ColorExclusion;   // C1 + C2 - ((C1 x C2) >> 7)
extern TColorOp ColorScale;       // (C x W) >> 8, each channel at most 255

// The routine of a bitmap's combine mode (blend for cmBlend, merge for cmMerge).
TBlendMem BlendMemOf(TCombineMode mode);
TBlendMemEx BlendMemExOf(TCombineMode mode);
TBlendLine BlendLineOf(TCombineMode mode);
TBlendLineEx BlendLineExOf(TCombineMode mode);

// Builds the blend tables, then creates and binds the "Blend bindings" registry.
void RegisterBlendBindings();

}  // namespace imaging
