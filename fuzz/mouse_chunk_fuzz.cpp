// The "Mous" chunk decoder: the chunk comes from Custom.dat, which anything
// may have written. Whatever the bytes, a decoded table keeps its rules (a
// drag mode has one owner, system move only for the left button, wheel
// actions only for the middle button) and encodes back to what decodes the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "other/qv_MouseCore.h"

namespace {

void Check(const MouseSettings &s) {
    for (int mode = 0; mode < kDragModes; ++mode) {
        int owners = 0;
        for (int b = 0; b < kMouseButtons; ++b) owners += s.dragMode[b] == mode;
        if (owners > 1) __builtin_trap();
        const int owner = Mouse_FindDragButton(mode, &s);
        if (s.dragMk[mode] != (owner < 0 ? 0 : kMouseButtonFlag[owner])) __builtin_trap();
    }
    for (int b = 0; b < kMouseButtons; ++b) {
        if (s.dragMode[b] < kDragNone || s.dragMode[b] > kDragSystemMove) __builtin_trap();
        if (s.dragMode[b] == kDragSystemMove && b != kMouseL) __builtin_trap();
        if (b == kMouseM) continue;
        for (int a = kMouseWheelUp; a < kMouseActions; ++a)
            for (int slot = 0; slot < kMouseSlots; ++slot)
                if (s.command[b][a][slot] != 0) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // An exact copy, so reading past the given length is caught.
    std::vector<uint8_t> copy(data, data + size);
    MouseSettings s;
    Mouse_InitSettings(&s);
    if (Mouse_DecodeChunk(copy.data(), uint32_t(size), &s) != 0) return 0;
    Check(s);
    uint8_t again[kMouseChunkSize];
    Mouse_EncodeChunk(&s, again);
    MouseSettings t;
    Mouse_InitSettings(&t);
    if (Mouse_DecodeChunk(again, kMouseChunkSize, &t) != 0) __builtin_trap();
    if (std::memcmp(s.command, t.command, sizeof s.command) != 0 ||
        std::memcmp(s.dragMode, t.dragMode, sizeof s.dragMode) != 0)
        __builtin_trap();
    return 0;
}
