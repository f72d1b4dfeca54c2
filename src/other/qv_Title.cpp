#include "other/qv_Title.h"

#include "other/qv_Res.h"
#include "resource.h"

namespace {

constexpr int kTextChars = 128;

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

int Title_ShortenPath(TCHAR *out, const TCHAR *path) { return TitleCore_ShortenPath(out, path) ? 1 : 0; }
