#include "image/qv_MekoTable.h"

#include <algorithm>
#include <cstring>

#include "util/qv_Crc32.h"

const uint8_t kMekoSignature[kMekoSignatureBytes] = {0xAF, 0x44, 0x41, 0x54, 0x0D, 0x0A, 0x1A, 0x0A,
                                                     'M',  'e',  'k',  'o',  'R',  'a',  'n',  'd'};

namespace {

uint32_t LoadU32(const uint8_t *p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// A cell index must fit beside its entry in one sort key.
static_assert(kMekoMaxLength / 2 <= 0x10000, "cell index needs more than 16 bits");

}  // namespace

MekoTableStatus MekoTable_ParseHeader(const uint8_t *bytes, size_t size, MekoTableHeader *header) {
    if (bytes == nullptr || size < kMekoHeaderBytes) return kMekoTableShortHeader;
    if (std::memcmp(bytes, kMekoSignature, kMekoSignatureBytes) != 0) return kMekoTableBadSignature;
    const uint32_t length = LoadU32(bytes + 16);
    if (length < kMekoMinLength || length > kMekoMaxLength) return kMekoTableBadLength;
    header->length = length;
    header->crc = LoadU32(bytes + 20);
    return kMekoTableOk;
}

MekoTableStatus MekoTable_CheckData(const MekoTableHeader &header, const uint8_t *data, size_t size,
                                    MekoTable *table) {
    if (data == nullptr || size < header.length) return kMekoTableShortData;
    if (Util_Crc32(header.length, data) != header.crc) return kMekoTableBadCrc;
    table->data = data;
    table->count = header.length / 2;
    return kMekoTableOk;
}

MekoTableStatus MekoTable_Parse(const uint8_t *file, size_t size, MekoTable *table) {
    MekoTableHeader header;
    const MekoTableStatus status = MekoTable_ParseHeader(file, size, &header);
    if (status != kMekoTableOk) return status;
    return MekoTable_CheckData(header, file + kMekoHeaderBytes, size - kMekoHeaderBytes, table);
}

MekoResult Meko_Grid(int32_t width, int32_t height, uint32_t entryCount, MekoGrid *grid) {
    if (width < kMekoCellSize || height < kMekoCellSize) return kMekoTooSmall;
    const int32_t across = width / kMekoCellSize, down = height / kMekoCellSize;
    // In 64 bits: a huge rectangle must not wrap to a small cell count.
    const uint64_t cells = uint64_t(across) * uint64_t(down);
    if (cells == 0 || cells >= entryCount) return kMekoTooManyCells;
    grid->width = across * kMekoCellSize;
    grid->height = down * kMekoCellSize;
    grid->across = across;
    grid->down = down;
    return kMekoReady;
}

MekoResult Meko_CellOrder(const MekoTable &table, uint32_t cells, uint32_t *order) {
    if (cells == 0 || cells >= table.count) return kMekoTooManyCells;
    // One key per cell, entry above index: plain unsigned order of the keys
    // is entry order with ties by index, a strict order whatever the values
    // (comparing entries by their wrapped 16-bit difference is not one once
    // two entries are 32768 or more apart).
    for (uint32_t i = 0; i < cells; ++i) order[i] = uint32_t{MekoTable_Entry(table, i)} << 16 | i;
    std::sort(order, order + cells);
    for (uint32_t s = 0; s < cells; ++s) order[s] &= 0xFFFFu;
    return kMekoReady;
}
