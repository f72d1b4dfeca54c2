// The EXIF walk on arbitrary bytes: every length and offset is checked
// before it is used.
#include <cstddef>
#include <cstdint>

#include "image/qv_Exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    MemoryReader m;
    const int o = Exif_ReadOrientation(ByteSource_FromMemory(&m, data, uint32_t(size)));
    if (o < 0 || o > 8) __builtin_trap();
    return 0;
}
