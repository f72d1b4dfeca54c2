// The zoom commands under Wine on a picture larger than the view: zooming
// in, out, to a factor and to actual size keeps the picture point at the
// middle of the view there (read from the scroll state and from the painted
// pixels), fit shows the whole picture without bars, the two
// actual-size-or-fit toggles go the right way from each zoom mode, and
// nothing happens without a picture.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "image/qv_ViewPaint.h"
#include "image/qv_ViewZoom.h"
#include "image/qv_ZoomCentre.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "support/real_dibcore.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kClientW = 200, kClientH = 150;
constexpr int32_t kPictureW = 800, kPictureH = 500;
constexpr int kSeed = 1;

class ZoomCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_.ok()) << lib_.problem();
        Settings_InitBoth(61);
        g_settings.option[kOptImageCenter] = 1;
        g_settings.hasFont = 0;
        for (uint8_t &q : g_settings.zoomQuality) q = 0;  // drawn scaled pixel for pixel, no display copy
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
    // The picture at actual size with its bars.
    void Load() {
        ASSERT_TRUE(MakePicture(g_imgData.image, kPictureW, kPictureH, kSeed));
        g_imgData.state = kImgStill;
        g_imgData.width = kPictureW;
        g_imgData.height = kPictureH;
        ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqActual, 0), 1);
        ASSERT_TRUE(Scroll().hShown && Scroll().vShown);
    }
    static const ScrollState &Scroll() { return g_viewRecord.scroll; }
    RECT Client() const {
        RECT r{};
        GetClientRect(view_->view(), &r);
        return r;
    }
    // The picture pixel (in picture coordinates, as a double) at the middle
    // of the view.
    void MiddlePoint(double *x, double *y) const {
        int32_t w = 0, h = 0;
        ImgData_GetViewSize(&w, &h);
        const RECT c = Client();
        const double dx = Scroll().hShown ? Scroll().hPos + c.right / 2 : w / 2;
        const double dy = Scroll().vShown ? Scroll().vPos + c.bottom / 2 : h / 2;
        *x = dx * kPictureW / w;
        *y = dy * kPictureH / h;
    }
    // The painted middle pixel of the view shows the picture point (x, y)
    // or one of its neighbours within radius.
    void ExpectPaintedMiddle(double x, double y, int radius) {
        const RECT c = Client();
        PaintSurface s(c.right, c.bottom);
        ASSERT_EQ(ViewPaint_Draw(s.dc, 0, 1, nullptr), 1);
        const COLORREF got = s.At(c.right / 2, c.bottom / 2);
        bool found = false;
        for (int dy = -radius; dy <= radius && !found; ++dy)
            for (int dx = -radius; dx <= radius && !found; ++dx)
                found = got == PictureColour(int32_t(x) + dx, int32_t(y) + dy, kSeed);
        EXPECT_TRUE(found) << "painted middle 0x" << std::hex << got << " is not near picture point " << std::dec
                           << x << "," << y;
    }
    RealDibcore lib_;
    ViewFixture *view_ = nullptr;
};

// Each step starts where the previous one left off, scrolled to a new place.
TEST_F(ZoomCommand, ThePointAtTheMiddleStaysThere) {
    Load();
    struct Step {
        const char *what;
        UINT command;       // 0: View_ZoomCommand with the factor
        int32_t factor;
        int32_t zoom;       // expected afterwards
        int32_t scrollH, scrollV;  // where to scroll first
    } steps[] = {
        {"zoom in from 100 %", kCmdZoomIn, 0, 12500000, 250, 120},
        {"zoom in again", kCmdZoomIn, 0, 15000000, 400, 300},
        {"factor 300 %", 0, 30000000, 30000000, 900, 500},
        {"zoom out", kCmdZoomOut, 0, 25000000, 1300, 700},
        {"factor 37 %: the picture still larger than the view", 0, 3700000, 3700000, 900, 560},
        {"factor 250 % from the top-left corner", 0, 25000000, 25000000, 0, 0},
        {"actual size", kCmdZoomActual, 0, kZoomOne, 1000, 600},
    };
    for (const Step &k : steps) {
        SCOPED_TRACE(k.what);
        ViewFixture::ScrollTo(k.scrollH, k.scrollV);
        double beforeX = 0, beforeY = 0;
        MiddlePoint(&beforeX, &beforeY);
        if (k.command != 0) {
            EXPECT_EQ(ViewFixture::Command(view_->frame(), k.command), 0);
        } else {
            EXPECT_EQ(View_ZoomCommand(kZoomReqFactor, k.factor), 1);
        }
        ViewFixture::Pump();
        EXPECT_EQ(g_imgData.zoom, k.zoom);
        double afterX = 0, afterY = 0;
        MiddlePoint(&afterX, &afterY);
        // Within one displayed pixel, in picture pixels.
        const double onePixel = double(kZoomOne) / k.zoom;
        EXPECT_NEAR(afterX, beforeX, 1.0 + onePixel);
        EXPECT_NEAR(afterY, beforeY, 1.0 + onePixel);
        ExpectPaintedMiddle(beforeX, beforeY, 1 + int(onePixel));
    }
    EXPECT_EQ(g_imgData.zoomMode & 0x3u, 0u);  // actual size at the end
}

TEST_F(ZoomCommand, FitShowsTheWholePictureWithoutBars) {
    Load();
    ViewFixture::ScrollTo(300, 200);
    g_imgData.zoomMode |= kZoomKeep;
    EXPECT_EQ(ViewFixture::Command(view_->frame(), kCmdZoomFit), 0);
    ViewFixture::Pump();
    EXPECT_NE(g_imgData.zoomMode & kZoomFit, 0u);
    EXPECT_NE(g_imgData.zoomMode & kZoomKeep, 0u);  // kept through the refit
    int32_t w = 0, h = 0;
    ImgData_GetViewSize(&w, &h);
    const RECT c = Client();
    EXPECT_GT(w, 0);
    EXPECT_LE(w, c.right);
    EXPECT_LE(h, c.bottom);
    EXPECT_TRUE(w == c.right || h == c.bottom) << w << "x" << h;  // fills one side
    EXPECT_EQ(Scroll().hShown, 0);
    EXPECT_EQ(Scroll().vShown, 0);
    EXPECT_EQ(GetWindowLong(view_->view(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
    // Back to actual size: the bars come back.
    EXPECT_EQ(ViewFixture::Command(view_->frame(), kCmdZoomActual), 0);
    EXPECT_EQ(g_imgData.zoom, kZoomOne);
    EXPECT_TRUE(Scroll().hShown && Scroll().vShown);
}

TEST_F(ZoomCommand, TheActualSizeOrFitTogglesGoTheRightWay) {
    Load();
    struct Case {
        const char *what;
        UINT startCommand;  // brings the zoom mode to test from
        int32_t startFactor;
        UINT toggle;
        bool fitAfter;
    } cases[] = {
        {"45044 from actual size", kCmdZoomActual, 0, kCmdActualOrFitFixedAsFit, true},
        {"45044 from fit", kCmdZoomFit, 0, kCmdActualOrFitFixedAsFit, false},
        {"45044 from a fixed zoom", 0, 20000000, kCmdActualOrFitFixedAsFit, false},
        {"45045 from actual size", kCmdZoomActual, 0, kCmdActualOrFit, true},
        {"45045 from fit", kCmdZoomFit, 0, kCmdActualOrFit, false},
        {"45045 from a fixed zoom", 0, 20000000, kCmdActualOrFit, true},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        if (k.startCommand != 0)
            ViewFixture::Command(view_->frame(), k.startCommand);
        else
            View_ZoomCommand(kZoomReqFactor, k.startFactor);
        EXPECT_EQ(ViewFixture::Command(view_->frame(), k.toggle), 0);
        ViewFixture::Pump();
        EXPECT_EQ((g_imgData.zoomMode & kZoomFit) != 0, k.fitAfter);
        if (!k.fitAfter) {
            EXPECT_EQ(g_imgData.zoom, kZoomOne);
            EXPECT_EQ(g_imgData.zoomMode & 0x3u, 0u);
        }
    }
    // A second toggle from actual size with the keep bit set still fits.
    ViewFixture::Command(view_->frame(), kCmdZoomActual);
    g_imgData.zoomMode |= kZoomKeep;
    ViewFixture::Command(view_->frame(), kCmdActualOrFitFixedAsFit);
    EXPECT_NE(g_imgData.zoomMode & kZoomFit, 0u);
}

TEST_F(ZoomCommand, NothingWithoutAPictureOrForOtherModes) {
    const uint32_t modes[] = {kZoomReqActual, kZoomReqFit, kZoomReqIn, kZoomReqOut, kZoomReqFactor};
    for (uint32_t mode : modes) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(View_ZoomCommand(mode, 20000000), 0);
        EXPECT_EQ(g_imgData.zoom, kZoomOne);
        EXPECT_EQ(g_imgData.zoomMode, 0u);
    }
    for (UINT id : {kCmdZoomIn, kCmdZoomOut, kCmdZoomActual, kCmdZoomFit, kCmdActualOrFitFixedAsFit,
                    kCmdActualOrFit}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(ViewFixture::Command(view_->frame(), id), 0);
        EXPECT_EQ(g_imgData.zoom, kZoomOne);
        EXPECT_EQ(g_imgData.zoomMode, 0u);
    }
    // The other extra-file commands are not the zoom handler's.
    EXPECT_EQ(ViewZoom_OnCommand(view_->frame(), 45043), 1);
    EXPECT_EQ(ViewZoom_OnCommand(view_->frame(), 40081), 1);

    Load();
    const uint32_t others[] = {kZoomReqFixed, kZoomReqRecompute, kZoomReqSetKeep, kZoomReqLock, 3u};
    for (uint32_t mode : others) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(View_ZoomCommand(mode, 20000000), 0);
        EXPECT_EQ(g_imgData.zoom, kZoomOne);
    }
}

}  // namespace
