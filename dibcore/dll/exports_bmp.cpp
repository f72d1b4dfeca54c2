// BMP reading and writing entry points.
#include <type_traits>

#include "bmp_codec.h"
#include "dibcore_api.h"
#include "dll_support.h"
#include "handles.h"

using namespace dibcore;

namespace {

DibHandle Decode(const void *memory, size_t size) {
    Picture *p = nullptr;
    if (BmpDecode(static_cast<const uint8_t *>(memory), size, &p) != 0) return 0;
    return Handles_Add(p);
}

}  // namespace

DIBCORE_API int32_t DIBCORE_CALL DIBtoBMP(const DibPathChar *path, DibHandle handle) {
    Picture *p = Handles_Get(handle);
    if (p == nullptr) return 0;
    ByteBuffer bytes;
    if (!BmpEncode(*p, &bytes)) return 0;
    return Dll_WriteFile(path, bytes) ? 1 : 0;
}

DIBCORE_API DibHandle DIBCORE_CALL BMPtoDIB(const DibPathChar *path) {
    ByteBuffer bytes;
    if (!Dll_ReadFile(path, &bytes)) return 0;
    return Decode(bytes.data(), bytes.size());
}

DIBCORE_API DibHandle DIBCORE_CALL BMPMtoDIB(const void *memory, uint32_t size) {
    return memory ? Decode(memory, size) : 0;
}

static_assert(std::is_same<decltype(&DIBtoBMP), DIBtoBMP_t>::value, "DIBtoBMP signature");
static_assert(std::is_same<decltype(&BMPtoDIB), BMPtoDIB_t>::value, "BMPtoDIB signature");
static_assert(std::is_same<decltype(&BMPMtoDIB), BMPMtoDIB_t>::value, "BMPMtoDIB signature");
