// Conversions between inches, centimetres, dpi and pixels per metre, rounded
// to nearest. Lengths are in 1/100 inch or 1/100 cm; resolutions in pixels per
// metre (as bitmap headers hold them) or dpi x 100. Arguments of 0 or less give
// 0 unless a function says otherwise.
#pragma once

#include <cstdint>

int32_t Units_DefaultResolution(int32_t *x, int32_t *y);
int32_t Units_InchToCm(int32_t v);
int32_t Units_CmToInch(int32_t v);
int32_t Units_CmToInchSigned(int32_t v);
int32_t Units_DpiToPpm(int32_t dpi);
int32_t Units_PpmToDpi(int32_t ppm);
int32_t Units_ToTenThousandths(int32_t a, int32_t b);
int32_t Units_ScaleInch(int32_t a, int32_t b);
int32_t Units_ScaleHundred(int32_t a, int32_t b);
int32_t Units_FromTenThousandths(int32_t a, int32_t b);
int32_t Units_ScaleInch64(int32_t a, int32_t b);
int32_t Units_ScaleMicro64(int32_t a, int32_t b);
