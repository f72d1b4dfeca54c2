#include "jpeg_coef_masks.h"

#include "jpeg_tables.h"

namespace dibcore {

JpegMagnitudeMasks Jpeg_MagnitudeMasksScalar(const int16_t *z, int al) {
    JpegMagnitudeMasks m{0, 0};
    for (int k = 0; k < 64; ++k) {
        const int a = (z[k] < 0 ? -z[k] : z[k]) >> al;
        if (a != 0) m.nonzero |= uint64_t{1} << k;
        if (a > 1) m.above1 |= uint64_t{1} << k;
    }
    return m;
}

void Jpeg_NaturalToZigzag(const int16_t *natural, int16_t *zigzag) {
#pragma GCC unroll 64
    for (int k = 0; k < 64; ++k) zigzag[k] = natural[kJpegZigzagToNatural[k]];
}

}  // namespace dibcore
