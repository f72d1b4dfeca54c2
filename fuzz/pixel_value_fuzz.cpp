// Pixel reads, colour lookups and fills on library data whose header, table
// and bits come from a decoded file: whatever the header claims, nothing may
// be read or written outside the header block or the bits.
//
// Input: u16 header-block size, u8 x, u8 y, u32 colour, then the header block
// and the bits.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/qv_PixelValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 12) return 0;
    uint16_t blockBytes;
    uint32_t colour, declared;
    std::memcpy(&blockBytes, data, 2);
    const int32_t x = data[2], y = data[3];
    std::memcpy(&colour, data + 4, 4);
    std::memcpy(&declared, data + 8, 4);
    data += 8;
    size -= 8;
    // The library always holds the whole header and, after a 40-byte header
    // with bit fields, the three masks; only the colour table may be short.
    const uint32_t known = Dib_IsKnownHeaderSize(declared);
    if (known == 0) return 0;
    uint32_t least = known;
    if (known == 40 && size >= 20) {
        uint32_t compression;
        std::memcpy(&compression, data + 16, 4);
        if (compression == kDibBitFields) least = 52;
    }
    if (blockBytes < least || blockBytes > size) return 0;
    // Exact-size copies: a read past either end is an ASan error.
    std::vector<uint8_t> block(data, data + blockBytes);
    std::vector<uint8_t> bits(data + blockBytes, data + size);
    block.shrink_to_fit();
    bits.shrink_to_fit();
    DibData d{uint32_t(block.size()), uint32_t(bits.size()), reinterpret_cast<DibInfoHeader *>(block.data()),
              bits.empty() ? nullptr : bits.data()};
    uint32_t out;
    const uint32_t value = Dib_ColourToPixel(block.data(), uint32_t(block.size()), colour);
    PixelValue_Read(&d, x, y, &out);
    PixelValue_ReadColour(&d, x, y, &out);
    const SelRect rect{x, y, int32_t(colour & 0xFF), int32_t((colour >> 8) & 0xFF)};
    if (PixelValue_Fill(&d, &rect, value)) {
        // A fill that succeeded must read back inside the rectangle (palette
        // values may be limited, so compare with the stored value itself).
        DibFields f;
        SelRect c;
        Dib_GetHeaderFields(block.data(), &f);
        if (!Rect_ClipToImage(&rect, f.width, f.height, &c)) __builtin_trap();
        uint32_t a, b;
        if (!PixelValue_Read(&d, c.left, c.top, &a) || !PixelValue_Read(&d, c.right - 1, c.bottom - 1, &b) || a != b)
            __builtin_trap();
    }
    return 0;
}
