#pragma once
// The two resampling methods that several resamplers share: separable
// kernel resampling and the bilinear stretch.

#include "imaging/resample/Kernels.h"
#include "imaging/resample/Resamplers.h"

namespace imaging {

// Each destination pixel is the kernel-weighted sum of the source pixels its
// horizontal and vertical mapping lists name, per channel, written through
// the combine settings (the memory blend with master alpha for dmBlend).
void KernelResample(const TStretchArgs& args, const TCustomKernel& kernel);

// Interpolates the 2 x 2 source pixels around each destination pixel's
// centre. Needs a source of at least 2 x 2 pixels.
void BilinearStretch(const TStretchArgs& args);

}  // namespace imaging
