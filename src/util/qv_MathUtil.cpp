#include "qv_MathUtil.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace {

int32_t Saturate(bool negative, int32_t *overflow) {
    if (overflow) *overflow = 1;
    return negative ? INT32_MIN : INT32_MAX;
}

uint64_t Abs64(int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }

}  // namespace

int32_t Math_MulDivRound(int32_t a, int32_t *overflow, int32_t b, int32_t c) {
    if (overflow) *overflow = 0;
    const int64_t product = int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0) && product != 0;
    if (c == 0) return Saturate(product < 0, overflow);
    // Rounding the magnitude keeps halves away from zero for every sign; the
    // textbook (a*b + c/2) / c only works when a*b and c are positive.
    const uint64_t divisor = Abs64(c);
    const uint64_t q = (Abs64(product) + divisor / 2) / divisor;
    if (negative) {
        if (q > uint64_t{INT32_MAX} + 1) return Saturate(true, overflow);
        return static_cast<int32_t>(-static_cast<int64_t>(q));
    }
    if (q > uint64_t{INT32_MAX}) return Saturate(false, overflow);
    return static_cast<int32_t>(q);
}

int32_t Math_MulDiv(int32_t a, int32_t b, int32_t c) {
    int32_t overflow = 0;
    const int32_t r = Math_MulDivRound(a, &overflow, b, c);
    return overflow ? 0 : r;
}

int32_t Math_MulDivChecked(int32_t a, int32_t b, int32_t *overflow, int32_t c) {
    if (overflow) *overflow = 0;
    const int64_t product = int64_t{a} * b;
    if (c == 0) return Saturate(product < 0, overflow);
    const int64_t q = product / c;  // |product| <= 2^62, so no INT64_MIN / -1
    if (q > INT32_MAX || q < INT32_MIN) return Saturate(q < 0, overflow);
    return static_cast<int32_t>(q);
}

uint32_t Math_MulDivUnsigned(int32_t *overflow, uint32_t a, uint32_t b, uint32_t c) {
    if (overflow) *overflow = 0;
    const uint64_t product = uint64_t{a} * b;
    if (c == 0 || product / c > UINT32_MAX) {
        if (overflow) *overflow = 1;
        return UINT32_MAX;
    }
    return static_cast<uint32_t>(product / c);
}

uint32_t Math_MulLimit(uint32_t a, uint32_t b, uint32_t limit) {
    const uint64_t product = uint64_t{a} * b;
    return product <= UINT32_MAX && product <= limit ? static_cast<uint32_t>(product) : 0;
}

int32_t Math_ScaleSigned(uint32_t flags, int32_t a, int32_t b, int32_t c, int32_t *status) {
    int32_t unused = 0;
    if (status == nullptr) status = &unused;
    *status = 0;
    if (a == 0) {
        *status = 1;
        return 0;
    }
    // Work on a positive divisor so floor and ceiling are plain.
    __int128 num = static_cast<__int128>(b) * c;
    __int128 den = a;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    auto floorDiv = [](__int128 n, __int128 d) {
        __int128 q = n / d;
        if ((n % d) != 0 && n < 0) --q;
        return q;
    };
    const bool negative = num < 0;
    const bool symmetric = (flags & kScaleSymmetric) != 0 && negative;
    __int128 q;
    switch (flags & 0xFF) {
        case kScaleCeil:  // symmetric: away from zero, i.e. floor for negatives
            q = symmetric ? floorDiv(num, den) : -floorDiv(-num, den);
            break;
        case kScaleFloor:  // symmetric: toward zero, i.e. ceiling for negatives
            q = symmetric ? -floorDiv(-num, den) : floorDiv(num, den);
            break;
        default:  // nearest; halves toward +inf, or away from zero when symmetric
            q = symmetric ? -floorDiv(-2 * num + den, 2 * den) : floorDiv(2 * num + den, 2 * den);
            break;
    }
    if (q > INT32_MAX) {
        *status = 2;
        return (flags & kScaleSaturate) ? INT32_MAX : 0;
    }
    if (q < INT32_MIN) {
        *status = 3;
        return (flags & kScaleSaturate) ? INT32_MIN : 0;
    }
    return static_cast<int32_t>(q);
}

void Rect_Set(Rect *rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (rect) *rect = Rect{left, top, right, bottom};
}

bool Rect_Equal(const Rect *a, const Rect *b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

void Rect_Clear(Rect *rect) {
    if (rect) *rect = Rect{};
}

bool Rect_IsEmpty(const Rect *rect) { return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top; }

void Math_NormalizeRect(Rect *rect) {
    if (!rect) return;
    if (rect->left > rect->right) std::swap(rect->left, rect->right);
    if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
}

void Math_RectToXYWH(const Rect *rect, int32_t *x, int32_t *y, int32_t *width, int32_t *height) {
    if (!rect) return;
    if (x) *x = rect->left;
    if (y) *y = rect->top;
    if (width) *width = static_cast<int32_t>(int64_t{rect->right} - rect->left);
    if (height) *height = static_cast<int32_t>(int64_t{rect->bottom} - rect->top);
}

void Math_RectGetXYWH(const Rect *rect, int32_t *x, int32_t *y, int32_t *width, int32_t *height) {
    if (!rect) return;
    Rect r = *rect;
    Math_NormalizeRect(&r);
    Math_RectToXYWH(&r, x, y, width, height);
}

void Math_FitRectInto(const Rect *boundsIn, Rect *rect) {
    if (!boundsIn || !rect) return;
    Rect b = *boundsIn;
    Math_NormalizeRect(&b);
    auto fitAxis = [](int32_t lo, int32_t hi, int32_t &a, int32_t &z) {
        const int64_t size = int64_t{z} - a;
        if (z > hi) {
            z = hi;
            a = static_cast<int32_t>(hi - size);
        }
        if (a < lo) {
            a = lo;
            const int64_t room = int64_t{hi} - lo;
            z = static_cast<int32_t>(lo + (size < room ? size : room));
        }
    };
    fitAxis(b.left, b.right, rect->left, rect->right);
    fitAxis(b.top, b.bottom, rect->top, rect->bottom);
}
