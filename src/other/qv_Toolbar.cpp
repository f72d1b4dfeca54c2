// The tool bar: creation with the button table, the button images for the
// screen's DPI (the 32-bit set with alpha where the common controls draw
// it, else the normal set), button states and the tool-tip text with the
// bound key.
#include "other/qv_Toolbar.h"

#include <vector>

#include "../../res/resource.h"
#include "other/qv_Bars.h"
#include "other/qv_BarsCore.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Globals.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_SysVersion.h"
#include "util/qv_Text.h"

ToolbarRecord g_toolbar;
int g_toolbarAllowAlpha = -1;

namespace {

constexpr int kOptToolbarDivider = 12;  // TlbDvd
constexpr int kOptToolbarCentre = 13;   // TlbCnt
constexpr int kOptToolbarLarge = 14;    // TlbSiz
constexpr int kOptComicMode = 48, kOptComicLR = 49, kOptMangaReverseButtons = 94;
constexpr int kTipChars = 80;  // the request's own buffer
constexpr UINT kSlideShowCommand = 40072;

WNDPROC s_oldProc = nullptr;
HBITMAP s_normalStrip = nullptr;  // the normal set stays alive with the bar

LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Bars_IsXButtonMessage(message, wParam)) return 1;
    WNDPROC old = s_oldProc;
    if (message == WM_DESTROY) {
        Wnd_Unsubclass(&s_oldProc, window, ToolbarProc);
        if (g_toolbar.window == window) g_toolbar.window = nullptr;
    }
    const LRESULT result = old != nullptr ? CallWindowProc(old, window, message, wParam, lParam)
                                          : DefWindowProc(window, message, wParam, lParam);
    // The subclass is gone after WM_DESTROY, so the strip goes here; the bar
    // draws nothing more.
    if (message == WM_DESTROY && s_normalStrip != nullptr) {
        DeleteObject(s_normalStrip);
        s_normalStrip = nullptr;
    }
    return result;
}

// "data\<pattern>" with the size, below the program folder.
bool StripFilePath(const TCHAR *pattern, int size, TCHAR *out) {
    TCHAR name[64];
    wsprintf(name, pattern, size);
    const TCHAR *folder = g_cmdLine.programDir;
    if (folder == nullptr || qvtext::Length(folder) >= size_t(kPathChars)) return false;
    qvtext::CopyInto(out, kPathChars, folder);
    return Path_Append(kPathChars, out, name, 0) != nullptr;
}

// A 32-bit strip of 17 images at `size`, from whatever a loaded bitmap
// holds: its B, G, R, A bytes are scaled when its height differs. Null when
// the bitmap is not a 32-bit DIB section.
HBITMAP MakeAlphaStrip(HBITMAP loaded, int size) {
    DIBSECTION ds{};
    if (loaded == nullptr || GetObject(loaded, sizeof ds, &ds) != sizeof ds || ds.dsBm.bmBitsPixel != 32 ||
        ds.dsBm.bmBits == nullptr || ds.dsBm.bmHeight <= 0 || ds.dsBm.bmWidth < kToolbarImageCount)
        return nullptr;
    const int32_t sw = ds.dsBm.bmWidth, sh = ds.dsBm.bmHeight;
    std::vector<uint8_t> source(size_t(sw) * sh * 4);
    // Top-down copy of the rows whatever the section's orientation.
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    for (int32_t y = 0; y < sh; ++y) {
        const auto *row = static_cast<const uint8_t *>(ds.dsBm.bmBits) + size_t(bottomUp ? sh - 1 - y : y) * ds.dsBm.bmWidthBytes;
        memcpy(&source[size_t(y) * sw * 4], row, size_t(sw) * 4);
    }
    const int32_t tw = size * kToolbarImageCount, th = size;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = tw;
    bi.bmiHeader.biHeight = -th;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP strip = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (strip == nullptr) return nullptr;
    int ok = 0;
    if (sh == th && sw == tw) {
        memcpy(bits, source.data(), source.size());
        ok = 1;
    } else {
        // Image by image, so no image bleeds into its neighbour.
        const int32_t sourceSide = sw / kToolbarImageCount;
        std::vector<uint8_t> one(size_t(sourceSide) * sh * 4), scaled(size_t(size) * size * 4);
        ok = 1;
        for (int i = 0; i < kToolbarImageCount && ok; ++i) {
            for (int32_t y = 0; y < sh; ++y)
                memcpy(&one[size_t(y) * sourceSide * 4], &source[(size_t(y) * sw + size_t(i) * sourceSide) * 4],
                       size_t(sourceSide) * 4);
            ok = Bars_ScaleStrip(one.data(), sourceSide, sh, scaled.data(), size, size);
            for (int32_t y = 0; y < size && ok; ++y)
                memcpy(static_cast<uint8_t *>(bits) + (size_t(y) * tw + size_t(i) * size) * 4,
                       &scaled[size_t(y) * size * 4], size_t(size) * 4);
        }
    }
    if (!ok) {
        DeleteObject(strip);
        return nullptr;
    }
    return strip;
}

HIMAGELIST LoadAlphaSet(HINSTANCE instance, int size) {
    HBITMAP loaded = nullptr;
    TCHAR path[kPathChars];
    if ((size == 24 || size == 32) && StripFilePath(TEXT("data\\tb32_%d_n.bmp"), size, path))
        loaded = static_cast<HBITMAP>(LoadImage(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    HBITMAP strip = MakeAlphaStrip(loaded, size);
    if (loaded != nullptr) DeleteObject(loaded);
    if (strip == nullptr) {
        // The resource is drawn large and scaled down here, with its alpha.
        loaded = static_cast<HBITMAP>(
            LoadImage(instance, MAKEINTRESOURCE(IDB_TOOLBAR32), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        strip = MakeAlphaStrip(loaded, size);
        if (loaded != nullptr) DeleteObject(loaded);
    }
    if (strip == nullptr) return nullptr;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, kToolbarImageCount, 0);
    if (list != nullptr && (ImageList_Add(list, strip, nullptr) < 0 || ImageList_GetImageCount(list) != kToolbarImageCount)) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    DeleteObject(strip);
    return list;
}

HBITMAP LoadNormalSet(HINSTANCE instance, int size) {
    HBITMAP strip = nullptr;
    TCHAR path[kPathChars];
    if ((size == 24 || size == 32) && StripFilePath(TEXT("data\\tb_%d_n.bmp"), size, path))
        strip = static_cast<HBITMAP>(LoadImage(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_LOADMAP3DCOLORS));
    if (strip == nullptr) {
        const int width = size == kToolbarSmallSize ? 0 : size * kToolbarImageCount;
        const int height = size == kToolbarSmallSize ? 0 : size;
        strip = static_cast<HBITMAP>(
            LoadImage(instance, MAKEINTRESOURCE(IDB_TOOLBAR), IMAGE_BITMAP, width, height, LR_LOADMAP3DCOLORS));
    }
    return strip;
}

int AddButtons(HWND bar, int firstImage) {
    size_t rows = 0;
    const ToolbarButtonRow *table = Bars_ToolbarButtons(&rows);
    if (rows > 32512) rows = 32512;
    std::vector<TBBUTTON> buttons;
    for (size_t i = 0; i < rows; ++i) {
        const ToolbarButtonRow &row = table[i];
        if (row.image < 0 && row.command != 0) break;  // a separator with a command ends the table
        TBBUTTON b{};
        if (row.image < 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = row.image + firstImage;
            b.idCommand = row.command;
            b.fsState = row.startsEnabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    if (buttons.empty()) return 0;
    return SendMessage(bar, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) ? 1 : 0;
}

bool ReversedComicButtons() {
    const uint8_t *opt = g_settings.option;
    return opt[kOptMangaReverseButtons] && opt[kOptComicMode] && !opt[kOptComicLR];
}

// The first key bound to a command, as its name; empty when none.
void KeyNameOf(uint32_t command, TCHAR *out) {
    out[0] = 0;
    const int index = KeyMap_FindCommand(&g_keyMap, uint16_t(command), 0, 0, 0);
    if (index < 0 || index >= g_keyMap.count) return;
    const KeyBinding &binding = g_keyMap.items[index];
    if (binding.count <= 0) return;
    if (KeyName_Format(binding.key[0], out, binding.flags[0], 1) <= 0) out[0] = 0;
}

// Puts the text into the request in the request's own text width.
void FillTipRequest(NMHDR *request, const TCHAR *text) {
    if (request->code == TTN_GETDISPINFOW) {
        auto *info = reinterpret_cast<NMTTDISPINFOW *>(request);
#if defined(QV_ANSI)
        if (MultiByteToWideChar(CP_ACP, 0, text, -1, info->szText, kTipChars) == 0) info->szText[0] = 0;
        info->szText[kTipChars - 1] = 0;
#else
        qvtext::CopyInto(info->szText, kTipChars, text);
#endif
        info->lpszText = info->szText;
        info->hinst = nullptr;
    } else {
        auto *info = reinterpret_cast<NMTTDISPINFOA *>(request);
#if defined(QV_ANSI)
        qvtext::CopyInto(info->szText, kTipChars, text);
#else
        if (WideCharToMultiByte(CP_ACP, 0, text, -1, info->szText, kTipChars, nullptr, nullptr) == 0) info->szText[0] = 0;
        info->szText[kTipChars - 1] = 0;
#endif
        info->lpszText = info->szText;
        info->hinst = nullptr;
    }
}

}  // namespace

int Toolbar_Create(HINSTANCE instance, DWORD style, HWND parent) {
    if (g_toolbar.window != nullptr || parent == nullptr) return 0;
    HWND bar = CreateWindowEx(0, TOOLBARCLASSNAME, nullptr, (style & ~WS_VISIBLE) | WS_CHILD, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(INT_PTR(kToolbarId)), instance, nullptr);
    if (bar == nullptr) return 0;
    SendMessage(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    g_toolbar.window = bar;
    g_toolbar.parent = parent;
    g_toolbar.shown = 0;
    if (style & WS_VISIBLE) Toolbar_Show(1, 0);
    return 1;
}

int Toolbar_Setup(HINSTANCE instance) {
    DWORD style = TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP;
    if (!g_settings.option[kOptToolbarDivider]) style |= CCS_NODIVIDER;
    if (!Toolbar_Create(instance, style, g_process.frameWindow)) return 0;
    HWND bar = g_toolbar.window;
    Wnd_Subclass(&s_oldProc, bar, ToolbarProc);

    const bool allowAlpha = g_toolbarAllowAlpha > 0 || (g_toolbarAllowAlpha < 0 && Sys_GetOsVersionCode() > 50 &&
                                                         Sys_CommonControlsAtLeast(6, 0));
    const int size = Bars_ButtonSize(g_sysFacts.dpiX, g_settings.option[kOptToolbarLarge]);
    SendMessage(bar, TB_SETBITMAPSIZE, 0, MAKELONG(size, size));

    int firstImage = 0;
    if (allowAlpha) g_toolbar.images = LoadAlphaSet(instance, size);
    if (g_toolbar.images != nullptr) {
        SendMessage(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_toolbar.images));
    } else {
        s_normalStrip = LoadNormalSet(instance, size);
        if (s_normalStrip == nullptr) return 0;
        TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(s_normalStrip)};
        const LRESULT first = SendMessage(bar, TB_ADDBITMAP, kToolbarImageCount, reinterpret_cast<LPARAM>(&add));
        if (first < 0) return 0;
        firstImage = int(first);
    }
    if (!AddButtons(bar, firstImage)) return 0;
    SendMessage(bar, TB_AUTOSIZE, 0, 0);
    if (g_settings.option[kOptToolbarCentre]) Toolbar_Relayout();
    return 1;
}

int Toolbar_Show(int show, int relayout) {
    if (g_toolbar.window == nullptr) return 0;
    ShowWindow(g_toolbar.window, show ? SW_SHOWNA : SW_HIDE);
    g_toolbar.shown = show ? 1 : 0;
    if (relayout && g_toolbar.parent != nullptr) Wnd_Relayout(g_toolbar.parent);
    return g_toolbar.shown;
}

int Toolbar_EnableButton(UINT command, int disable) {
    if (g_toolbar.window == nullptr) return 0;
    const LRESULT state = SendMessage(g_toolbar.window, TB_GETSTATE, command, 0);
    if (state == -1) return 0;
    const bool enabled = (state & TBSTATE_ENABLED) != 0;
    if (enabled == !disable) return 1;
    SendMessage(g_toolbar.window, TB_INDETERMINATE, command, MAKELONG(disable ? TRUE : FALSE, 0));
    SendMessage(g_toolbar.window, TB_ENABLEBUTTON, command, MAKELONG(disable ? FALSE : TRUE, 0));
    return 1;
}

void Toolbar_SetSlideShowButton(int pressed) {
    if (g_toolbar.window == nullptr) return;
    const bool checked = SendMessage(g_toolbar.window, TB_ISBUTTONCHECKED, kSlideShowCommand, 0) != 0;
    if (checked != (pressed != 0))
        SendMessage(g_toolbar.window, TB_CHECKBUTTON, kSlideShowCommand, MAKELONG(pressed ? TRUE : FALSE, 0));
}

int Toolbar_GetMaxWidth() {
    if (g_toolbar.window == nullptr) return 0;
    SIZE size{};
    SendMessage(g_toolbar.window, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

int Toolbar_Relayout() {
    if (g_toolbar.window == nullptr || !g_settings.option[kOptToolbarCentre]) return 0;
    RECT client{};
    GetClientRect(g_toolbar.parent, &client);
    const int spare = (client.right - client.left) - Toolbar_GetMaxWidth();
    const int indent = spare > 0 ? spare / 2 : 0;
    SendMessage(g_toolbar.window, TB_SETINDENT, indent, 0);
    return indent;
}

int Frame_OnToolTip(NMHDR *request) {
    if (request == nullptr || !g_process.startupComplete) return 0;
    if (request->code != TTN_GETDISPINFOW && request->code != TTN_GETDISPINFOA) return 0;
    // Only requests by command id; a tool named by its window is not ours.
    const UINT flags = request->code == TTN_GETDISPINFOW ? reinterpret_cast<NMTTDISPINFOW *>(request)->uFlags
                                                         : reinterpret_cast<NMTTDISPINFOA *>(request)->uFlags;
    if (flags & TTF_IDISHWND) return 0;
    const TipChoice choice = Bars_ChooseTip(uint32_t(request->idFrom), ReversedComicButtons() ? 1 : 0);
    if (choice.stringId == 0) return 0;

    TCHAR modeText[8];
    int mode = Res_LoadText(modeText, IDS_TIP_MODE, 8) > 0 ? Bars_ParseTipMode(Str_ToInt(modeText)) : 1;
    if (mode != 1 && !KeyName_IsLoaded() && KeyName_LoadTable() == 0) mode = 1;

    TCHAR text[kTipChars], key[kKeyNameChars], format[32], tip[kTipChars];
    if (Res_LoadText(text, UINT(choice.stringId), kTipChars) <= 0) return 0;
    key[0] = 0;
    if (mode != 1) KeyNameOf(choice.keyCommand, key);
    if (Res_LoadText(format, IDS_TIP_FORMAT, 32) <= 0) format[0] = 0;
    Bars_ComposeTip<TCHAR>(mode, text, key, format, tip, kTipChars);
    FillTipRequest(request, tip);
    return 1;
}

void Toolbar_Destroy() {
    if (g_toolbar.window != nullptr && IsWindow(g_toolbar.window))
        SendMessage(g_toolbar.window, TB_SETIMAGELIST, 0, 0);
    if (g_toolbar.images != nullptr) ImageList_Destroy(g_toolbar.images);
    g_toolbar = ToolbarRecord{};
}
