// The sharpen and blur commands without their window: which radius, amount
// and threshold each command runs the Gaussian filter with, and its undo
// kind. The menu presets carry their own values; the unsharp-mask and
// Gaussian-blur dialogs pass theirs.
#pragma once

#include <cstdint>

enum SharpenBlurCommand : uint32_t {
    kCmdSharpen = 40681,
    kCmdSharpenStrong = 40682,
    kCmdSharpenEdges = 40683,
    kCmdUnsharpMask = 40684,  // the dialog's values
    kCmdBlur = 40685,
    kCmdBlurStrong = 40686,
    kCmdBlurSoft = 40687,
    kCmdGaussianBlur = 40688,  // the dialog's values
};

// One run of the filter: radius in thousandths of a pixel, amount as the
// filter takes it (positive sharpens, negative blurs), threshold 0..255.
struct SharpenBlurRun {
    int32_t radius;
    int32_t amount;
    int32_t threshold;
    int32_t undoKind;
};

// The run of `command` (40681..40688). Presets replace the three values;
// blur commands take `amount` as a blur strength in tenths of a percent
// (1000 and above: a full blur) and ignore the threshold. False for any
// other command.
bool UnShMask_PlanRun(uint32_t command, int32_t radius, int32_t amount, int32_t threshold, SharpenBlurRun *out);

// True for the commands that open a dialog rather than run a preset.
bool UnShMask_IsDialogCommand(uint32_t command);
