// The resize dialog's arithmetic and linked fields: unit conversions in 64
// bits, typed values driving the other fields within the limits, the OK
// reading, the method table and the plan of the resize.
#include <gtest/gtest.h>

#include <climits>

#include "dlg/qv_DlgNumber.h"
#include "dlg/qv_ResizeCore.h"

namespace {

enum : int32_t { kInch = kResizeInch, kCm = kResizeCm, kDpi = kResizeDpi, kPpm = kResizePpm };

// ---- unit conversions ----

struct PrintCase {
    int64_t pixels, resolution;
    int32_t resUnit, printUnit;
    int64_t print;  // hundredths of the print unit
};

const PrintCase kPrintCases[] = {
    // One inch at 96 DPI in all four pairs of units.
    {96, 3780, kPpm, kCm, 254},
    {96, 3780, kPpm, kInch, 100},
    {96, 9600, kDpi, kCm, 254},
    {96, 9600, kDpi, kInch, 100},
    {400, 9600, kDpi, kCm, 1058},   // 1058.33
    {300, 9600, kDpi, kCm, 794},    // 793.75 rounds up
    {0, 9600, kDpi, kCm, 0},
    {96, 0, kDpi, kCm, 0},
    {-5, 9600, kDpi, kInch, 0},
    // 65535 pixels at 1 pixel per metre: the product passes 32 bits.
    {65535, 1, kPpm, kInch, 258011811},
};

TEST(ResizeUnits, PrintFromPixels) {
    for (const PrintCase &c : kPrintCases) {
        SCOPED_TRACE(testing::Message() << c.pixels << " px at " << c.resolution << " unit " << c.resUnit);
        EXPECT_EQ(Resize_PrintFromPixels(c.pixels, c.resolution, c.resUnit, c.printUnit), c.print);
    }
}

struct PixelsCase {
    int64_t print;
    int32_t printUnit;
    int64_t resolution;
    int32_t resUnit;
    int64_t pixels;
};

const PixelsCase kPixelsCases[] = {
    // Centimetres are hundredths: 2.54 cm at 3780 pixels per metre is 96
    // pixels (not 9601).
    {254, kCm, 3780, kPpm, 96},
    {100, kInch, 3780, kPpm, 96},
    {254, kCm, 9600, kDpi, 96},
    {100, kInch, 9600, kDpi, 96},
    {0, kCm, 3780, kPpm, 0},
    {254, kCm, 0, kPpm, 0},
    {-254, kCm, 3780, kPpm, 0},
    // The largest field at the largest resolution needs 64 bits.
    {999999999, kCm, 2580118, kPpm, 258011799742},
    {999999999, kInch, 6553500, kDpi, 655349999345},
    // Absurd inputs saturate rather than wrap.
    {INT64_MAX, kInch, INT64_MAX, kPpm, INT64_MAX},
};

TEST(ResizeUnits, PixelsFromPrint) {
    for (const PixelsCase &c : kPixelsCases) {
        SCOPED_TRACE(testing::Message() << c.print << " at " << c.resolution << " unit " << c.resUnit);
        const int64_t got = Resize_PixelsFromPrint(c.print, c.printUnit, c.resolution, c.resUnit);
        EXPECT_EQ(got, c.pixels);
    }
}

TEST(ResizeUnits, ResolutionFromPrintAndUnitChange) {
    EXPECT_EQ(Resize_ResolutionFromPrint(96, 100, kInch, kDpi), 9600);
    EXPECT_EQ(Resize_ResolutionFromPrint(96, 254, kCm, kPpm), 3780);
    EXPECT_EQ(Resize_ResolutionFromPrint(96, 254, kCm, kDpi), 9600);
    EXPECT_EQ(Resize_ResolutionFromPrint(96, 100, kInch, kPpm), 3780);
    // A print size of 0 needs more than any resolution; no pixels need none.
    EXPECT_EQ(Resize_ResolutionFromPrint(96, 0, kCm, kPpm), INT64_MAX);
    EXPECT_EQ(Resize_ResolutionFromPrint(96, -3, kInch, kDpi), INT64_MAX);
    EXPECT_EQ(Resize_ResolutionFromPrint(0, 254, kCm, kPpm), 0);

    EXPECT_EQ(Resize_ConvertResolution(7200, kDpi, kPpm), 2835);
    EXPECT_EQ(Resize_ConvertResolution(2835, kPpm, kDpi), 7200);  // whole DPI, not 72.01
    EXPECT_EQ(Resize_ConvertResolution(3780, kPpm, kDpi), 9600);
    EXPECT_EQ(Resize_ConvertResolution(2834, kPpm, kDpi), 7198);
    EXPECT_EQ(Resize_ConvertResolution(kResizeMaxPpm, kPpm, kDpi), kResizeMaxDpi);
    EXPECT_EQ(Resize_ConvertResolution(kResizeMaxDpi, kDpi, kPpm), kResizeMaxPpm);
    EXPECT_EQ(Resize_ConvertResolution(0, kPpm, kDpi), 0);
    EXPECT_EQ(Resize_ConvertResolution(1234, kDpi, kDpi), 1234);
    // Pixels per metre survive a trip through DPI, so switching the unit
    // back and forth changes a resolution at most once.
    for (int64_t ppm = 1; ppm <= kResizeMaxPpm; ppm += 997)
        ASSERT_EQ(Resize_ConvertResolution(Resize_ConvertResolution(ppm, kPpm, kDpi), kDpi, kPpm), ppm) << ppm;
}

// ---- the linked fields ----

ResizeForm Form(int32_t w, int32_t h, int32_t ppmX, int32_t ppmY, int32_t printUnit, int32_t resUnit, int32_t resize,
                int32_t keep) {
    ResizeForm f{};
    EXPECT_TRUE(ResizeForm_Init(&f, w, h, ppmX, ppmY, printUnit, resUnit, resize, keep));
    return f;
}

uint32_t Bits(std::initializer_list<int32_t> fields) {
    uint32_t m = 0;
    for (int32_t f : fields) m |= ResizeField_Bit(f);
    return m;
}

TEST(ResizeForm, OpensWithThePictureAndItsResolution) {
    const ResizeForm f = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    const int64_t want[] = {400, 300, 10000, 10000, 1058, 794, 9600, 9600};
    for (int i = 0; i < kResizeFieldCount; ++i) EXPECT_EQ(f.value[i], want[i]) << i;

    // No resolution in the header: 72 DPI on both axes; one missing axis
    // takes the other's.
    const ResizeForm none = Form(10, 10, 0, 0, kInch, kPpm, 1, 1);
    EXPECT_EQ(none.value[kResizeResX], 2835);
    EXPECT_EQ(none.value[kResizeResY], 2835);
    EXPECT_EQ(none.dpi[0], 7200);
    const ResizeForm half = Form(10, 10, 0, 3780, kInch, kDpi, 1, 1);
    EXPECT_EQ(half.value[kResizeResX], 9600);

    ResizeForm bad{};
    EXPECT_FALSE(ResizeForm_Init(&bad, 0, 10, 0, 0, kCm, kDpi, 1, 1));
    EXPECT_FALSE(ResizeForm_Init(&bad, 10, -1, 0, 0, kCm, kDpi, 1, 1));
    EXPECT_FALSE(ResizeForm_Init(&bad, 10, 10, 0, 0, 2, kDpi, 1, 1));
    EXPECT_FALSE(ResizeForm_Init(&bad, 10, 10, 0, 0, kCm, 2, 1, 1));
}

TEST(ResizeForm, TwoHundredPercentWithAspectKeptDoublesBothSides) {
    ResizeForm f = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    const uint32_t mask = ResizeForm_Type(&f, kResizePercentX, 20000);
    EXPECT_EQ(f.value[kResizePixelsX], 800);
    EXPECT_EQ(f.value[kResizePixelsY], 600);
    EXPECT_EQ(f.value[kResizePercentY], 20000);
    EXPECT_EQ(f.value[kResizePrintX], 2117);  // 2116.67
    EXPECT_EQ(f.value[kResizePrintY], 1588);  // 1587.5
    EXPECT_EQ(f.value[kResizeResX], 9600);
    // The typed field is not rewritten, so writing the others (counters
    // raised) cannot start another round; the same value again writes nothing.
    EXPECT_EQ(mask, Bits({kResizePixelsX, kResizePixelsY, kResizePercentY, kResizePrintX, kResizePrintY}));
    EXPECT_EQ(ResizeForm_Type(&f, kResizePercentX, 20000), 0u);

    // Without the aspect only the width moves.
    ResizeForm g = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 0);
    EXPECT_EQ(ResizeForm_Type(&g, kResizePercentX, 20000), Bits({kResizePixelsX, kResizePrintX}));
    EXPECT_EQ(g.value[kResizePixelsY], 300);
    EXPECT_EQ(g.value[kResizePercentY], 10000);
}

TEST(ResizeForm, TypedPixelsAndPrintSizesDriveTheRest) {
    // Height typed with the aspect kept: the width follows.
    ResizeForm f = Form(400, 300, 3780, 3780, kInch, kDpi, 1, 1);
    EXPECT_EQ(ResizeForm_Type(&f, kResizePixelsY, 150),
              Bits({kResizePercentX, kResizePercentY, kResizePixelsX, kResizePrintX, kResizePrintY}));
    EXPECT_EQ(f.value[kResizePixelsX], 200);
    EXPECT_EQ(f.value[kResizePercentY], 5000);
    EXPECT_EQ(f.value[kResizePrintY], 156);  // 1.5625 inch
    EXPECT_EQ(f.value[kResizePrintX], 208);

    // A print width typed: pixels at the axis's resolution.
    ResizeForm g = Form(400, 300, 3780, 3780, kInch, kDpi, 1, 1);
    ResizeForm_Type(&g, kResizePrintX, 200);  // 2 inches at 96 DPI
    EXPECT_EQ(g.value[kResizePixelsX], 192);
    EXPECT_EQ(g.value[kResizePercentX], 4800);
    EXPECT_EQ(g.value[kResizePercentY], 4800);
    EXPECT_EQ(g.value[kResizePixelsY], 144);
    EXPECT_EQ(g.value[kResizePrintY], 150);

    // A negative number counts as 0 and stays as typed.
    ResizeForm h = Form(400, 300, 3780, 3780, kInch, kDpi, 1, 0);
    const uint32_t mask = ResizeForm_Type(&h, kResizePixelsX, -7);
    EXPECT_EQ(mask & ResizeField_Bit(kResizePixelsX), 0u);
    EXPECT_EQ(h.value[kResizePixelsX], 0);
    EXPECT_EQ(h.value[kResizePercentX], 0);
}

struct LimitCase {
    const char *name;
    int32_t w, h, keep, field;
    int64_t typed;
    int64_t wantX, wantY;   // pixel fields after
    bool typedRewritten;
};

const LimitCase kLimitCases[] = {
    // With the aspect kept a 100 x 50 picture stops at 65535 x 32768.
    {"wide width", 100, 50, 1, kResizePixelsX, 70000, 65535, 32768, true},
    {"wide height", 100, 50, 1, kResizePixelsY, 40000, 65535, 32768, true},
    {"wide height at its max", 100, 50, 1, kResizePixelsY, 32768, 65535, 32768, false},
    {"free height", 100, 50, 0, kResizePixelsY, 40000, 100, 40000, false},
    {"free height over", 100, 50, 0, kResizePixelsY, 65536, 100, 65535, true},
    // 100000 % is above the maximum: the pixels take it and the percent
    // follows from them.
    {"percent", 100, 50, 1, kResizePercentX, 10000000, 65535, 32768, true},
    // 9999999.99 % of 65535 pixels overflows 32 bits; it must read as too
    // large, never as 0 pixels.
    {"percent beyond 32 bits", 65535, 100, 0, kResizePercentX, 999999999, 65535, 100, true},
    {"read overflow", 65535, 100, 0, kResizePercentX, INT64_MAX, 65535, 100, true},
    // 9999999.99 cm at 96 DPI: 3.8e8 pixels.
    {"print beyond the max", 400, 300, 1, kResizePrintX, 999999999, 65535, 49151, true},
};

TEST(ResizeForm, LimitsHoldEveryField) {
    for (const LimitCase &c : kLimitCases) {
        SCOPED_TRACE(c.name);
        ResizeForm f = Form(c.w, c.h, 3780, 3780, kCm, kDpi, 1, c.keep);
        const uint32_t mask = ResizeForm_Type(&f, c.field, c.typed);
        EXPECT_EQ(f.value[kResizePixelsX], c.wantX);
        EXPECT_EQ(f.value[kResizePixelsY], c.wantY);
        EXPECT_EQ((mask & ResizeField_Bit(c.field)) != 0, c.typedRewritten);
        // The print sizes match the pixels shown, and so does the typed
        // axis's percent (the other axis shows the same percent).
        const int32_t size[] = {c.w, c.h};
        const int axis = c.field & 1;
        const int64_t px = f.value[kResizePixelsX + axis];
        EXPECT_EQ(f.value[kResizePercentX + axis], (px * 10000 * 2 + size[axis]) / (2 * size[axis]));
        for (int a = 0; a < 2; ++a)
            EXPECT_EQ(f.value[kResizePrintX + a], Resize_PrintFromPixels(f.value[kResizePixelsX + a], 9600, kDpi, kCm));
    }
    // The width follows 32768 as 65536 and is held to 65535: its percent
    // then shows the 65535 pixels, not the height's percent.
    ResizeForm held = Form(100, 50, 3780, 3780, kCm, kDpi, 1, 1);
    ResizeForm_Type(&held, kResizePixelsY, 40000);
    EXPECT_EQ(held.value[kResizePercentY], 6553600);
    EXPECT_EQ(held.value[kResizePercentX], 6553500);

    ResizeForm f = Form(100, 50, 0, 0, kCm, kDpi, 1, 1);
    EXPECT_EQ(ResizeForm_MaxPixels(&f, 0), 65535);
    EXPECT_EQ(ResizeForm_MaxPixels(&f, 1), 32768);
    f.keepAspect = 0;
    EXPECT_EQ(ResizeForm_MaxPixels(&f, 1), 65535);
}

TEST(ResizeForm, ResolutionTypedWhileResizing) {
    // The print size stays and the pixels follow the resolution.
    ResizeForm f = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    ResizeForm_Type(&f, kResizeResX, 19200);
    EXPECT_EQ(f.value[kResizePrintX], 1058);
    EXPECT_EQ(f.value[kResizePixelsX], 800);  // 799.7
    EXPECT_EQ(f.value[kResizePercentX], 20000);
    EXPECT_EQ(f.value[kResizeResY], 19200);
    EXPECT_EQ(f.value[kResizePixelsY], 600);
    EXPECT_EQ(f.value[kResizePercentY], 20000);

    // Above 65535 DPI the maximum is written back; the pixels it asks for
    // are then beyond 65535 too, so the width takes its maximum and the
    // print size follows.
    ResizeForm g = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    const uint32_t mask = ResizeForm_Type(&g, kResizeResX, 7000000);
    EXPECT_NE(mask & ResizeField_Bit(kResizeResX), 0u);
    EXPECT_EQ(g.value[kResizeResX], kResizeMaxDpi);
    EXPECT_EQ(g.value[kResizeResY], kResizeMaxDpi);
    EXPECT_EQ(g.value[kResizePixelsX], 65535);
    EXPECT_EQ(g.value[kResizePixelsY], 49151);
    EXPECT_EQ(g.value[kResizePrintX], 254);

    // A resolution of 0 gives no pixels, which the size check refuses.
    ResizeForm h = Form(400, 300, 3780, 3780, kCm, kPpm, 1, 0);
    ResizeForm_Type(&h, kResizeResY, 0);
    EXPECT_EQ(h.value[kResizePixelsY], 0);
    EXPECT_EQ(h.value[kResizePixelsX], 400);
}

TEST(ResizeForm, PrintSizeSetsTheResolutionWhenNotResizing) {
    // 400 pixels on 2 inches: 200 DPI; the height keeps the first ratio.
    ResizeForm f = Form(400, 300, 3780, 3780, kInch, kDpi, 0, 1);
    ResizeForm_Type(&f, kResizePrintX, 200);
    EXPECT_EQ(f.value[kResizeResX], 20000);
    EXPECT_EQ(f.value[kResizeResY], 20000);
    EXPECT_EQ(f.value[kResizePrintY], 150);
    EXPECT_EQ(f.value[kResizePixelsX], 400);

    // A print size of 0 keeps the limit instead of writing resolution 0.
    struct {
        int32_t resUnit;
        int64_t max;
        int64_t print;
    } zero[] = {{kDpi, kResizeMaxDpi, 2}, {kPpm, kResizeMaxPpm, 2}};
    for (const auto &z : zero) {
        ResizeForm g = Form(400, 300, 3780, 3780, kCm, z.resUnit, 0, 0);
        const uint32_t mask = ResizeForm_Type(&g, kResizePrintX, 0);
        EXPECT_EQ(g.value[kResizeResX], z.max) << z.resUnit;
        EXPECT_EQ(g.value[kResizePrintX], z.print) << z.resUnit;  // 400 px at 65535 DPI: 0.0155 cm
        EXPECT_EQ(mask, Bits({kResizeResX, kResizePrintX})) << z.resUnit;
        EXPECT_EQ(g.value[kResizeResY], g.resUnit == kDpi ? 9600 : 3780);
    }

    // The axis with the smaller resolution has the smaller maximum, so the
    // other keeps within 65535 DPI.
    ResizeForm h = Form(400, 300, 3780, 1890, kCm, kDpi, 0, 1);
    EXPECT_EQ(ResizeForm_MaxResolution(&h, 0), kResizeMaxDpi);
    EXPECT_EQ(ResizeForm_MaxResolution(&h, 1), 3276750);
    ResizeForm_Type(&h, kResizePrintY, 0);
    EXPECT_EQ(h.value[kResizeResY], 3276750);
    EXPECT_EQ(h.value[kResizeResX], kResizeMaxDpi);

    // With resize off a typed resolution recomputes the print sizes.
    ResizeForm k = Form(400, 300, 3780, 3780, kInch, kDpi, 0, 1);
    ResizeForm_Type(&k, kResizeResX, 20000);
    EXPECT_EQ(k.value[kResizePrintX], 200);
    EXPECT_EQ(k.value[kResizeResY], 20000);
    EXPECT_EQ(k.value[kResizePrintY], 150);
    EXPECT_EQ(k.value[kResizePixelsY], 300);
}

TEST(ResizeForm, CheckBoxesAndUnits) {
    // Unticking "resize" puts W x H back.
    ResizeForm f = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    ResizeForm_Type(&f, kResizePercentX, 20000);
    ResizeForm_SetResize(&f, 0);
    EXPECT_EQ(f.value[kResizePixelsX], 400);
    EXPECT_EQ(f.value[kResizePixelsY], 300);
    EXPECT_EQ(f.value[kResizePercentX], 10000);
    EXPECT_EQ(f.value[kResizePercentY], 10000);
    ResizeForm g = Form(300, 400, 3780, 3780, kCm, kDpi, 1, 0);
    ResizeForm_Type(&g, kResizePixelsX, 30);
    ResizeForm_Type(&g, kResizePixelsY, 900);
    ResizeForm_SetResize(&g, 0);
    EXPECT_EQ(g.value[kResizePixelsX], 300);
    EXPECT_EQ(g.value[kResizePixelsY], 400);

    // Ticking "keep aspect" brings the height back in line with the width.
    ResizeForm h = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 0);
    ResizeForm_Type(&h, kResizePixelsY, 100);
    ResizeForm_Type(&h, kResizeResY, 5000);
    ResizeForm_SetKeepAspect(&h, 1);
    EXPECT_EQ(h.value[kResizePixelsY], 300);
    EXPECT_EQ(h.value[kResizeResY], 9600);

    // Units: the print sizes are recomputed, the resolutions converted.
    ResizeForm k = Form(400, 300, 3780, 3780, kCm, kDpi, 1, 1);
    EXPECT_EQ(ResizeForm_SetPrintUnit(&k, kInch), Bits({kResizePrintX, kResizePrintY}));
    EXPECT_EQ(k.value[kResizePrintX], 417);
    EXPECT_EQ(ResizeForm_SetResUnit(&k, kPpm), Bits({kResizeResX, kResizeResY}));
    EXPECT_EQ(k.value[kResizeResX], 3780);
    EXPECT_EQ(ResizeForm_SetResUnit(&k, kPpm), 0u);
    ResizeForm_SetResUnit(&k, kDpi);
    EXPECT_EQ(k.value[kResizeResX], 9600);
    EXPECT_EQ(ResizeForm_SetPrintUnit(&k, 5), 0u);
}

TEST(ResizeForm, HalfAndDouble) {
    ResizeForm one = Form(1, 1, 0, 0, kCm, kDpi, 1, 1);
    EXPECT_EQ(ResizeForm_HalfDouble(&one, 0), 0u);
    EXPECT_EQ(one.value[kResizePixelsX], 1);
    EXPECT_EQ(one.value[kResizePixelsY], 1);

    // With the aspect kept the larger side is written and the other follows.
    ResizeForm tall = Form(300, 401, 0, 0, kCm, kDpi, 1, 1);
    ResizeForm_HalfDouble(&tall, 0);
    EXPECT_EQ(tall.value[kResizePixelsY], 201);
    EXPECT_EQ(tall.value[kResizePixelsX], 150);  // 150.37

    ResizeForm free = Form(40000, 3, 0, 0, kCm, kDpi, 1, 0);
    ResizeForm_HalfDouble(&free, 1);
    EXPECT_EQ(free.value[kResizePixelsX], 65535);
    EXPECT_EQ(free.value[kResizePixelsY], 6);

    // Not resizing: the print sizes double, so the resolutions halve.
    ResizeForm print = Form(400, 300, 3780, 3780, kInch, kDpi, 0, 0);
    ResizeForm_HalfDouble(&print, 1);
    EXPECT_EQ(print.value[kResizePrintX], 834);
    EXPECT_EQ(print.value[kResizePrintY], 626);
    EXPECT_EQ(print.value[kResizeResX], 4796);
    EXPECT_EQ(print.value[kResizePixelsX], 400);
}

TEST(ResizeForm, OkReadsPixelsAndChangedResolutions) {
    ResizeForm f = Form(400, 300, 0, 0, kCm, kDpi, 1, 1);
    ResizeRequest r{};
    ResizeForm_Result(&f, &r);
    // Untouched: no size change, and the 72 DPI shown for a header without a
    // resolution is not written into it.
    EXPECT_EQ(r.width, 400);
    EXPECT_EQ(r.height, 300);
    EXPECT_EQ(r.ppmX, -1);
    EXPECT_EQ(r.ppmY, -1);
    EXPECT_EQ(r.confirmSize, 0);

    ResizeForm_SetResize(&f, 0);
    ResizeForm_Type(&f, kResizeResX, 30000);
    ResizeForm_Result(&f, &r);
    EXPECT_EQ(r.ppmX, 11811);
    EXPECT_EQ(r.ppmY, 11811);
    EXPECT_EQ(r.confirmSize, 0);

    ResizeForm g = Form(400, 300, 3780, 3780, kCm, kPpm, 1, 0);
    ResizeForm_Type(&g, kResizePixelsY, 301);
    ResizeForm_Result(&g, &r);
    EXPECT_EQ(r.confirmSize, 0);  // the width kept as it was
    // A resolution typed while resizing changes the pixels of its axis too.
    ResizeForm_Type(&g, kResizeResX, 4000);
    ResizeForm_Result(&g, &r);
    EXPECT_EQ(r.height, 301);
    EXPECT_NE(r.width, 400);
    EXPECT_EQ(r.confirmSize, 1);
    EXPECT_EQ(r.ppmX, 4000);
    EXPECT_EQ(r.ppmY, 3780);

    // A header without a resolution, one axis changed without the aspect:
    // the other is written as the 72 DPI shown, not left missing (a reader
    // would give it the changed axis's value).
    ResizeForm h = Form(400, 300, 0, 0, kCm, kDpi, 0, 0);
    ResizeForm_Type(&h, kResizeResX, 30000);
    ResizeForm_Result(&h, &r);
    EXPECT_EQ(r.ppmX, 11811);
    EXPECT_EQ(r.ppmY, 2835);
}

TEST(ResizeForm, ReadsFieldTexts) {
    struct {
        const char *text;
        int32_t digits;
        int64_t want;
    } cases[] = {
        {"12.34", 2, 1234}, {"12.5", 2, 1250}, {"12", 2, 1200},   {" -3", 0, -3},  {"+7", 0, 7},
        {"1.239", 2, 123},  {".5", 2, 50},     {"abc", 2, 0},     {"", 0, 0},      {"-0.25", 2, -25},
        // Not a plain number: 0, which no size allows, never a smaller number.
        {"400px", 0, 0}, {"1,000", 0, 0},
        // Too long for any field: far above every maximum, never wrapped.
        {"99999999999999999999", 0, kDlgNumberLimit}, {"99999999999999999.99", 2, kDlgNumberLimit * 100},
    };
    for (const auto &c : cases) EXPECT_EQ(ResizeDlg_ReadField(c.text, c.digits), c.want) << c.text;
    EXPECT_EQ(ResizeDlg_ReadField(L"2.54", 2), 254);
    EXPECT_EQ(ResizeDlg_ReadField<char>(nullptr, 2), 0);
}

// ---- methods, result depth and the plan ----

TEST(ResizeMethods, TableAndResultDepth) {
    EXPECT_EQ(kResizeMethods[0].reduceCode, 0);
    EXPECT_EQ(kResizeMethods[0].enlargeCode, 0);
    // Linear is the one method with different codes for the two directions.
    EXPECT_EQ(kResizeMethods[1].reduceCode, 31);
    EXPECT_EQ(kResizeMethods[1].enlargeCode, 10);
    for (int i = 2; i < kResizeMethodCount; ++i) {
        EXPECT_EQ(kResizeMethods[i].reduceCode, kResizeMethods[i].enlargeCode) << i;
        EXPECT_EQ(kResizeMethods[i].reduceCode, i == 2 ? 20 : (i + 1) * 10) << i;
    }

    struct {
        int32_t bits, w, h, reduce, enlarge, want;
    } cases[] = {
        {8, 50, 50, 0, 5, 8},     // shrinking with Simple: the enlargement method does not matter
        {8, 50, 50, 1, 0, 24},    // any other reduction method gives 24 bits
        {8, 200, 200, 5, 0, 8},   // growing with Simple
        {8, 200, 200, 0, 1, 24},
        {8, 200, 50, 0, 1, 24},   // one axis grows
        {8, 200, 50, 1, 0, 24},   // one axis shrinks
        {4, 100, 100, 7, 7, 4},   // no change
        {32, 50, 100, 0, 0, 32},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ResizeDlg_ResultBitCount(c.bits, c.w, c.h, c.reduce, c.enlarge, 100, 100), c.want)
            << c.bits << " " << c.w << "x" << c.h << " " << c.reduce << "/" << c.enlarge;
}

ResizeApplyInput Input(int32_t bits, int32_t w, int32_t h, int32_t reduce, int32_t enlarge, int32_t sharpen) {
    ResizeApplyInput in{};
    in.oldWidth = 100;
    in.oldHeight = 80;
    in.bitCount = bits;
    in.headerPpmX = 3780;
    in.headerPpmY = 3780;
    in.width = w;
    in.height = h;
    in.ppmX = -1;
    in.ppmY = -1;
    in.withUndo = 1;
    in.reduceIndex = reduce;
    in.enlargeIndex = enlarge;
    in.sharpen = sharpen;
    return in;
}

TEST(ResizePlan, UndoKindsAndResolution) {
    ResizeApplyPlan p{};
    ResizeApplyInput in = Input(24, 100, 80, 7, 7, 1);
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyNothing);
    EXPECT_EQ(p.undoKind, 0);

    in.ppmX = 4000;  // resolution only
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
    EXPECT_EQ(p.resolutionChange, 1);
    EXPECT_EQ(p.sizeChange, 0);
    EXPECT_EQ(p.undoKind, 20);
    EXPECT_EQ(p.stepCount, 0);
    EXPECT_EQ(p.ppmX, 4000);
    EXPECT_EQ(p.ppmY, 3780);

    in.width = 0;  // no size: still only the resolution
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
    EXPECT_EQ(p.sizeChange, 0);
    EXPECT_EQ(p.undoKind, 20);

    in.width = 50;  // size and resolution: one snapshot
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
    EXPECT_EQ(p.undoKind, 19);
    in.ppmX = -1;
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
    EXPECT_EQ(p.resolutionChange, 0);
    EXPECT_EQ(p.undoKind, 19);
    in.withUndo = 0;
    EXPECT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
    EXPECT_EQ(p.undoKind, 0);

    for (auto bad : {Input(24, 65536, 80, 7, 7, 1), Input(24, 100, 70000, 7, 7, 1), Input(24, 50, 50, 11, 7, 1),
                     Input(24, 50, 50, 7, -1, 1)})
        EXPECT_EQ(ResizeDlg_PlanApply(&bad, &p), kResizeApplyFail);
    EXPECT_EQ(ResizeDlg_PlanApply(nullptr, &p), kResizeApplyFail);
}

struct StepCase {
    const char *name;
    int32_t bits, w, h, reduce, enlarge, sharpen;
    int32_t filtered, reduceCode, enlargeCode, stepCount;
    ResizeStep first, second;
};

const StepCase kSteps[] = {
    {"8-bit simple keeps its depth", 8, 50, 40, 0, 0, 1, 0, 0, 0, 1, {50, 40, 0}, {}},
    {"8-bit linear reduce", 8, 50, 40, 1, 0, 1, 1, 31, 0, 1, {50, 40, 1}, {}},
    {"sharpening off", 8, 50, 40, 1, 0, 0, 1, 31, 0, 1, {50, 40, 0}, {}},
    {"grow only: no sharpening", 8, 200, 160, 10, 10, 1, 1, 110, 110, 1, {200, 160, 0}, {}},
    {"24-bit simple reduce: no sharpening", 24, 50, 40, 0, 1, 1, 1, 0, 10, 1, {50, 40, 0}, {}},
    // Width shrinks, height grows: shrink first and sharpen that once.
    {"shrink x grow y", 24, 50, 160, 7, 10, 1, 1, 80, 110, 2, {50, 80, 1}, {50, 160, 0}},
    {"shrink y grow x", 24, 200, 40, 3, 1, 1, 1, 40, 10, 2, {100, 40, 1}, {200, 40, 0}},
    {"both ways unsharpened", 24, 50, 160, 7, 10, 0, 1, 80, 110, 2, {50, 80, 0}, {50, 160, 0}},
    // 8 bits, Simple for reduction, a filter for enlargement: 24 bits.
    {"mixed 8-bit", 8, 50, 160, 0, 1, 1, 1, 0, 10, 2, {50, 80, 0}, {50, 160, 0}},
};

TEST(ResizePlan, StepsAndSharpening) {
    for (const StepCase &c : kSteps) {
        SCOPED_TRACE(c.name);
        const ResizeApplyInput in = Input(c.bits, c.w, c.h, c.reduce, c.enlarge, c.sharpen);
        ResizeApplyPlan p{};
        ASSERT_EQ(ResizeDlg_PlanApply(&in, &p), kResizeApplyRun);
        EXPECT_EQ(p.filtered, c.filtered);
        EXPECT_EQ(p.reduceCode, c.reduceCode);
        EXPECT_EQ(p.enlargeCode, c.enlargeCode);
        ASSERT_EQ(p.stepCount, c.stepCount);
        const ResizeStep *want[] = {&c.first, &c.second};
        for (int i = 0; i < p.stepCount; ++i) {
            EXPECT_EQ(p.steps[i].width, want[i]->width) << i;
            EXPECT_EQ(p.steps[i].height, want[i]->height) << i;
            EXPECT_EQ(p.steps[i].sharpen, want[i]->sharpen) << i;
        }
    }
}

}  // namespace
