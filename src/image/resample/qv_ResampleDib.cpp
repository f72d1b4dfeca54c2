// Whole-picture entries over DIB memory: size resolution, the choice between
// the depth-keeping copy and the filtered 24-bit resize, and the any-depth
// drawing scaler.
#include "image/resample/qv_ResampleDib.h"

#include <cstdlib>
#include <cstring>

#include "image/resample/qv_PixelFetch.h"
#include "image/resample/qv_ResampleWork.h"

namespace {

uint64_t RowStride(int64_t width, int64_t bitsPerPixel) {
    return static_cast<uint64_t>((width * bitsPerPixel + 31) / 32) * 4;
}

// Checked facts of a source picture.
struct SourceFacts {
    int32_t width = 0;
    int32_t height = 0;  // rows, positive
    bool topDown = false;
    int32_t bitsPerPixel = 0;
    int32_t stride = 0;
    uint32_t tableBytes = 0;  // masks or colour table after the header
    PixelSource pixels;
};

int ReadSource(const DibView *view, SourceFacts *facts) {
    if (view == nullptr || view->header == nullptr || view->bits == nullptr) return 0;
    const DibInfoHeader &h = *view->header;
    if (!PixelSource_FromHeader(&h, view->headerBytes, &facts->pixels)) return 0;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return 0;
    facts->width = h.biWidth;
    facts->topDown = h.biHeight < 0;
    facts->height = facts->topDown ? -h.biHeight : h.biHeight;
    facts->bitsPerPixel = h.biBitCount;
    const uint64_t stride = RowStride(facts->width, facts->bitsPerPixel);
    if (stride > INT32_MAX || stride * static_cast<uint64_t>(facts->height) > view->bitsBytes) return 0;
    facts->stride = static_cast<int32_t>(stride);
    if (facts->bitsPerPixel <= 8)
        facts->tableBytes = 4 * facts->pixels.colourCount;
    else if (h.biCompression == kDibBitFields && h.biSize == 40)
        facts->tableBytes = 12;
    return 1;
}

// Row 0 of a request is the bottom row: for a top-down picture that is the
// last row in memory, reached with a negative stride.
const uint8_t *BottomRow(const uint8_t *bits, int32_t stride, int32_t rows, bool topDown) {
    return topDown ? bits + static_cast<ptrdiff_t>(rows - 1) * stride : bits;
}
uint8_t *BottomRow(uint8_t *bits, int32_t stride, int32_t rows, bool topDown) {
    return topDown ? bits + static_cast<ptrdiff_t>(rows - 1) * stride : bits;
}

// Widening a picture of another depth to 24 bits, in bands of rows.
struct ConvertJob {
    const PixelSource *pixels;
    const uint8_t *bottom;  // row 0, the bottom row
    int32_t step;
    int32_t width;
    int32_t height;
    uint8_t *out;
    uint64_t outStride;
    size_t bands;
};

void ConvertBand(void *context, size_t band) {
    const ConvertJob &job = *static_cast<const ConvertJob *>(context);
    const int32_t from = static_cast<int32_t>(int64_t{job.height} * int64_t(band) / int64_t(job.bands));
    const int32_t to = static_cast<int32_t>(int64_t{job.height} * int64_t(band + 1) / int64_t(job.bands));
    for (int32_t y = from; y < to; ++y)
        PixelFetch_Row24(job.pixels, Resample_Row(job.bottom, job.step, y), 0, job.width,
                         job.out + job.outStride * static_cast<uint32_t>(y));
}

// Widens row r of the source (counted from the bottom) for the area average.
struct RowWidening {
    const PixelSource *pixels;
    const uint8_t *bottom;
    int32_t step;
    int32_t width;

    static void Fetch(const void *context, int64_t row, uint8_t *out) {
        const RowWidening &w = *static_cast<const RowWidening *>(context);
        PixelFetch_Row24(w.pixels, Resample_Row(w.bottom, w.step, row), 0, w.width, out);
    }
};

int AreaAverageWidening(const DibView *source, const SourceFacts &f, const DibInfoHeader &header, int32_t w,
                        int32_t h, ResampledDib *out);

// Large pictures are widened on the task threads: the rows are independent,
// and the fresh buffer's pages are first touched on all threads at once.
size_t ConvertBands(const SourceFacts &f) {
    const TaskRunner *tasks = g_resampleTasks;
    if (tasks == nullptr || tasks->run == nullptr || tasks->threads < 2) return 1;
    if (int64_t{f.width} * f.height < (int64_t{1} << 20) || f.height < 64) return 1;
    return tasks->threads;
}

// A new block: a copy of `header` (headerBytes) with the new size and
// depth; bits zeroed.
int NewPicture(const uint8_t *header, uint32_t headerBytes, int32_t width, int32_t height, bool topDown,
               int32_t bitsPerPixel, ResampledDib *out) {
    if (width <= 0 || height <= 0 || width > kResampleMaxSide || height > kResampleMaxSide) return 0;
    const uint64_t stride = RowStride(width, bitsPerPixel);
    const uint64_t bits = stride * static_cast<uint64_t>(height);
    if (bits > kResampleMaxBits) return 0;
    uint8_t *block = static_cast<uint8_t *>(std::calloc(static_cast<size_t>(headerBytes + bits), 1));
    if (block == nullptr) return 0;
    std::memcpy(block, header, headerBytes);
    DibInfoHeader *h = reinterpret_cast<DibInfoHeader *>(block);
    h->biWidth = width;
    h->biHeight = topDown ? -height : height;
    h->biBitCount = static_cast<uint16_t>(bitsPerPixel);
    h->biSizeImage = static_cast<uint32_t>(bits);
    ResampledDib_Free(out);
    out->block = block;
    out->header = h;
    out->headerBytes = headerBytes;
    out->bits = block + headerBytes;
    out->bitsBytes = bits;
    return 1;
}

// A plain 40-byte 24-bit header carrying the source's resolution.
DibInfoHeader Header24(const DibInfoHeader &source) {
    DibInfoHeader h = {};
    h.biSize = 40;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = kDibRgb;
    h.biXPelsPerMeter = source.biXPelsPerMeter;
    h.biYPelsPerMeter = source.biYPelsPerMeter;
    return h;
}

int CopyPicture(const DibView *view, const SourceFacts &f, ResampledDib *out) {
    const uint32_t headerBytes = view->header->biSize + f.tableBytes;
    if (!NewPicture(reinterpret_cast<const uint8_t *>(view->header), headerBytes, f.width, f.height, f.topDown,
                    f.bitsPerPixel, out))
        return 0;
    // An exact copy: the header as it was, biSizeImage included.
    std::memcpy(out->block, view->header, headerBytes);
    std::memcpy(out->bits, view->bits, static_cast<size_t>(out->bitsBytes));
    return 1;
}

// Colour of a 1 x 1 picture: a palette index beyond the table gives entry 0.
uint32_t OnePixelColour(const DibView *view, const SourceFacts &f) {
    const PixelSource &s = f.pixels;
    if (f.bitsPerPixel <= 8) {
        const uint32_t index = f.bitsPerPixel == 8   ? view->bits[0]
                               : f.bitsPerPixel == 4 ? view->bits[0] >> 4
                                                     : view->bits[0] >> 7;
        return s.palette[index < s.colourCount ? index : 0];
    }
    return PixelFetch_ForDepth(&s)(view->bits, 0, &s);
}

}  // namespace

void ResampledDib_Free(ResampledDib *picture) {
    if (picture == nullptr) return;
    std::free(picture->block);
    *picture = ResampledDib();
}

int Resample_ResolveSize(int32_t srcWidth, int32_t srcHeight, int32_t *width, int32_t *height) {
    if (srcWidth <= 0 || srcHeight <= 0) return 0;
    int64_t w = *width, h = *height;
    if (w < 0 && h < 0) {
        w = srcWidth;
        h = srcHeight;
    }
    if (w == 0) w = srcWidth;
    if (w < 0) {
        const int64_t given = h == 0 ? srcHeight : h;
        w = int64_t{srcWidth} * given / srcHeight;
        if (w > INT32_MAX) return 0;
        if (w < 1) w = 1;
    }
    if (h == 0) h = srcHeight;
    if (h < 0) {
        h = int64_t{srcHeight} * w / srcWidth;
        if (h > INT32_MAX) return 0;
        if (h < 1) h = 1;
    }
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return 1;
}

int Resize_Simple(const DibView *source, int32_t newWidth, int32_t newHeight, ResampledDib *out) {
    SourceFacts f;
    if (out == nullptr || !ReadSource(source, &f)) return 0;
    int32_t w = newWidth, h = newHeight;
    if (!Resample_ResolveSize(f.width, f.height, &w, &h)) return 0;
    if (w == f.width && h == f.height) return CopyPicture(source, f, out);
    ResampledDib result;
    if (!NewPicture(reinterpret_cast<const uint8_t *>(source->header), source->header->biSize + f.tableBytes, w, h,
                    f.topDown, f.bitsPerPixel, &result))
        return 0;
    const int32_t dstStride = static_cast<int32_t>(RowStride(w, f.bitsPerPixel));
    const int32_t srcStep = f.topDown ? -f.stride : f.stride, dstStep = f.topDown ? -dstStride : dstStride;
    if (!Stretch_Nearest(BottomRow(source->bits, f.stride, f.height, f.topDown), srcStep, 0, f.width, f.height,
                         f.bitsPerPixel, BottomRow(result.bits, dstStride, h, f.topDown), dstStep, w, h)) {
        ResampledDib_Free(&result);
        return 0;
    }
    ResampledDib_Free(out);
    *out = result;
    return 1;
}

int Resize_Filtered(const DibView *source, int32_t newWidth, int32_t newHeight, int32_t reduceCode, int32_t enlargeCode,
                    ResampledDib *out) {
    SourceFacts f;
    if (out == nullptr || !ReadSource(source, &f)) return 0;
    int32_t w = newWidth, h = newHeight;
    if (!Resample_ResolveSize(f.width, f.height, &w, &h)) return 0;
    if (w == f.width && h == f.height) return CopyPicture(source, f, out);

    // Code 0 in the direction that applies means no filtering; a change with
    // one side up and one down counts as enlarging.
    const bool enlarging = w > f.width || h > f.height;
    if (reduceCode == kQualityNone ? (enlargeCode == kQualityNone || !enlarging)
                                   : (enlargeCode == kQualityNone && w >= f.width && h >= f.height))
        return Resize_Simple(source, w, h, out);

    const DibInfoHeader header = Header24(*source->header);
    if (f.width == 1 && f.height == 1) {
        if (!NewPicture(reinterpret_cast<const uint8_t *>(&header), 40, w, h, false, 24, out)) return 0;
        Resample_FillColour(out->bits, w, h, static_cast<int32_t>(RowStride(w, 24)), OnePixelColour(source, f));
        return 1;
    }

    // Other depths go through a bottom-up 24-bit copy, so only a 24-bit
    // source keeps a top-down order; its result is written top-down too.
    const bool keepsOrder = f.bitsPerPixel == 24;
    const bool topDown = keepsOrder && f.topDown;
    // The area average reads each source row once, in order: it widens the
    // rows as it goes instead of a whole copy (the usual display copy).
    if (!keepsOrder && !enlarging && Resample_MethodForCode(reduceCode, false) == ResampleMethod::AreaAverage &&
        AreaAverageWidening(source, f, header, w, h, out))
        return 1;
    const uint8_t *srcBottom = nullptr;
    int32_t srcStep = 0;
    ResampleBuffer converted;
    if (keepsOrder) {
        srcBottom = BottomRow(source->bits, f.stride, f.height, f.topDown);
        srcStep = f.topDown ? -f.stride : f.stride;
    } else {
        const uint64_t stride24 = Resample_Stride24(f.width);
        if (stride24 > INT32_MAX || converted.Alloc(stride24 * static_cast<uint32_t>(f.height)) == nullptr) return 0;
        ConvertJob job{&f.pixels, BottomRow(source->bits, f.stride, f.height, f.topDown),
                       f.topDown ? -f.stride : f.stride, f.width, f.height, converted.data(), stride24,
                       ConvertBands(f)};
        Tasks_Run(g_resampleTasks, job.bands, ConvertBand, &job);
        srcBottom = converted.data();
        srcStep = static_cast<int32_t>(stride24);
    }

    ResampledDib result;
    if (!NewPicture(reinterpret_cast<const uint8_t *>(&header), 40, w, h, topDown, 24, &result)) return 0;
    const int32_t dstStride = static_cast<int32_t>(RowStride(w, 24));
    ResampleRequest request = {BottomRow(result.bits, dstStride, h, topDown),
                               w,
                               h,
                               topDown ? -dstStride : dstStride,
                               srcBottom,
                               f.width,
                               f.height,
                               srcStep,
                               1};
    if (!Resample_Dispatch(&request, reduceCode, enlargeCode)) {
        ResampledDib_Free(&result);
        return 0;
    }
    ResampledDib_Free(out);
    *out = result;
    return 1;
}

namespace {

int AreaAverageWidening(const DibView *source, const SourceFacts &f, const DibInfoHeader &header, int32_t w,
                        int32_t h, ResampledDib *out) {
    const RowWidening widening{&f.pixels, BottomRow(source->bits, f.stride, f.height, f.topDown),
                               f.topDown ? -f.stride : f.stride, f.width};
    ResampledDib result;
    if (!NewPicture(reinterpret_cast<const uint8_t *>(&header), 40, w, h, false, 24, &result)) return 0;
    const int32_t dstStride = static_cast<int32_t>(RowStride(w, 24));
    // srcBits only passes the request check; every row comes from the fetch.
    ResampleRequest request = {result.bits, w, h, dstStride, widening.bottom, f.width, f.height,
                               static_cast<int32_t>(Resample_Stride24(f.width)), 0};
    request.fetchRow = RowWidening::Fetch;
    request.fetchContext = &widening;
    if (!Resample_AreaAverageFetched(&request)) {
        ResampledDib_Free(&result);
        return 0;
    }
    ResampledDib_Free(out);
    *out = result;
    return 1;
}

}  // namespace

int Resample_FillOne(const DibInfoHeader *header, uint8_t *dstBits, int32_t dstWidth, int32_t dstHeight,
                     int32_t dstStride, const uint8_t *srcBits) {
    if (dstBits == nullptr || srcBits == nullptr || dstWidth <= 0 || dstHeight <= 0 || dstStride == 0) return 0;
    uint32_t colour = uint32_t{srcBits[0]} | uint32_t{srcBits[1]} << 8 | uint32_t{srcBits[2]} << 16;
    if (header != nullptr) {
        // The table's length follows from the header itself.
        const uint32_t bpp = header->biBitCount;
        uint64_t bytes = header->biSize;
        if (bpp <= 8)
            bytes += 4 * uint64_t{header->biClrUsed && header->biClrUsed < (1u << bpp) ? header->biClrUsed : 1u << bpp};
        else if (header->biCompression == kDibBitFields && header->biSize == 40)
            bytes += 12;
        PixelSource source;
        if (bytes > UINT32_MAX || !PixelSource_FromHeader(header, static_cast<uint32_t>(bytes), &source)) return 0;
        colour = PixelFetch_ForDepth(&source)(srcBits, 0, &source);
    }
    Resample_FillColour(dstBits, dstWidth, dstHeight, dstStride, colour);
    return 1;
}

int Resample_Resize24(const DibInfoHeader *srcHeader, uint32_t srcHeaderBytes, const uint8_t *srcBits,
                      int32_t srcStride, int32_t firstColumn, int32_t srcWidth, int32_t srcHeight, uint8_t *dstBits,
                      int32_t dstBitsPerPixel, int32_t dstWidth, int32_t dstHeight, int32_t dstStride) {
    if (dstBitsPerPixel != 24 || dstBits == nullptr || firstColumn < 0 ||
        !Resample_CheckArgs(dstWidth, dstHeight, dstStride, srcBits, srcWidth, srcHeight, srcStride))
        return 0;
    PixelSource pixels;
    if (!PixelSource_FromHeader(srcHeader, srcHeaderBytes, &pixels)) return 0;
    // The source is read once into 24-bit rows; both methods then run on
    // the same bytes they would have fetched pixel by pixel.
    const uint64_t stride24 = Resample_Stride24(srcWidth);
    ResampleBuffer converted;
    if (stride24 > INT32_MAX || converted.Alloc(stride24 * static_cast<uint32_t>(srcHeight)) == nullptr) return 0;
    for (int32_t y = 0; y < srcHeight; ++y)
        PixelFetch_Row24(&pixels, Resample_Row(srcBits, srcStride, y), firstColumn, srcWidth,
                         converted.data() + stride24 * static_cast<uint32_t>(y));
    ResampleRequest request = {
        dstBits, dstWidth, dstHeight, dstStride, converted.data(), srcWidth, srcHeight, static_cast<int32_t>(stride24),
        0};
    if ((int64_t{srcWidth} + 1) / 2 >= dstWidth && (int64_t{srcHeight} + 1) / 2 >= dstHeight)
        return Resample_IntAverage(&request);
    return Resample_Linear(&request);
}
