// Maps a file to the one decoder that should read it: by its extension
// through the format registry, or by its first bytes.
#pragma once

#include <windows.h>

#include <cstdint>

enum LoaderId : int32_t {
    kLoaderNone = 0,
    kLoaderBmp = 2,
    kLoaderJpeg = 3,
    kLoaderPng = 4,
    kLoaderGif = 5,
    kLoaderFirstPlugin = 256,
    kLoaderFirstArchive = 0x10000FF,
};

constexpr int kFormatExtChars = 260;
constexpr int kFormatDescChars = 256;

struct FormatEntry {
    int32_t id;
    uint32_t extensionHash;
    uint32_t descriptionHash;
    TCHAR extension[kFormatExtChars];   // lower case
    TCHAR description[kFormatDescChars];
};

enum FormatMatch { kMatchId = 1, kMatchExtension = 2, kMatchDescription = 4 };

// What the plug-in manager answers; every entry may be null (no manager).
struct FormatPluginHooks {
    // Index of the first image (or archive) plug-in listing the extension, or
    // 0x7FFFFF00 and above for none.
    int32_t (*pluginForExtension)(const TCHAR *extension, int archive);
    int32_t (*pluginCount)(int archive);
    // IsSupported of plug-in `index` on the probe buffer (kSpiProbeBytes).
    int (*isSupported)(int archive, int32_t index, const char *name, const void *head);
};
extern FormatPluginHooks g_formatPlugins;

int Format_RegisterBuiltins();
void Format_DestroyRegistry();
int Format_MakeKey(int32_t id, const TCHAR *extension, const TCHAR *description, FormatEntry *out);
int Format_Add(const FormatEntry &entry);
int Format_Find(const FormatEntry &key, int matchFlags, FormatEntry *out);
int32_t Format_Count();

int32_t Format_IdFromPath(const TCHAR *path, bool spiPrior);
// 1 BMP, 2 JPEG, 3 PNG, 4 GIF, 0 not recognised, 0xFFFFFF cannot be read.
int32_t Format_SniffFile(const TCHAR *path, const void *memory, uint32_t size);
constexpr int32_t kSniffUnreadable = 0xFFFFFF;
// Loader id, 0 not recognised, -1 error.
int32_t Format_DetectDecoder(uint32_t size, const void *memory, const TCHAR *path, const char *pluginName,
                             int32_t currentId, bool allowPlugins, bool spiPrior);
// Loader id of the first plug-in that accepts the data, 0 none, -1 error.
int32_t Spi_ProbeAll(const void *memory, uint32_t size, const TCHAR *path, const char *pluginName,
                     int32_t currentId, int archive);
