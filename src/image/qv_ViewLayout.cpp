#include "image/qv_ViewLayout.h"

namespace {

int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }

Rect Union(const Rect &a, const Rect &b) {
    return Rect{Min(a.left, b.left), Min(a.top, b.top), Max(a.right, b.right), Max(a.bottom, b.bottom)};
}

Rect Intersect(const Rect &a, const Rect &b) {
    Rect r{Max(a.left, b.left), Max(a.top, b.top), Min(a.right, b.right), Min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

bool HasArea(const Rect &r) { return r.right > r.left && r.bottom > r.top; }

// floor(a * b / c) and ceil(a * b / c) for a, b >= 0 and c > 0.
int64_t FloorMulDiv(int64_t a, int64_t b, int64_t c) { return a * b / c; }
int64_t CeilMulDiv(int64_t a, int64_t b, int64_t c) { return (a * b + c - 1) / c; }
int32_t RoundMulDiv(int64_t a, int64_t b, int64_t c) { return int32_t((2 * a * b + c) / (2 * c)); }

// Start of the text on one axis: 0 start, 1 centre, 2 end.
int32_t AlignOnAxis(int32_t where, int32_t client, int32_t text, int32_t shadow) {
    const int32_t end = client - shadow - text - 1;
    if (text + 2 + shadow > client) return end;
    if (where == 0) return 1;
    if (where == 1) return (client - shadow - text) / 2;
    return end;
}

}  // namespace

PictureLayout ViewLayout_Place(int32_t clientW, int32_t clientH, int32_t zoomW, int32_t zoomH, bool centre) {
    PictureLayout l{};
    if (zoomW <= 0 || zoomH <= 0) {
        l.picture = Rect{clientW / 2, clientH / 2, clientW / 2, clientH / 2};
        return l;
    }
    l.shownWidth = Min(zoomW, clientW);
    l.shownHeight = Min(zoomH, clientH);
    const int32_t x = centre && clientW > zoomW ? (clientW - zoomW) / 2 : 0;
    const int32_t y = centre && clientH > zoomH ? (clientH - zoomH) / 2 : 0;
    l.picture = Rect{x, y, x + l.shownWidth, y + l.shownHeight};
    return l;
}

Rect ViewLayout_BackgroundOuter(const Rect &client, const Rect &prevClient, const Rect &prevPicture,
                                const Rect &picture, bool fullErase) {
    if (fullErase || !HasArea(prevClient)) return client;
    const Rect both = Union(prevPicture, picture);
    Rect outer = client;
    if (client.left >= prevClient.left) outer.left = both.left;
    if (client.top >= prevClient.top) outer.top = both.top;
    if (client.right <= prevClient.right) outer.right = both.right;
    if (client.bottom <= prevClient.bottom) outer.bottom = both.bottom;
    return Intersect(outer, client);
}

int ViewLayout_Bands(const Rect &outer, const Rect &picture, Rect bands[4]) {
    const int32_t top = Max(outer.top, Min(picture.top, outer.bottom));
    const int32_t bottom = Min(outer.bottom, Max(picture.bottom, top));
    const Rect all[4] = {
        {outer.left, outer.top, outer.right, top},
        {outer.left, top, Min(picture.left, outer.right), bottom},
        {Max(picture.right, outer.left), top, outer.right, bottom},
        {outer.left, bottom, outer.right, outer.bottom},
    };
    int n = 0;
    for (const Rect &r : all)
        if (HasArea(r)) bands[n++] = r;
    return n;
}

int32_t ViewLayout_CheckerCell(int32_t sizeIndex, int32_t dpi) {
    const int32_t index = sizeIndex < 0 ? 0 : sizeIndex > 4 ? 4 : sizeIndex;
    const int32_t base = 8 << index;
    if (dpi <= 96) return base;
    return Max(base, RoundMulDiv(base, dpi, 96));
}

int ViewLayout_CheckerIndex(int32_t x, int32_t y, int32_t cell) {
    if (cell <= 0) return 0;
    // Floor division, so cells left of or above the origin alternate too.
    const int64_t cx = x >= 0 ? x / cell : -((int64_t(-x) + cell - 1) / cell);
    const int64_t cy = y >= 0 ? y / cell : -((int64_t(-y) + cell - 1) / cell);
    return int((cx + cy) & 1);
}

bool ViewLayout_VisibleSource(int32_t pictureW, int32_t pictureH, int32_t zoomW, int32_t zoomH, const Rect &shown,
                              int32_t scrollX, int32_t scrollY, int32_t margin, ScaledDraw *out) {
    if (pictureW <= 0 || pictureH <= 0 || zoomW <= 0 || zoomH <= 0 || out == nullptr || !HasArea(shown))
        return false;
    const struct {
        int32_t picture, zoom, scroll, from, to;
        int32_t *srcLo, *srcHi, *dstLo, *dstHi;
    } axes[2] = {
        {pictureW, zoomW, scrollX, shown.left, shown.right, &out->source.left, &out->source.right, &out->dest.left,
         &out->dest.right},
        {pictureH, zoomH, scrollY, shown.top, shown.bottom, &out->source.top, &out->source.bottom, &out->dest.top,
         &out->dest.bottom},
    };
    for (const auto &a : axes) {
        // Zoomed coordinates of the shown span, then the source pixels that cover it.
        const int64_t z0 = a.scroll < 0 ? 0 : a.scroll;
        const int64_t z1 = z0 + (a.to - a.from);
        int64_t s0 = FloorMulDiv(z0, a.picture, a.zoom) - margin;
        int64_t s1 = CeilMulDiv(z1, a.picture, a.zoom) + margin;
        if (s0 < 0) s0 = 0;
        if (s1 > a.picture) s1 = a.picture;
        if (s1 <= s0) return false;
        *a.srcLo = int32_t(s0);
        *a.srcHi = int32_t(s1);
        // Where those source pixels land: the zoomed position minus the scroll.
        *a.dstLo = int32_t(a.from - z0 + FloorMulDiv(s0, a.zoom, a.picture));
        *a.dstHi = int32_t(a.from - z0 + FloorMulDiv(s1, a.zoom, a.picture));
        if (*a.dstHi <= *a.dstLo) *a.dstHi = *a.dstLo + 1;
    }
    return true;
}

bool ViewLayout_Smooth(const SmoothFacts &f) {
    if (f.quality != 1) return false;
    if (!f.reducing && f.simpleZoomZoom >= 100 && f.zoomPercent >= f.simpleZoomZoom) return false;
    if (f.still && f.selectionMode) return false;
    if (f.still && (f.zoomMode & 0x81u) != 0) return false;  // fit, or the zoom kept across pictures
    if (f.dragZoom && !f.dragZoomQuality) return false;
    return true;
}

bool ViewLayout_ShowInfoText(const InfoTextFacts &f) {
    if (!f.hasFont || !f.optionShown || f.clientEmpty || f.scrollBarDragged) return false;
    if (f.animated && !f.alsoAnimation) return false;
    if ((f.zoomMode & 0x80u) != 0) return false;
    if (f.selectionMode && !f.animated) return false;
    return !f.afterDragStep;
}

void ViewLayout_InfoTextPos(int32_t position, int32_t clientW, int32_t clientH, int32_t textW, int32_t textH,
                            int32_t shadowX, int32_t shadowY, int32_t *x, int32_t *y) {
    if (position < 0 || position > 8) position = 0;
    if (x != nullptr) *x = AlignOnAxis(position % 3, clientW, textW, shadowX);
    if (y != nullptr) *y = AlignOnAxis(position / 3, clientH, textH, shadowY);
}
