// The PNG entry points: read the file (or take the memory), run the portable
// codec, hand pictures out as handles.
#include <type_traits>

#include "dibcore_api.h"
#include "dll_support.h"
#include "handles.h"
#include "png_codec.h"

using dibcore::ByteBuffer;
using dibcore::Picture;

namespace {

DibHandle DecodeColour(const void *memory, size_t size) {
    if (memory == nullptr) return 0;
    Picture *picture = nullptr;
    if (dibcore::Png_Decode(memory, size, &picture, nullptr) != dibcore::kPngOk) return 0;
    return dibcore::Handles_Add(picture);
}

DibHandle DecodeAlpha(const void *memory, size_t size) {
    if (memory == nullptr) return 0;
    Picture *alpha = nullptr;
    if (dibcore::Png_Decode(memory, size, nullptr, &alpha) != dibcore::kPngOk || alpha == nullptr) return 0;
    return dibcore::Handles_Add(alpha);
}

// The palette alpha table comes in the first spare argument (see dib_png.h).
int32_t Info(const void *memory, size_t size, PngInfo *info, intptr_t spare1) {
    if (info == nullptr) return 0;
    auto *table = reinterpret_cast<PngAlphaTable *>(spare1);
    if (memory == nullptr) {
        *info = PngInfo{};
        if (table) table->count = 0;
        return 0;
    }
    return dibcore::Png_Info(memory, size, info, table) == dibcore::kPngOk ? 1 : 0;
}

}  // namespace

DIBCORE_API DibHandle DIBCORE_CALL PNGtoDIB(DibPath path) {
    ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) return 0;
    return DecodeColour(file.data(), file.size());
}

DIBCORE_API DibHandle DIBCORE_CALL PNGMtoDIB(const void *memory, uint32_t size) { return DecodeColour(memory, size); }

DIBCORE_API DibHandle DIBCORE_CALL PNGAtoDIB(DibPath path) {
    ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) return 0;
    return DecodeAlpha(file.data(), file.size());
}

DIBCORE_API DibHandle DIBCORE_CALL PNGMAtoDIB(const void *memory, uint32_t size) { return DecodeAlpha(memory, size); }

DIBCORE_API int32_t DIBCORE_CALL InfoPNG(DibPath path, PngInfo *info, intptr_t spare1, intptr_t /*spare2*/) {
    ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) return Info(nullptr, 0, info, spare1);
    return Info(file.data(), file.size(), info, spare1);
}

DIBCORE_API int32_t DIBCORE_CALL InfoPNGM(const void *memory, uint32_t size, PngInfo *info, intptr_t spare1,
                                          intptr_t /*spare2*/) {
    return Info(memory, size, info, spare1);
}

DIBCORE_API int32_t DIBCORE_CALL DIBtoPNGex(DibPath path, DibHandle handle, const PngSaveOptions *options) {
    const Picture *picture = dibcore::Handles_Get(handle);
    if (picture == nullptr || path == nullptr) return 0;
    ByteBuffer bytes;
    if (dibcore::Png_Encode(*picture, options, &bytes) != dibcore::kPngOk) return 0;
    return Dll_WriteFile(path, bytes) ? 1 : 0;
}

// The exports must match the program's binding table exactly.
static_assert(std::is_same<decltype(&PNGtoDIB), PNGtoDIB_t>::value, "PNGtoDIB signature");
static_assert(std::is_same<decltype(&PNGMtoDIB), PNGMtoDIB_t>::value, "PNGMtoDIB signature");
static_assert(std::is_same<decltype(&PNGAtoDIB), PNGAtoDIB_t>::value, "PNGAtoDIB signature");
static_assert(std::is_same<decltype(&PNGMAtoDIB), PNGMAtoDIB_t>::value, "PNGMAtoDIB signature");
static_assert(std::is_same<decltype(&InfoPNG), InfoPNG_t>::value, "InfoPNG signature");
static_assert(std::is_same<decltype(&InfoPNGM), InfoPNGM_t>::value, "InfoPNGM signature");
static_assert(std::is_same<decltype(&DIBtoPNGex), DIBtoPNGex_t>::value, "DIBtoPNGex signature");
