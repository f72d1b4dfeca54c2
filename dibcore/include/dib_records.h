// Record layouts shared by dibcore.dll and the program. No <windows.h> here:
// the portable code builds natively too, so the DIB headers are spelled out
// with fixed-width types and their Windows layout is pinned by static_assert.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// BITMAPCOREHEADER (12 bytes).
struct DibCoreHeader {
    uint32_t bcSize;
    uint16_t bcWidth;
    uint16_t bcHeight;
    uint16_t bcPlanes;
    uint16_t bcBitCount;
};

// BITMAPINFOHEADER (40 bytes); longer headers (52..124) start with it.
struct DibInfoHeader {
    uint32_t biSize;
    int32_t  biWidth;
    int32_t  biHeight;       // positive: bottom-up rows; negative: top-down
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t  biXPelsPerMeter;
    int32_t  biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

// BITMAPV4HEADER prefix that holds the masks (bytes 40..55).
struct DibV4Masks {
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    uint32_t alphaMask;
};

// BITMAPFILEHEADER (14 bytes).
struct DibFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};

// RGBQUAD: blue, green, red, reserved.
struct DibRgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

#pragma pack(pop)

enum : uint32_t {
    kDibRgb = 0,
    kDibRle8 = 1,
    kDibRle4 = 2,
    kDibBitFields = 3,
};

// What DataDIB returns for a handle. The packed DIB (header, then colour table
// or masks) and the pixel bits both belong to the library; an operation that
// changes the picture may move them, so callers fetch the record again.
struct DibData {
    uint32_t headerSize;     // bytes of header plus colour table or masks
    uint32_t bitsSize;       // bytes of pixel bits
    DibInfoHeader *header;   // packed DIB; a core header when biSize is 12
    uint8_t *bits;           // rows padded to 4 bytes
};

using DibHandle = int32_t;

static_assert(sizeof(DibCoreHeader) == 12, "BITMAPCOREHEADER layout");
static_assert(sizeof(DibInfoHeader) == 40, "BITMAPINFOHEADER layout");
static_assert(offsetof(DibInfoHeader, biBitCount) == 14, "BITMAPINFOHEADER layout");
static_assert(offsetof(DibInfoHeader, biClrUsed) == 32, "BITMAPINFOHEADER layout");
static_assert(sizeof(DibFileHeader) == 14, "BITMAPFILEHEADER layout");
static_assert(offsetof(DibFileHeader, bfOffBits) == 10, "BITMAPFILEHEADER layout");
static_assert(sizeof(DibRgbQuad) == 4, "RGBQUAD layout");
static_assert(sizeof(void *) != 8 || sizeof(DibData) == 24, "DibData layout on x86_64");
static_assert(sizeof(void *) != 8 || offsetof(DibData, bits) == 16, "DibData layout on x86_64");
