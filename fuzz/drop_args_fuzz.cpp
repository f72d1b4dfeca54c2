// The handed-over arguments: texts from another process, split at their
// zeros by the receiver. Whatever the bytes, measuring and copying stay
// inside the block, and the copies fit the room the measure planned. The
// first byte picks the text unit (UTF-16 or ANSI) and whether the sender's
// folder is given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/qv_DropListCore.h"

namespace {

template <class Ch>
void Receive(const uint8_t *data, size_t size, bool withDir) {
    const size_t units = size / sizeof(Ch);
    // An exact-size block; the last text may not end in it.
    std::vector<Ch> block(units);
    if (units) std::memcpy(block.data(), data, units * sizeof(Ch));
    block.shrink_to_fit();
    std::vector<const Ch *> argv;
    for (size_t at = 0; at < units;) {
        argv.push_back(block.data() + at);
        while (at < units && block[at] != 0) ++at;
        ++at;
    }
    static const Ch dir[] = {Ch('C'), Ch(':'), Ch('\\'), Ch('d'), 0};
    const Ch *folder = withDir ? dir : nullptr;
    DropArgsPlan plan{};
    if (!DropArgs_Measure(argv.data(), int32_t(argv.size()), uint64_t(units) * sizeof(Ch), folder, &plan)) return;
    if (plan.taken < plan.files || plan.taken >= int32_t(argv.size())) __builtin_trap();
    std::vector<Ch> names(plan.units);
    std::vector<Ch *> items(size_t(plan.taken) + 1);
    if (DropArgs_Copy(argv.data(), plan, folder, names.data(), items.data()) > plan.units) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const bool withDir = (data[0] & 2) != 0;
    if (data[0] & 1)
        Receive<char>(data + 1, size - 1, withDir);
    else
        Receive<char16_t>(data + 1, size - 1, withDir);
    return 0;
}
