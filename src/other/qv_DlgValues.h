// What the editing and output dialogs remember between openings and runs:
// their parameters and the screen positions of the dialogs that keep one,
// all kept in section [Dlg] of the configuration file. One table names the
// key of every value; the configuration module reads and writes the section
// through it, each value passing its key's acceptance rule of the option
// table and then the owning dialog's own limits.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "other/qv_CfgValue.h"
#include "other/qv_Dlg.h"

// The dialogs whose window position is remembered.
enum DlgPosKey {
    kDlgPosSel,
    kDlgPosBright,
    kDlgPosCPMask,
    kDlgPosNiji,
    kDlgPosPal,
    kDlgPosZoom,
    kDlgPosLevel,
    kDlgPosCount,
};

// The CP mask keyword: up to 16 letters A..Z and the terminator.
constexpr int kDlgKeywordChars = 17;

// Every member is 32 bits (or a keyword of ASCII letters), so the table can
// reach each value by its offset.
struct DlgValues {
    // Resize
    int32_t resizePrintUnit = 1;       // 0 inch, 1 cm
    int32_t resizeResolutionUnit = 0;  // 0 pixels per inch, 1 per metre
    int32_t resizeResample = 1;        // resize the picture (else only its resolution)
    int32_t resizeKeepAspect = 1;
    int32_t resizeSharpen = 1;         // sharpen after a reduction
    int32_t resizeQuality[2] = {7, 7};  // method index 0..10 for reducing, for enlarging
    // Levels, brightness
    int32_t levelPreview = 1;
    int32_t brightPreview = 1;
    // Hue, saturation and lightness
    int32_t hslColourise = 0;
    int32_t hslGreyMethod = 2;                  // 0..2
    int32_t hslColouriseValues[3] = {0, 25, 0};  // hue 0..360, saturation 0..100, lightness -100..100
    // Unsharp mask: radius in tenths of a pixel 1..100, amount 1..400 %, threshold 0..255
    int32_t unsharpMask[3] = {6, 100, 0};
    // Gaussian blur: radius in tenths of a pixel 1..100, transparency 0..99 %
    int32_t gaussianBlur[2] = {6, 0};
    // Rotate
    int32_t rotateAngle = 0;      // thousandths of a degree, -360000..360000
    uint32_t rotateColour = 0;    // COLORREF of the uncovered corners
    // Canvas size
    int32_t canvasUnit = 0;       // 0..3
    int32_t canvasAnchor = 4;     // 0 top left .. 8 bottom right; 4 the centre
    int32_t canvasKeepAspect = 0;
    uint32_t canvasColour = 0;
    // New image
    int32_t newImageSize[2] = {160, 120};  // 1..65535 each
    int32_t newImageDepth = 5;             // index 0..5
    uint32_t newImageColour = 0;
    // Colour depth
    int32_t colourDepthDither = 1;
    // Palette
    int32_t palettePreview = 1;
    // CP mask and rainbow mask
    char cpMaskCode[kDlgKeywordChars] = {};  // normalised, upper case; may be empty
    int32_t cpMaskPreview = 1;
    int32_t rainbowBandWidth = 8;  // 1, 2, 4, 8, 16 or 32
    int32_t rainbowPreview = 1;
    // Open and jump dialogs: preview on, preview quality 0 low .. 2 high
    int32_t openPreview = 1;
    int32_t openQuality = 1;
    int32_t openFilter = 2;        // filter index: 1 all files, 2 supported pictures
    int32_t jumpPreview = 1;
    int32_t jumpQuality = 1;
    int32_t infoColourCount = 0;   // count the colours of the picture in the information box
    // Print
    int32_t printCopies = 1;       // 1..1000
    int32_t printAnchor = 4;       // 0..8, 4 the centre
    int32_t printSizeMode = 0;     // 0 fit, 1 fill, 2 stretch, 3 by resolution, 4 given size
    int32_t printKeepAspect = 1;
    int32_t printUnit = 1;         // 0 inch, 1 cm
    int32_t printDensity = 5;      // index 0..10 of the density table, 5 standard
    int32_t printRotate = 0;       // 0 never, 1 counter-clockwise, 2 clockwise
    int32_t printMargins[4] = {0, 0, 0, 0};  // left, top, right, bottom; hundredths of the unit
    int32_t printCustomSize[2] = {1000, 1000};  // width, height; hundredths of the unit
    // Screen positions of the dialogs that reopen where they were left.
    DlgPosition position[kDlgPosCount] = {};
    int32_t positionKnown[kDlgPosCount] = {};
};

extern DlgValues g_dlgValues;
extern const DlgValues g_dlgDefaults;

// The keys of section [Dlg], in the order they are written.
size_t DlgValues_KeyCount();
// The key's name (ASCII), null past the end.
const char *DlgValues_KeyName(size_t index);

// Takes the text read for key `index` into `values`; text null or empty:
// the key is missing and every value keeps its own. A key whose text is not
// numbers (or has more of them than the key holds) is ignored whole, as is
// a key that needs all its values and lacks some; otherwise each value
// present passes its rule and the owning dialog's limits, and a refused
// value keeps the one it had.
CfgKeyResult DlgValues_ApplyText(DlgValues *values, size_t index, const TCHAR *text);

// The text to write for key `index` into out (64 units always suffice);
// returns its length, 0 when the key is to be removed (a position not known,
// an empty keyword).
size_t DlgValues_FormatText(const DlgValues *values, size_t index, TCHAR *out, size_t capacity);

// The CP mask keyword from typed or stored text: full-width letters folded
// to their plain forms, every character but the letters A..Z and a..z
// dropped, at most 16 kept, upper-cased. Returns its length (0 allowed).
size_t DlgValues_NormalizeCode(const TCHAR *text, char *out);
