#include "image/qv_DropListCore.h"

#include "util/qv_StrCore.h"

namespace {

// Length of a text that must end within `maxUnits` units; -1 when it does
// not (the units behind are never read).
template <class Ch>
int64_t BoundedLength(const Ch *s, uint64_t maxUnits) {
    for (uint64_t n = 0; n < maxUnits; ++n)
        if (s[n] == 0) return int64_t(n);
    return -1;
}

template <class Ch>
bool IsSwitch(const Ch *arg) {
    return arg[0] == Ch('/');
}

// A relative path is resolved against the sender's folder; its copy then
// needs the folder, a separator, the path and the zero.
template <class Ch>
bool Resolves(const Ch *arg, const Ch *dir) {
    return dir != nullptr && dir[0] != 0 && !qvtext::IsAbsolute(arg);
}

uint32_t Get32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

template <class Ch>
int DropArgs_Measure(const Ch *const *argv, int32_t argc, uint64_t bytesAvailable, const Ch *dir,
                     DropArgsPlan *plan) {
    if (plan == nullptr) return 0;
    *plan = DropArgsPlan{0, 0, 0};
    if (argv == nullptr || argc < 2 || bytesAvailable < 3 || argv[0] == nullptr) return 0;
    constexpr uint64_t u = sizeof(Ch);
    const int64_t programUnits = BoundedLength(argv[0], bytesAvailable / u);
    if (programUnits < 0) return 0;
    uint64_t used = uint64_t(programUnits + 1) * u;
    const uint64_t dirUnits = qvtext::Length(dir);
    uint64_t units = 1;  // the closing empty item
    for (int32_t i = 1; i < argc && argv[i] != nullptr; ++i) {
        const int64_t n = BoundedLength(argv[i], (bytesAvailable - used) / u);
        if (n < 0) break;
        used += uint64_t(n + 1) * u;
        ++plan->taken;
        if (n == 0 || IsSwitch(argv[i])) {
            units += 1;
            continue;
        }
        ++plan->files;
        units += Resolves(argv[i], dir) ? dirUnits + uint64_t(n) + 2 : uint64_t(n) + 1;
    }
    plan->units = units;
    return plan->files > 0 ? 1 : 0;
}

template <class Ch>
uint64_t DropArgs_Copy(const Ch *const *argv, const DropArgsPlan &plan, const Ch *dir, Ch *names, Ch **items) {
    uint64_t at = 0;
    const uint64_t dirUnits = qvtext::Length(dir);
    for (int32_t i = 1; i <= plan.taken; ++i) {
        const Ch *arg = argv[i];
        Ch *item = names + at;
        items[i - 1] = item;
        if (arg[0] == 0 || IsSwitch(arg)) {
            item[0] = 0;
            at += 1;
            continue;
        }
        const uint64_t n = qvtext::Length(arg);  // ends where DropArgs_Measure found its end
        if (Resolves(arg, dir)) {
            const uint64_t room = dirUnits + n + 2;
            const size_t made = qvtext::MakeAbsolute(arg, dir, item, size_t(room));
            if (made != 0) {
                at += made;
                continue;
            }
        }
        qvtext::CopyInto(item, size_t(n + 1), arg);
        at += n + 1;
    }
    names[at] = 0;
    items[plan.taken] = names + at;
    return at + 1;
}

int DropBlock_Scan(const uint8_t *block, size_t size, DropBlockInfo *info) {
    if (info == nullptr) return 0;
    *info = DropBlockInfo{};
    if (block == nullptr || size < kDropHeadBytes) return 0;
    const uint32_t offset = Get32(block);
    if (offset < kDropHeadBytes || offset >= size) return 0;
    DropBlockInfo found{};
    found.namesOffset = offset;
    found.x = int32_t(Get32(block + 4));
    found.y = int32_t(Get32(block + 8));
    found.nonClient = Get32(block + 12) != 0 ? 1 : 0;
    found.wide = Get32(block + 16) != 0 ? 1 : 0;
    const size_t u = found.wide ? 2 : 1;
    size_t at = offset;
    for (;;) {
        size_t n = 0;
        // Unit n lies in block[at + n*u, at + (n+1)*u).
        while (at + (n + 1) * u <= size) {
            const uint32_t unit = u == 2 ? uint32_t(block[at + n * 2]) | uint32_t(block[at + n * 2 + 1]) << 8
                                         : block[at + n];
            if (unit == 0) break;
            ++n;
        }
        if (at + (n + 1) * u > size) return 0;  // a name or the closing empty name runs past the block
        if (n == 0) break;
        ++found.count;
        found.nameUnits += n + 1;
        at += (n + 1) * u;
    }
    *info = found;
    return 1;
}

template int DropArgs_Measure<char>(const char *const *, int32_t, uint64_t, const char *, DropArgsPlan *);
template int DropArgs_Measure<char16_t>(const char16_t *const *, int32_t, uint64_t, const char16_t *,
                                        DropArgsPlan *);
template uint64_t DropArgs_Copy<char>(const char *const *, const DropArgsPlan &, const char *, char *, char **);
template uint64_t DropArgs_Copy<char16_t>(const char16_t *const *, const DropArgsPlan &, const char16_t *,
                                          char16_t *, char16_t **);
#if defined(_WIN32)
template int DropArgs_Measure<wchar_t>(const wchar_t *const *, int32_t, uint64_t, const wchar_t *, DropArgsPlan *);
template uint64_t DropArgs_Copy<wchar_t>(const wchar_t *const *, const DropArgsPlan &, const wchar_t *, wchar_t *,
                                         wchar_t **);
#endif
