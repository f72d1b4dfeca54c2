#include "image/qv_Sniff.h"

#include <cstring>

#include "image/qv_DibCore.h"

namespace {

uint32_t U32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

const uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Masks run red above green above blue, each 1..8 bits, together one run of
// ones from bit 0.
bool PlainPackedMasks(const uint32_t *m) {
    uint32_t expectShift = 0;
    for (int i = 2; i >= 0; --i) {
        const uint32_t v = m[i];
        if (v == 0 || (v >> expectShift) << expectShift != v) return false;
        const uint32_t run = v >> expectShift;
        if ((run & (run + 1)) != 0) return false;  // not one run starting at expectShift
        int width = 0;
        while ((run >> width) & 1u) ++width;
        if (width < 1 || width > 8) return false;
        expectShift += uint32_t(width);
    }
    return true;
}

}  // namespace

bool Bmp_IsValidFileHeader(const uint8_t *head) {
    const uint8_t *h = head + 14;
    const uint32_t size = U32(h);
    if (size == 12) {
        const uint16_t depth = U16(h + 10);
        return U16(h + 4) != 0 && U16(h + 6) != 0 && (depth == 1 || depth == 4 || depth == 8 || depth == 24);
    }
    if (size < 40 || size > 124) return false;
    const int32_t width = int32_t(U32(h + 4)), height = int32_t(U32(h + 8));
    const uint16_t depth = U16(h + 14);
    const uint32_t compression = U32(h + 16);
    if (width <= 0 || height == 0) return false;
    return LegalDepthCompression(depth, compression);
}

int Format_SniffBytes(const uint8_t *head) {
    if (head == nullptr) return kSniffNone;
    if (head[0] == 'B' && head[1] == 'M') return Bmp_IsValidFileHeader(head) ? kSniffBmp : kSniffNone;
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return head[3] == 0xD8 || head[3] == 0xD9 ? kSniffNone : kSniffJpeg;
    if (std::memcmp(head, "GIF8", 4) == 0)
        return (head[4] == '7' || head[4] == '9') && head[5] == 'a' ? kSniffGif : kSniffNone;
    if (std::memcmp(head, kPngSignature, 8) == 0) return kSniffPng;
    return kSniffNone;
}

int32_t Format_LoaderIdForSniff(int sniff) { return sniff >= kSniffBmp && sniff <= kSniffGif ? sniff + 1 : 0; }

bool Bmp_MasksNeed24Bit(const uint32_t *masks, int32_t depth, bool loadBf24, bool win9x) {
    if (depth == 16) {
        if (loadBf24) return true;
        if (masks == nullptr || Dib_IsStandardMasks(0, masks)) return false;
        if (Dib_IsStandardMasks(1, masks)) return false;
    } else if (depth == 32) {
        if (masks == nullptr) return false;
        if (loadBf24) return true;
        if (Dib_IsStandardMasks(2, masks)) return false;
    } else {
        return false;
    }
    if (win9x) return true;
    return !PlainPackedMasks(masks);
}
