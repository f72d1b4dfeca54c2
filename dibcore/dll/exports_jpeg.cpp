// JPEG entry points of the library: reading from a file or from memory, and
// writing with a quality and a progressive flag.
#include <type_traits>

#include "dibcore_api.h"
#include "dll_support.h"
#include "handles.h"
#include "jpeg_codec.h"

using namespace dibcore;

namespace {

constexpr uint32_t kJpegFlagProgressive = 1;

DibHandle DecodeToHandle(const uint8_t *data, size_t size) {
    Picture *picture = nullptr;
    if (Jpeg_Decode(data, size, false, &picture) != kJpegOk || picture == nullptr) return 0;
    return Handles_Add(picture);
}

}  // namespace

DIBCORE_API DibHandle DIBCORE_CALL JPGtoDIB(DibPath path) {
    ByteBuffer file;
    if (!Dll_ReadFile(path, &file)) return 0;
    return DecodeToHandle(file.data(), file.size());
}

DIBCORE_API DibHandle DIBCORE_CALL JPGMtoDIB(const void *memory, uint32_t size) {
    if (memory == nullptr || size == 0) return 0;
    return DecodeToHandle(static_cast<const uint8_t *>(memory), size);
}

DIBCORE_API int32_t DIBCORE_CALL DIBtoJPG(DibPath path, DibHandle handle, int32_t quality, uint32_t flags) {
    const Picture *picture = Handles_Get(handle);
    if (picture == nullptr) return 0;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    ByteBuffer bytes;
    if (!Jpeg_Encode(*picture, quality, (flags & kJpegFlagProgressive) != 0, &bytes)) return 0;
    return Dll_WriteFile(path, bytes) ? 1 : 0;
}

static_assert(std::is_same<decltype(&JPGtoDIB), JPGtoDIB_t>::value, "JPGtoDIB signature");
static_assert(std::is_same<decltype(&JPGMtoDIB), JPGMtoDIB_t>::value, "JPGMtoDIB signature");
static_assert(std::is_same<decltype(&DIBtoJPG), DIBtoJPG_t>::value, "DIBtoJPG signature");
