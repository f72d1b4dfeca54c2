#include "image/qv_BmpAlpha.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibOps.h"

namespace {

uint32_t U32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct FreeOnExit {
    void *p;
    ~FreeOnExit() { std::free(p); }
};

}  // namespace

DibHandle BmpAlpha_ReadMask(const ByteSource &s) {
    uint8_t head[14 + 56];
    if (!ByteSource_ReadExact(s, head, 14) || head[0] != 'B' || head[1] != 'M') return 0;
    if (!ByteSource_ReadExact(s, head + 14, 56)) return 0;
    const uint8_t *h = head + 14;
    const uint32_t headerSize = U32(h);
    if (headerSize <= 55 || Dib_IsKnownHeaderSize(headerSize) == 0) return 0;
    DibInfoHeader info;
    std::memcpy(&info, h, sizeof info);
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == INT32_MIN) return 0;
    if ((info.biBitCount != 16 && info.biBitCount != 32) || info.biCompression != kDibBitFields) return 0;
    if (info.biClrUsed > 65536) return 0;
    uint32_t masks[4];
    std::memcpy(masks, h + 40, 16);
    const uint32_t rawAlpha = masks[3];
    int shifts[4], widths[4];
    Dib_NormalizeMasks(info.biBitCount, 4, masks, shifts, widths);
    if (masks[3] == 0) return 0;
    const bool alphaByte = info.biBitCount == 32 && rawAlpha == 0xFF000000u;

    // Where the bits start; a missing or impossible offset means right after
    // the colour table.
    const uint64_t tableEnd = 14ull + headerSize + uint64_t(info.biClrUsed) * 4;
    const uint32_t offBits = U32(head + 10);
    const uint64_t start = offBits == 0 || offBits < tableEnd ? tableEnd : offBits;
    const uint64_t consumed = 14 + 56;
    if (start - consumed > 0xFFFFFFFFull || !s.skip(s.context, uint32_t(start - consumed))) return 0;

    const int32_t width = info.biWidth;
    const int32_t rows = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const uint32_t fileStride = Dib_RowStride(info.biBitCount, width);
    const uint32_t maskStride = Dib_RowStride(8, width);
    if (fileStride == 0 || maskStride == 0 || uint64_t(maskStride) * uint64_t(rows) > (uint64_t{1} << 30)) return 0;

    DibRgbQuad grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const DibHandle mask = Dib_Create(width, info.biHeight, 8, 256, 1, grey);
    if (mask == 0) return 0;
    DibData *d = Dibcore_DataDIB(mask);
    FreeOnExit row{std::malloc(fileStride)};
    if (d == nullptr || row.p == nullptr || uint64_t(maskStride) * uint64_t(rows) > d->bitsSize) {
        Dibcore_DeleteDIB(mask);
        return 0;
    }
    const uint8_t *in = static_cast<const uint8_t *>(row.p);
    const int bytes = info.biBitCount / 8;
    int32_t complete = 0;
    // Rows go to the mask in file order, so the mask keeps the file's
    // orientation.
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t *out = d->bits + uint64_t(y) * maskStride;
        uint32_t got = 0;
        while (got < fileStride) {
            const uint32_t n = s.read(s.context, static_cast<uint8_t *>(row.p) + got, fileStride - got);
            if (n == 0) break;
            got += n;
        }
        const int32_t whole = int32_t(got / uint32_t(bytes)) < width ? int32_t(got / uint32_t(bytes)) : width;
        for (int32_t x = 0; x < whole; ++x) {
            if (alphaByte) {
                out[x] = in[x * 4 + 3];
            } else {
                uint32_t v = 0;
                std::memcpy(&v, in + x * bytes, size_t(bytes));
                out[x] = Dib_ScaleTo8Bit((v & masks[3]) >> shifts[3], widths[3]);
            }
        }
        if (got < fileStride) {
            std::memset(out + whole, 0xFF, size_t(width - whole));
            for (int32_t r = y + 1; r < rows; ++r) std::memset(d->bits + uint64_t(r) * maskStride, 0xFF, size_t(width));
            break;
        }
        ++complete;
    }
    if (complete == 0) {
        Dibcore_DeleteDIB(mask);
        return 0;
    }
    return mask;
}
