#include "image/qv_SaveOptions.h"

#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"

namespace {

struct SaveOptionRow {
    int32_t SaveOptions::*field;
    SaveOptionRange range;
};

// One row per option, in SaveOpt order.
const SaveOptionRow kRows[] = {
    {&SaveOptions::bmpTop, {0, 1, 0}},
    {&SaveOptions::bmpRle, {0, 1, 0}},
    {&SaveOptions::gifLace, {0, 1, 0}},
    {&SaveOptions::gifNoCmp, {0, 1, 0}},
    {&SaveOptions::gifTrans, {kGifTransNone, kGifTransBottomRight, kGifTransNone}},
    {&SaveOptions::gifTraCol, {0, 255, 0}},
    {&SaveOptions::jpgProg, {0, 1, 0}},
    {&SaveOptions::jpgQual, {1, 100, 90}},
    {&SaveOptions::pngLace, {0, 1, 0}},
    {&SaveOptions::pngCmpLv, {0, 9, 6}},
    {&SaveOptions::pngFilt, {kPngFiltNone, kPngFiltSize, kPngFiltSpeed}},
    {&SaveOptions::pngTrans, {kPngTransNone, kPngTransBottomRight, kPngTransNone}},
};
static_assert(sizeof kRows / sizeof kRows[0] == size_t(SaveOpt::Count), "one row per option");

// The library's JPEG writer flag for progressive scans.
constexpr uint32_t kJpegSaveProgressive = 1;

int32_t Clamp(int32_t v, const SaveOptionRange &r) { return v < r.min ? r.min : v > r.max ? r.max : v; }

SaveOptions MakeDefaults() {
    SaveOptions o{};
    for (const SaveOptionRow &row : kRows) o.*row.field = row.range.def;
    return o;
}

}  // namespace

SaveOptions g_saveOptions = MakeDefaults();

const SaveOptionRange &SaveOptions_Range(SaveOpt id) {
    const size_t i = size_t(id) < size_t(SaveOpt::Count) ? size_t(id) : 0;
    return kRows[i].range;
}

SaveOptions SaveOptions_Defaults() { return MakeDefaults(); }

int32_t SaveOptions_Get(const SaveOptions &options, SaveOpt id) {
    if (size_t(id) >= size_t(SaveOpt::Count)) return 0;
    return options.*kRows[size_t(id)].field;
}

void SaveOptions_Set(SaveOptions &options, SaveOpt id, int32_t value) {
    if (size_t(id) >= size_t(SaveOpt::Count)) return;
    const SaveOptionRow &row = kRows[size_t(id)];
    options.*row.field = Clamp(value, row.range);
}

void SaveCorner_Point(int corner, int32_t width, int32_t height, int32_t *x, int32_t *y) {
    const bool right = corner == 1 || corner == 3, bottom = corner == 2 || corner == 3;
    *x = right && width > 0 ? width - 1 : 0;
    *y = bottom && height > 0 ? height - 1 : 0;
}

namespace {

// The corner's pixel as a raw value (palette index or packed value) or as
// a COLORREF.
bool CornerPixel(DibHandle picture, int corner, bool asColour, uint32_t *out) {
    *out = 0;
    int32_t w = 0, h = 0;
    DibData *data = nullptr;
    if (Dib_GetInfo(picture, &w, &data, &h, 1) == 0) return false;
    int32_t x, y;
    SaveCorner_Point(corner, w, h, &x, &y);
    return asColour ? PixelValue_ReadColour(data, x, y, out) : PixelValue_Read(data, x, y, out);
}

}  // namespace

bool SaveGif_Options(const SaveOptions &options, DibHandle written, GifSaveOptions *record) {
    GifSaveOptions &r = *record;
    r = GifSaveOptions{};
    if (options.gifLace) r.flags |= kGifSaveInterlace;
    if (options.gifNoCmp) r.flags |= kGifSaveUncompressed;
    const int32_t mode = Clamp(options.gifTrans, kRows[size_t(SaveOpt::GifTrans)].range);
    if (mode == kGifTransNone) return true;
    // The writer's own marker bit 0x20000 goes with the transparency bit.
    r.flags |= 0x20000u | kGifSaveTransparent;
    if (mode == kGifTransIndex) {
        r.transparentIndex = uint32_t(Clamp(options.gifTraCol, kRows[size_t(SaveOpt::GifTraCol)].range));
        return true;
    }
    if (CornerPixel(written, mode - kGifTransTopLeft, false, &r.transparentIndex)) return true;
    r = GifSaveOptions{};
    return false;
}

bool SavePng_Options(const SaveOptions &options, DibHandle written, PngSaveOptions *record) {
    PngSaveOptions &r = *record;
    r = PngSaveOptions{};
    r.flags = kPngSaveBase | (options.pngLace ? kPngSaveInterlace : 0u);
    r.level = uint16_t(Clamp(options.pngCmpLv, kRows[size_t(SaveOpt::PngCmpLv)].range));
    static const uint32_t kFilterSets[] = {kPngFilterNone, kPngFilterNone | kPngFilterSub | kPngFilterUp,
                                           kPngFilterAll};
    r.filters = kFilterSets[Clamp(options.pngFilt, kRows[size_t(SaveOpt::PngFilt)].range)];
    // A value past the fourth corner (an older file allowed one more) counts
    // as the last corner rather than reading outside the corner table.
    const int32_t mode = Clamp(options.pngTrans, kRows[size_t(SaveOpt::PngTrans)].range);
    if (mode == kPngTransNone) return true;
    const int32_t depth = Dib_GetInfo(written, nullptr, nullptr, nullptr, 1);
    const bool palette = depth != 0 && depth <= 8;
    r.flags |= kPngSaveTransparent;
    if (palette) r.indexFlag = kPngSaveIndex;
    if (depth != 0 && CornerPixel(written, mode - kPngTransTopLeft, !palette, &r.transparent)) return true;
    r = PngSaveOptions{};
    return false;
}

uint32_t SaveJpeg_Flags(const SaveOptions &options) { return options.jpgProg ? kJpegSaveProgressive : 0u; }
