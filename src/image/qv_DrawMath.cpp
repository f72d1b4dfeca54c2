#include "image/qv_DrawMath.h"

bool Draw_ClipSpan(int32_t *srcPos, int32_t *srcLen, int32_t *dstPos, int32_t *dstLen, int32_t size) {
    const int64_t s0 = *srcPos, len = *srcLen, d0 = *dstPos, dlen = *dstLen;
    if (len <= 0 || dlen <= 0 || size <= 0) return false;
    const int64_t c0 = s0 < 0 ? 0 : s0;
    const int64_t c1 = s0 + len > size ? size : s0 + len;
    if (c1 <= c0) return false;
    int64_t n0, n1;
    if (len == dlen) {
        n0 = d0 + (c0 - s0);
        n1 = d0 + (c1 - s0);
    } else {
        n0 = d0 + (c0 - s0) * dlen / len;
        n1 = d0 + (c1 - s0) * dlen / len;
    }
    if (n1 <= n0 || n0 < INT32_MIN || n1 > INT32_MAX) return false;
    *srcPos = int32_t(c0);
    *srcLen = int32_t(c1 - c0);
    *dstPos = int32_t(n0);
    *dstLen = int32_t(n1 - n0);
    return true;
}

int64_t Draw_ScalePercent(int32_t dst, int32_t src) {
    if (src <= 0) return 0;
    return int64_t(dst) * 100 / src;
}
