// The image and archive plug-in interface: the records and the nine entry
// points, with their widths on x86_64 decided here once. Plug-ins are
// outside libraries; text across the interface is ANSI; a result of 0 is
// success and -1 means the plug-in does not implement the call.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define SPI_CALL __stdcall
#else
#define SPI_CALL
#endif

// Arguments that are "a length or an offset" or "a name or a memory block"
// travel as pointer-sized integers, so a memory block of any size and a
// pointer fit on x86_64.
using SpiLength = intptr_t;
using SpiHandle = void *;  // a local-memory handle (HLOCAL) owned by whoever the call says

// Flag word: bit 0 clear = the first argument is a file name, set = memory.
constexpr uint32_t kSpiFromFile = 0;
constexpr uint32_t kSpiFromMemory = 1;

// Result codes.
constexpr int32_t kSpiOk = 0;
constexpr int32_t kSpiNotImplemented = -1;

// Bytes handed to IsSupported: the first 2048 of the file, zero-padded.
constexpr uint32_t kSpiProbeBytes = 2048;

#pragma pack(push, 1)

// What GetPictureInfo fills.
struct SpiPictureInfo {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t xDensity;
    uint16_t yDensity;
    int16_t colourDepth;
    SpiHandle infoText;  // freed by the program
};

// One entry of an archive, as GetArchiveInfo lists them (ended by an entry
// with an empty method) and GetFileInfo fills one.
struct SpiFileInfo {
    char method[8];
    uint32_t position;
    uint32_t compressedSize;
    uint32_t size;
    uint32_t timestamp;  // seconds since 1970-01-01 UTC
    char path[200];
    char fileName[200];
    uint32_t crc;
};

#pragma pack(pop)

static_assert(sizeof(void *) != 8 || sizeof(SpiPictureInfo) == 30, "picture info record on x86_64");
static_assert(offsetof(SpiPictureInfo, colourDepth) == 20, "picture info record");
static_assert(sizeof(void *) != 8 || offsetof(SpiPictureInfo, infoText) == 22, "picture info record on x86_64");
static_assert(sizeof(SpiFileInfo) == 428, "archive file record");
static_assert(offsetof(SpiFileInfo, position) == 8 && offsetof(SpiFileInfo, timestamp) == 20, "archive file record");
static_assert(offsetof(SpiFileInfo, path) == 24 && offsetof(SpiFileInfo, fileName) == 224, "archive file record");
static_assert(offsetof(SpiFileInfo, crc) == 424, "archive file record");

extern "C" {
// Always returns 0 (never cancels).
typedef int32_t(SPI_CALL *SpiProgress_t)(int32_t done, int32_t total, intptr_t userData);

// Index 0 (size 8): "00IN" image, "00AM" archive; 1 (128): description;
// 2k+2 / 2k+3 (512): extension filter and format name of group k. Result > 0:
// characters written.
typedef int32_t(SPI_CALL *SpiGetPluginInfo_t)(int32_t index, char *buffer, int32_t bufferSize);
// Non-zero: the plug-in can decode the file. `head` is kSpiProbeBytes bytes.
typedef int32_t(SPI_CALL *SpiIsSupported_t)(const char *fileName, const void *head);
typedef int32_t(SPI_CALL *SpiGetPictureInfo_t)(const char *nameOrMemory, SpiLength lengthOrOffset, uint32_t flag,
                                               SpiPictureInfo *info);
// 0 with two local-memory handles: the BITMAPINFO and the pixel bits.
typedef int32_t(SPI_CALL *SpiGetPicture_t)(const char *nameOrMemory, SpiLength lengthOrOffset, uint32_t flag,
                                           SpiHandle *bitmapInfo, SpiHandle *bits, SpiProgress_t progress,
                                           intptr_t userData);
typedef SpiGetPicture_t SpiGetPreview_t;
// A handle counts as success whatever the result.
typedef int32_t(SPI_CALL *SpiGetArchiveInfo_t)(const char *archive, SpiLength lengthOrOffset, uint32_t flag,
                                               SpiHandle *entries);
typedef int32_t(SPI_CALL *SpiGetFileInfo_t)(const char *archive, SpiLength lengthOrOffset, const char *entryName,
                                            uint32_t flag, SpiFileInfo *info);
// flag 0x100: the entry goes to a local-memory handle in *out.
typedef int32_t(SPI_CALL *SpiGetFile_t)(const char *archive, SpiLength position, SpiHandle *out, uint32_t flag,
                                        SpiProgress_t progress, intptr_t userData);
// kind 0: about box, 1: settings. 0 done, -1 none.
typedef int32_t(SPI_CALL *SpiConfigurationDlg_t)(void *parentWindow, int32_t kind);
}

constexpr uint32_t kSpiGetFileToMemory = 0x100;

// Entry point names, in the order of SpiEntryPoints.
constexpr const char *kSpiEntryNames[9] = {
    "GetPluginInfo", "IsSupported", "GetPictureInfo", "GetPicture", "GetPreview",
    "GetArchiveInfo", "GetFileInfo", "GetFile", "ConfigurationDlg",
};

struct SpiEntryPoints {
    SpiGetPluginInfo_t GetPluginInfo;  // required
    SpiIsSupported_t IsSupported;
    SpiGetPictureInfo_t GetPictureInfo;
    SpiGetPicture_t GetPicture;
    SpiGetPreview_t GetPreview;
    SpiGetArchiveInfo_t GetArchiveInfo;
    SpiGetFileInfo_t GetFileInfo;
    SpiGetFile_t GetFile;
    SpiConfigurationDlg_t ConfigurationDlg;
};
static_assert(sizeof(SpiEntryPoints) == 9 * sizeof(void *), "one slot per entry point");
