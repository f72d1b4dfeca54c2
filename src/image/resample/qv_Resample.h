// The resampling engine: one request record that every method takes, the
// quality codes that choose the method, and the methods themselves. Pixels are
// 24-bit B, G, R unless a function says otherwise. Portable: no Win32 here.
#pragma once

#include <cstdint>

#include "util/qv_Tasks.h"

// Row r of a side is at bits + r * stride; row 0 is the bottom row of the
// picture. A top-down picture (negative biHeight) is described by a pointer
// to its last memory row and a negative stride, so every method sees the same
// row order whatever the storage.
struct ResampleRequest {
    uint8_t *dstBits;
    int32_t dstWidth;
    int32_t dstHeight;
    int32_t dstStride;
    const uint8_t *srcBits;
    int32_t srcWidth;
    int32_t srcHeight;
    int32_t srcStride;
    // 1: a method that cannot run (size limits, memory) hands the request to a
    // simpler one; 0: it fails instead.
    int32_t fallback;
    // Only for Resample_AreaAverageFetched: the source rows are made on
    // demand, row r as 24 bits into out (srcBits is then not read).
    void (*fetchRow)(const void *context, int64_t row, uint8_t *out) = nullptr;
    const void *fetchContext = nullptr;
};

// Method codes; the settings store these numbers and the dialogs pass them.
enum ResampleQuality : int32_t {
    kQualityNone = 0,
    kQualityLinear = 10,
    kQualityAreaAverage = 20,
    kQualityIntAverage = 30,
    kQualityIntAverageHalf = 31,
    kQualityHermite = 40,
    kQualityQuadraticSpline = 50,
    kQualityCubicSpline = 60,
    kQualityMitchell = 70,
    kQualityCatmullRom = 80,
    kQualitySinc225 = 90,
    kQualitySinc25 = 100,
    kQualityLanczos3 = 110,
};

// The method that one direction of a resize runs.
enum class ResampleMethod : int32_t {
    Simple,  // nearest neighbour, depth kept
    Linear,
    AreaAverage,
    AreaEnlarge,
    IntAverage,
    IntAverageHalf,
    Separable,  // with the kernel of the code
};

// Settings index 0..10 to a method code.
int32_t Zoom_QualityToMethod(int32_t index, bool reducing);

// The method a 24-bit request runs for a code, by direction.
ResampleMethod Resample_MethodForCode(int32_t code, bool enlarging);

// Runs the method of the code on a 24-bit request (the choice of step 6 of a
// filtered resize): enlargeCode when either axis grows, else reduceCode.
int Resample_Dispatch(ResampleRequest *request, int32_t reduceCode, int32_t enlargeCode);

bool Resample_CheckArgs(int32_t dstWidth, int32_t dstHeight, int32_t dstStride, const uint8_t *srcBits,
                        int32_t srcWidth, int32_t srcHeight, int32_t srcStride);
// CheckArgs of a whole request, destination pointer included.
bool Resample_CheckRequest(const ResampleRequest *request);

// Least common multiple, 0 when either is 0 or the result passes 32 bits.
uint32_t Resample_Lcm(uint32_t a, uint32_t b);

// Fills the destination with colour 0x00RRGGBB.
void Resample_FillColour(uint8_t *dstBits, int32_t dstWidth, int32_t dstHeight, int32_t dstStride, uint32_t colour);

// Runner for the methods that cut their work into bands of destination rows
// (the result is the same byte for byte); null: one thread.
extern const TaskRunner *g_resampleTasks;

// Area average on the least-common-multiple grid (reduction on both axes).
int Resample_AreaAverage(ResampleRequest *request);
// The same reduction reading the source through request->fetchRow, so that
// a picture of another depth need not be widened whole first; 0 (nothing
// written) when the grid is beyond its limits or it is not a reduction.
int Resample_AreaAverageFetched(ResampleRequest *request);
// Replication, or area average of the replicated source (enlargement).
int Resample_AreaEnlarge(ResampleRequest *request);
// Each source pixel repeated exactly kx times across and ky times down.
int Resample_Replicate(ResampleRequest *request);
// Block averages, truncated (reduction only).
int Resample_IntAverage(ResampleRequest *request);
// IntAverage down to half size or less on both axes, else linear.
int Resample_IntAverageHalf(ResampleRequest *request);
// Corner-aligned linear interpolation.
int Resample_Linear(ResampleRequest *request);

// Separable convolution with the kernel of a code 40..110.
struct ResampleWeights;
using ResampleWeightsBuilder = int (*)(const ResampleRequest *request, ResampleWeights *weights, int horizontal);
struct ResampleFilterBuilders {
    int32_t code;
    ResampleWeightsBuilder enlarge;
    ResampleWeightsBuilder reduce;
};
// Builders of a code 40..110, null for any other code.
const ResampleFilterBuilders *Resample_FilterForCode(int32_t code);
int Resample_Separable(ResampleRequest *request, ResampleWeightsBuilder enlarge, ResampleWeightsBuilder reduce);
// Linear when the destination is larger on either axis, else area average.
int Resample_PassFallback(ResampleRequest *request);
// Bytes of an intermediate picture of this size plus one accumulator row;
// 0 when unusable or above 0x7FFFFFFF.
uint32_t Filter_PassCost(int32_t width, int32_t height);

// Nearest-neighbour copy keeping the depth (1, 4, 8, 16, 24, 32 bits per
// pixel). Rows are reached by the signed strides from the given pointers;
// firstColumn is the source pixel that destination column 0 starts from.
int Stretch_Nearest(const uint8_t *srcBits, int32_t srcStride, int32_t firstColumn, int32_t srcWidth, int32_t srcHeight,
                    int32_t bitsPerPixel, uint8_t *dstBits, int32_t dstStride, int32_t dstWidth, int32_t dstHeight);

// 3 x 3 convolution of 24-bit pixels (row 0 at the bottom) into a separate
// destination of the same size, edges clamped; the byte is 0 for s <= 0, 255
// for s > 10179, else (s + 20) / 40. kernel: nine weights, rows top to bottom.
int Resample_Sharpen3x3Bits(const uint8_t *srcBits, int32_t srcStride, uint8_t *dstBits, int32_t dstStride,
                            int32_t width, int32_t height, const int32_t kernel[9]);

// Kernel of the Resize dialog: 48 at the centre, -1 around (sum 40).
extern const int32_t kResampleSharpenKernel[9];

// Speed paths of the separable filter and the linear passes. Every level
// gives the bytes of the scalar level; tests switch between them.
enum class ResampleSimd : int32_t { Scalar = 0, Sse2 = 1, Avx2 = 2 };
// The best level this processor runs.
ResampleSimd Resample_BestSimd();
// Sets the level (clamped to the best the processor runs); returns the old.
ResampleSimd Resample_SetSimd(ResampleSimd level);
ResampleSimd Resample_GetSimd();
