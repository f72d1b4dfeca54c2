#include "image/qv_DibDraw.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibScale.h"
#include "image/qv_DrawMath.h"
#include "util/qv_SysVersion.h"

namespace {

int RealRasterCaps(HDC dc) { return GetDeviceCaps(dc, RASTERCAPS); }
bool RealIsWin9x() {
    const int code = Sys_GetOsVersionCode();
    return code >= 20 && code <= 22;
}
int32_t RealWideLimit() {
    if (!RealIsWin9x()) return INT32_MAX;
    const int32_t screen = GetSystemMetrics(SM_CXSCREEN);
    return screen > 4000 ? screen : screen * 2;
}

// A heap block released on every path.
struct Block {
    void *p = nullptr;
    explicit Block(size_t n) : p(n ? std::calloc(1, n) : nullptr) {}
    ~Block() { std::free(p); }
    bool Reset(size_t n) {
        std::free(p);
        p = std::calloc(1, n);
        return p != nullptr;
    }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;
};

struct MemoryDc {
    HDC dc;
    HGDIOBJ old = nullptr;
    explicit MemoryDc(HDC compatible) : dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDc() {
        if (old) SelectObject(dc, old);
        if (dc) DeleteDC(dc);
    }
    MemoryDc(const MemoryDc &) = delete;
    MemoryDc &operator=(const MemoryDc &) = delete;
};

struct Section {
    HBITMAP bitmap = nullptr;
    uint8_t *bits = nullptr;
    ~Section() {
        if (bitmap) DeleteObject(bitmap);
    }
};

// A copy of the header and table with a new size (and depth, when not 0).
bool CopyHeader(const void *header, int32_t width, int32_t height, int32_t depth, Block &out) {
    const uint32_t size = Dib_HeaderAndPaletteSize(header);
    DibFields f;
    if (size == 0 || Dib_GetHeaderFields(header, &f) == 0 || f.kind == kDibKindCore) return false;
    if (!out.Reset(size + 1024)) return false;  // room for a table that a depth change adds
    std::memcpy(out.p, header, size);
    DibInfoHeader h;
    std::memcpy(&h, out.p, sizeof h);
    h.biWidth = width;
    h.biHeight = height;
    h.biSizeImage = 0;
    if (depth != 0 && depth != h.biBitCount) {
        h.biBitCount = uint16_t(depth);
        h.biCompression = kDibRgb;
        h.biClrUsed = 0;
    }
    std::memcpy(out.p, &h, sizeof h);
    return true;
}

int DrawOneToOne(HDC dc, int caps, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy,
                 int32_t bandRows, const uint8_t *bits, const void *header) {
    const BITMAPINFO *bmi = static_cast<const BITMAPINFO *>(header);
    if (caps & RC_DIBTODEV)
        return SetDIBitsToDevice(dc, dx, dy, DWORD(w), DWORD(h), sx, sy, 0, UINT(bandRows), bits, bmi,
                                 DIB_RGB_COLORS) != 0;
    return StretchDIBits(dc, dx, dy, w, h, sx, sy, w, h, bits, bmi, DIB_RGB_COLORS, SRCCOPY) != int(GDI_ERROR);
}

// Graphics-interface DIB functions: the picture goes to the device as it is.
int DrawDib(HDC dc, int caps, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
            int32_t sh, const uint8_t *bits, const void *header, const DibFields &f, bool ownScaling, uint32_t flags) {
    if (ownScaling) {
        const int32_t depth = (flags & kDrawQuality) ? 24 : f.depth;
        Block temp(0);
        if (!CopyHeader(header, dw, -dh, depth, temp)) return 0;
        const uint32_t stride = Dib_RowStride(depth, dw);
        Block scaled(size_t(uint64_t(stride) * uint64_t(dh)));
        DibData src{Dib_HeaderAndPaletteSize(header), 0, const_cast<DibInfoHeader *>(static_cast<const DibInfoHeader *>(header)),
                    const_cast<uint8_t *>(bits)};
        src.bitsSize = uint32_t(uint64_t(Dib_RowStride(f.depth, f.width)) * uint64_t(f.height));
        if (scaled.p == nullptr || !Dib_ScaleNearest(temp.p, static_cast<uint8_t *>(scaled.p), src, sx, sy, sw, sh))
            return 0;
        return DrawOneToOne(dc, caps, dx, dy, dw, dh, 0, 0, dh, static_cast<uint8_t *>(scaled.p), temp.p);
    }
    const bool compressed = f.compression == kDibRle8 || f.compression == kDibRle4;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    if (!compressed && sw < f.width && f.width > g_drawSeams.widePictureLimit()) {
        // Old systems choke on very wide pictures: hand over only the columns
        // and rows that are drawn.
        Block temp(0);
        if (!CopyHeader(header, sw, -sh, 0, temp)) return 0;
        Block part(size_t(uint64_t(Dib_RowStride(f.depth, sw)) * uint64_t(sh)));
        if (part.p == nullptr ||
            !Dib_CopyRect(temp.p, static_cast<uint8_t *>(part.p), 0, 0, sw, sh, header, bits, sx, sy))
            return 0;
        if (sw == dw && sh == dh) return DrawOneToOne(dc, caps, dx, dy, sw, sh, 0, 0, sh, static_cast<uint8_t *>(part.p), temp.p);
        return StretchDIBits(dc, dx, dy, dw, dh, 0, 0, sw, sh, part.p, static_cast<BITMAPINFO *>(temp.p),
                             DIB_RGB_COLORS, SRCCOPY) != int(GDI_ERROR);
    }
    const void *drawHeader = header;
    const uint8_t *drawBits = bits;
    int32_t srcY = 0, rows = f.height;
    Block band(0);
    if (compressed) {
        // The graphics interface counts source rows of a bottom-up picture
        // from the bottom.
        srcY = f.height - sy - sh;
    } else if (sh < f.height) {
        // Only the rows that are drawn: a header of that many rows and the
        // bits pointer moved to the first of them.
        if (f.kind == kDibKindCore) {
            const uint32_t size = Dib_HeaderAndPaletteSize(header);
            if (!band.Reset(size)) return 0;
            std::memcpy(band.p, header, size);
            DibCoreHeader c;
            std::memcpy(&c, band.p, sizeof c);
            c.bcHeight = uint16_t(sh);
            std::memcpy(band.p, &c, sizeof c);
        } else if (!CopyHeader(header, f.width, f.signedHeight < 0 ? -sh : sh, 0, band)) {
            return 0;
        }
        const int32_t firstStored = f.signedHeight < 0 ? sy : f.height - sy - sh;
        drawBits = bits + uint64_t(firstStored) * stride;
        drawHeader = band.p;
        rows = sh;
    } else {
        srcY = 0;
    }
    if (sw != dw || sh != dh)
        return StretchDIBits(dc, dx, dy, dw, dh, sx, srcY, sw, sh, drawBits, static_cast<const BITMAPINFO *>(drawHeader),
                             DIB_RGB_COLORS, SRCCOPY) != int(GDI_ERROR);
    if (compressed && (caps & RC_DIBTODEV))  // SetDIBitsToDevice takes scan lines, not a compressed stream
        caps &= ~RC_DIBTODEV;
    return DrawOneToOne(dc, caps, dx, dy, sw, sh, sx, srcY, rows, drawBits, drawHeader);
}

// A DIB section blitted with BitBlt or StretchBlt, for devices without DIB
// functions.
int DrawSection(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, const uint8_t *bits, const void *header, const DibFields &f, bool ownScaling,
                uint32_t flags) {
    if (f.compression == kDibRle8 || f.compression == kDibRle4) return 0;
    const int32_t w = ownScaling ? dw : sw, h = ownScaling ? dh : sh;
    const int32_t depth = ownScaling && (flags & kDrawQuality) ? 24 : f.depth;
    Block temp(0);
    if (!CopyHeader(header, w, -h, depth, temp)) return 0;
    Section section;
    void *sectionBits = nullptr;
    section.bitmap = CreateDIBSection(dc, static_cast<BITMAPINFO *>(temp.p), DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (section.bitmap == nullptr || sectionBits == nullptr) return 0;
    GdiFlush();
    section.bits = static_cast<uint8_t *>(sectionBits);
    if (ownScaling) {
        DibData src{Dib_HeaderAndPaletteSize(header), 0, const_cast<DibInfoHeader *>(static_cast<const DibInfoHeader *>(header)),
                    const_cast<uint8_t *>(bits)};
        src.bitsSize = uint32_t(uint64_t(Dib_RowStride(f.depth, f.width)) * uint64_t(f.height));
        if (!Dib_ScaleNearest(temp.p, section.bits, src, sx, sy, sw, sh)) return 0;
    } else if (!Dib_CopyRect(temp.p, section.bits, 0, 0, sw, sh, header, bits, sx, sy)) {
        return 0;
    }
    MemoryDc memory(dc);
    if (memory.dc == nullptr) return 0;
    memory.old = SelectObject(memory.dc, section.bitmap);
    if (memory.old == nullptr) return 0;
    if (!ownScaling && (sw != dw || sh != dh))
        return StretchBlt(dc, dx, dy, dw, dh, memory.dc, 0, 0, sw, sh, SRCCOPY) != 0;
    return BitBlt(dc, dx, dy, w, h, memory.dc, 0, 0, SRCCOPY) != 0;
}

}  // namespace

DrawSeams g_drawSeams = {RealRasterCaps, RealIsWin9x, RealWideLimit};

void DrawSeams_Reset() { g_drawSeams = DrawSeams{RealRasterCaps, RealIsWin9x, RealWideLimit}; }

int Dib_DrawEx(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
               int32_t sh, const uint8_t *bits, const void *header, uint32_t flags) {
    if (dc == nullptr || bits == nullptr || header == nullptr) return 0;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return 1;
    int caps = g_drawSeams.rasterCaps(dc);
    if (caps == 0) return 0;
    if (flags & kDrawForceDevice) flags |= kDrawDeviceStretches;
    if (flags & kDrawNoDibToDevice) caps &= ~RC_DIBTODEV;
    if (dw < 0) dw = -dw;
    if (dh < 0) dh = -dh;
    if (sw < 0) sw = -sw;
    if (sh < 0) sh = -sh;
    DibFields f;
    if (!Dib_IsValidPacked(header)) return 0;
    Dib_GetHeaderFields(header, &f);
    if (!Draw_ClipSpan(&sx, &sw, &dx, &dw, f.width) || !Draw_ClipSpan(&sy, &sh, &dy, &dh, f.height)) return 0;
    const bool sizesDiffer = sw != dw || sh != dh;
    if (sizesDiffer && (flags & kDrawDeviceStretches)) {
        if (g_drawSeams.isWin9x() && !(flags & kDrawForceDevice) &&
            (Draw_ScalePercent(dw, sw) < 16 || Draw_ScalePercent(dh, sh) < 16))
            flags &= ~uint32_t(kDrawDeviceStretches);  // strong reductions are scaled by the program
        if ((flags & kDrawDeviceStretches) && !(caps & RC_STRETCHDIB)) caps &= ~RC_DIBTODEV;
    }
    const bool ownScaling = sizesDiffer && !(flags & kDrawDeviceStretches);
    if (caps & (RC_STRETCHDIB | RC_DIBTODEV))
        return DrawDib(dc, caps, dx, dy, dw, dh, sx, sy, sw, sh, bits, header, f, ownScaling, flags);
    return DrawSection(dc, dx, dy, dw, dh, sx, sy, sw, sh, bits, header, f, ownScaling, flags);
}

int Dib_Draw(DibHandle handle, HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
             int32_t sw, int32_t sh, uint32_t flags) {
    if (!Dibcore_RLEtoDIB(handle)) return 0;
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr) return 0;
    return Dib_DrawEx(dc, dx, dy, dw, dh, sx, sy, sw, sh, d->bits, d->header, flags);
}

int DibHolder_DrawToDC(DibHolder &h, HDC dc, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (h.handle == 0) return 0;
    const int ok = Dib_Draw(h.handle, dc, x, y, width, height, 0, 0, width, height, 0);
    DibHolder_Lock(h);  // RLEtoDIB may have moved the storage
    return ok;
}

int DibHolder_StretchToDC(DibHolder &h, HDC dc, const RECT &placement, uint32_t flags) {
    if (h.handle == 0) return 0;
    const int32_t w = DibHolder_GetWidth(h), ht = DibHolder_GetHeight(h);
    const int ok = Dib_Draw(h.handle, dc, placement.left, placement.top, placement.right - placement.left,
                            placement.bottom - placement.top, 0, 0, w, ht, flags);
    DibHolder_Lock(h);
    return ok;
}
