// The tool bar and the status bar on the real frame: the view laid out in
// the area the bars leave, button images sized for the DPI from the 32-bit
// set or the normal set (files before resources), tool tips naming the
// bound key, button states, the X-button filter, the right-click popup, and
// the status texts of a loaded picture and of selection mode.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_Selection.h"
#include "other/qv_Bars.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"
#include "support/real_dibcore.h"
#include "support/real_frame.h"
#include "support/temp_folder.h"
#include "support/user_folder.h"
#include "util/qv_Str.h"

namespace {

constexpr int kOptToolbarLarge = 14;
constexpr int kOptComicMode = 48, kOptComicLR = 49, kOptMangaReverseButtons = 94;

void PutLe(std::string &out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i)));
}

// A bottom-up BMP of one colour: 24 bits, or 32 bits with the given alpha.
std::string Bmp(int32_t width, int32_t height, int bits, uint32_t rgb, uint8_t alpha = 255) {
    const uint32_t stride = (uint32_t(width) * bits / 8 + 3) & ~3u;
    const uint32_t size = stride * uint32_t(height);
    std::string out = "BM";
    PutLe(out, 54 + size, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    for (uint32_t v : {40u, uint32_t(width), uint32_t(height)}) PutLe(out, v, 4);
    PutLe(out, 1, 2);
    PutLe(out, uint32_t(bits), 2);
    for (uint32_t v : {0u, size, 2835u, 2835u, 0u, 0u}) PutLe(out, v, 4);
    std::string row;
    for (int32_t x = 0; x < width; ++x) {
        row.push_back(char(rgb));
        row.push_back(char(rgb >> 8));
        row.push_back(char(rgb >> 16));
        if (bits == 32) row.push_back(char(alpha));
    }
    row.resize(stride, '\0');
    for (int32_t y = 0; y < height; ++y) out += row;
    return out;
}

void Drain() { RealFrame_Drain(); }

// The colour an image-list image leaves at (x, y) on white.
COLORREF DrawnPixel(HIMAGELIST list, int index, int x, int y) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, cx, cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return c;
}

class Bars : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        RealFrame_Reset();
        g_sysFacts.dpiX = g_sysFacts.dpiY = 96;
        g_toolbarAllowAlpha = -1;
        ASSERT_EQ(Frame_Create(g_process.instance, SW_SHOWNORMAL), 0);
        frame_ = g_process.frameWindow;
        Bars_InstallHooks();
    }
    void TearDown() override {
        RealFrame_Destroy(frame_);  // the test's program folder goes with the command line
        Toolbar_Destroy();
        g_toolbarAllowAlpha = -1;
        g_sysFacts.dpiX = g_sysFacts.dpiY = 96;
    }
    // The bars as start-up makes them; the window layout shows both.
    void MakeBars() {
        ASSERT_EQ(Toolbar_Setup(g_process.instance), 1);
        ASSERT_EQ(StatusBar_Create(g_process.instance), 1);
        g_settings.option[kOptToolbar] = 1;
        g_settings.option[kOptStatus] = 1;
        Bars_Order();
        Bars_ApplyStartLayout();
        g_process.startupComplete = 1;
    }
    RECT ViewRect() {
        RECT r{};
        GetWindowRect(g_process.viewWindow, &r);
        MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT *>(&r), 2);
        return r;
    }
    static RECT ChildRect(HWND child, HWND parent) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
        return r;
    }
    std::wstring Tip(UINT command, UINT code = TTN_GETDISPINFOW, UINT flags = 0) {
        if (code == TTN_GETDISPINFOW) {
            NMTTDISPINFOW info{};
            info.hdr.hwndFrom = nullptr;
            info.hdr.idFrom = command;
            info.hdr.code = TTN_GETDISPINFOW;
            info.uFlags = flags;
            lstrcpyW(info.szText, L"untouched");
            SendMessage(frame_, WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
            return info.szText;
        }
        NMTTDISPINFOA info{};
        info.hdr.idFrom = command;
        info.hdr.code = TTN_GETDISPINFOA;
        info.uFlags = flags;
        lstrcpyA(info.szText, "untouched");
        SendMessage(frame_, WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
        wchar_t wide[80];
        MultiByteToWideChar(CP_ACP, 0, info.szText, -1, wide, 80);
        return wide;
    }
    // SB_SIMPLEID reads the simple text; the control hands it out as part 0
    // while in simple mode.
    std::basic_string<TCHAR> PartText(int part) {
        if (part == SB_SIMPLEID) {
            if (!SendMessage(g_statusBar.window, SB_ISSIMPLE, 0, 0)) return TEXT("(not simple)");
            part = 0;
        }
        TCHAR text[512] = {};
        const LRESULT length = LOWORD(SendMessage(g_statusBar.window, SB_GETTEXTLENGTH, part, 0));
        if (length > 0 && length < 512) SendMessage(g_statusBar.window, SB_GETTEXT, part, reinterpret_cast<LPARAM>(text));
        return text;
    }

    TestUserFolder folder_{TEXT("bars"), TEXT("bars")};
    HWND frame_ = nullptr;
};

TEST_F(Bars, ViewTakesTheClientAreaLeftByTheBars) {
    MakeBars();
    ASSERT_TRUE(IsWindowVisible(g_toolbar.window));
    ASSERT_TRUE(IsWindowVisible(g_statusBar.window));
    SetWindowPos(frame_, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(frame_, &client);
    const RECT tb = ChildRect(g_toolbar.window, frame_), sb = ChildRect(g_statusBar.window, frame_);
    EXPECT_EQ(tb.top, 0);
    EXPECT_GT(tb.bottom, 16);
    EXPECT_EQ(sb.bottom, client.bottom);
    RECT view = ViewRect();
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.right, client.right);
    EXPECT_EQ(view.top, tb.bottom);
    EXPECT_EQ(view.bottom, sb.top);

    // Hidden status bar: the view reaches the bottom.
    g_settings.option[kOptStatus] = 0;
    StatusBar_Show(0, 1);
    view = ViewRect();
    EXPECT_EQ(view.bottom, client.bottom);
    // A tool bar at the edge only shows over the view and takes no room.
    g_settings.option[kOptToolbarEdge] = 1;
    Wnd_Relayout(frame_);
    EXPECT_EQ(ViewRect().top, 0);
    // Neither do bars in full screen.
    g_settings.option[kOptToolbarEdge] = 0;
    g_settings.option[kOptFullScreen] = 1;
    Wnd_Relayout(frame_);
    EXPECT_EQ(ViewRect().top, 0);
}

TEST_F(Bars, StartLayoutFollowsTheWindowLayoutOptions) {
    ASSERT_EQ(Toolbar_Setup(g_process.instance), 1);
    ASSERT_EQ(StatusBar_Create(g_process.instance), 1);
    // The z-order: tool bar, then status bar, then the view.
    Bars_Order();
    EXPECT_EQ(GetWindow(g_toolbar.window, GW_HWNDNEXT), g_statusBar.window);
    EXPECT_EQ(GetWindow(g_statusBar.window, GW_HWNDNEXT), g_process.viewWindow);
    // Nothing shows before the configuration is read; then its options
    // decide: tool bar on, status bar edge-only.
    EXPECT_FALSE(IsWindowVisible(g_toolbar.window));
    g_settings.option[kOptToolbar] = 1;
    g_settings.option[kOptStatus] = 1;
    g_settings.option[kOptStatusEdge] = 1;
    Bars_ApplyStartLayout();
    EXPECT_TRUE(IsWindowVisible(g_toolbar.window));
    EXPECT_EQ(g_toolbar.shown, 1);
    EXPECT_FALSE(IsWindowVisible(g_statusBar.window));
    EXPECT_EQ(g_statusBar.shown, 0);
}

TEST_F(Bars, ButtonSizeFollowsDpiWithTheAlphaSet) {
    g_toolbarAllowAlpha = 1;  // Wine's version 6 controls report 5.81
    struct Case {
        int dpi, large, size;
    } cases[] = {{96, 0, 16}, {96, 1, 24}, {144, 0, 24}, {192, 0, 32}};
    for (const auto &k : cases) {
        g_sysFacts.dpiX = k.dpi;
        g_settings.option[kOptToolbarLarge] = uint8_t(k.large);
        ASSERT_EQ(Toolbar_Setup(g_process.instance), 1) << k.dpi;
        HIMAGELIST list = g_toolbar.images;
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessage(g_toolbar.window, TB_GETIMAGELIST, 0, 0)), list);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        EXPECT_EQ(cx, k.size) << k.dpi << " large " << k.large;
        EXPECT_EQ(cy, k.size);
        EXPECT_EQ(ImageList_GetImageCount(list), 17);
        // The next button (image 11) is a green triangle on a clear ground:
        // its corner shows the white below, its middle is green.
        EXPECT_EQ(DrawnPixel(list, 11, 0, 0), RGB(255, 255, 255)) << k.size;
        const COLORREF middle = DrawnPixel(list, 11, k.size / 2, k.size / 2);
        EXPECT_GT(GetGValue(middle), 2 * GetRValue(middle)) << std::hex << middle;
        EXPECT_LT(GetBValue(middle), 128) << std::hex << middle;
        // Buttons start disabled except the navigation ones.
        EXPECT_TRUE(SendMessage(g_toolbar.window, TB_ISBUTTONENABLED, 45142, 0));
        EXPECT_FALSE(SendMessage(g_toolbar.window, TB_ISBUTTONENABLED, 40008, 0));
        EXPECT_TRUE(SendMessage(g_toolbar.window, TB_ISBUTTONINDETERMINATE, 40008, 0));
        DestroyWindow(g_toolbar.window);
        Toolbar_Destroy();
    }
}

TEST_F(Bars, ButtonFilesComeBeforeTheResources) {
    TempFolder program(TEXT("barsprog"));
    const tstring data = program.Join(TEXT("data"));
    ASSERT_TRUE(CreateDirectory(data.c_str(), nullptr));
    g_cmdLine.programDir = const_cast<TCHAR *>(program.path().c_str());
    g_sysFacts.dpiX = 144;  // 24-pixel buttons
    g_toolbarAllowAlpha = 1;

    // The 32-bit file: one opaque blue strip.
    ASSERT_TRUE(WriteFileBytes(data + TEXT("\\tb32_24_n.bmp"), Bmp(24 * 17, 24, 32, 0x0000FF)));
    ASSERT_EQ(Toolbar_Setup(g_process.instance), 1);
    ASSERT_NE(g_toolbar.images, nullptr);
    EXPECT_EQ(DrawnPixel(g_toolbar.images, 11, 1, 1), RGB(0, 0, 255));
    DestroyWindow(g_toolbar.window);
    Toolbar_Destroy();

    // The normal set only: a green file is used, a missing one falls back to
    // the resource.
    g_toolbarAllowAlpha = 0;
    for (bool withFile : {true, false}) {
        if (withFile) ASSERT_TRUE(WriteFileBytes(data + TEXT("\\tb_24_n.bmp"), Bmp(24 * 17, 24, 24, 0x00FF00)));
        else ASSERT_TRUE(DeleteFile((data + TEXT("\\tb_24_n.bmp")).c_str()));
        ASSERT_EQ(Toolbar_Setup(g_process.instance), 1) << withFile;
        EXPECT_EQ(g_toolbar.images, nullptr);
        auto list = reinterpret_cast<HIMAGELIST>(SendMessage(g_toolbar.window, TB_GETIMAGELIST, 0, 0));
        ASSERT_NE(list, nullptr);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        EXPECT_EQ(cx, 24);
        const COLORREF corner = DrawnPixel(list, 11, 1, 1);
        if (withFile) EXPECT_EQ(corner, RGB(0, 255, 0));
        else EXPECT_NE(corner, RGB(0, 255, 0));
        DestroyWindow(g_toolbar.window);
        Toolbar_Destroy();
    }
}

TEST_F(Bars, ToolTipNamesTheBoundKey) {
    MakeBars();
    ASSERT_EQ(KeyMap_LoadDefault(&g_keyMap), 0);
    KeyName_LoadTable();
    EXPECT_EQ(Tip(45142), L"Next file (Space)");
    EXPECT_EQ(Tip(45141), L"Previous file (BackSpace)");
    EXPECT_EQ(Tip(40001), L"Open (O)");
    EXPECT_EQ(Tip(45142, TTN_GETDISPINFOA), L"Next file (Space)") << "the other text width";
    // Reversed comic order: the buttons trade texts and keys.
    g_settings.option[kOptMangaReverseButtons] = 1;
    g_settings.option[kOptComicMode] = 1;
    EXPECT_EQ(Tip(45142), L"Previous file (BackSpace)");
    g_settings.option[kOptComicLR] = 1;
    EXPECT_EQ(Tip(45142), L"Next file (Space)");
    // Not ours: unknown commands, tools named by window, and any request
    // before start-up is complete.
    EXPECT_EQ(Tip(40062), L"untouched");
    EXPECT_EQ(Tip(45142, TTN_GETDISPINFOW, TTF_IDISHWND), L"untouched");
    g_process.startupComplete = 0;
    EXPECT_EQ(Tip(45142), L"untouched");
    g_process.startupComplete = 1;
    // A command without a key shows its text alone.
    KeyTable saved = g_keyMap;
    g_keyMap = KeyTable{};
    EXPECT_EQ(Tip(40087), L"Fit to window");
    g_keyMap = saved;
}

TEST_F(Bars, ButtonStatesXButtonsAndRightClick) {
    MakeBars();
    EXPECT_EQ(Toolbar_EnableButton(40008, 0), 1);
    EXPECT_TRUE(SendMessage(g_toolbar.window, TB_ISBUTTONENABLED, 40008, 0));
    EXPECT_FALSE(SendMessage(g_toolbar.window, TB_ISBUTTONINDETERMINATE, 40008, 0));
    EXPECT_EQ(Toolbar_EnableButton(40008, 1), 1);
    EXPECT_FALSE(SendMessage(g_toolbar.window, TB_ISBUTTONENABLED, 40008, 0));
    EXPECT_TRUE(SendMessage(g_toolbar.window, TB_ISBUTTONINDETERMINATE, 40008, 0));
    EXPECT_EQ(Toolbar_EnableButton(12345, 0), 0);
    Toolbar_SetSlideShowButton(1);
    EXPECT_TRUE(SendMessage(g_toolbar.window, TB_ISBUTTONCHECKED, 40072, 0));
    Toolbar_SetSlideShowButton(0);
    EXPECT_FALSE(SendMessage(g_toolbar.window, TB_ISBUTTONCHECKED, 40072, 0));

    for (HWND bar : {g_toolbar.window, g_statusBar.window}) {
        EXPECT_EQ(SendMessage(bar, WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), 0), 1);
        EXPECT_EQ(SendMessage(bar, WM_NCXBUTTONDOWN, MAKEWPARAM(0, XBUTTON2), 0), 1);
    }
    Drain();
    NMHDR click{g_toolbar.window, UINT_PTR(kToolbarId), UINT(NM_RCLICK)};
    EXPECT_EQ(SendMessage(frame_, WM_NOTIFY, kToolbarId, reinterpret_cast<LPARAM>(&click)), 1);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, frame_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(m.wParam), 45001);
    EXPECT_EQ(HIWORD(m.wParam), 1);
}

TEST_F(Bars, EnteringTheBarOrReachingPasteRefreshesTheButtons) {
    MakeBars();
    // With no picture a refresh disables save as: enable it by hand and see
    // which hot-item changes put it back.
    struct Case {
        const char *what;
        DWORD flags;
        int idNew;
        bool refreshed;
    } cases[] = {
        {"entering the bar", HICF_ENTERING | HICF_MOUSE, 40001, true},
        {"moving onto paste", HICF_MOUSE, 40026, true},
        {"moving onto another button", HICF_MOUSE, 40025, false},
        {"leaving over paste", HICF_LEAVING | HICF_MOUSE, 40026, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Toolbar_EnableButton(40008, 0), 1);
        NMTBHOTITEM hot{};
        hot.hdr = NMHDR{g_toolbar.window, UINT_PTR(kToolbarId), UINT(TBN_HOTITEMCHANGE)};
        hot.idNew = c.idNew;
        hot.dwFlags = c.flags;
        SendMessage(frame_, WM_NOTIFY, kToolbarId, reinterpret_cast<LPARAM>(&hot));
        EXPECT_EQ(SendMessage(g_toolbar.window, TB_ISBUTTONENABLED, 40008, 0) == 0, c.refreshed);
    }
}

TEST_F(Bars, StatusPartsFollowTheirTexts) {
    MakeBars();
    EXPECT_EQ(PartText(SB_SIMPLEID), TEXT("No file loaded"));
    EXPECT_TRUE(SendMessage(g_statusBar.window, SB_ISSIMPLE, 0, 0));
    const TCHAR *texts[5] = {TEXT("a"), TEXT("a much longer text than the first"), TEXT("c"), TEXT("d"), TEXT("e")};
    for (int i = 0; i < 5; ++i) StatusBar_SetText(texts[i], i);
    StatusBar_FitParts();
    EXPECT_FALSE(SendMessage(g_statusBar.window, SB_ISSIMPLE, 0, 0));
    int edges[8] = {};
    ASSERT_EQ(SendMessage(g_statusBar.window, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 6);
    EXPECT_GT(edges[1] - edges[0], 3 * edges[0]) << "the long text's part is wider";
    EXPECT_EQ(edges[5], -1);
    // The state texts of Status_ShowText.
    struct Case {
        int loadError;
        const TCHAR *text;
    } cases[] = {{1, TEXT("File type not supported")}, {2, TEXT("File load error")}, {0, TEXT("No file loaded")}};
    ImgData record;
    for (const auto &k : cases) {
        record.loadError = k.loadError;
        Status_ShowText(0, &record);
        EXPECT_EQ(PartText(SB_SIMPLEID), k.text);
        EXPECT_TRUE(SendMessage(g_statusBar.window, SB_ISSIMPLE, 0, 0));
    }
}

class BarsPicture : public Bars {
protected:
    static void SetUpTestSuite() { lib_ = new RealDibcore; }
    static void TearDownTestSuite() {
        delete lib_;
        lib_ = nullptr;
    }
    void SetUp() override {
        Bars::SetUp();
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        ASSERT_TRUE(Format_RegisterBuiltins());
        ImgData_Construct();
        MakeBars();
    }
    void TearDown() override {
        View_InitState();
        ImgData_Shutdown();
        FileList_FreeCurrent();
        Format_DestroyRegistry();
        Bars::TearDown();
    }
    void Open(int width, int height, uint32_t rgb) {
        ASSERT_TRUE(WriteFileBytes(pictures_.Join(TEXT("one.bmp")), Bmp(width, height, 24, rgb)));
        ASSERT_TRUE(WriteFileBytes(pictures_.Join(TEXT("two.bmp")), Bmp(2, 2, 24, rgb)));
        FileListSettings settings;
        uint32_t seed = 1;
        ASSERT_NE(FileList_MakeCurrent(0, pictures_.path().c_str(), nullptr, settings, &seed), 0);
        ASSERT_EQ(ImgData_Load(0, kLoadFirst), 1);
    }
    static RealDibcore *lib_;
    TempFolder pictures_{TEXT("barspics")};
};
RealDibcore *BarsPicture::lib_ = nullptr;

TEST_F(BarsPicture, PictureInformationAndPointerText) {
    Open(64, 48, 0x102030);
    // The load updated the status bar through the hook.
    EXPECT_EQ(PartText(0), TEXT("64 x 48 x 24 BPP"));
    EXPECT_EQ(PartText(1), TEXT("1/2"));
    TCHAR zoom[32];
    wsprintf(zoom, TEXT("%d %%"), int(g_imgData.zoomPercent));
    EXPECT_EQ(PartText(2), zoom);
    EXPECT_NE(PartText(3).find(TEXT(" / ")), tstring::npos) << "file size / memory size";
    EXPECT_FALSE(PartText(4).empty());
    EXPECT_FALSE(SendMessage(g_statusBar.window, SB_ISSIMPLE, 0, 0));

    // Selection mode: the grid and the pixel; with a selection also its
    // corners and size.
    g_viewState.selectMode = 1;
    POINT client{0, 0};
    const POINT at = View_ClientToImage(client);
    ASSERT_EQ(Status_ShowPointerInfo(&client, nullptr), 1);
    tstring text = PartText(SB_SIMPLEID);
    EXPECT_NE(text.find(TEXT("[ free ]")), tstring::npos) << text.c_str();
    TCHAR want[64];
    wsprintf(want, TEXT("XY( %d, %d )  RGB( 16, 32, 48 )"), int(at.x), int(at.y));
    EXPECT_NE(text.find(want), tstring::npos) << text.c_str();
    EXPECT_EQ(text.find(TEXT("Size")), tstring::npos);
    const RECT selection{3, 4, 10, 20};
    Sel_SetRect(&selection);
    ASSERT_EQ(Status_ShowPointerInfo(&client, nullptr), 1);
    text = PartText(SB_SIMPLEID);
    EXPECT_NE(text.find(TEXT("Size( 8 x 17 )")), tstring::npos) << text.c_str();
    // Status_Show prefers the pointer text in selection mode.
    g_viewState.selectMode = 0;
    EXPECT_EQ(Status_ShowPointerInfo(&client, nullptr), 0);
    Status_Show(nullptr);
    EXPECT_EQ(PartText(0), TEXT("64 x 48 x 24 BPP"));
}

}  // namespace
