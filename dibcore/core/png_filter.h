// PNG row filters: undoing them when reading and choosing and applying them
// when writing. `bpp` is the filter's pixel step in bytes (1 for depths
// below 8 bits, else bytes per pixel: 1..8).
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

enum PngFilterType : int { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAvg = 3, kFilterPaeth = 4 };

// Undoes filter `type` on `row` (`bytes` long) in place; `prev` is the
// previous row already unfiltered (zeros above the first row). False for a
// filter type that does not exist. Uses SSE2 where it pays.
bool PngUnfilterRow(int type, uint8_t *row, const uint8_t *prev, size_t bytes, int bpp);

// The plain byte-at-a-time version, the reference the fast one is tested
// against.
bool PngUnfilterRowScalar(int type, uint8_t *row, const uint8_t *prev, size_t bytes, int bpp);

// Applies filter `type` to `raw` (with `prev`, the previous raw row) into
// `out`; returns the sum of the filtered bytes taken as signed magnitudes,
// the usual estimate of how well the row will compress.
uint64_t PngFilterRow(int type, const uint8_t *raw, const uint8_t *prev, size_t bytes, int bpp, uint8_t *out);

// Filters `raw` with whichever filter of the set `filters` (kPngFilter...
// bits) gives the smallest sum, the first of equals in type order, into
// `out`; `trial` is scratch of `bytes`. None when the set is empty. Returns
// the type chosen. The choice depends on the two rows only, so a row filters
// the same whoever filters it.
int PngFilterBest(uint32_t filters, const uint8_t *raw, const uint8_t *prev, size_t bytes, int bpp, uint8_t *out,
                  uint8_t *trial);

}  // namespace dibcore
