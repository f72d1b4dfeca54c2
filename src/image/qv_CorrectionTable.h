// The correction table shared by the grey pull of the hue and saturation
// adjustment and by the sharpen and partial-blur passes of the Gaussian
// filter: how far a channel moves for a given difference, scaled by a
// strength in thousandths and lowered by a threshold.
#pragma once

#include <cstdint>

// 511 entries, table[255 + i] for differences i = -255..255.
constexpr int kCorrectionEntries = 511;
constexpr int kCorrectionCentre = 255;

// T(i) = min(255, max(0, (500 + i x strength) / 1000 - threshold)) for
// i = 0..255 and T(-i) = -T(i): the difference scaled and rounded half up,
// and dropped while it stays within the threshold. Computed in 64 bits, so
// any strength and threshold give the formula's value. False (the table left
// alone) when strength <= 0: no correction can be made from it.
bool CorrectionTable_Build(int32_t strength, int32_t threshold, int16_t table[kCorrectionEntries]);
