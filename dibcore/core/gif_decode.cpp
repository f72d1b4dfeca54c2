// GIF frames into palette pictures.
#include <cstring>
#include <memory>
#include <new>

#include "gif_codec.h"
#include "gif_format.h"
#include "gif_lzw.h"

namespace dibcore {

namespace {

// One code is at least 2 bits and stands for at most 4096 pixels, so a frame
// cannot hold more pixels than this per byte of LZW data. Areas below the
// floor are taken on trust so cut-off files still show what they hold.
constexpr uint64_t kPixelsPerDataByte = 4 * 4096;
constexpr uint64_t kTrustedPixels = uint64_t{1} << 24;
// All frames of one animation together.
constexpr uint64_t kAnimationBytes = uint64_t{1} << 30;

uint64_t MaxPixelsFrom(uint64_t dataBytes) { return dataBytes * kPixelsPerDataByte; }

bool Credible(uint64_t area, uint64_t dataBytes) {
    return area <= kTrustedPixels || area <= MaxPixelsFrom(dataBytes);
}

uint32_t ColorRef(const uint8_t *rgb) { return rgb[0] | (rgb[1] << 8) | (uint32_t{rgb[2]} << 16); }

struct Buffer {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    bool Allocate(size_t n) {
        bytes.reset(new (std::nothrow) uint8_t[n]);
        size = bytes ? n : 0;
        return bytes != nullptr;
    }
};

// The palette a frame's picture gets: its table, or for a file with none a
// grey ramp as wide as its codes.
struct FramePalette {
    DibRgbQuad entries[256];
    uint32_t count;
    int bitsPerPixel;
};

void MakePalette(const GifFrameDesc &f, FramePalette *p) {
    if (f.table != nullptr && f.tableSize > 0) {
        p->count = f.tableSize;
        for (uint32_t i = 0; i < p->count; ++i) {
            const uint8_t *rgb = f.table + i * 3;
            p->entries[i] = DibRgbQuad{rgb[2], rgb[1], rgb[0], 0};
        }
    } else {
        const int bits = f.minCodeSize >= 1 && f.minCodeSize <= 8 ? f.minCodeSize : 8;
        p->count = 1u << bits;
        for (uint32_t i = 0; i < p->count; ++i) {
            const auto v = static_cast<uint8_t>(i * 255 / (p->count - 1));
            p->entries[i] = DibRgbQuad{v, v, v, 0};
        }
    }
    p->bitsPerPixel = p->count <= 2 ? 1 : p->count <= 16 ? 4 : 8;
}

// The frame's indexes in file order (interlaced frames in pass order).
// *count is what the data held, at most width x height.
GifStatus DecodeIndexes(const GifFrameDesc &f, uint32_t tableSize, Buffer *indexes, size_t *count) {
    *count = 0;
    const uint64_t area = uint64_t{f.width} * f.height;
    if (!Credible(area, f.dataBytes)) return GifStatus::kTooLarge;
    const uint64_t room = area < MaxPixelsFrom(f.dataBytes) ? area : MaxPixelsFrom(f.dataBytes);
    if (room == 0) return GifStatus::kOk;

    Buffer packed;
    if (!packed.Allocate(static_cast<size_t>(f.dataBytes) + 8)) return GifStatus::kNoMemory;
    size_t n = 0;
    for (const uint8_t *p = f.blocks; p < f.blocksEnd;) {
        const size_t len = *p++;
        if (len == 0) break;
        const size_t take = len < static_cast<size_t>(f.blocksEnd - p) ? len : static_cast<size_t>(f.blocksEnd - p);
        std::memcpy(packed.bytes.get() + n, p, take);
        n += take;
        p += take;
    }
    std::memset(packed.bytes.get() + n, 0, 8);

    if (!indexes->Allocate(static_cast<size_t>(room) + kLzwOutputSlack)) return GifStatus::kNoMemory;
    *count = Lzw_Decode(packed.bytes.get(), n, f.minCodeSize, tableSize, indexes->bytes.get(),
                        static_cast<size_t>(room));
    return GifStatus::kOk;
}

// Writes n indexes into a packed row starting at pixel x. Rows that start on
// a byte boundary (every frame's own picture) pack whole bytes at a time.
void PutIndexes(uint8_t *row, int bitsPerPixel, uint32_t x, const uint8_t *src, uint32_t n) {
    if (bitsPerPixel == 8) {
        std::memcpy(row + x, src, n);
        return;
    }
    uint32_t i = 0;
    if (bitsPerPixel == 4) {
        if ((x & 1) == 0) {
            uint8_t *d = row + (x >> 1);
            for (; i + 2 <= n; i += 2) *d++ = static_cast<uint8_t>((src[i] << 4) | (src[i + 1] & 0x0F));
        }
        for (; i < n; ++i) {
            const uint32_t px = x + i;
            uint8_t &b = row[px >> 1];
            b = (px & 1) ? static_cast<uint8_t>((b & 0xF0) | (src[i] & 0x0F))
                         : static_cast<uint8_t>((b & 0x0F) | (src[i] << 4));
        }
        return;
    }
    if ((x & 7) == 0) {
        uint8_t *d = row + (x >> 3);
        for (; i + 8 <= n; i += 8) {
            const uint8_t *s = src + i;
            *d++ = static_cast<uint8_t>(((s[0] & 1) << 7) | ((s[1] & 1) << 6) | ((s[2] & 1) << 5) |
                                        ((s[3] & 1) << 4) | ((s[4] & 1) << 3) | ((s[5] & 1) << 2) |
                                        ((s[6] & 1) << 1) | (s[7] & 1));
        }
    }
    for (; i < n; ++i) {
        const uint32_t px = x + i;
        const auto bit = static_cast<uint8_t>(0x80u >> (px & 7));
        if (src[i] & 1)
            row[px >> 3] |= bit;
        else
            row[px >> 3] &= static_cast<uint8_t>(~bit);
    }
}

// Places decoded rows on a picture: frame row y goes to picture row
// originY + y, frame column 0 to picture column originX (either may be
// negative), clipped to the picture.
void PlaceRows(const GifFrameDesc &f, const uint8_t *indexes, size_t count, const Picture &picture,
               int64_t originX, int64_t originY) {
    const DibInfoHeader &h = *picture.data.header;
    const int64_t pw = h.biWidth;
    const int64_t ph = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const int64_t x0 = originX < 0 ? 0 : originX;
    const int64_t x1 = originX + f.width < pw ? originX + f.width : pw;
    if (x1 <= x0) return;
    static const uint8_t kStart[4] = {0, 4, 2, 1};
    static const uint8_t kStep[4] = {8, 8, 4, 2};
    const int passes = f.interlaced ? 4 : 1;
    size_t done = 0;
    for (int pass = 0; pass < passes && done < count; ++pass) {
        const uint32_t start = f.interlaced ? kStart[pass] : 0;
        const uint32_t step = f.interlaced ? kStep[pass] : 1;
        for (uint32_t y = start; y < f.height && done < count; y += step) {
            const uint8_t *src = indexes + done;
            const size_t have = count - done < f.width ? count - done : f.width;
            done += have;
            const int64_t py = originY + y;
            if (py < 0 || py >= ph) continue;
            const int64_t end = originX + static_cast<int64_t>(have) < x1 ? originX + static_cast<int64_t>(have) : x1;
            if (end <= x0) continue;
            PutIndexes(RowFromTop(picture, py), h.biBitCount, static_cast<uint32_t>(x0), src + (x0 - originX),
                       static_cast<uint32_t>(end - x0));
        }
    }
}

void FillPicture(const Picture &picture, uint8_t index) {
    if (index == 0) return;  // new pictures are zeroed
    const int bpp = picture.data.header->biBitCount;
    const uint8_t pattern = bpp == 8 ? index : bpp == 4 ? static_cast<uint8_t>(index * 0x11) : 0xFF;
    std::memset(picture.data.bits, pattern, picture.data.bitsSize);
}

// A frame as its own picture; null picture (and kOk) for a frame of no area.
GifStatus DecodeFrame(const GifFrameDesc &f, Picture **out) {
    *out = nullptr;
    if (f.width == 0 || f.height == 0) return GifStatus::kOk;
    FramePalette palette;
    MakePalette(f, &palette);
    Buffer indexes;
    size_t count = 0;
    const GifStatus st = DecodeIndexes(f, palette.count, &indexes, &count);
    if (st != GifStatus::kOk) return st;
    PictureOwner picture(NewSimplePicture(f.width, f.height, palette.bitsPerPixel, palette.count, palette.entries));
    if (!picture) return GifStatus::kTooLarge;
    if (count > 0) PlaceRows(f, indexes.bytes.get(), count, *picture.get(), 0, 0);
    *out = picture.Take();
    return GifStatus::kOk;
}

// The screen actually used: the stated size, or where a side is 0 the extent
// of the frames seen.
void EffectiveScreen(const GifScreenDesc &s, uint32_t extentX, uint32_t extentY, int32_t *w, int32_t *h) {
    const uint32_t x = extentX > 65535 ? 65535 : extentX;
    const uint32_t y = extentY > 65535 ? 65535 : extentY;
    *w = static_cast<int32_t>(s.width ? s.width : x);
    *h = static_cast<int32_t>(s.height ? s.height : y);
}

void FillInfo(const GifScreenDesc &s, int32_t frames, uint32_t extentX, uint32_t extentY, GifInfo *info) {
    std::memset(info, 0, sizeof *info);
    info->frameCount = frames;
    info->screenWidth = s.width;
    info->screenHeight = s.height;
    EffectiveScreen(s, extentX, extentY, &info->width, &info->height);
    info->loopFlag = s.loopFlag ? 1 : 0;
    info->loopCount = s.loopCount;
    if (s.globalTable != nullptr && s.backgroundIndex < s.globalSize) {
        info->backgroundIndex = s.backgroundIndex;
        info->background = ColorRef(s.globalTable + s.backgroundIndex * 3);
    } else {
        info->backgroundIndex = kGifNoIndex;
    }
}

}  // namespace

GifStatus Gif_ReadInfo(const uint8_t *data, size_t size, GifInfo *info) {
    GifParser parser;
    if (!parser.Open(data, size)) return GifStatus::kNotGif;
    int32_t frames = 0;
    uint32_t extentX = 0, extentY = 0;
    GifFrameDesc f;
    while (parser.NextFrame(&f)) {
        ++frames;
        if (uint32_t{f.left} + f.width > extentX) extentX = uint32_t{f.left} + f.width;
        if (uint32_t{f.top} + f.height > extentY) extentY = uint32_t{f.top} + f.height;
    }
    if (frames == 0) return GifStatus::kNotGif;
    if (info != nullptr) FillInfo(parser.screen(), frames, extentX, extentY, info);
    return GifStatus::kOk;
}

GifStatus Gif_DecodeStill(const uint8_t *data, size_t size, Picture **out, GifStillInfo *info) {
    *out = nullptr;
    GifParser parser;
    GifFrameDesc f;
    if (!parser.Open(data, size) || !parser.NextFrame(&f)) return GifStatus::kNotGif;
    const GifScreenDesc &s = parser.screen();
    int32_t w, h;
    EffectiveScreen(s, uint32_t{f.left} + f.width, uint32_t{f.top} + f.height, &w, &h);
    if (w == 0 || h == 0) return GifStatus::kNotGif;
    if (!Credible(uint64_t(w) * uint64_t(h), f.dataBytes)) return GifStatus::kTooLarge;

    FramePalette palette;
    MakePalette(f, &palette);
    const uint32_t limit = 1u << palette.bitsPerPixel;
    const bool transparent = f.transparentIndex < limit;
    const bool background = s.globalTable != nullptr && s.backgroundIndex < s.globalSize;
    uint8_t fill = 0;
    if (transparent)
        fill = static_cast<uint8_t>(f.transparentIndex);
    else if (background && !f.localTable && s.backgroundIndex < palette.count)
        fill = s.backgroundIndex;

    PictureOwner picture(NewSimplePicture(w, h, palette.bitsPerPixel, palette.count, palette.entries));
    if (!picture) return GifStatus::kTooLarge;
    const bool covers = f.left == 0 && f.top == 0 && f.width >= w && f.height >= h;
    if (!covers) FillPicture(*picture.get(), fill);
    if (f.width > 0 && f.height > 0) {
        Buffer indexes;
        size_t count = 0;
        const GifStatus st = DecodeIndexes(f, palette.count, &indexes, &count);
        if (st != GifStatus::kOk) return st;
        if (count > 0) PlaceRows(f, indexes.bytes.get(), count, *picture.get(), f.left, f.top);
    }

    if (info != nullptr) {
        const uint32_t preset = info->flags & kGifStillPreset;
        std::memset(info, 0, sizeof *info);
        info->flags = preset;
        if (f.transparentIndex < 256) {
            info->flags |= kGifStillTransparent;
            info->transparentIndex = f.transparentIndex;
        }
        if (background) {
            info->flags |= kGifStillBackground;
            info->background = ColorRef(s.globalTable + s.backgroundIndex * 3);
        }
    }
    *out = picture.Take();
    return GifStatus::kOk;
}

GifStatus Gif_DecodeFrames(const uint8_t *data, size_t size, GifFrame *frames, int capacity, int *decoded,
                           GifInfo *info) {
    *decoded = 0;
    if (frames == nullptr || capacity <= 0) return GifStatus::kNotGif;
    GifInfo whole;
    const GifStatus st = Gif_ReadInfo(data, size, &whole);
    if (st != GifStatus::kOk) return st;

    GifParser parser;
    parser.Open(data, size);
    GifFrameDesc f;
    int n = 0;
    uint64_t bytes = 0;
    GifStatus result = GifStatus::kOk;
    while (n < capacity && parser.NextFrame(&f)) {
        GifFrame &out = frames[n];
        out = GifFrame{nullptr, f.left, f.top, f.delay, f.transparentIndex, f.disposal};
        result = DecodeFrame(f, &out.picture);
        if (result != GifStatus::kOk) break;
        ++n;
        if (out.picture != nullptr) {
            bytes += out.picture->blockSize;
            if (bytes > kAnimationBytes) {
                result = GifStatus::kTooLarge;
                break;
            }
        }
    }
    if (result != GifStatus::kOk) {
        for (int i = 0; i < n; ++i) {
            FreePicture(frames[i].picture);
            frames[i].picture = nullptr;
        }
        return result;
    }
    if (info != nullptr) *info = whole;
    *decoded = n;
    return GifStatus::kOk;
}

}  // namespace dibcore
