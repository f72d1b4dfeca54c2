#include "image/qv_ScrollCore.h"

namespace {

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return int32_t(v);
}

struct CodeRow {
    int32_t code;
    ScrollAction action;
};
constexpr CodeRow kCodes[] = {
    {kSbLineUp, {kScrollLineBack, false, true}},    {kSbLineDown, {kScrollLineFwd, false, true}},
    {kSbPageUp, {kScrollPageBack, false, true}},    {kSbPageDown, {kScrollPageFwd, false, true}},
    {kSbTop, {kScrollToMin, false, true}},          {kSbBottom, {kScrollToMax, false, true}},
    {kSbThumbPosition, {kScrollTo, true, true}},    {kSbThumbTrack, {kScrollTo, true, false}},
};

// Virtual keys: VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT,
// VK_DOWN. Axis -1: the caller's axis.
struct KeyRow {
    uint32_t key;
    int32_t code;
    int axis;
};
constexpr KeyRow kKeys[] = {
    {0x25, kSbLineUp, kScrollHorz}, {0x27, kSbLineDown, kScrollHorz}, {0x26, kSbLineUp, kScrollVert},
    {0x28, kSbLineDown, kScrollVert}, {0x21, kSbPageUp, -1},          {0x22, kSbPageDown, -1},
    {0x24, kSbTop, -1},             {0x23, kSbBottom, -1},
};

}  // namespace

bool ScrollCore_Axis(ScrollState *s, int axis, ScrollAxis *out) {
    if (s == nullptr || out == nullptr) return false;
    if (axis == kScrollHorz)
        *out = ScrollAxis{&s->hShown, &s->hPos, &s->hMax, &s->hMin, &s->hLine, &s->hPage};
    else if (axis == kScrollVert)
        *out = ScrollAxis{&s->vShown, &s->vPos, &s->vMax, &s->vMin, &s->vLine, &s->vPage};
    else
        return false;
    return true;
}

void ScrollCore_Init(ScrollState *s) {
    if (s == nullptr) return;
    *s = ScrollState{};
    s->enabled = 1;
}

bool ScrollCore_NewPos(const ScrollState &s, int axis, int32_t mode, int32_t value, int32_t *out) {
    ScrollAxis a;
    if (!ScrollCore_Axis(const_cast<ScrollState *>(&s), axis, &a) || out == nullptr) return false;
    const int64_t pos = *a.pos;
    int64_t next;
    switch (mode) {
        case kScrollTo: next = value; break;
        case kScrollLineFwd: next = pos + *a.line; break;
        case kScrollLineBack: next = pos - *a.line; break;
        case kScrollPageFwd: next = pos + *a.page; break;
        case kScrollPageBack: next = pos - *a.page; break;
        case kScrollByPlus: next = pos + value; break;
        case kScrollByMinus: next = pos - int64_t(value); break;
        case kScrollToMin: next = *a.min; break;
        case kScrollToMax: next = *a.max; break;
        default: return false;
    }
    // A range whose ends are crossed (never set, or zeroed) holds only its minimum.
    *out = Clamp(next, *a.min, *a.max < *a.min ? *a.min : *a.max);
    return true;
}

bool ScrollCore_SetRange(ScrollState *s, int axis, int32_t page, int32_t total) {
    ScrollAxis a;
    if (!ScrollCore_Axis(s, axis, &a)) return false;
    if (page <= 0 || total <= page) return false;
    *a.min = 0;
    *a.max = total - page;
    *a.pos = Clamp(*a.pos, 0, *a.max);
    *a.page = page;
    return true;
}

bool ScrollCore_SetSteps(ScrollState *s, int axis, const int32_t *line, const int32_t *page) {
    if (axis == kScrollBoth)
        return ScrollCore_SetSteps(s, kScrollHorz, line, page) && ScrollCore_SetSteps(s, kScrollVert, line, page);
    ScrollAxis a;
    if (!ScrollCore_Axis(s, axis, &a)) return false;
    if (line != nullptr) *a.line = *line;
    if (page != nullptr) *a.page = *page;
    return true;
}

void ScrollCore_Disable(ScrollState *s) {
    if (s == nullptr) return;
    s->hMin = s->hMax = s->vMin = s->vMax = 0;
    s->hShown = s->vShown = 0;
}

bool ScrollCore_ActionForCode(int32_t code, ScrollAction *out) {
    for (const CodeRow &row : kCodes)
        if (row.code == code) {
            if (out != nullptr) *out = row.action;
            return true;
        }
    return false;
}

bool ScrollCore_KeyToCode(uint32_t virtualKey, int givenAxis, int32_t *code, int *axis) {
    for (const KeyRow &row : kKeys)
        if (row.key == virtualKey) {
            const int a = row.axis >= 0 ? row.axis : givenAxis;
            if (a != kScrollHorz && a != kScrollVert) return false;
            if (code != nullptr) *code = row.code;
            if (axis != nullptr) *axis = a;
            return true;
        }
    return false;
}
