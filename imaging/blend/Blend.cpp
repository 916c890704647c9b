#include "imaging/blend/Blend.h"

#include "imaging/blend/BlendTables.h"
#include "imaging/blend/BlendVariants.h"
#include "imaging/core/FunctionRegistry.h"

namespace imaging {

TClearVectorState EMMS = nullptr;
TBlendReg MergeReg = nullptr;
TBlendMem MergeMem = nullptr;
TBlendLine MergeLine = nullptr;
TBlendRegEx MergeRegEx = nullptr;
TBlendMemEx MergeMemEx = nullptr;
TBlendLineEx MergeLineEx = nullptr;
TCombineReg CombineReg = nullptr;
TCombineMem CombineMem = nullptr;
TCombineLine CombineLine = nullptr;
TBlendReg BlendReg = nullptr;
TBlendMem BlendMem = nullptr;
TBlendLine BlendLine = nullptr;
TBlendRegEx BlendRegEx = nullptr;
TBlendMemEx BlendMemEx = nullptr;
TBlendLineEx BlendLineEx = nullptr;
TColorOp ColorMax = nullptr;
TColorOp ColorMin = nullptr;
TColorOp ColorAverage = nullptr;
TColorOp ColorAdd = nullptr;
TColorOp ColorSub = nullptr;
TColorOp ColorDiv = nullptr;
TColorOp ColorModulate = nullptr;
TColorOp ColorDifference = nullptr;
TColorOp ColorExclusion = nullptr;
TColorOp ColorScale = nullptr;

TBlendMem BlendMemOf(TCombineMode mode) { return mode == cmMerge ? MergeMem : BlendMem; }
TBlendMemEx BlendMemExOf(TCombineMode mode) { return mode == cmMerge ? MergeMemEx : BlendMemEx; }
TBlendLine BlendLineOf(TCombineMode mode) { return mode == cmMerge ? MergeLine : BlendLine; }
TBlendLineEx BlendLineExOf(TCombineMode mode) { return mode == cmMerge ? MergeLineEx : BlendLineEx; }

namespace {

template <class F>
void Bind(TFunctionRegistry& registry, int id, F* variable, F portableVariant) {
  registry.RegisterBinding(id, variable);
  registry.Add(id, portableVariant);
}

// The line routines that also have vector variants; added after the portable
// one so that the last runnable (widest) variant wins.
template <class F>
void BindVector(TFunctionRegistry& registry, int id, F* variable, F portableVariant, F sse2Variant, F avx2Variant) {
  Bind(registry, id, variable, portableVariant);
  registry.Add(id, sse2Variant, cfSSE2);
  registry.Add(id, avx2Variant, cfAVX2);
}

}  // namespace

void RegisterBlendBindings() {
  BuildBlendTables();
  TFunctionRegistry& registry = NewRegistry("Blend bindings");
  Bind(registry, FID_EMMS, &EMMS, &portable::ClearVectorState);
  Bind(registry, FID_MERGEREG, &MergeReg, &portable::MergeReg);
  Bind(registry, FID_MERGEMEM, &MergeMem, &portable::MergeMem);
  BindVector(registry, FID_MERGELINE, &MergeLine, &portable::MergeLine, &sse2::MergeLine, &avx2::MergeLine);
  Bind(registry, FID_MERGEREGEX, &MergeRegEx, &portable::MergeRegEx);
  Bind(registry, FID_MERGEMEMEX, &MergeMemEx, &portable::MergeMemEx);
  BindVector(registry, FID_MERGELINEEX, &MergeLineEx, &portable::MergeLineEx, &sse2::MergeLineEx,
             &avx2::MergeLineEx);
  Bind(registry, FID_COMBINEREG, &CombineReg, &portable::CombineReg);
  Bind(registry, FID_COMBINEMEM, &CombineMem, &portable::CombineMem);
  BindVector(registry, FID_COMBINELINE, &CombineLine, &portable::CombineLine, &sse2::CombineLine, &avx2::CombineLine);
  Bind(registry, FID_BLENDREG, &BlendReg, &portable::BlendReg);
  Bind(registry, FID_BLENDMEM, &BlendMem, &portable::BlendMem);
  BindVector(registry, FID_BLENDLINE, &BlendLine, &portable::BlendLine, &sse2::BlendLine, &avx2::BlendLine);
  Bind(registry, FID_BLENDREGEX, &BlendRegEx, &portable::BlendRegEx);
  Bind(registry, FID_BLENDMEMEX, &BlendMemEx, &portable::BlendMemEx);
  BindVector(registry, FID_BLENDLINEEX, &BlendLineEx, &portable::BlendLineEx, &sse2::BlendLineEx,
             &avx2::BlendLineEx);
  Bind(registry, FID_COLORMAX, &ColorMax, &portable::ColorMax);
  Bind(registry, FID_COLORMIN, &ColorMin, &portable::ColorMin);
  Bind(registry, FID_COLORAVG, &ColorAverage, &portable::ColorAverage);
  Bind(registry, FID_COLORADD, &ColorAdd, &portable::ColorAdd);
  Bind(registry, FID_COLORSUB, &ColorSub, &portable::ColorSub);
  Bind(registry, FID_COLORDIV, &ColorDiv, &portable::ColorDiv);
  Bind(registry, FID_COLORMODULATE, &ColorModulate, &portable::ColorModulate);
  Bind(registry, FID_COLORDIFFERENCE, &ColorDifference, &portable::ColorDifference);
  Bind(registry, FID_COLOREXCLUSION, &ColorExclusion, &portable::ColorExclusion);
  Bind(registry, FID_COLORSCALE, &ColorScale, &portable::ColorScale);
  registry.RebindAll();
}

}  // namespace imaging
