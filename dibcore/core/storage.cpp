#include "storage.h"

#include <cstring>

#include "dib_header.h"
#include "pixel_layout.h"
#include "rle.h"
#include "turn_kernels.h"

namespace dibcore {

namespace {

// Copies n pixels of a 1/4-bit row starting at sx into a zeroed row at 0,
// optionally reversed.
void CopySubByteRow(const uint8_t *src, int64_t sx, uint8_t *dst, int64_t n, int bpp, bool mirror) {
    if (!mirror && ((sx * bpp) & 7) == 0) {
        std::memcpy(dst, src + (sx * bpp >> 3), static_cast<size_t>((n * bpp + 7) >> 3));
        // The copy may carry pixels past the rectangle in its last byte.
        const int64_t usedBits = n * bpp;
        if (usedBits & 7) dst[usedBits >> 3] &= static_cast<uint8_t>(0xFF00u >> (usedBits & 7));
        return;
    }
    for (int64_t k = 0; k < n; ++k) PutIndex(dst, mirror ? n - 1 - k : k, bpp, IndexAt(src, sx + k, bpp));
}

}  // namespace

const Picture *Uncompressed(const Picture &src, PictureOwner *temp) {
    const uint32_t c = src.data.header->biCompression;
    if (c != kDibRle4 && c != kDibRle8) return &src;
    temp->Reset(RleExpand(src));
    return temp->get();
}

Picture *PictureFromPacked(const void *packed, const void *bits) {
    if (packed == nullptr) return nullptr;
    const auto *p = static_cast<const uint8_t *>(packed);
    uint32_t size;
    std::memcpy(&size, p, 4);
    if (!IsKnownHeaderSize(size)) return nullptr;
    HeaderPlan plan;
    // The caller's block is a whole packed DIB: the header and what it says
    // follows are there to read.
    const size_t known = size == 40 ? 56 : size;
    if (!PlanHeader(p, known, &plan)) return nullptr;
    if (plan.topDown && plan.rle) return nullptr;  // RLE runs bottom-up only
    if (plan.rle && plan.bitsSize == 0) return nullptr;
    const uint8_t *masks = plan.masksAfter ? p + plan.sourceHeaderBytes : nullptr;
    Picture *pic = PictureFromPlan(plan, masks, p + plan.TableOffset(), plan.tableEntries, plan.bitsSize);
    if (pic != nullptr && bits != nullptr) std::memcpy(pic->data.bits, bits, pic->data.bitsSize);
    return pic;
}

Picture *CutPicture(const Picture &source, int32_t x, int32_t y, int32_t width, int32_t height) {
    PictureOwner temp;
    const Picture *srcp = Uncompressed(source, &temp);
    if (srcp == nullptr) return nullptr;
    const Picture &src = *srcp;
    PixelLayout l;
    if (!ReadLayout(src, &l) || width == 0 || height == 0) return nullptr;
    const bool mirrorX = width < 0, mirrorY = height < 0;
    int64_t left = x, top = y;
    int64_t right = left + (mirrorX ? -int64_t{width} : int64_t{width});
    int64_t bottom = top + (mirrorY ? -int64_t{height} : int64_t{height});
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > l.width) right = l.width;
    if (bottom > l.height) bottom = l.height;
    if (left >= right || top >= bottom) return nullptr;
    const int64_t w = right - left, h = bottom - top;

    Picture *out = NewPictureLike(src, static_cast<int32_t>(w), static_cast<int32_t>(h));
    if (out == nullptr) return nullptr;
    PixelLayout o;
    ReadLayout(*out, &o);
    const int bytesPer = l.bpp / 8;
    for (int64_t r = 0; r < h; ++r) {
        const uint8_t *s = LayoutRow(l, src.data.bits, top + (mirrorY ? h - 1 - r : r));
        uint8_t *d = LayoutRow(o, out->data.bits, r);
        if (l.bpp < 8) {
            CopySubByteRow(s, left, d, w, l.bpp, mirrorX);
        } else if (!mirrorX) {
            std::memcpy(d, s + left * bytesPer, static_cast<size_t>(w * bytesPer));
        } else {
            ReverseRow(s + left * bytesPer, d, w, bytesPer);
        }
    }
    return out;
}

}  // namespace dibcore
