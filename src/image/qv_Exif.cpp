#include "image/qv_Exif.h"

#include <cstring>

#include "image/qv_DibHolder.h"

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

struct Tiff {
    bool bigEndian;
    uint16_t U16(const uint8_t *p) const { return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]); }
    uint32_t U32(const uint8_t *p) const {
        return bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                         : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

// The APP1 body (length `body`) has just begun. Returns the orientation, 0
// when the segment has none.
int ReadApp1(const ByteSource &s, uint32_t body) {
    uint8_t head[14];
    if (!ByteSource_ReadExact(s, head, sizeof head)) return 0;
    if (std::memcmp(head, "Exif\0\0", 6) != 0) return 0;
    Tiff tiff;
    if (std::memcmp(head + 6, "MM\0\x2A", 4) == 0) tiff.bigEndian = true;
    else if (std::memcmp(head + 6, "II\x2A\0", 4) == 0) tiff.bigEndian = false;
    else return 0;
    const uint32_t tiffSize = body - 6;  // body >= 14 was checked by the caller
    const uint32_t ifd = tiff.U32(head + 10);
    // The count (2 bytes) must lie inside the segment.
    if (ifd < 8 || ifd > tiffSize || tiffSize - ifd < 2) return 0;
    if (!s.skip(s.context, ifd - 8)) return 0;
    uint8_t countBytes[2];
    if (!ByteSource_ReadExact(s, countBytes, 2)) return 0;
    const uint32_t room = (tiffSize - ifd - 2) / 12;
    uint32_t entries = tiff.U16(countBytes);
    if (entries > room) entries = room;
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t e[12];
        if (!ByteSource_ReadExact(s, e, sizeof e)) return 0;
        if (tiff.U16(e) != kOrientationTag) continue;
        if (tiff.U16(e + 2) != kTypeShort || tiff.U32(e + 4) != 1) return 0;
        const uint16_t v = tiff.U16(e + 8);
        return v >= 1 && v <= 8 ? v : 0;
    }
    return 0;
}

const ExifFix kFixes[9] = {
    {0, 0}, {0, 0}, {1, 0}, {0, 180}, {2, 0}, {2, 90}, {0, 90}, {1, 90}, {0, 270},
};

}  // namespace

int Exif_ReadOrientation(const ByteSource &s) {
    uint8_t soi[2];
    if (!ByteSource_ReadExact(s, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return 0;
    for (;;) {
        uint8_t m[4];
        if (!ByteSource_ReadExact(s, m, 4) || m[0] != 0xFF) return 0;
        const uint32_t length = uint32_t(m[2]) << 8 | m[3];
        if (length < 2) return 0;
        const uint32_t body = length - 2;
        if (m[1] >= 0xD0 && m[1] <= 0xDA) return 0;  // restart, SOI, EOI, SOS: no header segments follow
        if (m[1] != 0xE1 || body < 14) {
            if (!s.skip(s.context, body)) return 0;
            continue;
        }
        // The first APP1 decides: a non-EXIF one ends the search.
        return ReadApp1(s, body);
    }
}

ExifFix Exif_FixFor(int orientation) {
    return orientation >= 0 && orientation <= 8 ? kFixes[orientation] : kFixes[0];
}

int Exif_ApplyOrientation(DibHolder &picture, int orientation) {
    const ExifFix fix = Exif_FixFor(orientation);
    if (fix.mirror != 0 && !DibHolder_Mirror(picture, nullptr, fix.mirror == 2)) return 0;
    if (fix.turn != 0 && !DibHolder_Turn(picture, fix.turn)) return 0;
    return 1;
}
