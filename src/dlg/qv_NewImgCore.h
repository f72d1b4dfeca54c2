// The new picture dialog without its window: the depth choices (the bits
// its size is checked with, the depth made, the 5-6-5 layout of one of the
// 16-bit choices) and which name the new picture takes. Portable; either
// text unit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kNewImgDepthCount = 6;
constexpr int kNewImgDepthDefault = 5;  // 24 bits

struct NewImgDepth {
    int32_t sizeBits;  // bits per pixel of the size check
    int32_t depth;     // bits per pixel of the picture made
    bool masks565;     // 16 bits with the 5-6-5 bit fields (else 5-5-5)
};

// The combo entry's depth; false for an index outside 0..5.
bool NewImgDlg_DepthOf(int index, NewImgDepth *out);

// The 5-6-5 masks: red, green, blue.
extern const uint32_t kNewImgMasks565[3];

// The name buffer holds this many characters with the terminator; the field
// is read into a buffer of kNewImgReadChars, so a longer text is seen as
// longer rather than cut to a name that fits.
constexpr size_t kNewImgNameChars = 260;
constexpr size_t kNewImgReadChars = 292;

// True when the name holds a character file names cannot: \ / : * ? " < > |
template <class Ch>
bool NewImgDlg_HasBadNameChar(const Ch *name);

enum NewImgNameChoice : int {
    kNewImgNameTyped = 0,     // the typed text is the name
    kNewImgNameUntitled = 1,  // empty or too long: the untitled name instead
    kNewImgNameBad = 2,       // a forbidden character: the user corrects it
};

// What the typed name (as read, up to kNewImgReadChars - 1 characters)
// leads to: a name of 1..259 characters without a forbidden one is taken.
template <class Ch>
int NewImgDlg_ChooseName(const Ch *typed);
