#include "util/qv_StrBuf.h"

#include <new>

#include "util/qv_Text.h"

TCHAR *StrBuf::Reserve(int n) {
    if (n < 0) n = 0;
    if (InlineCapacity() >= n) {
        FreeHeap();
        return InlineData();
    }
    if (heap_ != nullptr && heapCapacity_ >= n) return heap_;
    FreeHeap();
    heap_ = new (std::nothrow) TCHAR[size_t(n)];
    if (heap_ == nullptr) return nullptr;
    heapCapacity_ = n;
    heap_[0] = 0;
    return heap_;
}

void StrBuf::FreeHeap() {
    delete[] heap_;
    heap_ = nullptr;
    heapCapacity_ = 0;
}

TCHAR *StrBuf_Reserve(int n, StrBuf *buffer) { return buffer ? buffer->Reserve(n) : nullptr; }

void StrBuf_FreeHeap(StrBuf *buffer) {
    if (buffer) buffer->FreeHeap();
}

int StrBuf_JoinPaths(StrBuf *buffer, const TCHAR *const *pieces) {
    if (buffer == nullptr) return 0;
    auto fail = [buffer]() {
        TCHAR *d = buffer->Reserve(1);
        if (d) d[0] = 0;
        return 0;
    };
    if (pieces == nullptr) return fail();
    size_t count = 0;
    uint64_t total = 0;
    for (; pieces[count] != nullptr; ++count) {
        if (count >= 32512) return fail();
        total += qvtext::Length(pieces[count]) + 1;
        if (total > 0x7FFFFFFE) return fail();
    }
    TCHAR *out = buffer->Reserve(int(total + 1));
    if (out == nullptr) return fail();
    out[0] = 0;
    const size_t capacity = size_t(total + 1);
    if (count > 0) qvtext::CopyInto(out, capacity, pieces[0]);
    for (size_t i = 1; i < count; ++i)
        if (qvtext::Append(capacity, out, pieces[i], false) == nullptr) return fail();
    return 1;
}

int StrBuf_JoinTwoPaths(const TCHAR *first, StrBuf *buffer, const TCHAR *second) {
    const TCHAR *pieces[3] = {first, second, nullptr};
    if (first == nullptr) return StrBuf_JoinPaths(buffer, pieces + 2);
    return StrBuf_JoinPaths(buffer, pieces);
}
