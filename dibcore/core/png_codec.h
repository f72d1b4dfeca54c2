// PNG reading and writing over zlib, portable (no Win32): the DLL entry
// points and the command-line tool both call these.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "dib_png.h"
#include "picture.h"

namespace dibcore {

// Results of the decoders.
enum PngStatus : int {
    kPngOk = 0,
    kPngNotPng = -1,   // no PNG signature
    kPngFailed = 1,    // a PNG, but unusable (or memory short)
};

// Decodes a PNG held in memory.
//
// `picture` (may be null when not wanted) receives the colour picture, rows
// bottom-up:
//   palette 1/4/8 bits: the same depth with the PLTE entries as its table;
//   palette 2 bits: 4 bits; grey 1 bit: 1 bit, black and white;
//   grey 2/4/8/16 bits and grey with alpha: 8 bits with a 256-level grey
//   table (the index is the grey level); RGB and RGBA: 24 bits.
// 16-bit samples are rounded to 8 bits.
// `alpha` (may be null) receives the alpha channel as an 8-bit grey picture
// of the same size, or null when the file has no alpha channel (palette
// alpha and tRNS colours are reported by Png_Info instead).
//
// A file whose image data ends early or turns corrupt after at least one
// row keeps the rows decoded so far (the rest stay zero) and succeeds; a
// corrupt chunk checksum fails for critical chunks (IHDR, PLTE, IDAT) and
// drops the chunk for ancillary ones. Sides beyond 65535 and pictures
// beyond 1 GiB are refused before anything is allocated.
int Png_Decode(const void *data, size_t size, Picture **picture, Picture **alpha);

// Fills `info` from the chunks before the image data: transparency (tRNS)
// and background colour (bKGD); `table` (may be null) receives a palette
// file's alpha bytes. Values are those of the picture Png_Decode makes
// (grey levels and colours rounded to 8 bits, palette indexes as they are).
// On failure `info` is zeroed.
int Png_Info(const void *data, size_t size, PngInfo *info, PngAlphaTable *table);

// Encodes `picture` into `out` (appended). Palette pictures (1/4/8 bits) are
// written as PLTE files of the same depth with their table in order; 24-bit
// pictures as RGB; 16- and 32-bit pictures as RGB through their masks.
// `options` may be null: level 6, filters none/sub/up, not interlaced.
// Returns kPngOk or kPngFailed (unsupported picture, memory short).
int Png_Encode(const Picture &picture, const PngSaveOptions *options, ByteBuffer *out);

// How Png_Encode spreads its work; zeros choose for the machine.
struct PngEncodeTuning {
    int threads = 0;        // 1: one stream on the calling thread
    size_t blockBytes = 0;  // filtered bytes per block on a thread
};

// Png_Encode with the work spread as `tuning` says. A picture of fewer than
// two blocks, level 0, or one thread gives the single stream; otherwise the
// stream's bytes depend on the block size (not on the number of threads),
// and decode the same.
int Png_EncodeTuned(const Picture &picture, const PngSaveOptions *options, const PngEncodeTuning &tuning,
                    ByteBuffer *out);

}  // namespace dibcore
