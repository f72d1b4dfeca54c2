// File sniffing, the BMP header checks and the BMP alpha mask reader on
// arbitrary bytes (the mask is built through a fake library).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../tests/common/fake_dibcore.h"
#include "image/qv_BmpAlpha.h"
#include "image/qv_Sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    uint8_t head[kSniffBytes] = {};
    if (size) std::memcpy(head, data, size < kSniffBytes ? size : kSniffBytes);
    const int sniff = Format_SniffBytes(head);
    if (sniff < kSniffNone || sniff > kSniffGif) __builtin_trap();
    fake::Scope scope;
    MemoryReader m;
    const DibHandle mask = BmpAlpha_ReadMask(ByteSource_FromMemory(&m, data, uint32_t(size)));
    if (mask != 0) Dibcore_DeleteDIB(mask);
    if (scope.lib.Live() != 0) __builtin_trap();
    return 0;
}
