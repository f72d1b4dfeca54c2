// Names dropped onto a destination field come from any program: whatever the
// name and the shortcut target, the folder decision stays inside its texts,
// writes a terminated text that fits the field, and leaves the field alone
// when it declines. The first byte picks the text unit, a double-byte code
// page, the kinds of the dropped name and of the target, and whether the
// shortcut resolves; the rest is the name, a zero, then the target.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dlg/qv_CpyMvCore.h"

namespace {

bool FakeLeadByte(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

template <class Ch>
struct Facts {
    CpyMvNameKind dropped, target;
    bool resolves;
    std::vector<Ch> targetText;  // terminated
    const Ch *droppedName;
};

template <class Ch>
void Run(uint8_t flags, const uint8_t *data, size_t size) {
    const size_t units = size / sizeof(Ch);
    std::vector<Ch> text(units + 2, Ch(0));
    if (units) std::memcpy(text.data(), data, units * sizeof(Ch));
    size_t split = 0;
    while (split < units && text[split] != 0) ++split;
    Facts<Ch> facts;
    const CpyMvNameKind kinds[] = {CpyMvNameKind::Unreadable, CpyMvNameKind::Folder, CpyMvNameKind::File,
                                   CpyMvNameKind::File};
    facts.dropped = kinds[(flags >> 2) & 3];
    facts.target = kinds[(flags >> 4) & 3];
    facts.resolves = (flags & 0x40) != 0;
    facts.droppedName = text.data();
    const Ch *rest = text.data() + (split < units ? split + 1 : units);
    facts.targetText.assign(rest, rest + qvtext::Length(rest) + 1);
    CpyMvDropEnv<Ch> env{
        [](const Ch *path, void *user) {
            auto *f = static_cast<Facts<Ch> *>(user);
            return path == f->droppedName ? f->dropped : f->target;
        },
        [](const Ch *, Ch *out, size_t capacity, void *user) {
            auto *f = static_cast<Facts<Ch> *>(user);
            if (!f->resolves || f->targetText.size() > capacity) return false;
            std::memcpy(out, f->targetText.data(), f->targetText.size() * sizeof(Ch));
            return true;
        },
        &facts};
    // The field's room, with guards after it that must stay untouched.
    std::vector<Ch> field(kCpyMvPathChars + 8, Ch(0x5A));
    const bool changed = CpyMvCore_DropText<Ch>(facts.droppedName, env, field.data(), kCpyMvPathChars);
    for (size_t i = kCpyMvPathChars; i < field.size(); ++i)
        if (field[i] != Ch(0x5A)) __builtin_trap();
    if (changed) {
        size_t n = 0;
        while (n < size_t(kCpyMvPathChars) && field[n] != 0) ++n;
        if (n == size_t(kCpyMvPathChars)) __builtin_trap();
    } else {
        for (size_t i = 0; i < size_t(kCpyMvPathChars); ++i)
            if (field[i] != Ch(0x5A)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    qvtext::g_leadByteTest = (flags & 2) ? FakeLeadByte : nullptr;
    if (flags & 1)
        Run<char>(flags, data + 1, size - 1);
    else
        Run<char16_t>(flags, data + 1, size - 1);
    qvtext::g_leadByteTest = nullptr;
    return 0;
}
