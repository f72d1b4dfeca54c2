#include "qv_Units.h"

#include <climits>

#include "qv_MathUtil.h"

namespace {
constexpr int32_t kPpmAt72Dpi = 2835;

int32_t Positive(int32_t a, int32_t b, int32_t c) { return a <= 0 ? 0 : Math_MulDiv(a, b, c); }
int32_t Positive2(int32_t a, int32_t b, int32_t m, int32_t c, bool productFirst) {
    if (a <= 0 || b <= 0) return 0;
    return productFirst ? Math_MulDiv(a, b, c) : Math_MulDiv(a, m, b);
}
int32_t FitNonNegative(int64_t v) { return v < 0 || v > INT32_MAX ? 0 : static_cast<int32_t>(v); }
}  // namespace

int32_t Units_DefaultResolution(int32_t *x, int32_t *y) {
    int32_t vx = x ? *x : 0;
    int32_t vy = y ? *y : 0;
    if (vx <= 0 && vy <= 0) {
        vx = vy = kPpmAt72Dpi;
    } else if (vx <= 0) {
        vx = vy;
    } else if (vy <= 0) {
        vy = vx;
    }
    if (x) *x = vx;
    if (y) *y = vy;
    return 1;
}

int32_t Units_InchToCm(int32_t v) { return Positive(v, 254, 100); }
int32_t Units_CmToInch(int32_t v) { return Positive(v, 100, 254); }
int32_t Units_CmToInchSigned(int32_t v) { return Math_MulDiv(v, 100, 254); }
int32_t Units_DpiToPpm(int32_t dpi) { return Positive(dpi, 10000, 254); }

int32_t Units_PpmToDpi(int32_t ppm) {
    if (ppm <= 0) return 0;
    // Prefer the whole dpi when it maps back to exactly these pixels per metre:
    // 2835 is 72 dpi, not 72.01.
    const int32_t whole = Math_MulDiv(ppm, 254, 10000);
    if (whole > 0 && Units_DpiToPpm(whole) == ppm && whole <= INT32_MAX / 100) return whole * 100;
    return Math_MulDiv(ppm, 254, 100);
}

int32_t Units_ToTenThousandths(int32_t a, int32_t b) { return Positive2(a, b, 10000, 0, false); }
int32_t Units_ScaleInch(int32_t a, int32_t b) { return Positive2(a, b, 254, 0, false); }
int32_t Units_ScaleHundred(int32_t a, int32_t b) { return Positive2(a, b, 100, 0, false); }
int32_t Units_FromTenThousandths(int32_t a, int32_t b) { return Positive2(a, b, 0, 10000, true); }

int32_t Units_ScaleInch64(int32_t a, int32_t b) {
    if (a <= 0 || b <= 0) return 0;
    const int64_t d = int64_t{a} * 254;
    return FitNonNegative((int64_t{b} * 1000000 + d / 2) / d);
}

int32_t Units_ScaleMicro64(int32_t a, int32_t b) {
    if (a <= 0 || b <= 0) return 0;
    const __int128 v = (static_cast<__int128>(a) * b * 254 + 500000) / 1000000;
    return v > INT32_MAX ? 0 : static_cast<int32_t>(v);
}
