// The dropped-file block reader: the block comes from the shell on behalf
// of another program, so any bytes must be checked without reading outside
// it, and a block it accepts must really hold its names inside.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/qv_DropListCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // An exact-size copy: a read past its end is an ASan error.
    std::vector<uint8_t> block(data, data + size);
    block.shrink_to_fit();
    DropBlockInfo info{};
    if (!DropBlock_Scan(block.data(), block.size(), &info)) return 0;
    // Walk the accepted names the way the system's query does.
    const size_t u = info.wide ? 2 : 1;
    size_t at = info.namesOffset;
    uint64_t units = 0;
    for (int32_t i = 0; i <= info.count; ++i) {
        size_t n = 0;
        while (block[at + n * u] != 0 || (u == 2 && block[at + n * u + 1] != 0)) ++n;
        if ((n == 0) != (i == info.count)) __builtin_trap();
        units += n ? n + 1 : 0;
        at += (n + 1) * u;
    }
    if (units != info.nameUnits || at > block.size()) __builtin_trap();
    return 0;
}
