// The Meko table file comes from the program folder and may be anything:
// the parser must stay inside the bytes, the one-piece and two-step reads
// must agree, and a table it accepts must give every cell count it allows a
// sorted permutation.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/qv_MekoTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Copies sized exactly so the sanitizer sees any read past the end.
    const std::vector<uint8_t> file(data, data + size);
    MekoTable table{};
    const MekoTableStatus status = MekoTable_Parse(file.data(), file.size(), &table);

    MekoTableHeader header{};
    const std::vector<uint8_t> head(data, data + (size < kMekoHeaderBytes ? size : kMekoHeaderBytes));
    MekoTableStatus twoStep = MekoTable_ParseHeader(head.data(), head.size(), &header);
    if (twoStep == kMekoTableOk) {
        if (header.length < kMekoMinLength || header.length > kMekoMaxLength) __builtin_trap();
        const size_t got = size - kMekoHeaderBytes < header.length ? size - kMekoHeaderBytes : header.length;
        const std::vector<uint8_t> block(data + kMekoHeaderBytes, data + kMekoHeaderBytes + got);
        MekoTable other{};
        twoStep = MekoTable_CheckData(header, block.data(), block.size(), &other);
        if (twoStep == kMekoTableOk && other.count != header.length / 2) __builtin_trap();
    }
    if (twoStep != status) __builtin_trap();
    if (status != kMekoTableOk) return 0;

    // The largest rectangle the table allows, a square-ish one, and one cell.
    const uint32_t most = table.count - 1;
    for (uint32_t cells : {most, most / 2, uint32_t{1}}) {
        if (cells == 0 || cells > most) continue;  // a one-entry table allows no cell
        MekoGrid grid{};
        if (Meko_Grid(int32_t(cells) * kMekoCellSize, kMekoCellSize + 15, table.count, &grid) != kMekoReady ||
            uint32_t(grid.across) * uint32_t(grid.down) != cells)
            __builtin_trap();
        std::vector<uint32_t> order(cells);
        if (Meko_CellOrder(table, cells, order.data()) != kMekoReady) __builtin_trap();
        std::vector<bool> seen(cells, false);
        for (uint32_t s = 0; s < cells; ++s) {
            if (order[s] >= cells || seen[order[s]]) __builtin_trap();
            seen[order[s]] = true;
            if (s > 0) {
                const uint16_t a = MekoTable_Entry(table, order[s - 1]), b = MekoTable_Entry(table, order[s]);
                if (a > b || (a == b && order[s - 1] > order[s])) __builtin_trap();
            }
        }
    }
    std::vector<uint32_t> none(table.count);
    if (Meko_CellOrder(table, table.count, none.data()) != kMekoTooManyCells) __builtin_trap();
    return 0;
}
