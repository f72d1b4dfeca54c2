#include "bmp_codec.h"

#include <cstring>

#include "dib_header.h"
#include "pixel_layout.h"
#include "rle.h"

namespace dibcore {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint16_t kMagic = 0x4D42;  // "BM"

uint32_t U32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// An RLE stream checked by decoding it: kept as it is when well formed, else
// replaced by what it decodes to. A top-down RLE file is not a held kind
// either; its decoded rows are stored top-down.
int DecodeRle(HeaderPlan &plan, const uint8_t *masks, const uint8_t *table, uint32_t entries, const uint8_t *bits,
              size_t avail, Picture **out) {
    DibInfoHeader &h = plan.info();
    const uint32_t claimed = h.biSizeImage;
    const size_t streamSize = claimed != 0 && claimed < avail ? claimed : avail;
    const int bpp = h.biBitCount;
    const int32_t width = h.biWidth;
    const int32_t height = plan.topDown ? -h.biHeight : h.biHeight;
    const uint64_t stride = RowStride(width, bpp);

    HeaderPlan flat = plan;
    flat.rle = false;
    flat.info().biCompression = kDibRgb;
    flat.info().biSizeImage = static_cast<uint32_t>(stride * static_cast<uint64_t>(height));
    PictureOwner decoded(PictureFromPlan(flat, masks, table, entries, stride * static_cast<uint64_t>(height)));
    if (!decoded) return 1;
    size_t used = 0;
    const bool clean = RleDecode(bits, streamSize, bpp, width, height, stride, decoded->data.bits, &used);
    if (!clean || plan.topDown) {
        *out = decoded.Take();
        return 0;
    }
    Picture *p = PictureFromPlan(plan, masks, table, entries, used);
    if (p == nullptr) return 1;
    std::memcpy(p->data.bits, bits, used);
    *out = p;
    return 0;
}

}  // namespace

int BmpDecode(const uint8_t *data, size_t size, Picture **out) {
    if (out == nullptr) return 1;
    *out = nullptr;
    if (data == nullptr || size < 2 || (data[0] | (data[1] << 8)) != kMagic) return -1;
    if (size < kFileHeaderSize + 4) return 1;
    const uint32_t offBits = U32(data + 10);
    const uint8_t *hdr = data + kFileHeaderSize;
    const size_t afterFileHeader = size - kFileHeaderSize;
    HeaderPlan plan;
    if (!PlanHeader(hdr, afterFileHeader, &plan)) return 1;

    const size_t masksAt = kFileHeaderSize + plan.sourceHeaderBytes;
    uint8_t masks[12] = {0};
    if (plan.masksAfter) {
        const size_t have = size > masksAt ? size - masksAt : 0;
        std::memcpy(masks, data + masksAt, have < 12 ? have : 12);
    }

    // The colour table runs from after the header (and masks) for as many
    // entries as the header asks, but never past the file's end nor into the
    // bits when the bits offset is believable.
    const size_t tableAt = kFileHeaderSize + plan.TableOffset();
    const uint64_t tableEnd = tableAt + uint64_t{plan.tableEntries} * plan.entryBytes;
    uint64_t limit = size;
    if (offBits > tableAt && offBits < tableEnd && offBits < size) limit = offBits;
    uint32_t entries = 0;
    if (limit > tableAt) {
        const uint64_t fit = (limit - tableAt) / plan.entryBytes;
        entries = static_cast<uint32_t>(fit < plan.tableEntries ? fit : plan.tableEntries);
    }
    // Bits: at the offset the file gives when it lies past the table and in
    // the file, else right after the table.
    uint64_t bitsAt = offBits >= tableAt + uint64_t{entries} * plan.entryBytes && offBits < size
                          ? offBits
                          : tableAt + uint64_t{entries} * plan.entryBytes;
    if (bitsAt > size) bitsAt = size;
    const uint8_t *bits = data + bitsAt;
    const size_t avail = static_cast<size_t>(size - bitsAt);
    const uint8_t *table = data + tableAt;

    if (plan.rle) return DecodeRle(plan, masks, table, entries, bits, avail, out);

    Picture *p = PictureFromPlan(plan, masks, table, entries, plan.bitsSize);
    if (p == nullptr) return 1;
    const size_t take = avail < p->data.bitsSize ? avail : p->data.bitsSize;
    std::memcpy(p->data.bits, bits, take);
    *out = p;
    return 0;
}

bool BmpEncode(const Picture &picture, ByteBuffer *out) {
    const DibData &d = picture.data;
    const uint64_t total = kFileHeaderSize + uint64_t{d.headerSize} + d.bitsSize;
    if (total > 0xFFFFFFFFu) return false;
    if (!out->Reserve(static_cast<size_t>(total))) return false;
    out->U16LE(kMagic);
    out->U32LE(static_cast<uint32_t>(total));
    out->U32LE(0);
    out->U32LE(static_cast<uint32_t>(kFileHeaderSize + d.headerSize));
    const size_t headerAt = out->size();
    out->Append(d.header, d.headerSize);
    // The size field always tells the truth about the bits that follow.
    DibInfoHeader h;
    std::memcpy(&h, out->data() + headerAt, sizeof h);
    h.biSizeImage = d.bitsSize;
    std::memcpy(out->data() + headerAt, &h, sizeof h);
    return out->Append(d.bits, d.bitsSize);
}

}  // namespace dibcore
