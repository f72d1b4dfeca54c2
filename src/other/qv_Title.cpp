#include "other/qv_Title.h"

#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "other/qv_Globals.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "resource.h"

namespace {

constexpr int kTextChars = 128;
constexpr int kOptCaptionName = 21;    // CapbFN
constexpr int kOptComicModeTitle = 48;  // ComicMode

// The title's texts, loaded on each build so a language change shows at once.
struct LoadedTexts {
    TCHAR text[10][kTextChars];
    TitleTexts<TCHAR> texts;
    LoadedTexts() {
        static const UINT ids[10] = {IDS_APP_TITLE,       IDS_TITLE_POSITION, IDS_TITLE_ZOOM,    IDS_TITLE_FIT,
                                     IDS_TITLE_LOCK,      IDS_TITLE_ARCHIVE,  IDS_TITLE_SPREAD,  IDS_TITLE_SLIDESHOW,
                                     IDS_TITLE_TRANSPARENT, IDS_TITLE_ANIMATION};
        for (int i = 0; i < 10; ++i) Res_LoadText(text[i], ids[i], kTextChars);
        texts = TitleTexts<TCHAR>{text[0], text[1], text[2], text[3], text[4],
                                  text[5], text[6], text[7], text[8], text[9]};
    }
};

}  // namespace

int Title_Build(TCHAR *out, const TitleFacts<TCHAR> &facts, int capacity, int emptyWhenNothing) {
    if (out == nullptr || capacity <= 0) return 0;
    const LoadedTexts loaded;
    return Title_Compose(out, size_t(capacity), facts, loaded.texts, emptyWhenNothing != 0) ? 1 : 0;
}

int Title_ShortenPath(TCHAR *out, const TCHAR *path, int limit) {
    if (limit <= 0) return 0;
    return TitleCore_ShortenPath(out, path, size_t(limit)) ? 1 : 0;
}

bool (*g_titleStatusBarPresent)() = nullptr;

void Title_Update() {
    HWND frame = g_process.frameWindow;
    if (frame == nullptr) return;
    const FileList *list = FileList_Current();
    TitleFacts<TCHAR> facts;
    facts.hasRecord = true;
    facts.isNew = (g_imgData.state & kImgNew) != 0;
    // A member of an archive is named by its archive.
    facts.path = g_imgData.pathText;
    facts.hasFile = g_imgData.pathText != nullptr && g_imgData.pathText[0] != 0 && !facts.isNew;
    facts.listPath = list != nullptr ? list->path : nullptr;
    facts.listIsArchive = list != nullptr && list->isArchive != 0;
    facts.nameMode = g_settings.option[kOptCaptionName];
    facts.statusShowsPosition = g_titleStatusBarPresent != nullptr && g_titleStatusBarPresent() &&
                                g_settings.option[kOptStatus] && !g_settings.option[kOptStatusEdge] &&
                                !g_settings.option[kOptFullScreen];
    ImgData_GetListItem(nullptr, &facts.number, &facts.count);
    facts.zoomMode = g_imgData.zoomMode;
    facts.zoomPercent = g_imgData.zoomPercent;
    facts.zoomLock = g_settings.optInt[kIntZoomLock] > 0;
    facts.twoPages = g_settings.option[kOptComicModeTitle] && g_imgData.singlePage == 0 &&
                     (g_imgData.state & kImgStill) && !facts.isNew;
    facts.slideShow = g_settings.option[kOptSlideRunning] != 0;
    facts.transparent = g_imgData.transparency != 0;
    facts.animation = (g_imgData.state & kImgAnimation) != 0;
    TCHAR title[1024];
    if (!Title_Build(title, facts, 1024, 0)) return;
    // A picture updates the title more than once; the same text again would
    // only redraw the caption.
    TCHAR shown[1024];
    if (GetWindowText(frame, shown, 1024) > 0 && lstrcmp(shown, title) == 0) return;
    SetWindowText(frame, title);
}
