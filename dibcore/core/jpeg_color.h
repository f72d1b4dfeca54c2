// Row kernels of the JPEG decoder's output stage: chroma upsampling (the
// smooth "fancy" kind for 2:1 ratios, as the common decoders do by default)
// and YCbCr to B,G,R conversion. Each has a scalar reference and an SSE2 path
// that equals it bit for bit.
#pragma once

#include <cstdint>

namespace dibcore {

// 2:1 horizontal: `in` has n >= 1 samples, `out` receives 2n.
void Jpeg_UpsampleH2Scalar(const uint8_t *in, int n, uint8_t *out);
void Jpeg_UpsampleH2Sse2(const uint8_t *in, int n, uint8_t *out);

// 2:1 both ways: one output row from the nearer input row and the farther one
// (the row above for the upper output row, below for the lower). n >= 1.
// `sums` is scratch for n + 2 values.
void Jpeg_UpsampleH2V2Scalar(const uint8_t *nearRow, const uint8_t *farRow, int n, uint8_t *out, int16_t *sums);
void Jpeg_UpsampleH2V2Sse2(const uint8_t *nearRow, const uint8_t *farRow, int n, uint8_t *out, int16_t *sums);

// 1:2 vertical only; `lower` is true for the lower output row of a pair.
void Jpeg_UpsampleV2(const uint8_t *nearRow, const uint8_t *farRow, int n, bool lower, uint8_t *out);

// Plain replication by `factor` horizontally (ratios without a smooth kernel).
void Jpeg_UpsampleBox(const uint8_t *in, int n, int factor, uint8_t *out);

// n pixels of Y, Cb, Cr to B,G,R bytes.
void Jpeg_YccToBgrScalar(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, int n, uint8_t *bgr);
void Jpeg_YccToBgrSse2(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, int n, uint8_t *bgr);

// Separate planes of R, G, B to B,G,R bytes.
void Jpeg_RgbToBgr(const uint8_t *r, const uint8_t *g, const uint8_t *b, int n, uint8_t *bgr);

// Adobe CMYK (stored inverted) and YCCK to B,G,R.
void Jpeg_CmykToBgr(const uint8_t *c, const uint8_t *m, const uint8_t *y, const uint8_t *k, int n, uint8_t *bgr);
void Jpeg_YcckToBgr(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, const uint8_t *k, int n,
                    uint8_t *bgr);

// Encoder side: n pixels of B,G,R bytes to Y, Cb, Cr planes.
void Jpeg_BgrToYccScalar(const uint8_t *bgr, int n, uint8_t *y, uint8_t *cb, uint8_t *cr);
void Jpeg_BgrToYccSse2(const uint8_t *bgr, int n, uint8_t *y, uint8_t *cb, uint8_t *cr);
// Needs SSSE3 (byte shuffles): only call it where Jpeg_BgrToYccBest() does.
void Jpeg_BgrToYccSsse3(const uint8_t *bgr, int n, uint8_t *y, uint8_t *cb, uint8_t *cr);
// The fastest of the above that this processor runs.
using JpegBgrToYccFn = void (*)(const uint8_t *, int, uint8_t *, uint8_t *, uint8_t *);
JpegBgrToYccFn Jpeg_BgrToYccBest();

// Encoder side: 2x2 averages of two rows of 2n samples into n, with a
// rounding bias alternating 1, 2 so no tone drifts.
void Jpeg_Downsample2x2Scalar(const uint8_t *row0, const uint8_t *row1, int n, uint8_t *out);
void Jpeg_Downsample2x2Sse2(const uint8_t *row0, const uint8_t *row1, int n, uint8_t *out);

#if defined(__SSE2__)
#define JPEG_SIMD(name) name##Sse2
#else
#define JPEG_SIMD(name) name##Scalar
#endif

}  // namespace dibcore
