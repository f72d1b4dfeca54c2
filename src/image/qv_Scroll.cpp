#include "image/qv_Scroll.h"

#include <initializer_list>

namespace {

int BarOf(int axis) { return axis == kScrollHorz ? SB_HORZ : SB_VERT; }

bool Driven(const ScrollState *s) { return s->enabled && s->window != nullptr; }

}  // namespace

void Scroll_InitState(ScrollState *s) { ScrollCore_Init(s); }

int Scroll_Attach(ScrollState *s, HWND window) {
    if (s == nullptr || window == nullptr || s->window != nullptr) return 0;
    ScrollCore_Init(s);
    s->window = window;
    const LONG style = GetWindowLong(window, GWL_STYLE);
    for (int axis : {kScrollHorz, kScrollVert}) {
        ScrollAxis a;
        ScrollCore_Axis(s, axis, &a);
        const bool present = (style & (axis == kScrollHorz ? WS_HSCROLL : WS_VSCROLL)) != 0;
        (axis == kScrollHorz ? s->hAllowed : s->vAllowed) = present ? 1 : 0;
        *a.shown = present ? 1 : 0;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        if (present && GetScrollInfo(window, BarOf(axis), &si)) {
            // The bar's maximum counts the page (nMax = total, nPage = page + 1).
            const int32_t page = si.nPage > 0 ? int32_t(si.nPage) - 1 : 0;
            *a.min = si.nMin;
            *a.max = si.nMax - page > si.nMin ? si.nMax - page : si.nMin;
            *a.pos = si.nPos;
        }
    }
    return 1;
}

int Scroll_Enable(ScrollState *s, int on) {
    if (s == nullptr) return 0;
    if (on) {
        if (s->window == nullptr) return 0;
        s->enabled = 1;
        return 1;
    }
    // Off first: hiding the bars resizes the window, whose WM_SIZE must not
    // bring them back.
    ScrollCore_Disable(s);
    s->enabled = 0;
    if (s->window != nullptr) {
        SetScrollRange(s->window, SB_HORZ, 0, 0, FALSE);
        SetScrollRange(s->window, SB_VERT, 0, 0, FALSE);
        ShowScrollBar(s->window, SB_BOTH, FALSE);
    }
    return 1;
}

int Scroll_SetSteps(ScrollState *s, int axis, const int32_t *line, const int32_t *page) {
    return ScrollCore_SetSteps(s, axis, line, page) ? 1 : 0;
}

int Scroll_SetRange(ScrollState *s, int axis, int32_t page, int32_t total) {
    if (s == nullptr || !ScrollCore_SetRange(s, axis, page, total)) return 0;
    if (Driven(s)) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMin = 0;
        si.nMax = total;
        si.nPage = UINT(page) + 1;
        SetScrollInfo(s->window, BarOf(axis), &si, FALSE);
    }
    return 1;
}

int32_t Scroll_SetPos(ScrollState *s, int32_t value, int32_t mode, int axis, int redraw) {
    ScrollAxis a;
    if (!ScrollCore_Axis(s, axis, &a)) return 0;
    const int32_t before = *a.pos;
    int32_t next;
    if (!ScrollCore_NewPos(*s, axis, mode, value, &next)) return before;
    *a.pos = next;
    if (Driven(s)) SetScrollPos(s->window, BarOf(axis), next, redraw && *a.shown ? TRUE : FALSE);
    return before;
}

int Scroll_OnMessage(ScrollState *s, UINT message, int32_t code) {
    if (s == nullptr || (message != WM_HSCROLL && message != WM_VSCROLL)) return 0;
    const int axis = message == WM_HSCROLL ? kScrollHorz : kScrollVert;
    ScrollAction action;
    if (!ScrollCore_ActionForCode(code, &action)) return 0;
    ScrollAxis a;
    ScrollCore_Axis(s, axis, &a);
    const int32_t before = *a.pos;
    int32_t value = 0;
    if (action.fromTrack) {
        if (s->window == nullptr) return 0;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (!GetScrollInfo(s->window, BarOf(axis), &si)) return 0;
        value = si.nTrackPos;
    }
    if (action.moveBar) {
        Scroll_SetPos(s, value, action.mode, axis, 1);
    } else {
        int32_t next;
        if (ScrollCore_NewPos(*s, axis, action.mode, value, &next)) *a.pos = next;
    }
    return *a.pos != before ? 1 : 0;
}

int Scroll_ByKey(UINT virtualKey, int axis, ScrollState *s) {
    int32_t code;
    int codeAxis;
    if (!ScrollCore_KeyToCode(virtualKey, axis, &code, &codeAxis)) return 0;
    return Scroll_OnMessage(s, codeAxis == kScrollHorz ? WM_HSCROLL : WM_VSCROLL, code);
}

int Scroll_ShowBar(ScrollState *s, int axis, int show) {
    ScrollAxis a;
    if (!ScrollCore_Axis(s, axis, &a)) return 0;
    if (!show) {
        *a.min = *a.max = 0;
        if (Driven(s)) {
            SetScrollRange(s->window, BarOf(axis), 0, 0, FALSE);
            ShowScrollBar(s->window, BarOf(axis), FALSE);
        }
        *a.shown = 0;
        return 1;
    }
    if (!Driven(s)) return 0;
    ShowScrollBar(s->window, BarOf(axis), TRUE);
    SetScrollPos(s->window, BarOf(axis), *a.pos, TRUE);
    *a.shown = 1;
    return 1;
}
