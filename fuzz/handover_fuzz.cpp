// The hand-over block decoder: the block comes from another process, so any
// bytes must decode without reading outside the copy. The first byte picks
// the text unit (UTF-16 or ANSI).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "other/qv_HandOverBlock.h"

namespace {

template <class Ch>
void Decode(const uint8_t *data, size_t size) {
    const size_t blockSize = HandOver_BlockBytes<Ch>();
    // The receiver's copy: the block (short inputs padded with what the
    // mapping held before, zeros) and the zeroed slack behind it.
    std::vector<uint8_t> copy(blockSize + kHandOverCopySlack, 0);
    std::memcpy(copy.data(), data, size < blockSize ? size : blockSize);
    // Also decode an exact-size copy without slack, as a tighter bound.
    for (size_t limit : {copy.size(), size < blockSize ? size : blockSize}) {
        std::vector<uint8_t> exact(copy.begin(), copy.begin() + limit);
        HandOverView<Ch> view{};
        std::vector<const Ch *> args(blockSize);
        if (!HandOver_Read(exact.data(), exact.size(), &view, args.data(), int(args.size()))) continue;
        size_t total = 0;
        for (int i = 0; i < view.found; ++i)
            for (const Ch *p = args[i]; *p != 0; ++p) ++total;  // each text ends inside
        for (const Ch *p = view.dir; *p != 0; ++p) ++total;
        if (view.found > view.count && view.count >= 0) __builtin_trap();
        (void)total;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1)
        Decode<char>(data + 1, size - 1);
    else
        Decode<char16_t>(data + 1, size - 1);
    return 0;
}
