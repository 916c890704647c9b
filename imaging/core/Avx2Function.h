#pragma once
// Marks a helper compiled for AVX2 inside a file built for the baseline
// processor; only code that has checked for AVX2 may call it. One
// definition for every such file, so that files compiled together in one
// unit agree on it.

#define AVX2_FN __attribute__((target("avx2"), always_inline)) inline
