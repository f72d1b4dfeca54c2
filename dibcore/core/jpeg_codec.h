// JPEG reading and writing over plain memory, with no Win32 in it, so the
// DLL layer and a command-line tool share one codec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "picture.h"

namespace dibcore {

enum JpegStatus : int {
    kJpegOk = 0,
    kJpegNotJpeg = -1,  // no SOI marker: some other format
    kJpegFailed = 1,    // a JPEG we cannot or will not decode
};

struct JpegHeaderInfo {
    int width;
    int height;
    int components;
    bool progressive;
};

// Reads markers up to the frame header. kJpegOk fills `info`.
int Jpeg_ReadHeader(const uint8_t *data, size_t size, JpegHeaderInfo *info);

// Decodes a whole file into a 24-bit picture (B,G,R, rows padded to 4), or an
// 8-bit grey-palette picture for one-component files. Rows are top-down when
// `topDown`, else bottom-up. A truncated or damaged file still gives a
// picture: what the file holds, the rest grey. On failure `*message` (when
// given) names the reason.
int Jpeg_Decode(const uint8_t *data, size_t size, bool topDown, Picture **picture,
                const char **message = nullptr);

// Encodes any picture (palette, 16, 24 or 32 bits; grey palettes as one
// component) at quality 1..100 (clamped), baseline or progressive, appending
// to `out`. False when the picture is unusable or memory is short.
bool Jpeg_Encode(const Picture &picture, int quality, bool progressive, ByteBuffer *out);

}  // namespace dibcore
