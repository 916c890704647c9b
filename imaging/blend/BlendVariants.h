#pragma once
// The variants behind the routine variables of Blend.h, callable directly so
// that each can be checked against the others. The vector ones may only be
// called on a processor with their feature (cfSSE2, cfAVX2).

#include "imaging/blend/Blend.h"

namespace imaging::portable {

void ClearVectorState();
TColor32 MergeReg(TColor32 f, TColor32 b);
void MergeMem(TColor32 f, TColor32& b);
void MergeLine(const TColor32* src, TColor32* dst, int count);
TColor32 MergeRegEx(TColor32 f, TColor32 b, TColor32 m);
void MergeMemEx(TColor32 f, TColor32& b, TColor32 m);
void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
TColor32 CombineReg(TColor32 x, TColor32 y, TColor32 w);
void CombineMem(TColor32 x, TColor32& y, TColor32 w);
void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w);
TColor32 BlendReg(TColor32 f, TColor32 b);
void BlendMem(TColor32 f, TColor32& b);
void BlendLine(const TColor32* src, TColor32* dst, int count);
TColor32 BlendRegEx(TColor32 f, TColor32 b, TColor32 m);
void BlendMemEx(TColor32 f, TColor32& b, TColor32 m);
void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
TColor32 ColorMax(TColor32 c1, TColor32 c2);
TColor32 ColorMin(TColor32 c1, TColor32 c2);
TColor32 ColorAverage(TColor32 c1, TColor32 c2);
TColor32 ColorAdd(TColor32 c1, TColor32 c2);
TColor32 ColorSub(TColor32 c1, TColor32 c2);
TColor32 ColorDiv(TColor32 c1, TColor32 c2);
TColor32 ColorModulate(TColor32 c1, TColor32 c2);
TColor32 ColorDifference(TColor32 c1, TColor32 c2);
TColor32 ColorExclusion(TColor32 c1, TColor32 c2);
TColor32 ColorScale(TColor32 c, TColor32 w);

}  // namespace imaging::portable

namespace imaging::sse2 {
void MergeLine(const TColor32* src, TColor32* dst, int count);
void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w);
void BlendLine(const TColor32* src, TColor32* dst, int count);
void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
}  // namespace imaging::sse2

namespace imaging::avx2 {
void MergeLine(const TColor32* src, TColor32* dst, int count);
void MergeLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
void CombineLine(const TColor32* src, TColor32* dst, int count, TColor32 w);
void BlendLine(const TColor32* src, TColor32* dst, int count);
void BlendLineEx(const TColor32* src, TColor32* dst, int count, TColor32 m);
}  // namespace imaging::avx2
