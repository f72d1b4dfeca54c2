// The current picture: its lifetime, its path parts, loading by list
// position and the end-of-list actions. The two-page view and the
// automatic rotation are in qv_ImgDataPages.cpp, the zoom in
// qv_ImgDataZoom.cpp.
#include "image/qv_ImgData.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibDraw.h"
#include "image/qv_EditTasks.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgLoad.h"
#include "image/qv_Undo.h"
#include "image/qv_WndFit.h"
#include "image/qv_ZoomCore.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_Title.h"
#include "other/qv_WndUtil.h"
#include "resource.h"
#include "image/resample/qv_Resample.h"
#include "util/qv_SysVersion.h"
#include "util/qv_TaskThreads.h"

namespace {

// Option bytes and ints the record reads.
constexpr int kOptComicMode = 48;
constexpr int kOptNextPrevBeep = 66;
constexpr int kOptListEnd = 67;
constexpr int kOptSlideLoop = 73;
constexpr int kOptSlideNextFolder = 74;
constexpr int kOptSortType = 82;
constexpr int kSortTypeRandom = 5;

constexpr int32_t kLoadNestingLimit = 0x7FFFFF00;

bool SlideShowRunning() { return g_settings.option[kOptSlideRunning] != 0; }

// Raises a counter for the lifetime of the guard.
class NestingGuard {
public:
    explicit NestingGuard(int32_t *counter) : counter_(counter) { ++*counter_; }
    ~NestingGuard() { --*counter_; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;

private:
    int32_t *counter_;
};

bool PictureWorkRunning() { return g_imgData.loadingNesting > 0 || g_imgData.loadNesting > 0; }

HWND FrameWindow() { return g_process.frameWindow; }

void SetFrameTitle(UINT id) {
    if (FrameWindow() == nullptr) return;
    TCHAR text[128];
    if (Res_LoadText(text, id, 128) > 0) SetWindowText(FrameWindow(), text);
}

}  // namespace

void ImgData_FillLoadOptions(LoadOptions *out) {
    LoadOptions &o = *out;
    o = LoadOptions{};
    o.bmpTrans = g_settings.option[25] != 0;
    o.gifTrans = g_settings.option[26] != 0;
    o.gifFileBg = g_settings.option[27] != 0;
    // The animation player is not part of the program yet: GIFs load as
    // stills of their first frame.
    o.gifAni = false;
    o.pngTrans = g_settings.option[29] != 0;
    o.pngFileBg = g_settings.option[30] != 0;
    o.exifRota = g_settings.option[31] != 0;
    o.loadBf24 = g_settings.option[54] != 0;
    o.spiPrior = g_settings.option[88] != 0;
    o.win9x = g_drawSeams.isWin9x != nullptr && g_drawSeams.isWin9x();
    o.background = uint32_t(g_settings.optInt[4]);
}

namespace {

size_t TextLength(const TCHAR *t) {
    size_t n = 0;
    while (t[n] != 0) ++n;
    return n;
}

bool EndsWithSeparator(const TCHAR *t, size_t n) { return n > 0 && (t[n - 1] == TEXT('\\') || t[n - 1] == TEXT('/')); }

// The list's own path: for an archive, the archive file.
const TCHAR *ListPath(const FileList &list) { return list.path != nullptr ? list.path : TEXT(""); }

void ReportLoadFailure() {
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_MB_LOADERR"))) return;
    Msg_ReportError(TEXT("qv_ImgData"), FrameWindow(), nullptr, 791, 0);
    DlgGuard_Release(&guard);
}

int32_t WrapTarget(const FileList &list, int direction) {
    const int32_t r =
        FileList_Navigate(0, g_imgData.listIndex, direction > 0 ? kNavFirst : kNavLast, list, &g_process.shuffleSeed);
    return r >= 0 ? r : kImgNavNoMove;
}

// A new pass of a random slide show draws a new order.
void Reshuffle(FileList *list) {
    FileListSettings settings;
    settings.sortType = uint32_t(Opt_GetSortType());
    settings.naturalOption = g_settings.option[kOptSortNatural] != 0;
    settings.systemAbove50 = Sys_GetOsVersionCode() > 50;
    FileList_SortWith(1, list, settings, &g_process.shuffleSeed);
}

// After the end of the list: the end-of-list option, or the slide show's
// rules while it runs.
int32_t EndOfList(int direction, int allowEndActions, int beep) {
    if (beep && g_settings.option[kOptNextPrevBeep] && !SlideShowRunning()) MessageBeep(64);
    if (!allowEndActions) return kImgNavNoMove;
    FileList *list = FileList_Current();
    if (list == nullptr) return kImgNavNoList;
    int answer;
    if (SlideShowRunning()) {
        if (g_settings.option[kOptSlideNextFolder]) {
            answer = g_imgDataHooks.endOfList != nullptr ? g_imgDataHooks.endOfList(direction, 3) : 0;
            if (answer != 2 || !SlideShowRunning()) return kImgNavNoMove;
        } else if (!g_settings.option[kOptSlideLoop]) {
            if (g_imgDataHooks.stopSlideShow != nullptr) {
                g_imgDataHooks.stopSlideShow();
            } else {
                Opt_SetFlag(kOptSlideRunning, 0);
            }
            return kImgNavNoMove;
        } else {
            if (direction > 0 && g_settings.option[kOptSortType] == kSortTypeRandom) Reshuffle(list);
            answer = 1;
        }
    } else {
        switch (g_settings.option[kOptListEnd]) {
            case 1:
            case 3:
                // Asking (the next/previous dialog) and moving to another
                // folder belong to the folder navigation; until it is part
                // of the program the hook is null and the answer is stop.
                answer = g_imgDataHooks.endOfList != nullptr
                             ? g_imgDataHooks.endOfList(direction, g_settings.option[kOptListEnd])
                             : 0;
                break;
            case 2:
                answer = 1;
                break;
            default:
                answer = 0;
                break;
        }
    }
    if (answer == 0) return kImgNavNoMove;
    list = FileList_Current();  // another folder may be current now
    if (list == nullptr) return kImgNavNoList;
    if (answer == 2) g_imgData.listIndex = -1;
    return WrapTarget(*list, direction);
}

int32_t NavKindOf(int32_t how) {
    switch (how) {
        case kLoadFirst: return kNavFirst;
        case kLoadLast: return kNavLast;
        case kLoadIndex: return kNavIndex;
        case kLoadRandom: return kNavRandom;
        case kLoadAgain: return kNavCurrent;
        default: return kNavStep;
    }
}

void MoveLoadedIntoRecord(LoadedImage *loaded) {
    DibHolder_AttachNew(g_imgData.image, DibHolder_Take(loaded->image));
    g_imgData.state = (g_imgData.state & ~uint32_t(kImgNoFile)) | (loaded->flags & (kImgStill | kImgAnimation));
    g_imgData.loaderId = loaded->loaderId;
    g_imgData.colourKind = loaded->colourKind;
    g_imgData.transparency = loaded->transparency;
    g_imgData.width = loaded->width;
    g_imgData.height = loaded->height;
    g_imgData.bitsPerPixel = loaded->bitsPerPixel;
    g_imgData.loadMs += int32_t(loaded->loadMs);
    std::memcpy(g_imgData.formatName, loaded->formatName, sizeof g_imgData.formatName);
}

}  // namespace

ImgData g_imgData;
ImgDataHooks g_imgDataHooks;

namespace {
// Defined after the record, so it runs once the record is built.
struct RecordConstructor {
    RecordConstructor() { ImgData_Construct(); }
} s_constructor;
}  // namespace

// ---------------------------------------------------------------- lifetime

void ImgData_Construct() {
    // Display copies of large photos are made on several threads.
    g_resampleTasks = Tasks_SystemRunner();
    g_editTasks = Tasks_SystemRunner();
    DibHolder_Free(g_imgData.image);
    DibHolder_Free(g_imgData.display);
    g_imgData.state = 0;
    g_imgData.singlePage = 0;
    g_imgData.zoom = kZoomOne;
    g_imgData.zoomPercent = 100;
    g_imgData.zoomMode = 0;
    g_imgData.viewWidth = g_imgData.viewHeight = 0;
    g_imgData.listIndex = -1;
    g_imgData.loadError = 0;
    g_imgData.loadNesting = g_imgData.loadingNesting = 0;
    g_imgData.fitPictureWidth = g_imgData.fitPictureHeight = g_imgData.fitAreaWidth = g_imgData.fitAreaHeight = 0;
    g_imgData.loaderId = g_imgData.colourKind = g_imgData.transparency = 0;
    g_imgData.width = g_imgData.height = g_imgData.bitsPerPixel = g_imgData.loadMs = 0;
    ImgData_FreePathParts();
    g_imgData.formatName[0] = 0;
    g_imgData.anim = GifAniState{};
    if (g_frameHooks.busy == nullptr) g_frameHooks.busy = PictureWorkRunning;
}

void ImgData_Shutdown() {
    ImgData_FreeImage(-1);
    ImgData_FreePathParts();
    g_imgData.anim = GifAniState{};
    g_imgData.state = 0;
}

void ImgData_FreePathParts() {
    std::free(g_imgData.pathText);
    g_imgData.pathText = nullptr;
    g_imgData.fileName = g_imgData.memberPart = g_imgData.pathEnd = nullptr;
    g_imgData.pathLength = g_imgData.fileNameLength = g_imgData.memberLength = 0;
}

void ImgData_FreeImage(int which) {
    DibHolder_Free(g_imgData.display);
    if (which < 0) DibHolder_Free(g_imgData.image);
}

void ImgData_Reset() {
    if (g_imgData.state & kImgNoFile) ImgData_FreePathParts();
    if (g_imgDataHooks.closed != nullptr) g_imgDataHooks.closed();
    ImgData_FreeImage(-1);
    // An undo record belongs to the picture it was taken from.
    Undo_Clear(&g_undo);
    g_imgData.anim = GifAniState{};
    g_imgData.state = 0;
    g_imgData.loadError = 0;
    g_imgData.loaderId = g_imgData.colourKind = g_imgData.transparency = 0;
    g_imgData.width = g_imgData.height = g_imgData.bitsPerPixel = g_imgData.loadMs = 0;
    g_imgData.formatName[0] = 0;
    // Without a picture the zoom is actual size; the keep-zoom choice is
    // the user's and outlives the picture.
    ImgData_ComputeZoom(kZoomReqRecompute, 0);
    ImgData_UpdateScroll();
}

bool ImgData_IsEmpty() { return !ImgData_HasAnything(); }

bool ImgData_HasImage() { return ImgData_HasAnything(); }

bool ImgData_HasAnything() {
    if (g_imgData.state & kImgStill) return !g_imgData.image.empty();
    if (g_imgData.state & kImgAnimation) return g_imgData.anim.valid != 0;
    return false;
}

// ---------------------------------------------------------------- path parts

namespace {

// "folder\name", or "archive<NUL>inner\name" for a member, owned by the
// record; fileName points at the name, memberPart at the member's inner
// path.
bool BuildPathParts(const FileList &list, const FileListEntry &entry) {
    const TCHAR *base = ListPath(list);
    const size_t baseLength = TextLength(base);
    const size_t nameLength = TextLength(entry.find.name);
    const TCHAR *inner = nullptr;
    size_t innerLength = 0;
    if (list.isArchive && entry.folderOrder >= 0 && entry.folderOrder < list.archiveFolders.count) {
        inner = list.archiveFolders.items[entry.folderOrder].path;
        innerLength = TextLength(inner);
    }
    // base, separator, inner path, separator, name, terminator
    const size_t units = baseLength + 1 + innerLength + 1 + nameLength + 1;
    if (units > 0x7FFFFFFF / sizeof(TCHAR)) return false;
    TCHAR *text = static_cast<TCHAR *>(std::malloc(units * sizeof(TCHAR)));
    if (text == nullptr) return false;
    size_t at = 0;
    std::memcpy(text, base, baseLength * sizeof(TCHAR));
    at = baseLength;
    const TCHAR *member = nullptr;
    if (list.isArchive) {
        text[at++] = 0;
        member = text + at;
        if (innerLength > 0) {
            std::memcpy(text + at, inner, innerLength * sizeof(TCHAR));
            at += innerLength;
            if (!EndsWithSeparator(inner, innerLength)) text[at++] = TEXT('\\');
        }
    } else if (!EndsWithSeparator(base, baseLength)) {
        text[at++] = TEXT('\\');
    }
    const size_t nameAt = at;
    std::memcpy(text + at, entry.find.name, nameLength * sizeof(TCHAR));
    at += nameLength;
    text[at] = 0;
    ImgData_FreePathParts();
    g_imgData.pathText = text;
    g_imgData.fileName = text + nameAt;
    g_imgData.memberPart = member;
    g_imgData.pathEnd = text + at;
    g_imgData.pathLength = int32_t(list.isArchive ? baseLength : at);
    g_imgData.fileNameLength = int32_t(nameLength);
    g_imgData.memberLength = member != nullptr ? int32_t(text + at - member) : 0;
    return true;
}

}  // namespace

int ImgData_SetPathParts(int32_t index) {
    FileList *list = FileList_Current();
    if (list == nullptr || index < 0 || index >= list->files.count) return 0;
    return BuildPathParts(*list, list->files.items[index]) ? 1 : 0;
}

// ---------------------------------------------------------------- loading

int32_t ImgData_Navigate(int32_t step, int32_t how, int allowEndActions, int beep, int comic, int singlePage,
                         int32_t *direction) {
    FileList *list = FileList_Current();
    *direction = 0;
    if (list == nullptr) return kImgNavNoList;
    if (how == kLoadAgain && (g_imgData.state & kImgNoFile)) return kImgNavNoMove;
    int32_t move = step;
    if (how == kLoadStep || how == kLoadComicSingleStep) {
        const ComicMove m =
            Comic_Step(step, how, comic != 0, singlePage != 0, (g_imgData.state & kImgNotInList) != 0);
        move = m.move;
        *direction = m.direction;
    }
    const int32_t kind = NavKindOf(how);
    const int32_t current = g_imgData.listIndex;
    const int32_t r = FileList_Navigate(move, current, kind, *list, &g_process.shuffleSeed);
    if (r >= 0) return r;
    if (r != kNavPastEnd || kind != kNavStep || move == 0) return kImgNavNoMove;
    const int dir = move > 0 ? 1 : -1;
    // A long jump that overshoots stops at the end while a single step can
    // still be made.
    if (move > 1 || move < -1) {
        if (FileList_Navigate(dir, current, kNavStep, *list, &g_process.shuffleSeed) >= 0) {
            const int32_t edge =
                FileList_Navigate(0, current, dir > 0 ? kNavLast : kNavFirst, *list, &g_process.shuffleSeed);
            if (edge >= 0) return edge;
        }
    }
    return EndOfList(dir, allowEndActions, beep);
}

int ImgData_LoadEntry(int32_t index, int comic, int32_t direction) {
    LoadedImage loaded;
    ImgData_Reset();
    ImgData_FreePathParts();
    SetFrameTitle(IDS_LOADING);
    FileList *list = FileList_Current();
    if (list == nullptr) return 1;
    if (index < 0 || index >= list->files.count) return 2;
    const FileListEntry &entry = list->files.items[index];
    if (entry.find.name[0] == 0) return 1;
    if (!BuildPathParts(*list, entry)) return 3;

    void *memory = nullptr;
    uint32_t size = 0;
    uint32_t extractMs = 0;
    if (list->isArchive) {
        Stopwatch watch;
        Stopwatch_Start(&watch);
        const int ok = g_imgDataHooks.extractMember != nullptr && g_imgDataHooks.extractMember(index, &memory, &size);
        extractMs = Stopwatch_Stop(&watch);
        if (!ok || memory == nullptr) return 5;
    }
    LoadOptions options;
    ImgData_FillLoadOptions(&options);
    const int decoded = ImgLoad_FromSource(&loaded, g_imgData.pathText, nullptr, memory, size, entry.type, 0, 0,
                                           options);
    if (memory != nullptr) LocalFree(memory);
    if (decoded < 0) return 4;
    if (decoded > 0) return 5;
    MoveLoadedIntoRecord(&loaded);
    g_imgData.loadMs += int32_t(extractMs);

    const bool still = (g_imgData.state & kImgStill) != 0;
    const bool preRotate = comic && still && g_settings.option[51] != 0;
    g_imgData.singlePage = 1;
    if (comic && still) {
        if (preRotate) ImgData_AutoRotate();
        if (ImgData_ComposeTwoPages(direction != 0 ? direction : 1)) g_imgData.singlePage = 0;
    }
    if (list->isArchive) g_imgData.state |= kImgArchiveMember;
    if (!preRotate) ImgData_AutoRotate();
    return 0;
}

int ImgData_Load(int32_t step, int32_t how) {
    if (g_imgData.loadNesting >= kLoadNestingLimit) return 0;
    NestingGuard nesting(&g_imgData.loadNesting);
    const int comic = g_settings.option[kOptComicMode] != 0;
    int32_t direction = 0;
    const int32_t index = ImgData_Navigate(step, how, 1, 1, comic, g_imgData.singlePage, &direction);
    if (index == kImgNavNoMove) return 0;
    if (index == kImgNavNoList) {
        // Nothing left to show: close the picture.
        ImgData_Reset();
        ImgData_FreePathParts();
        g_imgData.state = 0;
        ImgData_UpdateTitleStatus();
        return 1;
    }
    g_imgData.listIndex = index;
    WaitCursorGuard wait(&g_frameRecord);
    if (!SlideShowRunning()) WaitCursor_Begin(&wait);
    int result;
    {
        NestingGuard working(&g_imgData.loadingNesting);
        result = ImgData_LoadEntry(index, comic, direction);
    }
    if (result != 0) {
        ImgData_Reset();
        g_imgData.singlePage = 1;
        if (result == 4) g_imgData.loadError = 1;
        if (result == 5) g_imgData.loadError = 2;
        if (result == 3 || result == 6 || result == 7) ReportLoadFailure();
    } else if (g_imgDataHooks.loaded != nullptr) {
        FileList *list = FileList_Current();
        g_imgDataHooks.loaded(list != nullptr ? ListPath(*list) : TEXT(""), g_imgData.fileName);
    }
    ImgData_FitWindow(1);
    // The placement refreshes the title too, but it may skip its work (a
    // full-screen switch); the loading text must not stay.
    ImgData_UpdateTitleStatus();
    if (g_imgDataHooks.updateToolbar != nullptr) g_imgDataHooks.updateToolbar();
    // Animations start here once the animation player is part of the
    // program; until then every picture is a still.
    return 1;
}

// ---------------------------------------------------------------- list position and new pictures

int ImgData_SetListIndex(int32_t index, int refresh) {
    FileList *list = FileList_Current();
    if (list == nullptr || list->files.count <= 0) return 0;
    if (index < 0) index = 0;
    if (index >= list->files.count) index = list->files.count - 1;
    g_imgData.listIndex = index;
    if (refresh) ImgData_UpdateTitleStatus();
    return 1;
}

int ImgData_SetNewImage(DibHolder &picture, const TCHAR *name) {
    static int32_t s_counter = 0;
    if (picture.empty()) return 0;
    TCHAR made[128];
    if (name == nullptr) {
        s_counter = s_counter >= 0x7FFFFFFF ? 1 : s_counter + 1;
        TCHAR format[96];
        if (Res_LoadText(format, IDS_UNTITLED, 96) > 0) {
            wsprintf(made, format, int(s_counter));
        } else {
            lstrcpy(made, TEXT("new"));
        }
        name = made;
    }
    const size_t length = TextLength(name);
    TCHAR *text = static_cast<TCHAR *>(std::malloc((length + 1) * sizeof(TCHAR)));
    if (text == nullptr) return 0;
    std::memcpy(text, name, (length + 1) * sizeof(TCHAR));
    // Taken before the old picture is closed: the caller may hand over the
    // record's own picture.
    const DibHandle handle = DibHolder_Take(picture);
    g_imgData.state |= kImgNoFile;  // the old path parts go with the old picture
    ImgData_Reset();
    ImgData_FreePathParts();
    g_imgData.pathText = text;
    g_imgData.fileName = text;
    g_imgData.pathEnd = text + length;
    g_imgData.pathLength = g_imgData.fileNameLength = int32_t(length);
    if (!DibHolder_AttachNew(g_imgData.image, handle)) {
        ImgData_UpdateTitleStatus();
        return 0;
    }
    // Normalised as after decoding: no run-length compression left.
    if (!g_imgData.image.empty() && g_imgData.image.data != nullptr && g_imgData.image.data->header != nullptr &&
        g_imgData.image.data->header->biSize >= 40 && g_imgData.image.data->header->biCompression != 0 &&
        g_imgData.image.data->header->biCompression != 3) {
        Dibcore_RLEtoDIB(g_imgData.image.handle);
        DibHolder_Lock(g_imgData.image);
    }
    g_imgData.state = kImgNoFile | kImgNew | kImgStill;
    g_imgData.loaderId = 2;
    g_imgData.singlePage = 1;
    g_imgData.width = DibHolder_GetWidth(g_imgData.image);
    g_imgData.height = DibHolder_GetHeight(g_imgData.image);
    g_imgData.bitsPerPixel = DibHolder_GetBitCount(g_imgData.image);
    g_imgData.colourKind = g_imgData.bitsPerPixel <= 8 ? 0 : 1;
    ImgData_FitWindow(1);
    if (g_imgDataHooks.updateToolbar != nullptr) g_imgDataHooks.updateToolbar();
    return 1;
}

// ---------------------------------------------------------------- queries and refreshes

int ImgData_GetListItem(const TCHAR **path, int32_t *number, int32_t *count) {
    FileList *list = FileList_Current();
    if (path != nullptr) *path = g_imgData.pathText;
    if (number != nullptr) *number = 0;
    if (count != nullptr) *count = 0;
    if (list == nullptr) return 0;
    if (count != nullptr) *count = list->imageCount;
    const int32_t i = g_imgData.listIndex;
    if (number != nullptr && i >= 0 && i < list->files.count && list->files.items[i].imageOrdinal >= 0)
        *number = list->files.items[i].imageOrdinal + 1;
    return 1;
}

void ImgData_FitWindow(int reason) { WndFit_FitToImage(reason, g_settings.option[kOptComicMode] != 0); }

void ImgData_UpdateTitleStatus() {
    Title_Update();
    if (g_imgDataHooks.updateStatus != nullptr) g_imgDataHooks.updateStatus();
}

void ImgData_SyncPictureFacts() {
    if ((g_imgData.state & kImgStill) == 0) return;
    g_imgData.width = DibHolder_GetWidth(g_imgData.image);
    g_imgData.height = DibHolder_GetHeight(g_imgData.image);
    g_imgData.bitsPerPixel = DibHolder_GetBitCount(g_imgData.image);
}

void ImgData_RefreshAfterEdit() {
    // An edit may change the depth (greyscale, colour swaps of a palette
    // picture); the status bar shows what is held now.
    ImgData_SyncPictureFacts();
    {
        WaitCursorGuard wait(&g_frameRecord);
        if (!SlideShowRunning()) WaitCursor_Begin(&wait);
        ImgData_ComputeZoom(kZoomReqRecompute, 0);
    }
    ImgData_UpdateScroll();
    ImgData_UpdateTitleStatus();
    if (g_process.viewWindow != nullptr) {
        InvalidateRect(g_process.viewWindow, nullptr, FALSE);
        UpdateWindow(g_process.viewWindow);
    }
}

bool ImgData_WorkRunning() { return PictureWorkRunning(); }
