// The current picture on real folders with the build's own dibcore.dll:
// paging in natural order past non-pictures, hidden files and folders, the
// end-of-list actions, a broken file, random and reload, the zoom modes on a
// fixed view area, the two-page comic view, the title and the list commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "image/qv_DibHolder.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuProc.h"
#include "other/qv_Settings.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "util/qv_Str.h"

namespace {

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

void PutLe(std::string &out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i)));
}

// A 24-bit bottom-up BMP of one colour.
std::string Bmp(int32_t width, int32_t height, uint32_t colour) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t bits = stride * uint32_t(height);
    std::string out = "BM";
    PutLe(out, 54 + bits, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, uint32_t(width), 4);
    PutLe(out, uint32_t(height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, bits, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    std::string row;
    for (int32_t x = 0; x < width; ++x) {
        row.push_back(char(colour >> 16));
        row.push_back(char(colour >> 8));
        row.push_back(char(colour));
    }
    row.resize(stride, '\0');
    for (int32_t y = 0; y < height; ++y) out += row;
    return out;
}

// The colour at (x, y) counted from the top of a 24-bit picture.
uint32_t PixelAt(const DibHolder &h, int32_t x, int32_t y) {
    const DibInfoHeader *hd = h.data->header;
    const int32_t height = hd->biHeight < 0 ? -hd->biHeight : hd->biHeight;
    const uint32_t stride = (uint32_t(hd->biWidth) * 3 + 3) & ~3u;
    const int32_t row = hd->biHeight < 0 ? y : height - 1 - y;
    const uint8_t *p = h.data->bits + uint64_t(row) * stride + uint64_t(x) * 3;
    return Rgb(p[2], p[1], p[0]);
}

tstring Name() { return g_imgData.fileName != nullptr ? tstring(g_imgData.fileName) : tstring(); }

int s_areaWidth = 100, s_areaHeight = 80;

int FakeArea(int32_t *width, int32_t *height, int32_t *vBar, int32_t *hBar) {
    *width = s_areaWidth;
    *height = s_areaHeight;
    *vBar = *hBar = 0;
    return 1;
}

class ImgDataFolder : public RealDibcoreSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        ASSERT_TRUE(Format_RegisterBuiltins());
        Settings_InitBoth(61);
        g_settings.option[kOptStatus] = 0;  // the title then carries the position
        g_imgDataHooks = ImgDataHooks{};
        g_imgDataHooks.area = FakeArea;
        ImgData_Construct();
    }
    void TearDown() override {
        ImgData_Shutdown();
        FileList_FreeCurrent();
        g_imgDataHooks = ImgDataHooks{};
        if (g_process.frameWindow != nullptr) DestroyWindow(g_process.frameWindow);
        g_process.frameWindow = nullptr;
        Format_DestroyRegistry();
    }

    void Write(const TCHAR *name, const std::string &bytes) { ASSERT_TRUE(WriteFileBytes(folder_.Join(name), bytes)); }

    // The mixed folder: pictures, a text file, a hidden picture and a
    // sub-folder with a picture in it.
    void MixedFolder() {
        Write(TEXT("file10.bmp"), Bmp(4, 3, Rgb(10, 0, 0)));
        Write(TEXT("file2.bmp"), Bmp(4, 3, Rgb(2, 0, 0)));
        Write(TEXT("a.bmp"), Bmp(4, 3, Rgb(1, 0, 0)));
        Write(TEXT("notes.txt"), "not a picture");
        Write(TEXT("hidden.bmp"), Bmp(4, 3, Rgb(3, 0, 0)));
        SetFileAttributes(folder_.Join(TEXT("hidden.bmp")).c_str(), FILE_ATTRIBUTE_HIDDEN);
        Write(TEXT("z.bmp"), Bmp(4, 3, Rgb(26, 0, 0)));
        ASSERT_TRUE(CreateDirectory(folder_.Join(TEXT("sub")).c_str(), nullptr));
        Write(TEXT("sub\\inner.bmp"), Bmp(4, 3, Rgb(9, 9, 9)));
    }

    void MakeCurrent() {
        FileListSettings settings;
        settings.filter.listHidden = false;
        ASSERT_NE(FileList_MakeCurrent(0, folder_.path().c_str(), nullptr, settings, &seed_), 0);
        g_imgData.listIndex = -1;
    }

    // The names met paging from the current picture until the load refuses.
    std::vector<tstring> Walk(int32_t step) {
        std::vector<tstring> names;
        for (int i = 0; i < 20 && ImgData_Load(step, kLoadStep) == 1; ++i) names.push_back(Name());
        return names;
    }

    TempFolder folder_{TEXT("imgdata")};
    uint32_t seed_ = 7;
};


TEST_F(ImgDataFolder, PagesInNaturalOrderAndStopsAtTheEnds) {
    MixedFolder();
    MakeCurrent();
    g_settings.option[67] = 0;  // end of list: stop
    ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    EXPECT_EQ(Name(), TEXT("a.bmp"));
    EXPECT_TRUE(ImgData_HasImage());
    EXPECT_EQ(g_imgData.state, uint32_t(kImgStill));
    EXPECT_EQ(PixelAt(g_imgData.image, 0, 0), Rgb(1, 0, 0));

    EXPECT_EQ(Walk(1), (std::vector<tstring>{TEXT("file2.bmp"), TEXT("file10.bmp"), TEXT("z.bmp")}));
    EXPECT_EQ(Name(), TEXT("z.bmp"));  // the refused step left the last picture shown
    EXPECT_TRUE(ImgData_HasImage());
    EXPECT_EQ(Walk(-1), (std::vector<tstring>{TEXT("file10.bmp"), TEXT("file2.bmp"), TEXT("a.bmp")}));

    // A long jump that overshoots stops on the last picture, then refuses.
    EXPECT_EQ(ImgData_Load(100, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("z.bmp"));
    EXPECT_EQ(ImgData_Load(100, kLoadStep), 0);
    EXPECT_EQ(ImgData_Load(0, kLoadFirst), 1);
    EXPECT_EQ(Name(), TEXT("a.bmp"));
    EXPECT_EQ(ImgData_Load(0, kLoadLast), 1);
    EXPECT_EQ(Name(), TEXT("z.bmp"));
}

TEST_F(ImgDataFolder, EndOfListWrapsBothWays) {
    MixedFolder();
    MakeCurrent();
    g_settings.option[67] = 2;  // end of list: wrap
    ASSERT_EQ(ImgData_Load(0, kLoadLast), 1);
    ASSERT_EQ(Name(), TEXT("z.bmp"));
    EXPECT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("a.bmp"));
    EXPECT_EQ(ImgData_Load(-1, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("z.bmp"));

    // The asking and next-folder options stop while the folder navigation
    // is not part of the program, and a hook decides once it is.
    g_settings.option[67] = 1;
    EXPECT_EQ(ImgData_Load(1, kLoadStep), 0);
    EXPECT_EQ(Name(), TEXT("z.bmp"));
    static int s_asked = 0;
    g_imgDataHooks.endOfList = [](int direction, int option) {
        s_asked = direction * 10 + option;
        return 1;
    };
    EXPECT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(s_asked, 11);
    EXPECT_EQ(Name(), TEXT("a.bmp"));
}

TEST_F(ImgDataFolder, BrokenFileLeavesAnEmptyRecordAtItsIndex) {
    Write(TEXT("a.bmp"), Bmp(4, 3, Rgb(1, 0, 0)));
    Write(TEXT("b.bmp"), "BM this is no bitmap at all");
    Write(TEXT("c.bmp"), Bmp(4, 3, Rgb(3, 0, 0)));
    MakeCurrent();
    ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_NE(g_imgData.loadError, 0);
    EXPECT_TRUE(ImgData_IsEmpty());
    EXPECT_EQ(g_imgData.listIndex, 1);
    EXPECT_EQ(Name(), TEXT("b.bmp"));  // the title still names the attempted file
    EXPECT_EQ(g_imgData.singlePage, 1);
    // Paging goes on from the broken entry and clears the error.
    ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("c.bmp"));
    EXPECT_EQ(g_imgData.loadError, 0);
    EXPECT_TRUE(ImgData_HasImage());
}

TEST_F(ImgDataFolder, RandomNeverRepeatsTheCurrentAndReloadKeepsIt) {
    Write(TEXT("p1.bmp"), Bmp(2, 2, Rgb(1, 0, 0)));
    Write(TEXT("p2.bmp"), Bmp(2, 2, Rgb(2, 0, 0)));
    Write(TEXT("p3.bmp"), Bmp(2, 2, Rgb(3, 0, 0)));
    MakeCurrent();
    ASSERT_EQ(ImgData_Load(0, kLoadLast), 1);
    std::set<int32_t> seen;
    for (int i = 0; i < 40; ++i) {
        const int32_t before = g_imgData.listIndex;
        ASSERT_EQ(ImgData_Load(0, kLoadRandom), 1);
        EXPECT_NE(g_imgData.listIndex, before);
        seen.insert(g_imgData.listIndex);
    }
    EXPECT_EQ(seen.count(0), 1u);  // the first picture is reachable

    ASSERT_EQ(ImgData_Load(1, kLoadIndex), 1);
    ASSERT_EQ(Name(), TEXT("p2.bmp"));
    // The file changes on disk; reloading shows the new content.
    Write(TEXT("p2.bmp"), Bmp(2, 2, Rgb(0, 0, 200)));
    ASSERT_EQ(ImgData_Load(0, kLoadAgain), 1);
    EXPECT_EQ(g_imgData.listIndex, 1);
    EXPECT_EQ(PixelAt(g_imgData.image, 0, 0), Rgb(0, 0, 200));

    // An untitled picture has no file to reload.
    DibHolder made;
    ASSERT_TRUE(DibHolder_Create(made, 3, 3, 24, 0, 0, nullptr));
    ASSERT_EQ(ImgData_SetNewImage(made, nullptr), 1);
    EXPECT_EQ(g_imgData.state, uint32_t(kImgNoFile | kImgNew | kImgStill));
    EXPECT_EQ(ImgData_Load(0, kLoadAgain), 0);
}

TEST_F(ImgDataFolder, ZoomModesOnAFixedArea) {
    Write(TEXT("wide.bmp"), Bmp(200, 100, Rgb(50, 100, 150)));
    MakeCurrent();
    ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    s_areaWidth = 100;
    s_areaHeight = 80;

    // Fit with a resampling method: a display copy of the fitted size.
    g_settings.zoomQuality[0] = 2;  // windowed, reducing: area average
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqFit, 0), 1);
    EXPECT_EQ(g_imgData.zoomMode, uint32_t(kZoomFit));
    EXPECT_EQ(g_imgData.zoom, 5000000);
    EXPECT_EQ(g_imgData.zoomPercent, 50);
    ASSERT_FALSE(g_imgData.display.empty());
    EXPECT_EQ(DibHolder_GetWidth(g_imgData.display), 100);
    EXPECT_EQ(DibHolder_GetHeight(g_imgData.display), 50);
    EXPECT_EQ(PixelAt(g_imgData.display, 50, 25), Rgb(50, 100, 150));
    int32_t w = 0, h = 0;
    ImgData_GetViewSize(&w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);

    // Without a method the fit is drawn scaled from the picture.
    g_settings.zoomQuality[0] = 0;
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqFit, 0), 1);
    EXPECT_TRUE(g_imgData.display.empty());
    EXPECT_EQ(g_imgData.zoomMode, uint32_t(kZoomFit | kZoomFixed | kZoomDrawnScaled));
    ImgData_GetViewSize(&w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);

    // A fixed factor is drawn scaled at the rounded size.
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqFactor, 15000000), 1);
    EXPECT_EQ(g_imgData.zoomMode, uint32_t(kZoomFixed | kZoomDrawnScaled));
    ImgData_GetViewSize(&w, &h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 150);

    // Actual size, then the preset steps in and out.
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqActual, 0), 1);
    EXPECT_EQ(g_imgData.zoomMode, 0u);
    ImgData_GetViewSize(&w, &h);
    EXPECT_EQ(w, 200);
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqIn, 0), 1);
    EXPECT_EQ(g_imgData.zoomPercent, 125);
    ImgData_GetViewSize(&w, &h);
    EXPECT_EQ(w, 250);
    EXPECT_EQ(h, 125);
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqOut, 0), 1);
    EXPECT_EQ(g_imgData.zoomMode, 0u);  // back at 100 %: actual size
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqOut, 0), 1);
    EXPECT_EQ(g_imgData.zoomPercent, 75);

    // The keep-zoom choice outlives a closed picture.
    ASSERT_EQ(ImgData_ApplyZoomMode(kZoomReqSetKeep, 0), 1);
    ImgData_Reset();
    EXPECT_EQ(g_imgData.zoomMode, uint32_t(kZoomKeep));
    EXPECT_EQ(g_imgData.zoom, 10000000);
}

TEST_F(ImgDataFolder, ComicModeShowsTwoPages) {
    Write(TEXT("page1.bmp"), Bmp(8, 12, Rgb(255, 0, 0)));
    Write(TEXT("page2.bmp"), Bmp(8, 10, Rgb(0, 0, 255)));
    Write(TEXT("page3.bmp"), Bmp(8, 12, Rgb(255, 255, 0)));
    MakeCurrent();
    g_settings.option[48] = 1;  // comic mode
    g_settings.option[49] = 0;  // right to left
    g_settings.option[52] = 0;  // no height matching
    g_settings.optInt[6] = int32_t(Rgb(0, 255, 0));
    ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    EXPECT_EQ(g_imgData.singlePage, 0);
    ASSERT_EQ(DibHolder_GetWidth(g_imgData.image), 16);
    ASSERT_EQ(DibHolder_GetHeight(g_imgData.image), 12);
    // Right to left: the current page on the right, the next on the left,
    // the shorter page centred between margins.
    EXPECT_EQ(PixelAt(g_imgData.image, 12, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 0), Rgb(0, 255, 0));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 1), Rgb(0, 0, 255));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 10), Rgb(0, 0, 255));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 11), Rgb(0, 255, 0));
    EXPECT_EQ(Name(), TEXT("page1.bmp"));

    // The next spread starts after both pages; the last page stands alone.
    ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("page3.bmp"));
    EXPECT_EQ(g_imgData.singlePage, 1);
    EXPECT_EQ(DibHolder_GetWidth(g_imgData.image), 8);

    // Back one spread: page2 with page1 before it, named by the earlier
    // page. Read right to left the pages sit as they did going forward.
    ASSERT_EQ(ImgData_Load(-1, kLoadStep), 1);
    EXPECT_EQ(Name(), TEXT("page1.bmp"));
    EXPECT_EQ(g_imgData.listIndex, 0);
    EXPECT_EQ(g_imgData.singlePage, 0);
    ASSERT_EQ(DibHolder_GetWidth(g_imgData.image), 16);
    EXPECT_EQ(PixelAt(g_imgData.image, 12, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 0), Rgb(0, 255, 0));
    EXPECT_EQ(PixelAt(g_imgData.image, 3, 1), Rgb(0, 0, 255));

    // Left to right with the shorter page brought up to the taller one.
    g_settings.option[49] = 1;
    g_settings.option[52] = 2;
    ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    ASSERT_EQ(DibHolder_GetWidth(g_imgData.image), 8 + 10);  // 8 x 12 / 10, rounded
    ASSERT_EQ(DibHolder_GetHeight(g_imgData.image), 12);
    EXPECT_EQ(PixelAt(g_imgData.image, 2, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(g_imgData.image, 12, 0), Rgb(0, 0, 255));
}

TEST_F(ImgDataFolder, TitleAndListCommands) {
    MixedFolder();
    MakeCurrent();
    g_settings.option[67] = 0;
    g_process.frameWindow = CreateWindow(TEXT("STATIC"), TEXT(""), WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                         GetModuleHandle(nullptr), nullptr);
    ASSERT_NE(g_process.frameWindow, nullptr);
    auto command = [](UINT id) {
        CommandMessage m{g_process.frameWindow, 0, MAKEWPARAM(id, 1), 0};
        return MenuProc_OnCommand(m);
    };
    auto title = [] {
        TCHAR text[512] = {};
        GetWindowText(g_process.frameWindow, text, 512);
        return tstring(text);
    };
    EXPECT_EQ(command(40066), 0);  // last
    EXPECT_EQ(Name(), TEXT("z.bmp"));
    EXPECT_EQ(command(40061), 0);  // previous
    EXPECT_EQ(Name(), TEXT("file10.bmp"));
    ImgData_UpdateTitleStatus();
    EXPECT_EQ(title(), TEXT("file10.bmp (3/4)"));
    EXPECT_EQ(command(40065), 0);  // first
    EXPECT_EQ(Name(), TEXT("a.bmp"));

    // Comic-aware previous (45101) is next in a right-to-left comic: from a
    // single page one step on, where file2 and file10 make a spread.
    g_settings.option[48] = 1;
    g_settings.option[49] = 0;
    g_settings.option[52] = 0;
    EXPECT_EQ(command(45101), 0);
    EXPECT_EQ(Name(), TEXT("file2.bmp"));
    EXPECT_EQ(g_imgData.singlePage, 0);
    ImgData_UpdateTitleStatus();
    EXPECT_EQ(title(), TEXT("file2.bmp (2/4) <Spread>"));
    g_settings.option[48] = 0;
    EXPECT_EQ(command(45101), 0);  // outside comic mode: previous
    EXPECT_EQ(Name(), TEXT("a.bmp"));

    g_settings.fileSkip = 2;
    EXPECT_EQ(command(40064), 0);  // fast forward by two
    EXPECT_EQ(Name(), TEXT("file10.bmp"));
}

}  // namespace
