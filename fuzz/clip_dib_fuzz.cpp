// The clipboard DIB check: the block comes from another program, so any
// bytes must be judged without reading outside the block, and a block it
// accepts must be read by the library and by the rectangle copy without
// leaving it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/qv_ClipDibCore.h"
#include "picture.h"
#include "storage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // An exact-size copy: a read past its end is an ASan error.
    std::vector<uint8_t> block(data, data + size);
    block.shrink_to_fit();
    ClipDibLayout l{};
    if (ClipDib_Check(block.data(), block.size(), &l) != kClipDibOk) return 0;
    if (l.neededBytes > size || l.bitsOffset != l.headerBytes + l.maskBytes + l.tableBytes) __builtin_trap();
    const uint8_t *bits = block.data() + l.bitsOffset;
    // Compares the block's colour table with itself: reads all of it.
    if (!Dib_SameFormat(block.data(), block.data(), true)) __builtin_trap();
    dibcore::PictureOwner picture(dibcore::PictureFromPacked(block.data(), bits));
    if (picture.get() == nullptr) return 0;
    DibData &d = picture.get()->data;
    Dib_CopyRect(d.header, d.bits, 0, 0, d.header->biWidth, d.header->biHeight, block.data(), bits, 0, 0);
    return 0;
}
