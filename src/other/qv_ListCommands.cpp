#include "other/qv_ListCommands.h"

#include "image/qv_ImgData.h"
#include "other/qv_Settings.h"

namespace {

constexpr int kOptComicMode = 48;
constexpr int kOptComicLeftToRight = 49;
constexpr int kOptMangaReverseToolbar = 94;

// {id, step, how}: every list move is one ImgData_Load.
struct ListMove {
    UINT id;
    int32_t step;  // kFileSkip: the FileSkip setting with this sign
    int32_t how;
};
constexpr int32_t kFileSkip = 0x40000000;
const ListMove kListMoves[] = {
    {40061, -1, kLoadStep},        {40062, 1, kLoadStep}, {40063, -kFileSkip, kLoadStep},
    {40064, kFileSkip, kLoadStep}, {40065, 0, kLoadFirst}, {40066, 0, kLoadLast},
    {41081, -1, kLoadComicSingleStep}, {41082, 1, kLoadComicSingleStep},
};

int RunMove(UINT id) {
    for (const ListMove &m : kListMoves) {
        if (m.id != id) continue;
        int32_t step = m.step;
        if (step == kFileSkip) step = g_settings.fileSkip;
        if (step == -kFileSkip) step = -g_settings.fileSkip;
        ImgData_Load(step, m.how);
        return 0;
    }
    return 1;
}

}  // namespace

int ListCommands_OnList(HWND, UINT id) { return id >= 40061 && id <= 40066 ? RunMove(id) : 1; }

int ListCommands_OnComicPages(HWND, UINT id) { return id == 41081 || id == 41082 ? RunMove(id) : 1; }

LRESULT ListCommands_Redispatch(const CommandMessage &m, UINT id) {
    const bool rightToLeftComic = g_settings.option[kOptComicMode] && !g_settings.option[kOptComicLeftToRight];
    const bool prevNext = id == 45141 || id == 45142;
    const bool reversed = rightToLeftComic && (!prevNext || g_settings.option[kOptMangaReverseToolbar]);
    const UINT target = CommandBlocks_ComicTarget(id, reversed);
    if (target == 0) return 1;
    const CommandMessage again{m.window, 0, MAKEWPARAM(target, HIWORD(m.wParam)), m.lParam};
    return MenuProc_OnCommand(again);
}
