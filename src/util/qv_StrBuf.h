// A text buffer with inline storage that moves to the heap when it must grow.
#pragma once

#include <windows.h>

class StrBuf {
public:
    StrBuf() = default;
    virtual ~StrBuf() { FreeHeap(); }
    StrBuf(const StrBuf &) = delete;
    StrBuf &operator=(const StrBuf &) = delete;

    // Storage for n characters (n below 0 counts as 0), or null.
    TCHAR *Reserve(int n);
    // The text in use: the heap text when there is one, else the inline array.
    TCHAR *Data() { return heap_ != nullptr ? heap_ : InlineData(); }
    const TCHAR *Data() const { return heap_ != nullptr ? heap_ : const_cast<StrBuf *>(this)->InlineData(); }
    int Capacity() const { return heap_ != nullptr ? heapCapacity_ : InlineCapacity(); }
    void FreeHeap();

    virtual TCHAR *InlineData() = 0;
    virtual int InlineCapacity() const = 0;

private:
    TCHAR *heap_ = nullptr;
    int heapCapacity_ = 0;
};

template <int N>
class StrBufN final : public StrBuf {
public:
    StrBufN() { inline_[0] = 0; }
    TCHAR *InlineData() override { return inline_; }
    int InlineCapacity() const override { return N; }

private:
    TCHAR inline_[N];
};

using StrBuf128 = StrBufN<128>;
using StrBuf261 = StrBufN<261>;

TCHAR *StrBuf_Reserve(int n, StrBuf *buffer);
void StrBuf_FreeHeap(StrBuf *buffer);
// Joins a null-terminated list of pieces with Path_Append; 1/0. On failure the
// buffer holds the empty text.
int StrBuf_JoinPaths(StrBuf *buffer, const TCHAR *const *pieces);
int StrBuf_JoinTwoPaths(const TCHAR *first, StrBuf *buffer, const TCHAR *second);
