// Command-line arguments one after another in one exact-size heap block, as
// the command line and the hand-over block hold them (reading past the block
// is an ASan error natively), with argv pointers into it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

template <class Ch>
struct ArgBlockT {
    std::vector<Ch> buffer;
    std::vector<const Ch *> argv;
    explicit ArgBlockT(const std::vector<std::basic_string<Ch>> &list) {
        for (const auto &a : list) {
            buffer.insert(buffer.end(), a.begin(), a.end());
            buffer.push_back(0);
        }
        buffer.shrink_to_fit();
        size_t at = 0;
        for (const auto &a : list) {
            argv.push_back(buffer.data() + at);
            at += a.size() + 1;
        }
    }
    int32_t argc() const { return int32_t(argv.size()); }
    uint64_t bytes() const { return buffer.size() * sizeof(Ch); }
};
