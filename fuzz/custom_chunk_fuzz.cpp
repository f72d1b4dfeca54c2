// Custom.dat comes from disk and may be damaged or hostile: the chunk walk,
// the "Keys" and "Mous" chunk readers and the composition of a replaced file
// must stay inside the bytes, end, and keep every sound chunk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "other/qv_CustomCore.h"
#include "other/qv_KeyMapCore.h"
#include "other/qv_MouseCore.h"

namespace {

bool OddAnsi(uint16_t code, uint16_t *wide) {
    if (code > 0xFF || (code & 0x81) == 0x81) return false;
    *wide = code;
    return true;
}

void CheckKeys(const uint8_t *data, uint32_t length) {
    for (int required : {-1, 0, 1}) {
        KeyTable table{0, nullptr};
        if (KeyMap_ParseChunk(data, length, required, required < 0 ? OddAnsi : nullptr, &table) == 0) {
            for (int32_t i = 0; i < table.count; ++i)
                if (table.items[i].count < 1 || table.items[i].count > 8) __builtin_trap();
            // what was read writes back and reads the same
            std::vector<uint8_t> again(KeyMap_ChunkSize(&table) + 1);
            const uint32_t n = KeyMap_ComposeChunk(&table, 1, again.data(), uint32_t(again.size()));
            KeyTable back{0, nullptr};
            if (table.count > 0 && (n == 0 || KeyMap_ParseChunk(again.data(), n, 1, nullptr, &back) != 0 ||
                                    back.count != table.count ||
                                    std::memcmp(back.items, table.items, size_t(table.count) * sizeof(KeyBinding)) != 0))
                __builtin_trap();
            KeyMap_RemoveConflicts(&table, 0, kKeyVirt, 0x20);
            KeyMap_Free(&back);
        }
        KeyMap_Free(&table);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<CustomChunk> chunks;
    CustomChunkWalk walk(data, size);
    CustomChunk c;
    uint64_t last = 0;
    while (walk.Next(&c)) {
        if (c.offset < last || c.offset + 12 + uint64_t(c.length) > size) __builtin_trap();
        last = c.offset + 12 + uint64_t(c.length);
        chunks.push_back(c);
    }
    for (const CustomChunk &k : chunks) {
        const uint8_t *body = data + k.offset + 8;
        if (std::memcmp(k.tag, "Keys", 4) == 0) CheckKeys(body, k.length);
        if (std::memcmp(k.tag, kMouseChunkTag, 4) == 0) {
            MouseSettings s;
            Mouse_InitSettings(&s);
            Mouse_DecodeChunk(body, k.length, &s);
        }
    }
    // The raw input as chunk data too, without the walk in front.
    CheckKeys(data, uint32_t(size));

    // Replacing "Mous" keeps every other sound chunk in order, byte for byte.
    static const uint8_t kNew[8] = {0, 0, 0, 0, 1, 2, 3, 4};
    const uint64_t total = Custom_ComposedSize(data, size, "Mous", sizeof kNew);
    std::vector<uint8_t> out(static_cast<size_t>(total));
    if (Custom_Compose(data, size, "Mous", kNew, sizeof kNew, out.data(), out.size()) != total) __builtin_trap();
    CustomChunkWalk again(out.data(), out.size());
    size_t kept = 0;
    bool sawNew = false;
    while (again.Next(&c)) {
        if (std::memcmp(c.tag, "Mous", 4) == 0) {
            if (sawNew || c.length != sizeof kNew) __builtin_trap();
            sawNew = true;
            continue;
        }
        while (kept < chunks.size() && std::memcmp(chunks[kept].tag, "Mous", 4) == 0) ++kept;
        if (kept >= chunks.size() || c.length != chunks[kept].length ||
            std::memcmp(out.data() + c.offset, data + chunks[kept].offset, 12 + size_t(c.length)) != 0)
            __builtin_trap();
        ++kept;
    }
    if (!sawNew || again.StopReason() != 6) __builtin_trap();
    return 0;
}
