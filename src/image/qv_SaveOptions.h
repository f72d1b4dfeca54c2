// The options of the four format writers and the option records the image
// library's GIF and PNG writers take. The values live in one record in
// memory (the save panels edit it, the configuration file keeps it); the
// record builders are pure functions of the options and of the picture that
// is actually written. Portable.
#pragma once

#include <cstdint>

#include "dib_gif.h"
#include "dib_png.h"
#include "dibcore_api.h"

struct SaveOptions {
    int32_t bmpTop;     // rows written top-down
    int32_t bmpRle;     // 4/8-bit pictures RLE-compressed when that is smaller
    int32_t gifLace;    // interlaced
    int32_t gifNoCmp;   // uncompressed
    int32_t gifTrans;   // kGifTrans...
    int32_t gifTraCol;  // transparent index for kGifTransIndex
    int32_t jpgProg;    // progressive
    int32_t jpgQual;    // 1..100
    int32_t pngLace;    // Adam7
    int32_t pngCmpLv;   // zlib level 0..9
    int32_t pngFilt;    // kPngFilt...
    int32_t pngTrans;   // kPngTrans...
};

// The options in the order of the [Save] keys of the option table.
enum class SaveOpt : uint8_t {
    BmpTop, BmpRle, GifLace, GifNoCmp, GifTrans, GifTraCol, JpgProg, JpgQual, PngLace, PngCmpLv, PngFilt, PngTrans,
    Count
};

// GIF transparency: none, the index of gifTraCol, or the pixel in a corner.
enum : int32_t { kGifTransNone = 0, kGifTransIndex = 1, kGifTransTopLeft = 2, kGifTransBottomRight = 5 };
// PNG transparency: none or the pixel in a corner (four corners, no more).
enum : int32_t { kPngTransNone = 0, kPngTransTopLeft = 1, kPngTransBottomRight = 4 };
// PNG row filters: none only, the cheap ones, all five.
enum : int32_t { kPngFiltNone = 0, kPngFiltSpeed = 1, kPngFiltSize = 2 };

struct SaveOptionRange {
    int32_t min, max, def;
};

const SaveOptionRange &SaveOptions_Range(SaveOpt id);
SaveOptions SaveOptions_Defaults();
int32_t SaveOptions_Get(const SaveOptions &options, SaveOpt id);
// Clamped to the option's range, as a value typed in a panel or read from
// the configuration file.
void SaveOptions_Set(SaveOptions &options, SaveOpt id, int32_t value);

// The options the writers use; the defaults until a panel or the
// configuration file changes them.
extern SaveOptions g_saveOptions;

// Corner 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right of a
// width x height picture, y from the top. A 1-wide or 1-high picture has its
// corners on the one column or row.
void SaveCorner_Point(int corner, int32_t width, int32_t height, int32_t *x, int32_t *y);

// DIBtoGIFex's record for `written`, the 1/4/8-bit picture handed to the
// library: a corner's transparent index is that picture's own pixel value,
// never one read from the picture before its reduction to a palette.
// false (record zeroed) when a corner pixel cannot be read.
bool SaveGif_Options(const SaveOptions &options, DibHandle written, GifSaveOptions *record);
// DIBtoPNGex's record for `written`: a palette picture's corner gives its
// index (with kPngSaveIndex), any other picture the pixel's COLORREF.
bool SavePng_Options(const SaveOptions &options, DibHandle written, PngSaveOptions *record);
// DIBtoJPG's flags.
uint32_t SaveJpeg_Flags(const SaveOptions &options);
