// The arithmetic of painting the view: where the picture sits, which
// background bands around it need paint, the checker pattern, the part of
// the source that is visible when the picture is drawn scaled, when the
// drawing smooths, and where the information text goes. Portable.
#pragma once

#include <cstdint>

#include "util/qv_MathUtil.h"

struct PictureLayout {
    Rect picture;           // in the client; an empty point at the centre without a picture
    int32_t shownWidth;     // zoomed size cut to the client
    int32_t shownHeight;
};

// Picture of zoomW x zoomH (0 x 0: none) in a client of clientW x clientH;
// with centring, each axis with room to spare is offset by half of it.
PictureLayout ViewLayout_Place(int32_t clientW, int32_t clientH, int32_t zoomW, int32_t zoomH, bool centre);

// The rectangle whose background is painted. With a full erase (or without
// a previous paint) the whole client; otherwise each side shrinks to the
// union of the previous and the current picture rectangles, unless the
// client grew on that side, for what lies outside both already shows the
// background. Cut to the client.
Rect ViewLayout_BackgroundOuter(const Rect &client, const Rect &prevClient, const Rect &prevPicture,
                                const Rect &picture, bool fullErase);

// The bands of `outer` around the picture rectangle: above, left, right,
// below. Empty bands are left out; returns how many were written.
int ViewLayout_Bands(const Rect &outer, const Rect &picture, Rect bands[4]);

// Checker cell side: 8, 16, 32, 64 or 128 by index (cut to 0..4), scaled by
// dpi / 96 and never below the unscaled size.
int32_t ViewLayout_CheckerCell(int32_t sizeIndex, int32_t dpi);
// Colour index (0 or 1) at a client pixel: cells aligned to the client's
// top-left corner, colour 0 at (0, 0), alternating in both directions.
int ViewLayout_CheckerIndex(int32_t x, int32_t y, int32_t cell);

struct ScaledDraw {
    Rect source;  // in the picture
    Rect dest;    // in the client; may reach past the shown part by the margin
};
// The visible part of a picture of pictureW x pictureH zoomed to zoomW x
// zoomH, shown at `shown` (the picture rectangle in the client) and scrolled
// by (scrollX, scrollY) zoomed pixels, widened by `margin` source pixels on
// each side and cut to the picture. false when nothing is visible.
bool ViewLayout_VisibleSource(int32_t pictureW, int32_t pictureH, int32_t zoomW, int32_t zoomH, const Rect &shown,
                              int32_t scrollX, int32_t scrollY, int32_t margin, ScaledDraw *out);

struct SmoothFacts {
    bool reducing;          // the shown size is below the picture's in either axis
    int32_t quality;        // zoom-quality byte of the zoomed view mode for this direction
    int32_t simpleZoomZoom; // SmplZmZm
    int32_t zoomPercent;
    bool still;
    bool selectionMode;
    uint32_t zoomMode;
    bool dragZoom;
    bool dragZoomQuality;   // DragZmQ
};
bool ViewLayout_Smooth(const SmoothFacts &f);

struct InfoTextFacts {
    bool hasFont;
    bool optionShown;       // Opt_IsInfoTextShown
    bool clientEmpty;
    bool scrollBarDragged;
    bool animated;
    bool alsoAnimation;     // ITxtShow, third value
    uint32_t zoomMode;
    bool selectionMode;
    bool afterDragStep;     // right after a drag scroll or drag zoom step
};
bool ViewLayout_ShowInfoText(const InfoTextFacts &f);

// Top-left of the information text. position 0..8 (ITxtPos): column =
// position mod 3 (left, centre, right), row = position / 3 (top, middle,
// bottom). A text that does not fit with 2 pixels and the shadow is right-
// or bottom-aligned, so its end stays visible.
void ViewLayout_InfoTextPos(int32_t position, int32_t clientW, int32_t clientH, int32_t textW, int32_t textH,
                            int32_t shadowX, int32_t shadowY, int32_t *x, int32_t *y);
