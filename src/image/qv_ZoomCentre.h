// Zooming about the middle of what the view shows: which zoom request each
// zoom command stands for, the picture point at the middle of the visible
// part, and the scroll position that brings that point back to the middle
// once the displayed size has changed. Plain integers, no windows.
#pragma once

#include <cstdint>

constexpr uint32_t kCmdZoomIn = 40082;
constexpr uint32_t kCmdZoomOut = 40083;
constexpr uint32_t kCmdZoomActual = 40086;
constexpr uint32_t kCmdZoomFit = 40087;
constexpr uint32_t kCmdActualOrFitFixedAsFit = 45044;  // a fixed zoom counts as fit
constexpr uint32_t kCmdActualOrFit = 45045;

// The zoom request (ImgData_ApplyZoomMode mode: 0 actual, 1 fit, 4 in,
// 8 out) of a zoom command, given the current zoom mode for the two
// toggles. false: the id is not a zoom command.
bool ZoomCentre_CommandMode(uint32_t id, uint32_t zoomMode, uint32_t *mode);

// The displayed pixel at the middle of the visible part along one axis:
// half of what is visible (the smaller of displayed and client size), plus
// the scroll position when the axis scrolls. Negative inputs count as 0.
int64_t ZoomCentre_Point(int32_t displayed, int32_t client, int32_t scrollPos, bool scrolls);

// The scroll position that puts the displayed pixel `centre` of a picture
// shown oldSize wide back at the middle of the client after it is shown
// newSize wide: centre x newSize / oldSize (rounded) - client / 2. Cut to
// 0 .. INT32_MAX; the scroll state cuts it further to its range. 0 when
// oldSize is not positive.
int32_t ZoomCentre_NewPos(int64_t centre, int32_t oldSize, int32_t newSize, int32_t client);
