#include "image/qv_CorrectionTable.h"

bool CorrectionTable_Build(int32_t strength, int32_t threshold, int16_t table[kCorrectionEntries]) {
    if (strength <= 0 || table == nullptr) return false;
    for (int32_t i = 0; i <= 255; ++i) {
        int64_t t = (500 + int64_t{i} * strength) / 1000 - threshold;
        t = t < 0 ? 0 : (t > 255 ? 255 : t);
        table[kCorrectionCentre + i] = int16_t(t);
        table[kCorrectionCentre - i] = int16_t(-t);
    }
    return true;
}
