// Numbers typed into the fields of the operation dialogs. A field holds a
// plain decimal: an optional sign, digits, and where the field has decimals
// a point and more digits. Anything else in the text (a thousands separator
// above all: "1,000") makes it no number at all, so it can never be read as
// a different, smaller one. Portable; either text unit.
#pragma once

#include <cstdint>

enum DlgNumberStatus : int {
    kDlgNumberOk = 0,
    kDlgNumberOverflow = 1,  // saturated at +-kDlgNumberLimit whole units
    kDlgNumberEmpty = 2,     // nothing typed yet: empty, spaces, a lone sign or point
    kDlgNumberBad = 3,       // other characters: not a number
};

// Whole units beyond which a number saturates; far above every field's
// range, so a saturated value always counts as "too large".
constexpr int64_t kDlgNumberLimit = 1000000000000;  // 10^12

// Parses `text` as fixed point with 10^digits as the unit (digits 0..6):
// "12.5" with 3 digits is 12500. Fraction digits beyond `digits` are cut
// off; with 0 digits a fraction makes the text Bad. Spaces may surround the
// number. *value is 0 unless the status is Ok or Overflow.
template <class Ch>
int DlgNumber_Parse(const Ch *text, int digits, int64_t *value);
