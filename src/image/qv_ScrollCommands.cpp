#include "image/qv_ScrollCommands.h"

#include <initializer_list>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "other/qv_CommandBlocks.h"
#include "other/qv_MouseCore.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

ScrollCommandHooks g_scrollCommandHooks = {};

namespace {

constexpr int kOptComicMode = 48;
constexpr int kOptComicLeftToRight = 49;
constexpr int kIntWheelSpeed = 3;

constexpr int kAxisOfKey = -1;  // the arrow names its own axis
struct KeyRow {
    uint16_t id;
    uint8_t key;
    int8_t axis;
};
const KeyRow kKeyRows[] = {
    {45081, VK_LEFT, kAxisOfKey},    {45082, VK_RIGHT, kAxisOfKey},   {45091, VK_UP, kAxisOfKey},
    {45092, VK_DOWN, kAxisOfKey},    {45083, VK_PRIOR, kScrollHorz},  {45084, VK_NEXT, kScrollHorz},
    {45085, VK_HOME, kScrollHorz},   {45086, VK_END, kScrollHorz},    {45093, VK_PRIOR, kScrollVert},
    {45094, VK_NEXT, kScrollVert},   {45095, VK_HOME, kScrollVert},   {45096, VK_END, kScrollVert},
};

bool RightToLeftComic() { return g_settings.option[kOptComicMode] && !g_settings.option[kOptComicLeftToRight]; }

bool CanScroll(const ScrollState &s, int axis) {
    return axis == kScrollHorz ? s.hShown && s.hMax > s.hMin : s.vShown && s.vMax > s.vMin;
}

void AfterMove() {
    if (g_scrollCommandHooks.afterMove != nullptr) g_scrollCommandHooks.afterMove();
    View_RedrawNow(0);
}

// Moves one axis to where a "scroll to" target puts it; true when it moved.
bool MoveTo(ScrollState *s, int axis, ScrollTarget target) {
    if (target != ScrollTarget::Centre) return Scroll_ByKey(target == ScrollTarget::Begin ? VK_HOME : VK_END, axis, s);
    RECT client{};
    if (s->window == nullptr || !GetClientRect(s->window, &client)) return false;
    int32_t w = 0, h = 0;
    ImgData_GetViewSize(&w, &h);
    const bool horz = axis == kScrollHorz;
    const int32_t current = horz ? s->hPos : s->vPos;
    const int64_t pos = Scroll_CentreTarget(horz ? w : h, horz ? client.right : client.bottom, current);
    if (pos < 0) return false;
    Scroll_SetPos(s, int32_t(pos), kScrollTo, axis, 1);
    return (horz ? s->hPos : s->vPos) != current;
}

}  // namespace

int ScrollCommands_OnScrollTo(HWND, UINT id) {
    const ScrollToRow *row = CommandBlocks_ScrollTo(id);
    if (row == nullptr) return 1;
    if ((g_imgData.state & kImgStill) == 0 || g_imgData.image.empty()) return 0;
    ScrollState *s = &g_viewRecord.scroll;
    bool moved = MoveTo(s, kScrollHorz, row->horizontal);
    moved = MoveTo(s, kScrollVert, row->vertical) || moved;
    if (moved) AfterMove();
    return 0;
}

int ScrollCommands_OnScrollByKey(HWND, UINT id) {
    ScrollState *s = &g_viewRecord.scroll;
    if (id >= 45113 && id <= 45118) {
        // Comic-aware horizontal keys: in a right-to-left comic that scrolls
        // sideways, left and right (back and forward) trade places.
        UINT plain = id - 45113 + 45081;
        if (CanScroll(*s, kScrollHorz) && RightToLeftComic()) plain = ((plain - 45081) ^ 1) + 45081;
        id = plain;
    }
    const KeyRow *row = nullptr;
    for (const KeyRow &r : kKeyRows)
        if (r.id == id) row = &r;
    if (row == nullptr) return 1;
    UINT key = row->key;
    int axis = row->axis;
    if (axis == kAxisOfKey) {
        axis = key == VK_LEFT || key == VK_RIGHT ? kScrollHorz : kScrollVert;
        if (!CanScroll(*s, axis)) {
            static const UINT kOther[][2] = {
                {VK_LEFT, VK_UP}, {VK_RIGHT, VK_DOWN}, {VK_UP, VK_LEFT}, {VK_DOWN, VK_RIGHT}};
            for (const auto &pair : kOther)
                if (pair[0] == row->key) key = pair[1];
            axis = 1 - axis;
        }
    } else if (!CanScroll(*s, axis)) {
        axis = 1 - axis;
    }
    if (Scroll_ByKey(key, axis, s)) AfterMove();
    return 0;
}

int ScrollCommands_OnWheelScroll(HWND, UINT id) {
    if (id < 45121 || id > 45126) return 1;
    ScrollState *s = &g_viewRecord.scroll;
    int axis, direction;
    if (!Mouse_WheelScrollMove(id, CanScroll(*s, kScrollHorz), CanScroll(*s, kScrollVert), RightToLeftComic(), &axis,
                               &direction))
        return 0;
    const int32_t before = Scroll_SetPos(s, g_settings.optInt[kIntWheelSpeed],
                                         direction > 0 ? kScrollByPlus : kScrollByMinus, axis, 1);
    if ((axis == kScrollHorz ? s->hPos : s->vPos) != before) AfterMove();
    return 0;
}
