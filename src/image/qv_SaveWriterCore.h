// The four format writers without their file: each prepares the picture as
// its format needs and hands it to a sink, the library's writer bound to the
// target path by the caller (qv_SaveWriters.cpp), or a recorder in tests.
// Every temporary copy is released on every path, and the picture in memory
// is left as it was (the BMP writer changes it for the write and restores
// it). Each returns 1 when the sink wrote the file, else 0. Portable.
#pragma once

#include <cstdint>

#include "image/qv_DibHolder.h"
#include "image/qv_SaveOptions.h"

struct SaveSink {
    void *context;
    int32_t (*bmp)(void *context, DibHandle picture);
    int32_t (*gif)(void *context, DibHandle picture, const GifSaveOptions *options);
    int32_t (*jpeg)(void *context, DibHandle picture, int32_t quality, uint32_t flags);
    int32_t (*png)(void *context, DibHandle picture, const PngSaveOptions *options);
};

// Preparations: 1 with `copy` holding the picture to write, or left empty
// when the picture itself can be written; 0 when a conversion fails (copy
// empty). `copy` must be empty on entry.
//
// GIF: 1/4/8-bit pictures as they are (RLE expanded in a copy); deeper ones
// through a copy reduced losslessly to a palette where they use at most 256
// colours, else reduced to 16 and then 8 bits by the library.
int SaveGif_Prepare(const DibHolder &picture, DibHolder &copy);
// JPEG: a 24-bit copy of anything that is not plain 24 bits.
int SaveJpeg_Prepare(const DibHolder &picture, DibHolder &copy);
// PNG: 16 and 32 bits become a 24-bit copy; RLE is expanded in a copy.
int SavePng_Prepare(const DibHolder &picture, DibHolder &copy);

int SaveBmp_WriteTo(DibHolder &picture, const SaveOptions &options, const SaveSink &sink);
int SaveGif_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink);
int SaveJpeg_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink);
int SavePng_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink);
