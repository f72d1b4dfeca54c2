// Every path of Dib_DrawEx into a 24-bit DIB-section DC: the device's DIB
// functions (one to one, stretched, a band of rows, the wide-picture copy),
// the program's own scaling and the DIB-section blit for devices without DIB
// functions; palette and true-colour pictures stored bottom-up and top-down.
// Enlargements are by whole factors so the device's stretch and nearest
// sampling agree pixel for pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "image/qv_DibCore.h"
#include "image/qv_DibDraw.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kW = 7, kH = 5;          // source picture
constexpr int32_t kOutW = 40, kOutH = 30;  // destination surface
constexpr uint32_t kGround = 0x7F7F7F;

uint32_t TrueColour(int32_t x, int32_t y) {
    return uint32_t(30 * x + 5) | uint32_t(40 * y + 3) << 8 | uint32_t(100 + 10 * x + y) << 16;
}
uint32_t PaletteColour(int32_t i) { return uint32_t(i * 7) | uint32_t(255 - i * 5) << 8 | uint32_t((i * 37) & 255) << 16; }

// A packed header (with a 256-entry table for 8 bits) and its bits.
struct Source {
    int depth;
    bool topDown;
    std::vector<uint8_t> header, bits;
    uint32_t Colour(int32_t x, int32_t y) const { return depth == 8 ? PaletteColour(y * kW + x) : TrueColour(x, y); }
};

Source MakeSource(int depth, bool topDown) {
    Source s{depth, topDown, {}, {}};
    const uint32_t tableBytes = depth == 8 ? 256 * 4 : 0;
    s.header.assign(sizeof(DibInfoHeader) + tableBytes, 0);
    DibInfoHeader h{};
    h.biSize = sizeof h;
    h.biWidth = kW;
    h.biHeight = topDown ? -kH : kH;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    h.biCompression = kDibRgb;
    std::memcpy(s.header.data(), &h, sizeof h);
    for (int i = 0; depth == 8 && i < 256; ++i) {
        const uint32_t c = PaletteColour(i);
        uint8_t *e = s.header.data() + sizeof h + i * 4;
        e[0] = uint8_t(c >> 16);
        e[1] = uint8_t(c >> 8);
        e[2] = uint8_t(c);
    }
    const uint32_t stride = Dib_RowStride(depth, kW);
    s.bits.assign(size_t(stride) * kH, 0xEE);  // padding bytes are noise
    for (int32_t y = 0; y < kH; ++y) {
        uint8_t *row = s.bits.data() + size_t(topDown ? y : kH - 1 - y) * stride;
        for (int32_t x = 0; x < kW; ++x) {
            if (depth == 8) {
                row[x] = uint8_t(y * kW + x);
            } else {
                const uint32_t c = TrueColour(x, y);
                row[x * 3] = uint8_t(c >> 16);
                row[x * 3 + 1] = uint8_t(c >> 8);
                row[x * 3 + 2] = uint8_t(c);
            }
        }
    }
    return s;
}

// Seams the cases set.
int g_caps = 0;
bool g_win9x = false;
int32_t g_wideLimit = INT32_MAX;
int FakeCaps(HDC dc) { return g_caps ? g_caps : GetDeviceCaps(dc, RASTERCAPS); }
bool FakeWin9x() { return g_win9x; }
int32_t FakeWide() { return g_wideLimit; }


struct Case {
    const char *name;
    uint32_t flags;
    int caps;  // 0: the device's own
    bool win9x;
    int32_t wideLimit;
    int32_t dx, dy, dw, dh, sx, sy, sw, sh;
};

constexpr int kDibOnlyBlit = RC_BITBLT | RC_STRETCHBLT;
constexpr int32_t kAny = INT32_MAX;

const Case kCases[] = {
    {"whole, SetDIBitsToDevice", 0, 0, false, kAny, 3, 2, kW, kH, 0, 0, kW, kH},
    {"band of rows, SetDIBitsToDevice", 0, 0, false, kAny, 5, 4, 4, 3, 2, 1, 4, 3},
    {"last rows, SetDIBitsToDevice", 0, 0, false, kAny, 0, 0, kW, 2, 0, 3, kW, 2},
    {"first row", 0, 0, false, kAny, 1, 1, 3, 1, 1, 0, 3, 1},
    {"band, StretchDIBits one to one", kDrawNoDibToDevice, 0, false, kAny, 5, 4, 4, 3, 2, 1, 4, 3},
    {"band, device stretches 2x", kDrawDeviceStretches, 0, false, kAny, 1, 2, 8, 6, 2, 1, 4, 3},
    {"whole, device stretches 3x", kDrawDeviceStretches, 0, false, kAny, 0, 0, 3 * kW, 3 * kH, 0, 0, kW, kH},
    {"band, own scaling 2x", 0, 0, false, kAny, 1, 2, 8, 6, 2, 1, 4, 3},
    {"band, quality scaling 3x", kDrawQuality, 0, false, kAny, 4, 1, 12, 9, 3, 2, 4, 3},
    {"wide picture, one to one", 0, 0, false, 2, 5, 4, 4, 3, 2, 1, 4, 3},
    {"wide picture, device stretches", kDrawDeviceStretches, 0, false, 2, 1, 2, 8, 6, 2, 1, 4, 3},
    {"no DIB functions, BitBlt", 0, kDibOnlyBlit, false, kAny, 5, 4, 4, 3, 2, 1, 4, 3},
    {"no DIB functions, StretchBlt", kDrawDeviceStretches, kDibOnlyBlit, false, kAny, 1, 2, 8, 6, 2, 1, 4, 3},
    {"no DIB functions, own scaling", 0, kDibOnlyBlit, false, kAny, 1, 2, 8, 6, 2, 1, 4, 3},
    {"Windows 9x strong reduction, own scaling", kDrawDeviceStretches, 0, true, kAny, 2, 2, 1, kH, 0, 0, kW, kH},
    {"forced device stretch on Windows 9x", kDrawForceDevice, 0, true, kAny, 0, 0, 2 * kW, 2 * kH, 0, 0, kW, kH},
    {"source clipped at the right and bottom", 0, 0, false, kAny, 0, 0, 5, 4, 4, 3, 5, 4},
};

TEST(DibDraw, EveryPathGivesTheReferencePixels) {
    PaintSurface out(kOutW, kOutH);
    ASSERT_NE(out.bits, nullptr);
    g_drawSeams = DrawSeams{FakeCaps, FakeWin9x, FakeWide};
    for (int depth : {8, 24})
        for (bool topDown : {false, true}) {
            const Source src = MakeSource(depth, topDown);
            for (const Case &c : kCases) {
                g_caps = c.caps;
                g_win9x = c.win9x;
                g_wideLimit = c.wideLimit;
                out.Fill(RGB(0x7F, 0x7F, 0x7F));
                ASSERT_TRUE(Dib_DrawEx(out.dc, c.dx, c.dy, c.dw, c.dh, c.sx, c.sy, c.sw, c.sh, src.bits.data(),
                                       src.header.data(), c.flags))
                    << c.name;
                GdiFlush();
                // The source rectangle clipped to the picture, the target
                // shrunk in step (whole factors only in the clipped case).
                const int32_t sw = c.sx + c.sw > kW ? kW - c.sx : c.sw, sh = c.sy + c.sh > kH ? kH - c.sy : c.sh;
                const int32_t dw = c.dw * sw / c.sw, dh = c.dh * sh / c.sh;
                int wrong = 0;
                for (int32_t y = 0; y < kOutH; ++y)
                    for (int32_t x = 0; x < kOutW; ++x) {
                        const bool inside = x >= c.dx && x < c.dx + dw && y >= c.dy && y < c.dy + dh;
                        const uint32_t want = inside ? src.Colour(c.sx + (x - c.dx) * sw / dw, c.sy + (y - c.dy) * sh / dh)
                                                     : kGround;
                        if (out.At(x, y) != want && wrong++ < 3)
                            ADD_FAILURE() << c.name << ", " << depth << " bits" << (topDown ? " top-down" : " bottom-up")
                                          << ": (" << x << "," << y << ") is " << std::hex << out.At(x, y)
                                          << ", want " << want;
                    }
            }
        }
    DrawSeams_Reset();
}

TEST(DibDraw, NothingToDrawAndBadArguments) {
    PaintSurface out(kOutW, kOutH);
    const Source src = MakeSource(24, false);
    out.Fill(RGB(0x7F, 0x7F, 0x7F));
    EXPECT_EQ(Dib_DrawEx(out.dc, 0, 0, 0, 5, 0, 0, kW, kH, src.bits.data(), src.header.data(), 0), 1);
    EXPECT_EQ(Dib_DrawEx(out.dc, 0, 0, kW, kH, kW, 0, kW, kH, src.bits.data(), src.header.data(), 0), 0);
    EXPECT_EQ(Dib_DrawEx(nullptr, 0, 0, kW, kH, 0, 0, kW, kH, src.bits.data(), src.header.data(), 0), 0);
    EXPECT_EQ(Dib_DrawEx(out.dc, 0, 0, kW, kH, 0, 0, kW, kH, nullptr, src.header.data(), 0), 0);
    GdiFlush();
    EXPECT_EQ(out.At(0, 0), kGround);
}

}  // namespace
