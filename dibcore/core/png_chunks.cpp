#include "png_chunks.h"

#include <cstring>

#include "crc32.h"
#include "picture.h"

namespace dibcore {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

namespace {

// A chunk is critical when the first letter of its type is upper case.
bool IsCritical(uint32_t type) { return (type & 0x20000000u) == 0; }

bool ValidDepth(int colourType, int depth) {
    switch (colourType) {
        case kPngGrey:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case kPngPalette:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case kPngRgb:
        case kPngGreyAlpha:
        case kPngRgba:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

int ChannelsOf(int colourType) {
    switch (colourType) {
        case kPngRgb:
            return 3;
        case kPngGreyAlpha:
            return 2;
        case kPngRgba:
            return 4;
        default:
            return 1;
    }
}

bool ReadIhdr(const PngChunk &c, PngHeader *h) {
    if (c.type != kChunkIHDR || c.length != 13 || !c.complete || !PngChunkCursor::CrcOk(c)) return false;
    const uint8_t *p = c.body;
    h->width = PngReadU32(p);
    h->height = PngReadU32(p + 4);
    h->depth = p[8];
    h->colourType = p[9];
    if (h->width == 0 || h->height == 0 || h->width > kMaxSide || h->height > kMaxSide) return false;
    if (!ValidDepth(h->colourType, h->depth) || p[10] != 0 || p[11] != 0 || p[12] > 1) return false;
    h->interlaced = p[12] == 1;
    h->channels = ChannelsOf(h->colourType);
    h->bitsPerPixel = h->channels * h->depth;
    return true;
}

bool ReadPlte(const PngChunk &c, PngHeader *h) {
    if (h->paletteCount != 0 || c.length == 0 || c.length % 3 != 0 || c.length > 256 * 3) return false;
    uint32_t count = c.length / 3;
    // Entries the depth cannot address are dropped.
    if (h->colourType == kPngPalette && count > (1u << h->depth)) count = 1u << h->depth;
    for (uint32_t i = 0; i < count; ++i) {
        h->palette[i].red = c.body[3 * i];
        h->palette[i].green = c.body[3 * i + 1];
        h->palette[i].blue = c.body[3 * i + 2];
        h->palette[i].reserved = 0;
    }
    h->paletteCount = count;
    return true;
}

// A malformed tRNS is dropped, as is one before PLTE in a palette file.
void ReadTrns(const PngChunk &c, PngHeader *h) {
    const uint16_t mask = uint16_t((1u << h->depth) - 1);
    switch (h->colourType) {
        case kPngPalette: {
            if (h->paletteCount == 0 || c.length == 0) return;
            uint32_t n = c.length < h->paletteCount ? c.length : h->paletteCount;
            std::memcpy(h->alpha, c.body, n);
            h->alphaCount = n;
            break;
        }
        case kPngGrey:
            if (c.length != 2) return;
            h->key[0] = h->key[1] = h->key[2] = uint16_t(PngReadU16(c.body) & mask);
            h->hasKey = true;
            break;
        case kPngRgb:
            if (c.length != 6) return;
            for (int i = 0; i < 3; ++i) h->key[i] = uint16_t(PngReadU16(c.body + 2 * i) & mask);
            h->hasKey = true;
            break;
        default:
            break;  // alpha-channel files carry no tRNS
    }
}

void ReadBkgd(const PngChunk &c, PngHeader *h) {
    const uint16_t mask = uint16_t((1u << h->depth) - 1);
    if (h->colourType == kPngPalette) {
        if (c.length != 1 || h->paletteCount == 0 || c.body[0] >= h->paletteCount) return;
        h->background[0] = c.body[0];
    } else if (h->channels <= 2) {
        if (c.length != 2) return;
        h->background[0] = h->background[1] = h->background[2] = uint16_t(PngReadU16(c.body) & mask);
    } else {
        if (c.length != 6) return;
        for (int i = 0; i < 3; ++i) h->background[i] = uint16_t(PngReadU16(c.body + 2 * i) & mask);
    }
    h->hasBackground = true;
}

void ReadPhys(const PngChunk &c, PngHeader *h) {
    if (c.length != 9 || c.body[8] != 1) return;  // unit 1: metre; others carry only an aspect ratio
    const uint32_t x = PngReadU32(c.body), y = PngReadU32(c.body + 4);
    if (x > 0x7FFFFFFF || y > 0x7FFFFFFF) return;
    h->pelsPerMeterX = int32_t(x);
    h->pelsPerMeterY = int32_t(y);
}

}  // namespace

bool PngChunkCursor::Next(PngChunk *chunk) {
    if (pos_ > size_ || size_ - pos_ < 8) return false;
    const uint8_t *p = data_ + pos_;
    const uint32_t length = PngReadU32(p);
    chunk->type = PngReadU32(p + 4);
    chunk->body = p + 8;
    const size_t left = size_ - pos_ - 8;
    // Lengths above 2^31 - 1 are invalid; treat them like a chunk cut short.
    if (length <= 0x7FFFFFFFu && uint64_t(length) + 4 <= left) {
        chunk->length = length;
        chunk->complete = true;
        pos_ += size_t(12) + length;
    } else {
        chunk->length = uint32_t(length < left ? length : left);
        chunk->complete = false;
        pos_ = size_;
    }
    return true;
}

bool PngChunkCursor::CrcOk(const PngChunk &c) {
    if (!c.complete) return false;
    uint8_t type[4] = {uint8_t(c.type >> 24), uint8_t(c.type >> 16), uint8_t(c.type >> 8), uint8_t(c.type)};
    uint32_t crc = Crc32_Update(0, type, 4);
    crc = Crc32_Update(crc, c.body, c.length);
    return crc == PngReadU32(c.body + c.length);
}

int PngReadHeader(const uint8_t *data, size_t size, PngHeader *h, size_t *idatPos) {
    if (data == nullptr || size < 8 || std::memcmp(data, kPngSignature, 8) != 0) return -1;
    PngChunkCursor cursor(data, size, 8);
    PngChunk c;
    if (!cursor.Next(&c) || !ReadIhdr(c, h)) return 1;
    size_t pos = 8 + 12 + 13;
    for (;;) {
        if (!cursor.Next(&c)) return 1;  // no image data
        if (c.type == kChunkIDAT) break;
        // Everything before the image data must be whole.
        if (!c.complete) return 1;
        const bool crcOk = PngChunkCursor::CrcOk(c);
        if (IsCritical(c.type)) {
            if (!crcOk) return 1;
            if (c.type == kChunkPLTE) {
                // In colour files the palette is only a suggestion; ignore it.
                if (h->colourType == kPngPalette && !ReadPlte(c, h)) return 1;
            } else {
                return 1;  // IHDR again, IEND before data, or a critical chunk we cannot read
            }
        } else if (crcOk) {
            if (c.type == kChunktRNS) ReadTrns(c, h);
            else if (c.type == kChunkbKGD) ReadBkgd(c, h);
            else if (c.type == kChunkpHYs) ReadPhys(c, h);
        }
        pos += size_t(12) + c.length;
    }
    if (h->colourType == kPngPalette && h->paletteCount == 0) return 1;
    *idatPos = pos;
    return 0;
}

}  // namespace dibcore
