#include "image/qv_ViewPaint.h"

#include <vector>

#include "image/qv_DibDraw.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "image/qv_View.h"
#include "image/qv_ViewLayout.h"
#include "other/qv_Cfg.h"
#include "other/qv_Frame.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Title.h"

ViewPaintState g_viewPaint;

namespace {

constexpr int kOptBackgroundTile = 32;    // BGTile
constexpr int kOptDragZoomQuality = 91;   // DragZmQ
constexpr int kOptInfoWithAnimation = 102;
constexpr int kOptInfoPosition = 103;     // ITxtPos
constexpr int kOptInfoStyle = 104;        // ITxtBk
constexpr int kOptCaptionName = 21;       // CapbFN
constexpr int kIntBackground1 = 0, kIntBackground2 = 1, kIntPatternSize = 2, kIntSimpleZoomZoom = 23;
constexpr int kZoomQualityZoomedReduce = 3, kZoomQualityZoomedEnlarge = 8;
constexpr int32_t kScaledMargin = 2;      // source pixels around the visible part, for the filters
constexpr int kInfoTextChars = 2048;

class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (old_ != nullptr) SelectObject(dc_, old_);
    }
    SelectGuard(const SelectGuard &) = delete;
    SelectGuard &operator=(const SelectGuard &) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    ~SavedDC() {
        if (id_ != 0) RestoreDC(dc_, id_);
    }
    SavedDC(const SavedDC &) = delete;
    SavedDC &operator=(const SavedDC &) = delete;

private:
    HDC dc_;
    int id_;
};

COLORREF OptColour(int index) { return COLORREF(uint32_t(g_settings.optInt[index]) & 0xFFFFFFu); }
Rect ToRect(const RECT &r) { return Rect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect &r) { return RECT{r.left, r.top, r.right, r.bottom}; }

bool ViewHook(bool (*hook)()) { return hook != nullptr && hook(); }

bool PictureWork() { return g_imgData.loadingNesting > 0; }
bool Animated() { return (g_imgData.state & kImgAnimation) != 0; }

DibHolder *PictureToDraw() {
    // The animation's frame joins here with the animation module.
    if (!g_imgData.display.empty()) return &g_imgData.display;
    if (!g_imgData.image.empty()) return &g_imgData.image;
    return nullptr;
}

// A packed 24-bit DIB of two cells square holding one period of the checker.
HBRUSH MakeCheckerBrush(COLORREF c1, COLORREF c2, int32_t cell) {
    const int32_t side = 2 * cell;
    const uint32_t stride = (uint32_t(side) * 3 + 3) & ~3u;
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + size_t(stride) * side);
    auto *h = reinterpret_cast<BITMAPINFOHEADER *>(block.data());
    h->biSize = sizeof *h;
    h->biWidth = side;
    h->biHeight = -side;
    h->biPlanes = 1;
    h->biBitCount = 24;
    h->biCompression = BI_RGB;
    uint8_t *bits = block.data() + sizeof *h;
    for (int32_t y = 0; y < side; ++y) {
        uint8_t *p = bits + size_t(y) * stride;
        for (int32_t x = 0; x < side; ++x, p += 3) {
            const COLORREF c = ViewLayout_CheckerIndex(x, y, cell) ? c2 : c1;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    return CreateDIBPatternBrushPt(block.data(), DIB_RGB_COLORS);
}

HBRUSH CheckerBrush(COLORREF c1, COLORREF c2, int32_t cell) {
    ViewPaintState &st = g_viewPaint;
    if (st.checker != nullptr && st.checkerColours[0] == c1 && st.checkerColours[1] == c2 && st.checkerCell == cell)
        return st.checker;
    if (st.checker != nullptr) DeleteObject(st.checker);
    st.checker = MakeCheckerBrush(c1, c2, cell);
    st.checkerColours[0] = c1;
    st.checkerColours[1] = c2;
    st.checkerCell = cell;
    return st.checker;
}

TitleFacts<TCHAR> InfoTitleFacts() {
    TitleFacts<TCHAR> f;
    const ImgData &d = g_imgData;
    f.hasRecord = true;
    f.hasFile = d.pathText != nullptr && (d.state & kImgNoFile) == 0;
    f.isNew = (d.state & kImgNew) != 0;
    f.path = d.pathText;
    if (const FileList *list = FileList_Current()) {
        f.listPath = list->path;
        f.listIsArchive = list->isArchive != 0;
    }
    f.nameMode = g_settings.option[kOptCaptionName];
    // The text stands over the picture, where no status bar is seen: it
    // names the position itself whenever the picture has one.
    const TCHAR *entry = nullptr;
    f.statusShowsPosition = !ImgData_GetListItem(&entry, &f.number, &f.count);
    f.zoomMode = d.zoomMode;
    f.zoomPercent = d.zoomPercent;
    f.zoomLock = g_settings.optInt[kIntZoomLock] != 0;
    f.slideShow = g_settings.option[kOptSlideRunning] != 0;
    f.transparent = d.transparency != 0;
    f.animation = Animated();
    return f;
}

HFONT InfoFont() {
    ViewPaintState &st = g_viewPaint;
    if (st.font != nullptr) return st.font;
    LOGFONT lf;
    if (Opt_GetFont(&g_settings, &lf) == nullptr) return nullptr;
    const int stored = g_settings.fontDpi > 0 ? g_settings.fontDpi : 96;
    lf.lfHeight = MulDiv(lf.lfHeight, g_sysFacts.dpiY, stored);
    st.font = CreateFontIndirect(&lf);
    return st.font;
}

bool ShowInfoText(const RECT &client) {
    InfoTextFacts f{};
    f.hasFont = g_settings.hasFont != 0;
    f.optionShown = Opt_IsInfoTextShown() != 0;
    f.clientEmpty = IsRectEmpty(&client) != FALSE;
    f.scrollBarDragged = g_frame.scrollBarInUse != 0;
    f.animated = Animated();
    f.alsoAnimation = g_settings.option[kOptInfoWithAnimation] != 0;
    f.zoomMode = g_imgData.zoomMode;
    f.selectionMode = ViewHook(g_viewHooks.selectionMode);
    f.afterDragStep = ViewHook(g_viewHooks.afterDragStep);
    return ViewLayout_ShowInfoText(f);
}

void DrawPicture(HDC dc, DibHolder &picture, const PictureLayout &layout, int32_t zoomW, int32_t zoomH) {
    const ScrollState &sc = g_viewPaint.record->scroll;
    const int32_t scrollX = sc.hShown ? sc.hPos : 0, scrollY = sc.vShown ? sc.vPos : 0;
    const int32_t pictureW = DibHolder_GetWidth(picture), pictureH = DibHolder_GetHeight(picture);
    const Rect &at = layout.picture;
    if ((g_imgData.zoomMode & kZoomDrawnScaled) != 0 && (zoomW != pictureW || zoomH != pictureH)) {
        ScaledDraw d;
        if (!ViewLayout_VisibleSource(pictureW, pictureH, zoomW, zoomH, at, scrollX, scrollY, kScaledMargin, &d))
            return;
        SmoothFacts f{};
        f.reducing = zoomW < pictureW || zoomH < pictureH;
        f.quality = g_settings.zoomQuality[f.reducing ? kZoomQualityZoomedReduce : kZoomQualityZoomedEnlarge];
        f.simpleZoomZoom = g_settings.optInt[kIntSimpleZoomZoom];
        f.zoomPercent = g_imgData.zoomPercent;
        f.still = !Animated();
        f.selectionMode = ViewHook(g_viewHooks.selectionMode);
        f.zoomMode = g_imgData.zoomMode;
        f.dragZoom = ViewHook(g_viewHooks.dragZoomActive);
        f.dragZoomQuality = g_settings.option[kOptDragZoomQuality] != 0;
        // The margin reaches past the shown part: keep it off the background.
        SavedDC saved(dc);
        IntersectClipRect(dc, at.left, at.top, at.right, at.bottom);
        Dib_Draw(picture.handle, dc, d.dest.left, d.dest.top, d.dest.right - d.dest.left, d.dest.bottom - d.dest.top,
                 d.source.left, d.source.top, d.source.right - d.source.left, d.source.bottom - d.source.top,
                 ViewLayout_Smooth(f) ? uint32_t(kDrawQuality) : 0u);
    } else {
        Dib_Draw(picture.handle, dc, at.left, at.top, layout.shownWidth, layout.shownHeight, scrollX, scrollY,
                 layout.shownWidth, layout.shownHeight, 0);
    }
    DibHolder_Lock(picture);  // RLEtoDIB may have moved the storage
}

}  // namespace

int MemDC_Create(MemDC *m, int32_t width, int32_t height, HWND window) {
    if (m == nullptr) return 0;
    MemDC_Release(m);
    if (width <= 0 || height <= 0) return 0;
    HDC windowDc = GetDC(window);
    if (windowDc == nullptr) return 0;
    m->dc = CreateCompatibleDC(nullptr);
    m->bitmap = CreateCompatibleBitmap(windowDc, width, height);
    ReleaseDC(window, windowDc);
    if (m->dc == nullptr || m->bitmap == nullptr) {
        MemDC_Release(m);
        return 0;
    }
    m->oldBitmap = SelectObject(m->dc, m->bitmap);
    BITMAP info{};
    GetObject(m->bitmap, sizeof info, &info);
    m->width = width;
    m->height = height;
    m->bitsPerPixel = info.bmBitsPixel;
    return 1;
}

void MemDC_Release(MemDC *m) {
    if (m == nullptr) return;
    if (m->dc != nullptr && m->oldBitmap != nullptr) SelectObject(m->dc, m->oldBitmap);
    if (m->bitmap != nullptr) DeleteObject(m->bitmap);
    if (m->dc != nullptr) DeleteDC(m->dc);
    *m = MemDC{};
}

int MemDC_PaintTo(MemDC *m, HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    int done = 0;
    if (dc != nullptr && m != nullptr && m->dc != nullptr) {
        RECT r = ps.rcPaint;
        if (r.right > m->width) r.right = m->width;
        if (r.bottom > m->height) r.bottom = m->height;
        if (r.right > r.left && r.bottom > r.top)
            done = BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m->dc, r.left, r.top, SRCCOPY) ? 1 : 0;
    }
    EndPaint(window, &ps);
    return done;
}

int ViewPaint_Attach(WindowRecord *record) {
    if (record == nullptr || record->window == nullptr) return 0;
    g_viewPaint.record = record;
    g_viewPaint.centre = g_settings.option[kOptImageCenter] != 0;
    g_viewPaint.prevClient = RECT{};
    g_viewPaint.prevPicture = RECT{};
    return 1;
}

void ViewPaint_Detach() {
    ViewPaintState &st = g_viewPaint;
    MemDC_Release(&st.surface);
    if (st.font != nullptr) DeleteObject(st.font);
    if (st.checker != nullptr) DeleteObject(st.checker);
    const int32_t lock = st.layoutLock;
    st = ViewPaintState{};
    st.layoutLock = lock;
}

int Paint_Checker(HDC dc, const RECT *bands, int count, COLORREF colour1, COLORREF colour2, int32_t cell) {
    if (dc == nullptr || count <= 0) return 1;
    const bool tiled = colour1 != colour2 && cell > 0;
    HBRUSH solid = nullptr;
    HBRUSH brush = tiled ? CheckerBrush(colour1, colour2, cell) : nullptr;
    if (brush == nullptr) brush = solid = CreateSolidBrush(colour1);
    if (brush == nullptr) return 0;
    // Cells stay aligned to the client's corner whatever band is filled.
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    for (int i = 0; i < count; ++i) FillRect(dc, &bands[i], brush);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (solid != nullptr) DeleteObject(solid);
    return 1;
}

void ViewPaint_DrawInfoText(HDC dc, int32_t clientW, int32_t clientH) {
    TCHAR text[kInfoTextChars];
    if (!Title_Build(text, InfoTitleFacts(), kInfoTextChars, 1) || text[0] == 0) return;
    const int length = lstrlen(text);
    SelectGuard font(dc, InfoFont());
    SIZE size{};
    if (!GetTextExtentPoint32(dc, text, length, &size)) return;
    const int32_t shadowX = g_sysFacts.dpiX / 96 > 1 ? g_sysFacts.dpiX / 96 : 1;
    const int32_t shadowY = g_sysFacts.dpiY / 96 > 1 ? g_sysFacts.dpiY / 96 : 1;
    int32_t x = 0, y = 0;
    ViewLayout_InfoTextPos(g_settings.option[kOptInfoPosition], clientW, clientH, size.cx, size.cy, shadowX, shadowY,
                           &x, &y);
    const int style = g_settings.option[kOptInfoStyle];
    const int oldMode = SetBkMode(dc, style == 1 ? OPAQUE : TRANSPARENT);
    const COLORREF oldBack = SetBkColor(dc, COLORREF(g_settings.infoTextBack & 0xFFFFFFu));
    const COLORREF oldText = GetTextColor(dc);
    if (style == 2) {
        SetTextColor(dc, COLORREF(g_settings.infoTextBack & 0xFFFFFFu));
        TextOut(dc, x + shadowX, y + shadowY, text, length);
    }
    SetTextColor(dc, COLORREF(g_settings.infoTextColour & 0xFFFFFFu));
    TextOut(dc, x, y, text, length);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    SetBkMode(dc, oldMode);
}

void Paint_FillSolid(HWND window, COLORREF colour) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc != nullptr) {
        HBRUSH brush = CreateSolidBrush(colour);
        if (brush != nullptr) {
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
        }
    }
    EndPaint(window, &ps);
}

int ViewPaint_Draw(HDC dc, int inPaint, int fullErase, const RECT *update) {
    ViewPaintState &st = g_viewPaint;
    (void)inPaint;  // BeginPaint has validated the update region already
    if (st.layoutLock > 0 || st.record == nullptr || st.record->window == nullptr || dc == nullptr) return 0;
    HWND view = st.record->window;
    st.paintedWhileBusy = 0;
    const bool busy = PictureWork();
    if (busy) st.paintedWhileBusy = 1;
    if (st.dropSurface) {
        MemDC_Release(&st.surface);
        st.dropSurface = 0;
    }
    if (st.dropFont) {
        if (st.font != nullptr) DeleteObject(st.font);
        st.font = nullptr;
        st.dropFont = 0;
    }

    RECT client{};
    if (!GetClientRect(view, &client) || IsRectEmpty(&client)) return 0;
    DibHolder *picture = busy ? nullptr : PictureToDraw();
    int32_t zoomW = 0, zoomH = 0;
    if (picture != nullptr) ImgData_GetViewSize(&zoomW, &zoomH);
    if (zoomW <= 0 || zoomH <= 0) picture = nullptr;
    const bool centre = g_settings.option[kOptFullScreen] || st.centre;
    const PictureLayout layout = ViewLayout_Place(client.right, client.bottom, picture ? zoomW : 0,
                                                  picture ? zoomH : 0, centre);
    RECT target = client;
    if (update != nullptr && !IntersectRect(&target, update, &client)) return 0;

    const bool text = ShowInfoText(client);
    HDC out = dc;
    bool offscreen = false;
    if (text || st.offscreenLastTime) {
        if ((st.surface.dc != nullptr && st.surface.width == client.right && st.surface.height == client.bottom) ||
            MemDC_Create(&st.surface, client.right, client.bottom, view)) {
            out = st.surface.dc;
            offscreen = true;
        }
    }
    // The surface keeps the previous text: it is painted whole.
    const Rect outer = ViewLayout_BackgroundOuter(ToRect(client), ToRect(st.prevClient), ToRect(st.prevPicture),
                                                  layout.picture, fullErase || offscreen);
    if (!text) {
        st.prevClient = client;
        st.prevPicture = ToRECT(layout.picture);
    }

    if (picture != nullptr) DrawPicture(out, *picture, layout, zoomW, zoomH);

    Rect bands[4];
    const int count = ViewLayout_Bands(outer, layout.picture, bands);
    RECT bandRects[4];
    for (int i = 0; i < count; ++i) bandRects[i] = ToRECT(bands[i]);
    const COLORREF colour1 = OptColour(kIntBackground1);
    const COLORREF colour2 = g_settings.option[kOptBackgroundTile] ? OptColour(kIntBackground2) : colour1;
    Paint_Checker(out, bandRects, count, colour1, colour2,
                  ViewLayout_CheckerCell(g_settings.optInt[kIntPatternSize], g_sysFacts.dpiX));

    if (text && offscreen) ViewPaint_DrawInfoText(out, client.right, client.bottom);
    st.offscreenLastTime = text ? 1 : 0;
    if (offscreen)
        BitBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, out, target.left,
               target.top, SRCCOPY);
    else if (text)
        ViewPaint_DrawInfoText(out, client.right, client.bottom);
    return 1;
}
