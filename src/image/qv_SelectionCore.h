// The arithmetic of the view's selection and left-button drags: client
// pixels to picture pixels and back, snapping a selection to its start and
// size units, the drag-zoom step, the auto-scroll step, and the dashed frame
// (how its four edges tile the rectangle and which pixel of the dash run is
// black). Portable; qv_Selection and qv_ViewMouse apply it to the view.
#pragma once

#include <cstdint>

#include "util/qv_MathUtil.h"

// One axis of the view as the mapping sees it.
struct SelAxis {
    int32_t scroll;     // scroll position, 0 when the axis has no bar
    int32_t offset;     // centring offset of the picture in the client
    int32_t picture;    // picture size W (0: no picture)
    int32_t displayed;  // displayed size D
    bool scaled;        // the zoom mode is not actual size
};

// A client coordinate in picture pixels, cut to 0..W - 1 (0 without a
// picture). Scaling uses W - r over D - r with r = 1 when D < W; a divisor
// that is not positive (a picture of two or more pixels shown one pixel
// wide) or a result beyond the i32 range gives W - r.
int32_t SelCore_ClientToPicture(int32_t client, const SelAxis &a);
// A picture coordinate (a pixel's near edge, or W for the far edge of the
// last pixel) in client pixels.
int32_t SelCore_PictureToClient(int32_t pixel, const SelAxis &a);

// v snapped down to a multiple of unit (units of 1 or less leave it).
int32_t SelCore_SnapStart(int32_t v, int32_t unit);

// One axis of a selection being dragged from `anchor` to `cursor` in a
// picture `size` pixels long. *start is the fixed corner, *end the moving
// one. With a size unit above 1 the span is whole multiples of the unit that
// cover the cursor's pixel; false when it collapsed to the start column.
bool SelCore_Extent(int32_t anchor, int32_t cursor, int32_t startUnit, int32_t sizeUnit, int32_t size,
                    int32_t *start, int32_t *end);

// Zoom limits of a drag zoom (1 % .. 5000 %, 10000000 = 100 %).
constexpr int32_t kDragZoomMin = 100000;
constexpr int32_t kDragZoomMax = 500000000;
constexpr int32_t kDragZoomOne = 10000000;
// The movement that counts for a drag zoom along direction 0 rightward,
// 1 leftward, 2 downward, 3 upward; positive zooms in.
int32_t SelCore_DragZoomMovement(int32_t dx, int32_t dy, int direction);
// The divisor per pixel for speed option 0 (400), 2 (100) or other (200).
int32_t SelCore_DragZoomDivisor(int speed);
// The zoom after `movement` pixels, each changing the zoom by zoom / d. A
// step that would leave the limits lands on the limit; at the limit none is
// taken. A one-pixel movement that crosses 100 % stops at exactly 100 %.
int32_t SelCore_DragZoom(int32_t zoom, int32_t movement, int32_t divisor);

// The auto-scroll step along one axis for a cursor coordinate against the
// client's [0, extent) (the far edge taken one pixel in, so the last
// pixel is already beyond): the distance
// beyond the edge rounded down to a multiple of 8, plus 8, at most 32,
// negative towards the start; 32 when the point is on no monitor. Then grown
// with the zoom: x zoom / 200 % from 700 %, / 150 % from 400 %, / 100 %
// above 100 %. 0 while the cursor is inside.
int32_t SelCore_AutoScrollStep(int32_t cursor, int32_t extent, bool onMonitor, int32_t zoom);

// One edge of the selection frame: its rectangle, whether the dash run goes
// along x (top and bottom edges) or y, its direction (+1 rightward or
// downward, -1 the other way) and the run position of its first pixel.
struct FrameEdge {
    Rect rect;
    bool horizontal;
    int32_t direction;
    int32_t runStart;
};
// The edges of a frame of line width t around r (normalised here), in the
// drawing order top, right, bottom, left. Returns how many (0 for an empty
// rectangle, 2 when the rectangle is no wider or no higher than the line).
int SelCore_FrameEdges(const Rect &r, int32_t lineWidth, FrameEdge out[4]);
// Colour-table index of run position p: 0 black, 1 white. Dashes of length
// dash alternate from black at 0; a dash below 1 is all black.
uint8_t SelCore_DashIndex(int32_t position, int32_t dash);
// An edge's pixels, top-down rows of `stride` bytes holding colour indexes.
void SelCore_FillEdge(const FrameEdge &e, int32_t dash, uint8_t *pixels, int32_t stride);
// The whole frame composed in edge order into a buffer covering `area`
// (top-down, `stride` bytes a row); pixels outside the frame keep their
// value. For tests and for callers that draw one picture.
void SelCore_RenderFrame(const Rect &frame, int32_t lineWidth, int32_t dash, const Rect &area, uint8_t *pixels,
                         int32_t stride);
