#include "other/qv_HandOverBlock.h"

#include <cstring>

#include "util/qv_StrCore.h"

namespace {

void Put32(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t Get32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

template <class Ch>
void PutUnit(uint8_t *p, Ch c) {
    if constexpr (sizeof(Ch) == 1) {
        p[0] = uint8_t(c);
    } else {
        const uint16_t u = uint16_t(c);
        p[0] = uint8_t(u);
        p[1] = uint8_t(u >> 8);
    }
}

template <class Ch>
Ch GetUnit(const uint8_t *p) {
    if constexpr (sizeof(Ch) == 1) {
        return Ch(p[0]);
    } else {
        return Ch(uint16_t(p[0] | p[1] << 8));
    }
}

// Copies a text with its zero; the caller checked the room.
template <class Ch>
size_t PutText(uint8_t *p, const Ch *text, size_t units) {
    for (size_t i = 0; i < units; ++i) PutUnit<Ch>(p + i * sizeof(Ch), text[i]);
    PutUnit<Ch>(p + units * sizeof(Ch), Ch(0));
    return (units + 1) * sizeof(Ch);
}

template <class Ch>
bool IsNewWindowOrUser(const Ch *a) {
    static const char kNew[] = "/newwnd";
    static const char kUser[] = "/user=";
    size_t i = 0;
    while (kNew[i] != 0 && a[i] == Ch(kNew[i])) ++i;
    if (kNew[i] == 0 && a[i] == 0) return true;
    i = 0;
    while (kUser[i] != 0 && a[i] == Ch(kUser[i])) ++i;
    return kUser[i] == 0;
}

}  // namespace

void HandOver_InitBlock(uint8_t *block, size_t size) {
    if (block == nullptr || size < 12) return;
    std::memset(block, 0, 12);
}

void HandOver_StoreReceiver(uint8_t *block, uint64_t handle) { Put32(block, uint32_t(handle)); }

uint64_t HandOver_LoadReceiver(const uint8_t *block) {
    return uint64_t(int64_t(int32_t(Get32(block))));
}

void HandOver_ResetCommandLine(uint8_t *block, size_t blockSize, size_t unitBytes) {
    // Empty directory (one zero unit) and count 0.
    if (block == nullptr || blockSize < 4 + unitBytes + 4) return;
    std::memset(block + 4, 0, unitBytes + 4);
}

template <class Ch>
int HandOver_Write(uint8_t *block, size_t blockSize, const Ch *dir, const Ch *argBuffer, size_t argBufferBytes,
                   const Ch *const *argv, int argc) {
    constexpr size_t u = sizeof(Ch);
    if (block == nullptr || blockSize < 8 + kHandOverDirUnits * u + 2 * u) return 0;
    size_t dirUnits = dir == nullptr ? 0 : qvtext::Length(dir);
    if (dirUnits >= kHandOverDirUnits) dirUnits = 0;  // too long: sent as empty
    const size_t dirBytes = PutText(block + 4, dirUnits == 0 ? nullptr : dir, dirUnits);
    uint8_t *countAt = block + 4 + dirBytes;
    uint8_t *argsAt = countAt + 4;
    const size_t header = 8 + dirBytes;
    Put32(countAt, 0);
    PutUnit<Ch>(argsAt, Ch(0));
    if (argc <= 0 || argBuffer == nullptr || argBufferBytes == 0 || argv == nullptr) return 0;
    if (argc <= 1) return 1;
    if (header + argBufferBytes <= blockSize) {
        Put32(countAt, uint32_t(argc));
        std::memcpy(argsAt, argBuffer, argBufferBytes);
        return 1;
    }
    // Cut list: an empty first argument, then what fits in order, dropping
    // empty arguments and the switches that only concern the sender.
    size_t used = u;  // the empty first argument
    const size_t room = blockSize - header - u;  // keeps room for the closing empty text
    int copied = 0;
    for (int i = 1; i < argc; ++i) {
        const Ch *a = argv[i];
        if (a == nullptr || a[0] == 0 || IsNewWindowOrUser(a)) continue;
        const size_t n = qvtext::Length(a);
        const size_t bytes = (n + 1) * u;
        if (used + bytes > room) break;
        PutText(argsAt + used, a, n);
        used += bytes;
        ++copied;
    }
    PutUnit<Ch>(argsAt + used, Ch(0));
    Put32(countAt, uint32_t(1 + copied));
    return 1;
}

template <class Ch>
int HandOver_Read(const uint8_t *copy, size_t size, HandOverView<Ch> *view, const Ch **args, int maxArgs) {
    constexpr size_t u = sizeof(Ch);
    if (view == nullptr) return 0;
    *view = HandOverView<Ch>{nullptr, 0, 0};
    if (copy == nullptr || size < 4 + u + 4) return 0;
    // The directory must end within its 261 units and leave room for the
    // count behind it.
    size_t dirUnits = 0;
    const size_t dirLimit = (size - 8) / u;
    while (dirUnits < kHandOverDirUnits && dirUnits < dirLimit && GetUnit<Ch>(copy + 4 + dirUnits * u) != 0)
        ++dirUnits;
    if (dirUnits >= kHandOverDirUnits || dirUnits >= dirLimit) return 0;
    const size_t countAt = 4 + (dirUnits + 1) * u;
    if (countAt + 4 > size) return 0;
    view->dir = reinterpret_cast<const Ch *>(copy + 4);
    view->count = int32_t(Get32(copy + countAt));
    size_t at = countAt + 4;
    int found = 0;
    for (int i = 0; i < view->count && found < maxArgs; ++i) {
        // A text that does not end inside the copy ends the list.
        size_t n = 0;
        while (at + (n + 1) * u <= size && GetUnit<Ch>(copy + at + n * u) != 0) ++n;
        if (at + (n + 1) * u > size) break;
        if (args != nullptr) args[found] = reinterpret_cast<const Ch *>(copy + at);
        ++found;
        at += (n + 1) * u;
    }
    view->found = found;
    return 1;
}

template int HandOver_Write<char>(uint8_t *, size_t, const char *, const char *, size_t, const char *const *, int);
template int HandOver_Write<char16_t>(uint8_t *, size_t, const char16_t *, const char16_t *, size_t,
                                      const char16_t *const *, int);
template int HandOver_Read<char>(const uint8_t *, size_t, HandOverView<char> *, const char **, int);
template int HandOver_Read<char16_t>(const uint8_t *, size_t, HandOverView<char16_t> *, const char16_t **, int);
#if defined(_WIN32)
template int HandOver_Write<wchar_t>(uint8_t *, size_t, const wchar_t *, const wchar_t *, size_t,
                                     const wchar_t *const *, int);
template int HandOver_Read<wchar_t>(const uint8_t *, size_t, HandOverView<wchar_t> *, const wchar_t **, int);
#endif
