#include "dlg/qv_SizeLimits.h"

#include <algorithm>

namespace {

constexpr uint64_t kInfoHeaderBytes = 40;

uint64_t Saturate(unsigned __int128 v) { return v > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(v); }

uint64_t ByteSize(int64_t width, int64_t height, int32_t bits) {
    const unsigned __int128 w = static_cast<uint64_t>(std::max<int64_t>(width, 0));
    const unsigned __int128 h = static_cast<uint64_t>(std::max<int64_t>(height, 0));
    const unsigned __int128 b = static_cast<uint32_t>(std::max(bits, 0));
    const unsigned __int128 stride = (b * w + 31) / 32 * 4;
    // 2^bits colour table entries of 4 bytes up to 8 bits per pixel.
    const uint64_t table = bits > 0 && bits <= 8 ? uint64_t{4} << bits : 0;
    // A stride beyond 64 bits saturates the size; below that the product
    // with a height under 2^63 fits 128 bits.
    if (stride > UINT64_MAX) return h == 0 ? kInfoHeaderBytes + table : UINT64_MAX;
    return Saturate(stride * h + kInfoHeaderBytes + table);
}

}  // namespace

bool NewImgDlg_CheckSize(int64_t width, int64_t height, int32_t bitsPerPixel, const SizeLimitFacts &facts,
                         uint64_t *byteSize, int32_t *overflow) {
    const uint64_t size = ByteSize(width, height, bitsPerPixel);
    const bool over32 = size > UINT32_MAX;
    if (byteSize) *byteSize = size;
    if (overflow) *overflow = over32;
    if (bitsPerPixel <= 0 || width <= 0 || height <= 0) return false;
    if (width > kSizeLimitMaxSide || height > kSizeLimitMaxSide) return false;
    if (over32 || size > kSizeLimitMaxBytes) return false;
    return facts.overMem != 0 || facts.physicalMemory >= size;
}

LargeSizeDecision NewImgDlg_LargeSizeDecision(int64_t width, int64_t height, int32_t bitsPerPixel,
                                              const SizeLimitFacts &facts, uint64_t *byteSize) {
    uint64_t size = 0;
    const bool allowed = NewImgDlg_CheckSize(width, height, bitsPerPixel, facts, &size, nullptr);
    if (byteSize) *byteSize = size;
    if (!allowed) return kLargeSizeRefuse;
    return size <= facts.physicalMemory / 2 ? kLargeSizeProceed : kLargeSizeAsk;
}
