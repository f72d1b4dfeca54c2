#include "image/qv_DibRows.h"

bool DibRows_Open(const DibData *data, DibRows *out) {
    if (data == nullptr || data->header == nullptr || data->bits == nullptr) return false;
    if (!Dib_IsValidPacked(data->header)) return false;
    DibFields f;
    if (Dib_GetHeaderFields(data->header, &f) == 0 || f.kind == kDibKindCore) return false;
    if (f.compression != kDibRgb && f.compression != kDibBitFields) return false;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    if (stride == 0 || uint64_t(stride) * uint64_t(f.height) > data->bitsSize) return false;
    out->fields = f;
    out->stride = stride;
    out->bits = data->bits;
    return true;
}

bool DibRows_WholeTable(const DibData *data, uint8_t **entries, uint32_t *count) {
    *entries = nullptr;
    *count = 0;
    if (data == nullptr || data->header == nullptr) return false;
    const uint8_t *table = nullptr;
    uint32_t n = 0;
    const uint32_t kindDepth = Dib_GetColorTable(data->header, data->headerSize, &table, nullptr, &n);
    if (kindDepth == 0 || (kindDepth >> 16) == kDibKindCore || table == nullptr || n == 0) return false;
    // The table lies inside the header block the library lets us change.
    *entries = const_cast<uint8_t *>(table);
    *count = n;
    return true;
}

bool DibRows_Palette(const DibData *data, uint8_t **entries, uint32_t *count) {
    uint32_t n = 0;
    if (!DibRows_WholeTable(data, entries, &n)) return false;
    DibFields f;
    Dib_GetHeaderFields(data->header, &f);
    if (f.depth > 8) {
        *entries = nullptr;
        return false;
    }
    *count = n > (1u << f.depth) ? 1u << f.depth : n;
    return true;
}

bool DibRows_IsPlain32(const void *header) {
    DibFields f;
    uint32_t masks[3];
    if (Dib_GetHeaderFields(header, &f) == 0 || f.depth != 32 || !Dib_EffectiveMasks(header, masks)) return false;
    return f.compression == kDibRgb || Dib_IsStandardMasks(2, masks);
}
