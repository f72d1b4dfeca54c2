// The CP keyword comes from the user and the settings file: any bytes must
// be refused or accepted without reading past them, an accepted keyword must
// give every cell count a permutation, only its first 16 characters may
// count, and the mask it drives must undo itself on a small picture.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/fake_dibcore.h"
#include "image/qv_CellMask.h"
#include "image/qv_DibOps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    const int32_t cells = 1 + ((data[0] | data[1] << 8) & 0x0FFF);
    const std::string keyword(reinterpret_cast<const char *>(data + 2), size - 2);  // up to the first NUL
    const int ok = CpMask_CheckKeyword(keyword.c_str());
    std::vector<int32_t> order(size_t(cells) + 1, -5);
    if (CpMask_Order(keyword.c_str(), cells, order.data()) != (ok == 1)) __builtin_trap();
    if (!ok) return 0;
    if (order[size_t(cells)] != -5) __builtin_trap();
    std::vector<bool> seen(size_t(cells), false);
    for (int32_t k = 0; k < cells; ++k) {
        const int32_t v = order[size_t(k)];
        if (v < 0 || v >= cells || seen[size_t(v)]) __builtin_trap();
        seen[size_t(v)] = true;
    }
    const std::string cut = std::string(keyword.c_str()).substr(0, kCpMaxKeyword);
    std::vector<int32_t> again(static_cast<size_t>(cells));
    if (!CpMask_Order(cut.c_str(), cells, again.data()) ||
        std::memcmp(again.data(), order.data(), again.size() * sizeof(int32_t)) != 0)
        __builtin_trap();

    // Twice restores: 3 x 2 cells of a 24-bit picture.
    fake::Scope scope;
    const DibHandle p = Dib_Create(24, 16, 24, 0, 0, nullptr);
    DibData *d = Dibcore_DataDIB(p);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(i * 37 + size);
    const std::vector<uint8_t> before(d->bits, d->bits + d->bitsSize);
    if (CpMask_Apply(keyword.c_str(), p, nullptr) != 1 || CpMask_Apply(keyword.c_str(), p, nullptr) != 1)
        __builtin_trap();
    d = Dibcore_DataDIB(p);
    if (std::memcmp(before.data(), d->bits, before.size()) != 0) __builtin_trap();
    Dibcore_DeleteDIB(p);
    return 0;
}
