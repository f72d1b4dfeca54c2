// A malloc'd array released on every path; allocation failure is a status.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace dibcore {

template <typename T>
class HeapArray {
public:
    HeapArray() = default;
    ~HeapArray() { std::free(p_); }
    HeapArray(const HeapArray &) = delete;
    HeapArray &operator=(const HeapArray &) = delete;
    // `count` elements, zeroed when asked; false when out of range or short
    // of memory.
    bool Allocate(uint64_t count, bool zeroed = false) {
        std::free(p_);
        p_ = nullptr;
        if (count == 0 || count > (uint64_t{1} << 40) / sizeof(T)) return false;
        const size_t bytes = static_cast<size_t>(count * sizeof(T));
        p_ = static_cast<T *>(zeroed ? std::calloc(1, bytes) : std::malloc(bytes));
        return p_ != nullptr;
    }
    T *get() const { return p_; }

private:
    T *p_ = nullptr;
};

}  // namespace dibcore
