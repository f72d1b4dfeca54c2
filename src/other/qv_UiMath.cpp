#include "other/qv_UiMath.h"

#include <climits>

int32_t UiMath_DpiPercent(int32_t dpi, int32_t *percent) {
    if (dpi <= 0) dpi = 96;
    const int32_t p = static_cast<int32_t>((int64_t{dpi} * 100 + 95) / 96);
    if (percent) *percent = p;
    const int32_t f = (p < 200 ? p + 25 : p) / 100;
    return f < 1 ? 1 : f;
}

namespace {

int32_t ParsePart(const char16_t *&p, int32_t fallback) {
    int64_t v = 0;
    bool any = false;
    while (*p >= u'0' && *p <= u'9') {
        if (v < 100000) v = v * 10 + (*p - u'0');
        any = true;
        ++p;
    }
    return any && v >= 1 && v <= 32766 ? static_cast<int32_t>(v) : fallback;
}

int32_t Scale(int32_t v, int32_t dpi) {
    if (dpi <= 96) return v;
    const int64_t s = (int64_t{v} * dpi + 48) / 96;
    int32_t r = s <= 0 || s > 32767 ? 32767 : static_cast<int32_t>(s);
    return r < v ? v : r;
}

int64_t Overlap(const Rect &a, const Rect &b) {
    const int64_t w = int64_t{a.right < b.right ? a.right : b.right} - (a.left > b.left ? a.left : b.left);
    const int64_t h = int64_t{a.bottom < b.bottom ? a.bottom : b.bottom} - (a.top > b.top ? a.top : b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

int64_t AxisDistance(int32_t lo, int32_t hi, int32_t a, int32_t z) {
    if (z <= lo) return int64_t{lo} - z;
    if (a >= hi) return int64_t{a} - hi;
    return 0;
}

}  // namespace

void UiMath_DefaultSize(const char16_t *text, int32_t dpiX, int32_t dpiY, int32_t *width, int32_t *height) {
    int32_t w = 480, h = 360;
    if (text != nullptr) {
        const char16_t *p = text;
        const int32_t pw = ParsePart(p, -1);
        int32_t ph = -1;
        if (*p == u'|') {
            ++p;
            ph = ParsePart(p, -1);
        }
        if (pw > 0) w = pw;
        if (ph > 0) h = ph;
    }
    *width = Scale(w, dpiX);
    *height = Scale(h, dpiY);
}

int UiMath_PickMonitor(const Rect &rect, const Rect *monitors, size_t count) {
    int best = -1;
    int64_t bestOverlap = 0;
    for (size_t i = 0; i < count; ++i) {
        const int64_t o = Overlap(rect, monitors[i]);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = static_cast<int>(i);
        }
    }
    if (best >= 0) return best;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < count; ++i) {
        const int64_t dx = AxisDistance(monitors[i].left, monitors[i].right, rect.left, rect.right);
        const int64_t dy = AxisDistance(monitors[i].top, monitors[i].bottom, rect.top, rect.bottom);
        const int64_t d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

size_t UiMath_CountTouched(const Rect &rect, const Rect *monitors, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i)
        if (Overlap(rect, monitors[i]) > 0) ++n;
    return n;
}

void UiMath_PlaceInWorkArea(Rect *rect, const Rect &workArea, const Rect *centreOn) {
    if (rect == nullptr) return;
    if (centreOn != nullptr) {
        const int64_t w = int64_t{rect->right} - rect->left, h = int64_t{rect->bottom} - rect->top;
        const int64_t cx = (int64_t{centreOn->left} + centreOn->right) / 2;
        const int64_t cy = (int64_t{centreOn->top} + centreOn->bottom) / 2;
        auto clamp = [](int64_t v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
        rect->left = clamp(cx - w / 2);
        rect->top = clamp(cy - h / 2);
        rect->right = clamp(rect->left + w);
        rect->bottom = clamp(rect->top + h);
    }
    Math_FitRectInto(&workArea, rect);
}

ScrollBarNeed UiMath_ScrollBarsNeeded(int32_t clientW, int32_t clientH, int32_t pictureW, int32_t pictureH,
                                      int32_t hBarHeight, int32_t vBarWidth) {
    ScrollBarNeed n{false, false, clientW, clientH};
    if (clientW <= 0 || clientH <= 0 || pictureW <= 0 || pictureH <= 0) return n;
    if (n.clientWidth < pictureW) {
        n.horizontal = true;
        n.clientHeight -= hBarHeight;
    }
    if (n.clientHeight < pictureH) {
        n.vertical = true;
        n.clientWidth -= vBarWidth;
        if (!n.horizontal && n.clientWidth < pictureW) {
            n.horizontal = true;
            n.clientHeight -= hBarHeight;
        }
    }
    if (n.clientWidth <= 0 || n.clientHeight <= 0) return ScrollBarNeed{false, false, clientW, clientH};
    return n;
}

int32_t UiMath_AutoScrollStep(int32_t beyond, bool onMonitor, int32_t zoom) {
    if (beyond == 0) return 0;
    const bool back = beyond < 0;
    int64_t step;
    if (!onMonitor) {
        step = 32;
    } else {
        const int64_t d = back ? -int64_t{beyond} : beyond;
        step = (d / 8) * 8 + 8;
        if (step > 32) step = 32;
    }
    if (zoom >= 70000000) step = step * zoom / 20000000;
    else if (zoom >= 40000000) step = step * zoom / 15000000;
    else if (zoom > 10000000) step = step * zoom / 10000000;
    if (step > INT32_MAX) step = INT32_MAX;
    return static_cast<int32_t>(back ? -step : step);
}

namespace {
int32_t Decide(CursorReasons *c) {
    c->shown = (c->show != 0 || c->hide == 0) ? 1 : 0;
    return c->shown;
}
}  // namespace

int32_t CursorReasons_SetHide(CursorReasons *c, uint32_t bit, bool on) {
    if (bit >= 32) return -1;
    const uint32_t mask = 1u << bit;
    if (((c->hide & mask) != 0) == on) return c->shown;
    c->hide = on ? (c->hide | mask) : (c->hide & ~mask);
    return Decide(c);
}

int32_t CursorReasons_SetShow(CursorReasons *c, uint32_t bit, bool on) {
    if (bit >= 32) return -1;
    const uint32_t mask = 1u << bit;
    if (((c->show & mask) != 0) == on) return c->shown;
    c->show = on ? (c->show | mask) : (c->show & ~mask);
    return Decide(c);
}

bool UiMath_ParseLayoutDirective(const char16_t *text, LayoutDirective *out) {
    if (text == nullptr || out == nullptr) return false;
    size_t len = 0;
    while (text[len] != 0) ++len;
    if (len < 5) return false;
    *out = LayoutDirective{};
    const char16_t *p = text;
    auto number = [&p]() -> int32_t {
        int32_t v = 0;
        bool any = false;
        while (*p >= u'0' && *p <= u'9' && v < 100) {
            v = v * 10 + (*p - u'0');
            ++p;
            any = true;
        }
        return any && v >= 1 && v <= 10 ? v : -1;
    };
    const int32_t ref = number();
    if (ref < 0 || *p != u'=') return false;
    out->reference = 2130 + ref;
    while (*p == u'=' && out->count < 10) {
        ++p;
        const int32_t t = number();
        if (t < 0 || p[0] != u'(' || p[1] == 0 || p[2] == 0 || p[3] == 0 || p[4] == 0 || p[5] != u')') break;
        LayoutTarget &target = out->targets[out->count++];
        target.control = 2130 + t;
        for (int e = 0; e < 4; ++e) target.edges[e] = p[1 + e] != u'0';
        p += 6;
    }
    return true;
}

int32_t UiMath_SliderPos(int32_t mode, int32_t value, int32_t current, int32_t minimum, int32_t maximum,
                         int32_t line, int32_t page) {
    int64_t v;
    switch (mode) {
        case 0: v = value; break;
        case 1: v = int64_t{current} + line; break;
        case 2: v = int64_t{current} - line; break;
        case 3: v = int64_t{current} + page; break;
        case 4: v = int64_t{current} - page; break;
        case 5: v = int64_t{current} * 2; break;
        case 6: v = 0; break;
        case 7: v = minimum; break;
        case 8: v = maximum; break;
        default: v = current; break;
    }
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    return static_cast<int32_t>(v);
}

bool UiMath_AnchorLayout(int32_t clientW, int32_t clientH, int32_t border, AnchorGeometry *out) {
    if (out == nullptr || border < 1) return false;
    const int32_t side = clientW < clientH ? clientW : clientH;
    const int32_t cell = (side - border) / 3;
    if (cell < 4 * border) return false;
    out->cell = cell;
    out->border = border;
    out->size = border + 3 * cell;
    return true;
}

int32_t UiMath_AnchorHitTest(const AnchorGeometry &g, int32_t x, int32_t y) {
    if (g.cell <= 0 || x < 0 || y < 0 || x >= g.size || y >= g.size) return -1;
    auto index = [&g](int32_t v) {
        int32_t i = (v - (g.border + 1) / 2) / g.cell;
        return i < 0 ? 0 : (i > 2 ? 2 : i);
    };
    return index(x) + 3 * index(y);
}
