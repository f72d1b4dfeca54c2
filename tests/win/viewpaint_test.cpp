// View painting under Wine into a 24-bit DIB section: a picture placed in
// the current-picture record by hand is drawn 1:1 centred or at the
// top-left, drawn scaled, through its display copy and scrolled, on the
// plain or checkered background; nothing but background while picture work
// runs.
#include <gtest/gtest.h>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Cfg.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "support/real_dibcore.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kClientW = 64, kClientH = 48;
constexpr COLORREF kBack1 = RGB(0x10, 0x20, 0x30);
constexpr COLORREF kBack2 = RGB(0xE0, 0xD0, 0xC0);
constexpr COLORREF kNoise = RGB(0x77, 0x01, 0x77);

class ViewPaint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_.ok()) << lib_.problem();
        Settings_InitBoth(61);
        g_settings.optInt[0] = int32_t(kBack1);
        g_settings.optInt[1] = int32_t(kBack2);
        g_settings.optInt[2] = 0;  // 8-pixel cells
        g_settings.option[32] = 0;  // BGTile
        g_settings.option[kOptImageCenter] = 1;
        g_settings.hasFont = 0;     // no information text
        for (uint8_t &q : g_settings.zoomQuality) q = 0;
        g_sysFacts.dpiX = g_sysFacts.dpiY = 96;
        g_sysFacts.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        g_sysFacts.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        ClearImgData();
        view_ = new ViewFixture(kClientW, kClientH);
        ASSERT_NE(view_->view(), nullptr);
    }
    void TearDown() override {
        delete view_;
        ClearImgData();
        Settings_InitBoth(61);
    }
    // A picture of w x h shown at its own size (or zoomed to viewW x viewH).
    void Place(int32_t w, int32_t h, uint32_t zoomMode = 0, int32_t viewW = 0, int32_t viewH = 0) {
        ASSERT_TRUE(MakePicture(g_imgData.image, w, h, 1));
        g_imgData.state = kImgStill;
        g_imgData.zoomMode = zoomMode;
        g_imgData.viewWidth = viewW ? viewW : w;
        g_imgData.viewHeight = viewH ? viewH : h;
    }
    // Paints the whole view, background included, into a fresh surface.
    void Paint(PaintSurface &s) {
        s.Fill(kNoise);
        ASSERT_EQ(ViewPaint_Draw(s.dc, 0, 1, nullptr), 1);
    }
    RealDibcore lib_;
    ViewFixture *view_ = nullptr;
};

TEST_F(ViewPaint, OneToOneCentredOrAtTheTopLeftOnThePlainBackground) {
    struct Case {
        bool centre;
        int32_t x, y;  // where the 20 x 10 picture lands
    } cases[] = {{true, 22, 19}, {false, 0, 0}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.centre ? "centred" : "top-left");
        ClearImgData();
        Place(20, 10);
        g_viewPaint.centre = k.centre;
        PaintSurface s(kClientW, kClientH);
        Paint(s);
        for (int32_t y = 0; y < 10; y += 3)
            for (int32_t x = 0; x < 20; x += 3) ASSERT_EQ(s.At(k.x + x, k.y + y), PictureColour(x, y, 1)) << x << "," << y;
        EXPECT_EQ(s.At(k.x + 19, k.y + 9), PictureColour(19, 9, 1));
        // Background all round what the picture leaves, with BGTile off one colour only.
        const POINT outside[] = {{k.x + 20, k.y}, {k.x, k.y + 10}, {kClientW - 1, kClientH - 1}, {kClientW - 1, 0},
                                 {0, kClientH - 1}, {k.x + 20 + 8, k.y + 10 + 8}};
        for (const POINT &p : outside) EXPECT_EQ(s.At(p.x, p.y), kBack1) << p.x << "," << p.y;
        if (k.centre) {
            EXPECT_EQ(s.At(0, 0), kBack1);
            EXPECT_EQ(s.At(k.x - 1, k.y - 1), kBack1);
        }
    }
}

TEST_F(ViewPaint, CheckerCellsOfColourTwoWhenTiled) {
    g_settings.option[32] = 1;
    struct Case {
        int32_t dpi, cell;
    } cases[] = {{96, 8}, {144, 12}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.dpi);
        g_sysFacts.dpiX = g_sysFacts.dpiY = k.dpi;
        PaintSurface s(kClientW, kClientH);
        Paint(s);  // no picture: all background
        const int32_t c = k.cell;
        struct Pixel {
            int32_t x, y;
            COLORREF want;
        } pixels[] = {
            {0, 0, kBack1},         {c - 1, c - 1, kBack1}, {c, 0, kBack2},     {0, c, kBack2},
            {c, c, kBack1},         {2 * c - 1, 0, kBack2}, {2 * c, 0, kBack1}, {3 * c + 1, 2 * c + 1, kBack2},
        };
        for (const auto &p : pixels) EXPECT_EQ(s.At(p.x, p.y), p.want) << p.x << "," << p.y;
    }
}

TEST_F(ViewPaint, DrawnScaledStretchesToTheDisplayedSize) {
    g_viewPaint.centre = 0;
    Place(10, 8, kZoomFixed | kZoomDrawnScaled, 40, 32);  // 400 %
    PaintSurface s(kClientW, kClientH);
    Paint(s);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x)
            ASSERT_EQ(s.At(4 * x + 1, 4 * y + 2), PictureColour(x, y, 1)) << x << "," << y;
    EXPECT_EQ(s.At(39, 31), PictureColour(9, 7, 1));
    EXPECT_EQ(s.At(40, 0), kBack1);  // the margin never spills over the background
    EXPECT_EQ(s.At(0, 32), kBack1);
}

TEST_F(ViewPaint, TheDisplayCopyIsPaintedInsteadOfThePicture) {
    Place(40, 30);
    ASSERT_TRUE(MakePicture(g_imgData.display, 20, 15, 2));
    g_imgData.zoomMode = kZoomFit;
    g_imgData.viewWidth = 20;
    g_imgData.viewHeight = 15;
    PaintSurface s(kClientW, kClientH);
    Paint(s);
    const int32_t x0 = (kClientW - 20) / 2, y0 = (kClientH - 15) / 2;
    for (int32_t y = 0; y < 15; y += 2)
        for (int32_t x = 0; x < 20; x += 2) ASSERT_EQ(s.At(x0 + x, y0 + y), PictureColour(x, y, 2)) << x << "," << y;
    EXPECT_EQ(s.At(x0 + 20, y0), kBack1);
}

TEST_F(ViewPaint, AScrolledPictureShowsThePartAtTheScrollPosition) {
    Place(100, 80);
    ImgData_UpdateScroll();
    ScrollState &sc = g_viewRecord.scroll;
    ASSERT_TRUE(sc.hShown && sc.vShown);
    Scroll_SetPos(&sc, 30, kScrollTo, kScrollHorz, 0);
    Scroll_SetPos(&sc, 20, kScrollTo, kScrollVert, 0);
    RECT client;
    GetClientRect(view_->view(), &client);
    PaintSurface s(client.right, client.bottom);
    Paint(s);
    const POINT at[] = {{0, 0}, {5, 7}, {client.right - 1, client.bottom - 1}};
    for (const POINT &p : at) EXPECT_EQ(s.At(p.x, p.y), PictureColour(30 + p.x, 20 + p.y, 1)) << p.x << "," << p.y;

    // Scrolled and drawn scaled: the visible part of a doubled picture.
    ClearImgData();
    Place(50, 40, kZoomFixed | kZoomDrawnScaled, 100, 80);
    Scroll_SetPos(&sc, 30, kScrollTo, kScrollHorz, 0);
    Scroll_SetPos(&sc, 20, kScrollTo, kScrollVert, 0);
    Paint(s);
    const POINT scaled[] = {{0, 0}, {10, 6}, {client.right - 2, client.bottom - 2}};
    for (const POINT &p : scaled)
        EXPECT_EQ(s.At(p.x, p.y), PictureColour((30 + p.x) / 2, (20 + p.y) / 2, 1)) << p.x << "," << p.y;
}

TEST_F(ViewPaint, NothingButBackgroundWhilePictureWorkRuns) {
    Place(20, 10);
    g_imgData.loadingNesting = 1;
    PaintSurface s(kClientW, kClientH);
    Paint(s);
    for (int32_t y = 0; y < kClientH; y += 5)
        for (int32_t x = 0; x < kClientW; x += 5) ASSERT_EQ(s.At(x, y), kBack1) << x << "," << y;
    EXPECT_EQ(g_viewPaint.paintedWhileBusy, 1);
    g_imgData.loadingNesting = 0;
    Paint(s);
    EXPECT_EQ(s.At(22, 19), PictureColour(0, 0, 1));
    EXPECT_EQ(g_viewPaint.paintedWhileBusy, 0);
}

TEST_F(ViewPaint, OnlyTheChangedBackgroundIsRepaintedWithoutAFullErase) {
    Place(20, 10);
    PaintSurface s(kClientW, kClientH);
    Paint(s);
    // Same layout again without a full erase: the background is not touched.
    s.Fill(kNoise);
    ASSERT_EQ(ViewPaint_Draw(s.dc, 0, 0, nullptr), 1);
    EXPECT_EQ(s.At(0, 0), kNoise);
    EXPECT_EQ(s.At(22, 19), PictureColour(0, 0, 1));
    // A smaller picture: where the old one was becomes background, the rest is left.
    ClearImgData();
    Place(10, 4);
    s.Fill(kNoise);
    ASSERT_EQ(ViewPaint_Draw(s.dc, 0, 0, nullptr), 1);
    EXPECT_EQ(s.At(22, 19), kBack1);
    EXPECT_EQ(s.At(41, 28), kBack1);
    EXPECT_EQ(s.At(0, 0), kNoise);
    EXPECT_EQ(s.At(27, 22), PictureColour(0, 0, 1));
}

TEST_F(ViewPaint, InformationTextStandsWhereItsPositionSays) {
    static TCHAR path[] = TEXT("C:\\pictures\\WWWW.png");
    ASSERT_EQ(Opt_DefaultFont(&g_settings, 1), 1);
    g_settings.option[kOptCaption] = 0;
    g_settings.option[kOptInfoWindow] = 1;
    g_settings.option[104] = 0;  // transparent
    g_settings.infoTextColour = 0xFFFFFF;
    Place(20, 10);
    g_imgData.pathText = path;
    g_imgData.fileName = path + 12;
    // Counts the text's pixels in each quarter of the client.
    auto quarters = [](const PaintSurface &s, int counts[4]) {
        for (int i = 0; i < 4; ++i) counts[i] = 0;
        for (int32_t y = 0; y < s.height; ++y)
            for (int32_t x = 0; x < s.width; ++x)
                if (s.At(x, y) == RGB(255, 255, 255)) ++counts[(y >= s.height / 2 ? 2 : 0) + (x >= s.width / 2 ? 1 : 0)];
    };
    PaintSurface s(kClientW * 6, kClientH * 2);
    SetWindowPos(view_->view(), nullptr, 0, 0, s.width, s.height, SWP_NOMOVE | SWP_NOZORDER);
    struct Case {
        int position, quarter;
    } cases[] = {{0, 0}, {2, 1}, {6, 2}, {8, 3}};
    for (const auto &k : cases) {
        g_settings.option[103] = uint8_t(k.position);
        Paint(s);
        int counts[4];
        quarters(s, counts);
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(counts[q] > 10, q == k.quarter) << "position " << k.position << " quarter " << q << ": " << counts[q];
    }
    g_settings.option[kOptInfoWindow] = 0;  // switched off: the next paint leaves no trace of it
    Paint(s);
    int counts[4];
    quarters(s, counts);
    EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3], 0);
}

TEST_F(ViewPaint, TheLockedLayoutPaintsNothing) {
    Place(20, 10);
    PaintSurface s(kClientW, kClientH);
    s.Fill(kNoise);
    View_LockLayout();
    View_LockLayout();
    EXPECT_EQ(ViewPaint_Draw(s.dc, 0, 1, nullptr), 0);
    EXPECT_EQ(View_UnlockLayout(), 0);
    EXPECT_EQ(ViewPaint_Draw(s.dc, 0, 1, nullptr), 0);
    EXPECT_EQ(View_UnlockLayout(), 1);
    EXPECT_EQ(s.At(0, 0), kNoise);
    EXPECT_EQ(ViewPaint_Draw(s.dc, 0, 1, nullptr), 1);
    EXPECT_EQ(s.At(0, 0), kBack1);
}

}  // namespace
