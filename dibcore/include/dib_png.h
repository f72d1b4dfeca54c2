// Records of the PNG entry points, shared by dibcore.dll and the program.
// Their layout is fixed: the program fills and reads them at byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>

// Flags of PngInfo::flags after InfoPNG/InfoPNGM.
enum : uint32_t {
    kPngInfoTransparency = 0x8,         // transparency information present
    kPngInfoBackground = 0x10,          // background colour present
    kPngInfoBackgroundIndex = 0x10000,  // background is a palette index
    kPngInfoReplaceOne = 0x20000,       // transparency is one palette index to replace
    kPngInfoAsked = 0x50018,            // what callers put in flags before the call
};

// Palette alpha table: one alpha byte per palette entry and the number of
// entries the file gave (the rest are opaque). The caller zeroes it.
struct PngAlphaTable {
    uint8_t alpha[256];
    int32_t count;
};

// Filled by InfoPNG/InfoPNGM; a failed call zeroes it.
//
// The palette alpha table travels in the call's first spare argument
// (`spare1`, pointer sized on every build), never in `transparent`: on x86_64
// a 32-bit field cannot hold an address. Pass the table's address as spare1,
// or 0 when the alpha table is not wanted. `transparent` is output only.
struct PngInfo {
    uint32_t flags;        // kPngInfo... flags
    uint32_t unused[3];
    uint32_t transparent;  // transparent COLORREF, or palette index with kPngInfoReplaceOne
    uint32_t background;   // COLORREF, or palette index with kPngInfoBackgroundIndex
    uint32_t zero[3];
};

// Flags of PngSaveOptions::flags.
enum : uint32_t {
    kPngSaveBase = 0x3,          // always set by the program
    kPngSaveTransparent = 0x8,   // write `transparent` as the tRNS chunk
    kPngSaveInterlace = 0x80,    // Adam7
};

// PngSaveOptions::indexFlag value: `transparent` is a palette index.
constexpr uint16_t kPngSaveIndex = 2;

// Row filter choice of PngSaveOptions::filters (bit per PNG filter type).
enum : uint32_t {
    kPngFilterNone = 0x08,
    kPngFilterSub = 0x10,
    kPngFilterUp = 0x20,
    kPngFilterAvg = 0x40,
    kPngFilterPaeth = 0x80,
    kPngFilterAll = 0xF8,
};

// The option record of DIBtoPNGex.
struct PngSaveOptions {
    uint32_t flags;         // kPngSave... flags
    uint16_t level;         // zlib compression level 0..9
    uint16_t indexFlag;     // kPngSaveIndex: `transparent` is a palette index
    uint32_t filters;       // kPngFilter... set; 0 means none only
    uint32_t reserved;
    uint32_t transparent;   // COLORREF (red low byte) or palette index
    uint32_t zero[4];
};

static_assert(sizeof(PngAlphaTable) == 260, "palette alpha table layout");
static_assert(offsetof(PngAlphaTable, count) == 256, "palette alpha table layout");
static_assert(sizeof(PngInfo) == 36, "PngInfo layout");
static_assert(offsetof(PngInfo, transparent) == 16, "PngInfo layout");
static_assert(offsetof(PngInfo, background) == 20, "PngInfo layout");
static_assert(sizeof(PngSaveOptions) == 36, "PngSaveOptions layout");
static_assert(offsetof(PngSaveOptions, level) == 4, "PngSaveOptions layout");
static_assert(offsetof(PngSaveOptions, indexFlag) == 6, "PngSaveOptions layout");
static_assert(offsetof(PngSaveOptions, filters) == 8, "PngSaveOptions layout");
static_assert(offsetof(PngSaveOptions, transparent) == 16, "PngSaveOptions layout");
