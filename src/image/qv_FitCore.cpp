// Placeholder: the fit arithmetic follows.
#include "image/qv_FitCore.h"

int32_t Fit_ComputeWhole(int32_t, int32_t, int32_t, int32_t, int32_t *, int32_t *) { return -1; }
int32_t Fit_ComputeZoomWhole(int32_t, int32_t, int32_t, int32_t) { return -1; }
int32_t Fit_ComputeSide(int, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t *, int32_t *) { return -1; }
int32_t Fit_Compute(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t *, int32_t *,
                    int32_t *) {
    return -1;
}
int32_t Fit_ApplyMaximum(int32_t, int32_t, int32_t, int32_t *, int32_t *, int32_t zoom) { return zoom; }
bool Fit_FitsAtActualSize(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return false; }
