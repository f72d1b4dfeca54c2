// Greyscale, colour count, channel swap, palette reduction and canvas size
// on a picture whose header, table and bits come from a decoded file:
// whatever the header claims, nothing may be read or written outside the
// header block or the bits, and no handle may leak.
//
// Input: u8 operation flags, u8 rectangle corner, i8 margins x 4, u16
// header-block size, then the header block and the bits.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/fake_dibcore.h"
#include "image/qv_Canvas.h"
#include "image/qv_ChannelSwap.h"
#include "image/qv_Grey.h"
#include "image/qv_PalOptimize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8 + 40) return 0;
    const uint8_t flags = data[0], corner = data[1];
    const int8_t margins[4] = {int8_t(data[2]), int8_t(data[3]), int8_t(data[4]), int8_t(data[5])};
    uint16_t blockBytes;
    std::memcpy(&blockBytes, data + 6, 2);
    data += 8;
    size -= 8;
    uint32_t declared;
    std::memcpy(&declared, data, 4);
    const uint32_t known = Dib_IsKnownHeaderSize(declared);
    if (known == 0 || blockBytes < known || blockBytes > size || !Dib_IsValidPacked(data)) return 0;
    uint32_t least = known;
    if (known == 40 && data[16] == kDibBitFields) least = 52;
    if (blockBytes < least) return 0;
    // The library holds every row its header claims; only the table may be
    // short of what the header says.
    const uint32_t bitsBytes = Dib_CalcSize(data, 0, 0, nullptr);
    if (bitsBytes == 0 || bitsBytes > size - blockBytes || bitsBytes > (1u << 20)) return 0;

    fake::Scope scope;
    auto pic = std::make_unique<fake::Pic>();
    pic->packed.assign(data, data + blockBytes);
    pic->bits.assign(data + blockBytes, data + blockBytes + bitsBytes);
    const DibHandle p = scope.lib.Add(std::move(pic));

    Pal_IsGrey(p);
    Dib_CountColours(p);
    const SelRect rect{corner & 15, corner >> 4, 3, 2};
    const SelRect *r = (flags & 1) ? &rect : nullptr;
    DibHandle fresh = 0;
    if (flags & 2) {
        Grey_Apply(p, &fresh, r);
        if (fresh) Dibcore_DeleteDIB(fresh);
    }
    if (flags & 4) ChannelSwap_Rect(p, r, flags >> 5, 1, 2);
    if (flags & 8) {
        const DibHandle o = Pal_OptimizeDepth(p);
        if (o) Dibcore_DeleteDIB(o);
    }
    if (flags & 16) {
        const DibHandle c = Canvas_Resize(margins[0], p, margins[1], margins[2], margins[3], 0x123456);
        if (c) Dibcore_DeleteDIB(c);
    }
    if (scope.lib.Live() != 1 || scope.lib.doubleFrees != 0) __builtin_trap();
    return 0;
}
