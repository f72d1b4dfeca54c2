// Resizing whole pictures held as DIB memory (header + bits): the entries a
// picture holder or a command-line tool calls. The source is never changed;
// the result is a new block that the caller owns.
#pragma once

#include <cstdint>

#include "dib_records.h"

// A picture to read: the packed header (header, then masks or colour table,
// headerBytes in all) and its pixel bits (rows padded to 4 bytes).
struct DibView {
    const DibInfoHeader *header;
    uint32_t headerBytes;
    const uint8_t *bits;
    uint64_t bitsBytes;
};

// A new picture in one heap block: header (with masks or colour table)
// followed by the bits. Free with ResampledDib_Free.
struct ResampledDib {
    uint8_t *block = nullptr;
    DibInfoHeader *header = nullptr;
    uint32_t headerBytes = 0;
    uint8_t *bits = nullptr;
    uint64_t bitsBytes = 0;
};

void ResampledDib_Free(ResampledDib *picture);

// Owner of a result; releases it on every path.
class ResampledDibOwner {
public:
    ResampledDibOwner() = default;
    ~ResampledDibOwner() { ResampledDib_Free(&dib_); }
    ResampledDibOwner(const ResampledDibOwner &) = delete;
    ResampledDibOwner &operator=(const ResampledDibOwner &) = delete;
    ResampledDib *get() { return &dib_; }
    const ResampledDib &operator*() const { return dib_; }
    const ResampledDib *operator->() const { return &dib_; }

private:
    ResampledDib dib_;
};

// Limits of a result: the sides and the bits the picture store accepts.
constexpr int64_t kResampleMaxSide = 65535;
constexpr uint64_t kResampleMaxBits = uint64_t{1} << 30;

// Target size from the request: both negative keep the size; 0 keeps that
// side; a negative side follows the other side's scale (at least 1).
// 0 when the size cannot be computed.
int Resample_ResolveSize(int32_t srcWidth, int32_t srcHeight, int32_t *width, int32_t *height);

// Resizes with the method codes of the quality settings (reduceCode when
// shrinking, enlargeCode when either side grows). The result is 24-bit, or
// of the source's depth when no filtering applies (code 0, or the same
// size). A top-down source gives a top-down result. 1 done, 0 failed.
int Resize_Filtered(const DibView *source, int32_t newWidth, int32_t newHeight, int32_t reduceCode, int32_t enlargeCode,
                    ResampledDib *out);

// Nearest neighbour keeping the depth and colour table. 1 done, 0 failed.
int Resize_Simple(const DibView *source, int32_t newWidth, int32_t newHeight, ResampledDib *out);

// Fills a 24-bit destination with the colour of source pixel 0 read through
// the header's depth (null header: a 24-bit pixel). The header is a complete
// packed DIB header with its masks or colour table. 1 done, 0 unreadable.
int Resample_FillOne(const DibInfoHeader *header, uint8_t *dstBits, int32_t dstWidth, int32_t dstHeight,
                     int32_t dstStride, const uint8_t *srcBits);

// Scales `srcWidth` pixels from column firstColumn of a source of any
// supported depth into 24-bit destination pixels: block averages when both
// sides at least halve, else linear interpolation. Rows are reached through
// the signed strides. dstBitsPerPixel must be 24.
int Resample_Resize24(const DibInfoHeader *srcHeader, uint32_t srcHeaderBytes, const uint8_t *srcBits,
                      int32_t srcStride, int32_t firstColumn, int32_t srcWidth, int32_t srcHeight, uint8_t *dstBits,
                      int32_t dstBitsPerPixel, int32_t dstWidth, int32_t dstHeight, int32_t dstStride);
