#include "image/qv_Format.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "../../res/resource.h"
#include "image/qv_FileSource.h"
#include "image/qv_Sniff.h"
#include "image/qv_SpiApi.h"
#include "other/qv_Res.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_Text.h"

FormatPluginHooks g_formatPlugins = {nullptr, nullptr, nullptr};

namespace {

struct FormatRegistry {
    FormatEntry *entries = nullptr;
    int32_t used = 0;
    int32_t capacity = 0;
    int32_t step = 0;
};

FormatRegistry *s_registry = nullptr;

constexpr int32_t kPluginNone = 0x7FFFFF00;

// The built-ins in registry order, with the field of string 264 that
// describes each id.
struct Builtin {
    const TCHAR *extension;
    int32_t id;
};
const Builtin kBuiltins[] = {
    {TEXT("jpg"), kLoaderJpeg}, {TEXT("jpe"), kLoaderJpeg}, {TEXT("png"), kLoaderPng},   {TEXT("gif"), kLoaderGif},
    {TEXT("bmp"), kLoaderBmp},  {TEXT("dib"), kLoaderBmp},  {TEXT("jpeg"), kLoaderJpeg}, {TEXT("jfif"), kLoaderJpeg},
};

int32_t PluginFor(const TCHAR *extension, int archive) {
    if (g_formatPlugins.pluginForExtension == nullptr) return kPluginNone;
    return g_formatPlugins.pluginForExtension(extension, archive);
}

}  // namespace

int Format_MakeKey(int32_t id, const TCHAR *extension, const TCHAR *description, FormatEntry *out) {
    if (out == nullptr) return 0;
    std::memset(out, 0, sizeof *out);
    if (extension == nullptr) extension = TEXT("");
    if (qvtext::Length(extension) > size_t(kFormatExtChars - 1)) return 0;
    out->id = id;
    Str_CopyLower(kFormatExtChars, out->extension, extension);
    out->extensionHash = Str_Hash(out->extension);
    if (description != nullptr) {
        qvtext::CopyTruncated(description, kFormatDescChars - 1, out->description);
        out->descriptionHash = Str_Hash(out->description);
    }
    return 1;
}

int Format_Add(const FormatEntry &entry) {
    FormatRegistry *r = s_registry;
    if (r == nullptr) return 0;
    if (r->used == r->capacity) {
        const int32_t grown = r->capacity + r->step;
        auto *more = static_cast<FormatEntry *>(std::realloc(r->entries, size_t(grown) * sizeof(FormatEntry)));
        if (more == nullptr) return 0;
        std::memset(more + r->capacity, 0, size_t(r->step) * sizeof(FormatEntry));
        r->entries = more;
        r->capacity = grown;
    }
    r->entries[r->used++] = entry;
    return 1;
}

int Format_Find(const FormatEntry &key, int matchFlags, FormatEntry *out) {
    if (s_registry == nullptr || (matchFlags & 7) == 0) return 0;
    for (int32_t i = 0; i < s_registry->used; ++i) {
        const FormatEntry &e = s_registry->entries[i];
        if ((matchFlags & kMatchId) && e.id != key.id) continue;
        if ((matchFlags & kMatchExtension) &&
            (e.extensionHash != key.extensionHash || Str_Compare(e.extension, key.extension) != 0))
            continue;
        if ((matchFlags & kMatchDescription) &&
            (e.descriptionHash != key.descriptionHash || Str_Compare(e.description, key.description) != 0))
            continue;
        if (out) *out = e;
        return 1;
    }
    return 0;
}

int32_t Format_Count() { return s_registry ? s_registry->used : 0; }

void Format_DestroyRegistry() {
    if (s_registry == nullptr) return;
    std::free(s_registry->entries);
    delete s_registry;
    s_registry = nullptr;
}

int Format_RegisterBuiltins() {
    if (s_registry != nullptr) return 0;
    TCHAR text[512];
    if (Res_LoadText(text, IDS_FORMAT_NAMES, 512) <= 0) return 0;
    const TCHAR *fields[4];
    TCHAR *p = text;
    for (int i = 0; i < 4; ++i) {
        fields[i] = p;
        while (*p != 0 && *p != TEXT('\t')) ++p;
        if (i < 3) {
            if (*p == 0) return 0;  // fewer than four fields
            *p++ = 0;
        }
    }
    *p = 0;
    s_registry = new (std::nothrow) FormatRegistry;
    if (s_registry == nullptr) return 0;
    s_registry->step = 32;
    s_registry->entries = static_cast<FormatEntry *>(std::calloc(32, sizeof(FormatEntry)));
    if (s_registry->entries == nullptr) {
        Format_DestroyRegistry();
        return 0;
    }
    s_registry->capacity = 32;
    for (const Builtin &b : kBuiltins) {
        FormatEntry e;
        if (!Format_MakeKey(b.id, b.extension, fields[b.id - kLoaderBmp], &e) || !Format_Add(e)) {
            Format_DestroyRegistry();
            return 0;
        }
    }
    return 1;
}

int32_t Format_IdFromPath(const TCHAR *path, bool spiPrior) {
    if (path == nullptr) return 0;
    const TCHAR *afterRoot = nullptr, *folder = nullptr, *name = nullptr, *extension = nullptr;
    if (!Path_Split(path, &afterRoot, &folder, &name, &extension)) return 0;
    FormatEntry key;
    if (!Format_MakeKey(0, extension ? extension + 1 : TEXT(""), nullptr, &key)) return 0;
    int32_t index;
    if (spiPrior && (index = PluginFor(key.extension, 0)) < kPluginNone) return kLoaderFirstPlugin + index;
    FormatEntry found;
    if (Format_Find(key, kMatchExtension, &found)) return found.id;
    if (!spiPrior && (index = PluginFor(key.extension, 0)) < kPluginNone) return kLoaderFirstPlugin + index;
    if ((index = PluginFor(key.extension, 1)) < kPluginNone) return kLoaderFirstArchive + index;
    return 0;
}

int32_t Format_SniffFile(const TCHAR *path, const void *memory, uint32_t size) {
    uint8_t head[kSniffBytes] = {};
    if (memory != nullptr) {
        std::memcpy(head, memory, size < kSniffBytes ? size : kSniffBytes);
    } else {
        FileReader file;
        if (!FileReader_Open(&file, path)) return kSniffUnreadable;
        DWORD got = 0;
        if (!ReadFile(file.file, head, kSniffBytes, &got, nullptr)) return kSniffUnreadable;
    }
    return Format_SniffBytes(head);
}

int32_t Format_DetectDecoder(uint32_t size, const void *memory, const TCHAR *path, const char *pluginName,
                             int32_t currentId, bool allowPlugins, bool spiPrior) {
    if (memory != nullptr && size == 0) return -1;
    if (memory == nullptr) {
        FileReader file;
        uint64_t fileSize = 0;
        if (path == nullptr || path[0] == 0 || !FileReader_Open(&file, path) || !FileReader_Size(&file, &fileSize) ||
            fileSize == 0)
            return -1;
    }
    if (allowPlugins && spiPrior) {
        const int32_t id = Spi_ProbeAll(memory, size, path, pluginName, currentId, 0);
        if (id != 0) return id;
    }
    const int32_t sniff = Format_SniffFile(path, memory, size);
    if (sniff >= kSniffBmp && sniff <= kSniffGif) return Format_LoaderIdForSniff(sniff);
    const int32_t sofar = sniff == kSniffUnreadable ? -1 : 0;
    if (!allowPlugins || spiPrior) return sofar;
    return Spi_ProbeAll(memory, size, path, pluginName, currentId, 0);
}

int32_t Spi_ProbeAll(const void *memory, uint32_t size, const TCHAR *path, const char *pluginName,
                     int32_t currentId, int archive) {
    if (g_formatPlugins.pluginCount == nullptr || g_formatPlugins.isSupported == nullptr) return 0;
    const int32_t count = g_formatPlugins.pluginCount(archive);
    if (count <= 0) return 0;
    if (memory == nullptr && pluginName == nullptr) return -1;
    const void *probe = memory;
    struct Buffer {
        uint8_t *p = nullptr;
        ~Buffer() { std::free(p); }
    } buffer;
    if (memory == nullptr || size < kSpiProbeBytes) {
        buffer.p = static_cast<uint8_t *>(std::calloc(1, kSpiProbeBytes));
        if (buffer.p == nullptr) return -1;
        if (memory != nullptr) {
            std::memcpy(buffer.p, memory, size);
        } else {
            FileReader file;
            DWORD got = 0;
            if (!FileReader_Open(&file, path) || !ReadFile(file.file, buffer.p, kSpiProbeBytes, &got, nullptr) ||
                got == 0)
                return -1;
        }
        probe = buffer.p;
    }
    const int32_t base = archive ? int32_t(kLoaderFirstArchive) : int32_t(kLoaderFirstPlugin);
    const int32_t first = currentId >= base && currentId - base < count ? currentId - base : -1;
    const char *name = pluginName ? pluginName : "";
    if (first >= 0 && g_formatPlugins.isSupported(archive, first, name, probe)) return base + first;
    for (int32_t i = 0; i < count; ++i)
        if (i != first && g_formatPlugins.isSupported(archive, i, name, probe)) return base + i;
    return 0;
}
