// The current picture: what is on screen, its display copy, how it was
// loaded, where it sits in the current file list and its zoom. One record
// for the whole program; loading by step, first, last, index, random,
// reload and comic step; the two-page view; the zoom modes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_DibHolder.h"

// state bits
enum ImgDataState : uint32_t {
    kImgNoFile = 0x1,
    kImgNew = 0x2,
    kImgMovedAway = 0x4,
    kImgDeleted = 0x8,
    kImgNotInList = 0x10,
    kImgStill = 0x20,
    kImgAnimation = 0x80,
    kImgArchiveMember = 0x800,
};

// zoomMode bits
enum ImgZoomMode : uint32_t {
    kZoomActual = 0,
    kZoomFit = 0x1,
    kZoomFixed = 0x2,
    kZoomDrawnScaled = 0x20,
    kZoomKeep = 0x80,
};

// ImgData_ApplyZoomMode / ImgData_ComputeZoom modes
enum ImgZoomRequest : uint32_t {
    kZoomReqActual = 0,
    kZoomReqFit = 1,
    kZoomReqFixed = 2,
    kZoomReqIn = 4,
    kZoomReqOut = 8,
    kZoomReqRecomputeReuse = 16,
    kZoomReqRecompute = 64,
    kZoomReqSetKeep = 128,
    kZoomReqClearKeep = 256,
    kZoomReqLock = 512,
    kZoomReqFactor = 1024,
};

// ImgData_Load "how"
enum ImgLoadHow : int32_t {
    kLoadStep = 0,
    kLoadFirst = 1,
    kLoadLast = 2,
    kLoadIndex = 3,
    kLoadRandom = 4,
    kLoadAgain = 5,
    kLoadComicSingleStep = 6,
};

constexpr int32_t kZoomOne = 10000000;  // 100 %
constexpr int32_t kZoomMaxPercent = 5000;

// The animation (filled in by the GIF animation module once it is part of
// the program; until then every picture is loaded as a still).
struct GifAniState {
    int32_t valid = 0;
    int32_t playing = 0;
    int32_t width = 0;   // logical screen
    int32_t height = 0;
};

struct ImgData {
    DibHolder image;    // the still picture (also the composed two-page picture)
    DibHolder display;  // the picture resampled to the fitted size; painted instead of image when set
    uint32_t state = 0;
    int32_t singlePage = 0;
    int32_t zoom = kZoomOne;
    int32_t zoomPercent = 100;
    uint32_t zoomMode = 0;
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    int32_t listIndex = -1;
    int32_t loadError = 0;  // 0, 1 unsupported format, 2 read error
    int32_t loadNesting = 0;
    int32_t loadingNesting = 0;  // picture work in progress: the view paints no picture
    int32_t fitPictureWidth = 0;
    int32_t fitPictureHeight = 0;
    int32_t fitAreaWidth = 0;
    int32_t fitAreaHeight = 0;
    int32_t loaderId = 0;
    int32_t colourKind = 0;
    int32_t transparency = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t loadMs = 0;
    TCHAR *pathText = nullptr;       // owned: folder path and name, or archive path and member
    const TCHAR *fileName = nullptr; // into pathText
    const TCHAR *memberPart = nullptr;
    const TCHAR *pathEnd = nullptr;
    int32_t pathLength = 0;
    int32_t fileNameLength = 0;
    int32_t memberLength = 0;
    WCHAR formatName[256] = {};
    GifAniState anim;
};

extern ImgData g_imgData;

void ImgData_Construct();
void ImgData_Reset();
void ImgData_Shutdown();
// A picture load or picture work is in progress.
bool ImgData_WorkRunning();
// -1 picture and display copy, 1 only the display copy.
void ImgData_FreeImage(int which);

bool ImgData_IsEmpty();
bool ImgData_HasImage();
bool ImgData_HasAnything();

// 1 shown, 0 not.
int ImgData_Load(int32_t step, int32_t how);
int ImgData_SetListIndex(int32_t index, int refresh);
int ImgData_SetNewImage(DibHolder &picture, const TCHAR *name);

// 1 ok.
int ImgData_ApplyZoomMode(uint32_t mode, int32_t argument);
int ImgData_ComputeZoom(uint32_t mode, int32_t argument);
void ImgData_RefreshAfterEdit();
// Width, height and depth of the record from the held still picture (after
// an edit changed them).
void ImgData_SyncPictureFacts();

// The displayed size (zoomed; the display copy's size when there is one).
void ImgData_GetViewSize(int32_t *width, int32_t *height);
// The current entry's text, its 1-based picture number and the number of
// pictures; 0 without a list.
int ImgData_GetListItem(const TCHAR **path, int32_t *number, int32_t *count);

// reason 0: the area or zoom changed; 1: a new picture.
void ImgData_FitWindow(int reason);
void ImgData_UpdateTitleStatus();
// Built by the view module.
void ImgData_UpdateScroll();

// Navigation: the list index to load, or one of these.
constexpr int32_t kImgNavNoList = -1;  // no current list: the picture is closed
constexpr int32_t kImgNavNoMove = -2;  // nothing to move to (end of the list, invalid request)
// The index a load moves to; *direction receives the direction handed to
// the two-page composition.
int32_t ImgData_Navigate(int32_t step, int32_t how, int allowEndActions, int beep, int comic, int singlePage,
                         int32_t *direction);
// Loads the entry at index: 0 shown; 1 no list or nameless entry; 2 index
// out of range; 3 path parts failed; 4 unsupported format; 5 read or
// extraction error; 6 hand-over failed; 7 animation cannot start.
int ImgData_LoadEntry(int32_t index, int comic, int32_t direction);
// Turns the picture by the automatic rotation option. 1 turned.
int ImgData_AutoRotate();
// Comic mode: lays the neighbouring page (in the direction of travel) beside
// the loaded one. 1 when the two-page picture replaced the page.
int ImgData_ComposeTwoPages(int32_t direction);
void ImgData_FreePathParts();
// The path parts of entry `index` of the current list. 1/0.
int ImgData_SetPathParts(int32_t index);
// The loader settings from the settings store.
struct LoadOptions;
void ImgData_FillLoadOptions(LoadOptions *out);

// The view area the zoom is computed for: client size with the scroll bars,
// and the bar sizes (0 while the view has no scroll bars). 1 ok.
using ImgDataAreaSource = int (*)(int32_t *width, int32_t *height, int32_t *vBarWidth, int32_t *hBarHeight);

// What the record needs from modules that join later. A null entry does
// nothing unless said otherwise.
struct ImgDataHooks {
    // The end of the list with the end-of-list option 1 (ask) or 3 (next
    // folder), or in a slide show that moves on to the next folder. Answers
    // 0 stop, 1 wrap, 2 another folder's list is current now (continue at
    // its first picture moving forward, its last moving back). Null: stop.
    int (*endOfList)(int direction, int option);
    // Extracts an archive member into memory (LocalAlloc block the caller
    // frees). 1/0. Null: extraction fails.
    int (*extractMember)(int32_t index, void **memory, uint32_t *size);
    // A canvas above half the physical memory: 1 when the user accepts it.
    // Null: refused.
    int (*confirmLargeSize)(int32_t width, int32_t height);
    void (*updateStatus)();   // status bar
    void (*updateToolbar)();  // tool bar state
    void (*closed)();         // the picture was closed: selection and undo record
    void (*loaded)(const TCHAR *folder, const TCHAR *name);  // recent folders
    void (*stopSlideShow)();  // null: the running flag is cleared
    ImgDataAreaSource area;   // null: the view window
};
extern ImgDataHooks g_imgDataHooks;
