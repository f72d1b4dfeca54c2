// The Meko table file and the cell order it gives. The file is outside data
// (any file of this layout serves, the program ships none), so every field
// is checked before use. Layout (bytes, little-endian):
//   0   16      signature AF 44 41 54 0D 0A 1A 0A "MekoRand"
//   16  4       data length in bytes, 2..65535
//   20  4       CRC-32 of the data bytes
//   24  length  the data: length / 2 u16 entries (an odd last byte is
//               covered by the CRC but is no entry)
// Bytes after the data are not read. Portable; the Win32 side opens the
// file, reads the header, then exactly `length` bytes, and hands both here.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kMekoSignatureBytes = 16;
constexpr size_t kMekoHeaderBytes = 24;
constexpr uint32_t kMekoMinLength = 2;
constexpr uint32_t kMekoMaxLength = 65535;
// Cells are squares of this many pixels.
constexpr int32_t kMekoCellSize = 16;

extern const uint8_t kMekoSignature[kMekoSignatureBytes];

// Why a table file was refused. Every one of them makes the Meko mask
// report that the table failed to load.
enum MekoTableStatus : int32_t {
    kMekoTableOk = 0,
    kMekoTableShortHeader = 1,  // fewer than 24 bytes
    kMekoTableBadSignature = 2,
    kMekoTableBadLength = 3,    // length outside 2..65535
    kMekoTableShortData = 4,    // the file ends before `length` data bytes
    kMekoTableBadCrc = 5,
};

struct MekoTableHeader {
    uint32_t length;  // data bytes, checked to be 2..65535
    uint32_t crc;     // as stored
};

// A checked table: a view of its data bytes (not owned) and the entry count.
struct MekoTable {
    const uint8_t *data;
    uint32_t count;  // length / 2
};

// Reads the first `size` bytes of a file as the header: kMekoTableOk,
// kMekoTableShortHeader, kMekoTableBadSignature or kMekoTableBadLength.
MekoTableStatus MekoTable_ParseHeader(const uint8_t *bytes, size_t size, MekoTableHeader *header);

// Checks the data bytes actually read (`size` of them) against a parsed
// header: kMekoTableShortData when fewer than header.length, kMekoTableBadCrc,
// else kMekoTableOk with `table` pointing at `data`.
MekoTableStatus MekoTable_CheckData(const MekoTableHeader &header, const uint8_t *data, size_t size,
                                    MekoTable *table);

// Both steps over a whole file held in memory.
MekoTableStatus MekoTable_Parse(const uint8_t *file, size_t size, MekoTable *table);

// Entry `index` (< table.count).
inline uint16_t MekoTable_Entry(const MekoTable &table, uint32_t index) {
    return uint16_t(table.data[2 * size_t(index)] | table.data[2 * size_t(index) + 1] << 8);
}

// Result codes of the Meko mask: 0 means success, unlike the other masks.
enum MekoResult : int32_t {
    kMekoReady = 0,
    kMekoNoPicture = 1,     // no picture or no outside library
    kMekoNoTable = 2,       // the table cannot be loaded
    kMekoTooManyCells = 3,  // more cells than the table has entries (less one)
    kMekoTooSmall = 4,      // rectangle under 16 x 16
};

// The part of a clipped rectangle the mask works on: its size rounded down
// to whole cells, and the cells across and down.
struct MekoGrid {
    int32_t width;
    int32_t height;
    int32_t across;
    int32_t down;
};

// Checks a clipped rectangle of width x height against a table of
// `entryCount` entries: kMekoTooSmall when either side is under 16, else
// kMekoTooManyCells unless 0 < cells < entryCount, else kMekoReady with
// `grid` filled. `grid` is written only on kMekoReady.
MekoResult Meko_Grid(int32_t width, int32_t height, uint32_t entryCount, MekoGrid *grid);

// The cell order for `cells` cells numbered row by row: order[s] is the cell
// whose contents go to cell s on the forward mask (the reverse mask moves
// cell s back to cell order[s]). Cells are ordered by their own table entry
// as an unsigned value, equal entries by cell index, so the order is one
// fixed permutation whatever the sort does with ties. Returns
// kMekoTooManyCells (order untouched) unless 0 < cells < table.count, else
// kMekoReady.
MekoResult Meko_CellOrder(const MekoTable &table, uint32_t cells, uint32_t *order);
