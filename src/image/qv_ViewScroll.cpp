// The view's scroll bars from the displayed picture size: a bar only where
// the picture is larger than the client, remembering that each bar takes
// room from the other axis.
#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "other/qv_SysFacts.h"
#include "other/qv_UiMath.h"
#include "other/qv_WndUtil.h"

namespace {

// Showing or hiding a bar resizes the view, whose WM_SIZE comes back here.
struct ScrollUpdateGuard {
    explicit ScrollUpdateGuard(WindowRecord *r) : record(r) { ++record->scrollGuard; }
    ~ScrollUpdateGuard() { --record->scrollGuard; }
    ScrollUpdateGuard(const ScrollUpdateGuard &) = delete;
    ScrollUpdateGuard &operator=(const ScrollUpdateGuard &) = delete;
    WindowRecord *record;
};

void UpdateAxis(ScrollState *s, int axis, bool needed, int32_t client, int32_t picture) {
    if (needed && Scroll_SetRange(s, axis, client, picture)) {
        const int32_t page = client / 2 > 0 ? client / 2 : 1;
        Scroll_SetSteps(s, axis, nullptr, &page);
        if (s->enabled) Scroll_ShowBar(s, axis, 1);
        return;
    }
    Scroll_ShowBar(s, axis, 0);
}

}  // namespace

void ImgData_UpdateScroll() {
    WindowRecord *record = &g_viewRecord;
    if (record->window == nullptr || record->scrollGuard > 0) return;
    ScrollUpdateGuard guard(record);
    int32_t clientW = 0, clientH = 0, pictureW = 0, pictureH = 0;
    Wnd_GetClientSize(record->window, &clientW, &clientH);  // as it would be without bars
    ImgData_GetViewSize(&pictureW, &pictureH);
    const ScrollBarNeed need = UiMath_ScrollBarsNeeded(clientW, clientH, pictureW, pictureH,
                                                       g_sysFacts.hScrollHeight, g_sysFacts.vScrollWidth);
    UpdateAxis(&record->scroll, kScrollHorz, need.horizontal, need.clientWidth, pictureW);
    UpdateAxis(&record->scroll, kScrollVert, need.vertical, need.clientHeight, pictureH);
}
