// The status bar's texts: the picture's size and depth, its place in the
// list, the zoom, file and memory size and the file date; in selection mode
// the grid, the selection and the pixel under the cursor; otherwise a state
// text in simple mode.
#include <windows.h>
#include <commctrl.h>

#include "../../res/resource.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "image/qv_Selection.h"
#include "image/qv_Transp.h"
#include "other/qv_BarsCore.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "util/qv_Str.h"

namespace {

constexpr int kOptSelGrid = 83;
constexpr int kPartChars = 256;  // a part's text: 1 to 254 characters loaded
constexpr int kSimpleChars = 128;

// A part text from the string table; false when it does not load.
bool LoadPart(UINT id, TCHAR *out) {
    const int n = Res_LoadText(out, id, kPartChars);
    return n >= 1 && n <= 254;
}

const TCHAR *StateStringOf(uint32_t state, TCHAR *out) {
    UINT id = 0;
    if (state & kImgNew) id = IDS_STATUS_NEW;
    else if (state & kImgMovedAway) id = IDS_STATUS_MOVED;
    else if (state & kImgDeleted) id = IDS_STATUS_DELETED;
    else if (state & kImgNotInList) id = IDS_STATUS_NOT_IN_LIST;
    if (id == 0 || !LoadPart(id, out)) return nullptr;
    return out;
}

const FileListEntry *CurrentEntry(const ImgData &record) {
    FileList *list = FileList_Current();
    const int32_t i = record.listIndex;
    if (list == nullptr || i < 0 || i >= list->files.count) return nullptr;
    return &list->files.items[i];
}

bool FormatDate(const FileTime32 &written, TCHAR *out) {
    FILETIME utc{written.low, written.high}, local;
    SYSTEMTIME st;
    if ((written.low == 0 && written.high == 0) || !FileTimeToLocalFileTime(&utc, &local) ||
        !FileTimeToSystemTime(&local, &st))
        return false;
    TCHAR date[80], time[80], format[kPartChars];
    if (GetDateFormat(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80) == 0 ||
        GetTimeFormat(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, 80) == 0 ||
        !LoadPart(IDS_STATUS_DATE, format))
        return false;
    wsprintf(out, format, date, time);
    return true;
}

// Holds the bar's redrawing while its parts change, when it is shown.
class RedrawHold {
public:
    explicit RedrawHold(HWND bar) : bar_(bar != nullptr && IsWindowVisible(bar) ? bar : nullptr) {
        if (bar_ != nullptr) SendMessage(bar_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawHold() {
        if (bar_ == nullptr) return;
        SendMessage(bar_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(bar_, nullptr, TRUE);
    }
    RedrawHold(const RedrawHold &) = delete;
    RedrawHold &operator=(const RedrawHold &) = delete;

private:
    HWND bar_;
};

PictureFacts FactsOf(const DibHolder &picture, int32_t *depth = nullptr) {
    const DibData *data = picture.handle != 0 ? Dibcore_DataDIB(picture.handle) : nullptr;
    DibFields f{};
    if (depth != nullptr) *depth = 0;
    if (data == nullptr || data->header == nullptr || Dib_GetHeaderFields(data->header, &f) == 0)
        return PictureFacts{};
    if (depth != nullptr) *depth = f.depth;
    return Bars_PictureFacts(f.width, f.signedHeight, uint32_t(f.depth > 0 ? f.depth : 0), data->headerSize);
}

}  // namespace

void Status_ShowText(int stringId, const ImgData *record) {
    if (g_statusBar.window == nullptr) return;
    if (record == nullptr) record = &g_imgData;
    UINT id = UINT(stringId);
    if (stringId <= 0) id = record->loadError == 1 ? IDS_STATUS_UNSUPPORTED
                            : record->loadError == 2 ? IDS_STATUS_LOAD_ERROR
                                                     : IDS_STATUS_NO_FILE;
    TCHAR text[kSimpleChars];
    const int n = Res_LoadText(text, id, kSimpleChars);
    if (n < 1 || n > 126) text[0] = 0;
    StatusBar_SetText(text, SB_SIMPLEID);
    StatusBar_SetSimple(1);
}

int Status_ShowImageInfo(const ImgData *record) {
    if (g_statusBar.window == nullptr) return 0;
    if (record == nullptr) record = &g_imgData;
    TCHAR stateText[kPartChars];
    const TCHAR *state = nullptr;
    const FileListEntry *entry = nullptr;
    if (record->state & kImgNoFile) {
        state = StateStringOf(record->state, stateText);
        if (state == nullptr) {
            Status_ShowText(0, record);
            return 0;
        }
    } else {
        entry = CurrentEntry(*record);
        if (entry == nullptr) {
            Status_ShowText(0, record);
            return 0;
        }
    }
    // An animation shows its frame through the same still holder here.
    const DibHolder &picture = record->image;
    if (picture.empty()) {
        Status_ShowText(0, record);
        return 0;
    }
    TCHAR format[kPartChars], text[5][kPartChars];
    for (int i = 0; i < 5; ++i) text[i][0] = 0;
    int32_t depth = 0;
    const PictureFacts facts = FactsOf(picture, &depth);
    TCHAR number[2][64];
    int32_t position = 0, count = 0;
    ImgData_GetListItem(nullptr, &position, &count);
    const uint32_t memoryLow = uint32_t(facts.memoryBytes), memoryHigh = uint32_t(facts.memoryBytes >> 32);
    bool ok = LoadPart(IDS_STATUS_SIZE, format);
    if (ok) wsprintf(text[0], format, facts.width, facts.height, depth);
    if (ok && state != nullptr) qvtext::CopyInto(text[1], kPartChars, state);
    else if (ok && (ok = LoadPart(IDS_STATUS_POSITION, format))) wsprintf(text[1], format, position, count);
    if (ok && (ok = LoadPart(IDS_STATUS_ZOOM, format))) wsprintf(text[2], format, record->zoomPercent);
    if (ok) {
        Str_FormatByteSize(memoryLow, number[1], memoryHigh, 64);
        if (entry != nullptr) {
            Str_FormatByteSize(entry->find.sizeLow, number[0], entry->find.sizeHigh, 64);
            if ((ok = LoadPart(IDS_STATUS_BYTES, format))) wsprintf(text[3], format, number[0], number[1]);
        } else {
            qvtext::CopyInto(text[3], kPartChars, number[1]);
        }
    }
    if (ok && state != nullptr) qvtext::CopyInto(text[4], kPartChars, state);
    else if (ok && (entry == nullptr || !FormatDate(entry->find.written, text[4])))
        ok = LoadPart(IDS_STATUS_NO_DATE, text[4]);
    if (!ok) {
        Status_ShowText(0, record);
        return 0;
    }
    {
        RedrawHold hold(g_statusBar.window);
        for (int i = 0; i < 5; ++i) StatusBar_SetText(text[i], i);
        StatusBar_FitParts();
    }
    return 1;
}

int Status_ShowPointerInfo(const POINT *point, const ImgData *record) {
    if (g_statusBar.window == nullptr || g_viewState.selectMode == 0) return 0;
    if (record == nullptr) record = &g_imgData;
    if (record->image.empty() || (record->state & kImgAnimation) || record->image.data == nullptr) return 0;
    const PictureFacts facts = FactsOf(record->image);
    if (facts.width <= 0 || facts.height <= 0) return 0;
    POINT client{};
    if (point != nullptr) {
        client = *point;
    } else {
        GetCursorPos(&client);
        if (g_process.viewWindow != nullptr) ScreenToClient(g_process.viewWindow, &client);
    }
    const POINT at = View_ClientToImage(client);

    TCHAR text[kPartChars], format[kPartChars], piece[kPartChars], grid[64];
    text[0] = 0;
    if (!Menu_GridName(g_settings.option[kOptSelGrid], grid, 64)) grid[0] = 0;
    if (LoadPart(IDS_STATUS_SELECT_MODE, format)) {
        wsprintf(piece, format, grid);
        Str_Append(kPartChars, text, piece);
    }
    if (g_viewState.selActive && g_viewState.x1 >= 0 && LoadPart(IDS_STATUS_SELECTION, format)) {
        const ViewState &v = g_viewState;
        const int64_t w = (v.x1 > v.x0 ? int64_t{v.x1} - v.x0 : int64_t{v.x0} - v.x1) + 1;
        const int64_t h = (v.y1 > v.y0 ? int64_t{v.y1} - v.y0 : int64_t{v.y0} - v.y1) + 1;
        wsprintf(piece, format, v.x0, v.y0, v.x1, v.y1, int(w), int(h));
        Str_Append(kPartChars, text, piece);
    }
    if (LoadPart(IDS_STATUS_PIXEL, format)) {
        const uint32_t c = Dib_ReadPixelColour(Dibcore_DataDIB(record->image.handle), at.x, at.y);
        wsprintf(piece, format, int(at.x), int(at.y), int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        Str_Append(kPartChars, text, piece);
    }
    StatusBar_SetText(text, SB_SIMPLEID);
    StatusBar_SetSimple(1);
    return 1;
}

void Status_Show(const ImgData *record) {
    if (Status_ShowPointerInfo(nullptr, record)) return;
    Status_ShowImageInfo(record);
}
