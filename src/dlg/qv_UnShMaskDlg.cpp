#include "dlg/qv_UnShMaskDlg.h"

#include "dlg/qv_UnShMaskCore.h"
#include "image/qv_EditShared.h"
#include "image/qv_Gauss.h"

int UnShMaskDlg_Apply(int32_t radius, int32_t amount, int32_t threshold, UINT command) {
    SharpenBlurRun run;
    if (!UnShMask_PlanRun(command, radius, amount, threshold, &run)) return 0;
    // The filter makes palette and 16-bit pictures 24 bits, so only a 24-bit
    // picture can be restored from its rectangle alone.
    return RunSnapshotEdit(1, 1, nullptr, 1, 1, run.undoKind, kSnapRectIf24, [&run](DibHolder &image, const SelRect &r) {
        return Gauss_Apply(image.handle, nullptr, &r, run.radius, run.amount, run.threshold) != 0;
    });
}
