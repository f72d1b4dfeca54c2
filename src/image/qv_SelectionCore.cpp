#include "image/qv_SelectionCore.h"

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

int32_t AbsDiff(int32_t a, int32_t b) {
    const int64_t d = int64_t(a) - b;
    return int32_t(d < 0 ? -d : d);
}

}  // namespace

int32_t SelCore_ClientToPicture(int32_t client, const SelAxis &a) {
    if (a.picture <= 0) return 0;
    int64_t v = int64_t(client) + a.scroll - a.offset;
    if (v < 0) v = 0;
    if (v > INT32_MAX) v = INT32_MAX;
    int32_t p = int32_t(v);
    if (a.scaled) {
        const int32_t r = a.displayed < a.picture ? 1 : 0;
        const int32_t divisor = a.displayed - r;
        int32_t overflow = 0;
        // A one-pixel display of a larger picture leaves nothing to divide
        // by: every client pixel is the picture's last one, never -1.
        if (divisor <= 0) {
            p = a.picture - r;
        } else {
            p = Math_MulDivRound(p, &overflow, a.picture - r, divisor);
            if (overflow) p = a.picture - r;
        }
    }
    return Clamp(p, 0, a.picture - 1);
}

int32_t SelCore_PictureToClient(int32_t pixel, const SelAxis &a) {
    int64_t v = pixel;
    if (a.scaled && a.picture > 0) v = int64_t(pixel) * a.displayed / a.picture;
    v = v - a.scroll + a.offset;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    return int32_t(v);
}

int32_t SelCore_SnapStart(int32_t v, int32_t unit) { return unit > 1 ? v - v % unit : v; }

bool SelCore_Extent(int32_t anchor, int32_t cursor, int32_t startUnit, int32_t sizeUnit, int32_t size,
                    int32_t *start, int32_t *end) {
    int32_t x0 = anchor;
    if (startUnit > 1 && cursor < anchor) {
        // Dragging back from a snapped start keeps the whole start cell.
        x0 = int64_t(anchor) + startUnit - 1 >= size ? anchor - 1 : anchor + startUnit - 1;
    }
    int32_t x = cursor;
    if (sizeUnit > 1) {
        const int32_t s = sizeUnit;
        const int32_t h = AbsDiff(cursor, x0);
        if (cursor >= x0) {
            int64_t e = int64_t(x0) + h + s - h % s - 1;
            if (e >= size) e -= s;
            if (e < x0) e = x0;
            x = int32_t(e);
        } else {
            int64_t e = int64_t(x0) + h % s - h - s + 1;
            if (e < 0) e += s;
            if (e > x0) e = x0;
            x = int32_t(e);
        }
    }
    *start = x0;
    *end = x;
    return !(sizeUnit > 1 && x == x0);
}

int32_t SelCore_DragZoomMovement(int32_t dx, int32_t dy, int direction) {
    switch (direction) {
        case 0: return dx;
        case 1: return -dx;
        case 2: return dy;
        case 3: return -dy;
        default: return dx;
    }
}

int32_t SelCore_DragZoomDivisor(int speed) { return speed == 0 ? 400 : (speed == 2 ? 100 : 200); }

int32_t SelCore_DragZoom(int32_t zoom, int32_t movement, int32_t divisor) {
    if (divisor <= 0 || movement == 0) return zoom;
    const int32_t steps = movement < 0 ? -movement : movement;
    int64_t z = zoom;
    for (int32_t i = 0; i < steps; ++i) {
        if (movement > 0 && z >= kDragZoomMax) break;
        if (movement < 0 && z <= kDragZoomMin) break;
        const int64_t delta = z / divisor;
        int64_t next = movement > 0 ? z + delta : z - delta;
        if (next > kDragZoomMax) next = kDragZoomMax;
        if (next < kDragZoomMin) next = kDragZoomMin;
        // A slow drag must be able to hit actual size exactly.
        if (steps == 1 && ((z < kDragZoomOne && next > kDragZoomOne) || (z > kDragZoomOne && next < kDragZoomOne)))
            next = kDragZoomOne;
        if (next == z) break;
        z = next;
    }
    return int32_t(z);
}

int32_t SelCore_AutoScrollStep(int32_t cursor, int32_t extent, bool onMonitor, int32_t zoom) {
    int32_t step = 0;
    // The far edge is taken one pixel in, so a window that reaches the
    // screen's edge still scrolls with the cursor on its last pixel.
    const int32_t far = extent - 1;
    if (cursor >= far) {
        const int64_t d = int64_t(cursor) - far;
        step = onMonitor ? int32_t(d / 8 * 8 + 8 > 32 ? 32 : d / 8 * 8 + 8) : 32;
    } else if (cursor < 0) {
        const int64_t d = -int64_t(cursor);
        step = -(onMonitor ? int32_t(d / 8 * 8 + 8 > 32 ? 32 : d / 8 * 8 + 8) : 32);
    } else {
        return 0;
    }
    int64_t grown = step;
    if (zoom >= 7 * kDragZoomOne) grown = grown * zoom / (2 * int64_t(kDragZoomOne));
    else if (zoom >= 4 * kDragZoomOne) grown = grown * zoom / (int64_t(kDragZoomOne) * 3 / 2);
    else if (zoom > kDragZoomOne) grown = grown * zoom / kDragZoomOne;
    return int32_t(grown);
}

int SelCore_FrameEdges(const Rect &in, int32_t lineWidth, FrameEdge out[4]) {
    Rect r = in;
    Math_NormalizeRect(&r);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return 0;
    const int32_t t = lineWidth < 1 ? 1 : lineWidth;
    const int32_t tv = t < w ? t : w;  // width of the vertical edges
    const int32_t th = t < h ? t : h;  // height of the horizontal edges
    if (tv == w) {
        // No room inside: two vertical edges over the whole rectangle.
        out[0] = FrameEdge{r, false, +1, 0};
        out[1] = FrameEdge{r, false, -1, h};
        return 2;
    }
    if (th == h) {
        out[0] = FrameEdge{r, true, +1, 0};
        out[1] = FrameEdge{r, true, -1, w};
        return 2;
    }
    const int32_t topLen = w - tv, sideLen = h - th;
    // The pinwheel: each edge starts at its corner and stops short of the
    // next one, so no pixel is drawn twice.
    out[0] = FrameEdge{{r.left, r.top, r.right - tv, r.top + th}, true, +1, 0};
    out[1] = FrameEdge{{r.right - tv, r.top, r.right, r.bottom - th}, false, +1, topLen};
    out[2] = FrameEdge{{r.left + tv, r.bottom - th, r.right, r.bottom}, true, -1, topLen + sideLen};
    const Rect left = h < 2 * th ? Rect{r.left, r.bottom - th, r.left + tv, r.bottom}
                                 : Rect{r.left, r.top + th, r.left + tv, r.bottom};
    out[3] = FrameEdge{left, false, -1, 2 * topLen + sideLen};
    return 4;
}

uint8_t SelCore_DashIndex(int32_t position, int32_t dash) {
    if (dash < 1) return 0;
    return uint8_t((position / dash) & 1);
}

namespace {

// The colour index of pixel (lx, ly) of an edge, counted from its top-left.
uint8_t EdgeIndex(const FrameEdge &e, int32_t lx, int32_t ly, int32_t dash) {
    const int32_t w = e.rect.right - e.rect.left, h = e.rect.bottom - e.rect.top;
    // The run goes along the edge; across it every line repeats it.
    int32_t along;
    if (e.horizontal) along = e.direction > 0 ? lx : w - 1 - lx;
    else along = e.direction > 0 ? ly : h - 1 - ly;
    return SelCore_DashIndex(e.runStart + along, dash);
}

}  // namespace

void SelCore_FillEdge(const FrameEdge &e, int32_t dash, uint8_t *pixels, int32_t stride) {
    const int32_t w = e.rect.right - e.rect.left, h = e.rect.bottom - e.rect.top;
    if (w <= 0 || h <= 0 || pixels == nullptr) return;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *row = pixels + int64_t(y) * stride;
        for (int32_t x = 0; x < w; ++x) row[x] = EdgeIndex(e, x, y, dash);
    }
}

void SelCore_RenderFrame(const Rect &frame, int32_t lineWidth, int32_t dash, const Rect &area, uint8_t *pixels,
                         int32_t stride) {
    FrameEdge edges[4];
    const int n = SelCore_FrameEdges(frame, lineWidth, edges);
    for (int i = 0; i < n; ++i) {
        const FrameEdge &e = edges[i];
        for (int32_t y = e.rect.top; y < e.rect.bottom; ++y) {
            if (y < area.top || y >= area.bottom) continue;
            for (int32_t x = e.rect.left; x < e.rect.right; ++x) {
                if (x < area.left || x >= area.right) continue;
                pixels[int64_t(y - area.top) * stride + (x - area.left)] =
                    EdgeIndex(e, x - e.rect.left, y - e.rect.top, dash);
            }
        }
    }
}
