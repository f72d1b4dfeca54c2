// A view window for painting and scrolling tests: the real view class as the
// child of a test frame that records the commands it receives, with its
// scroll state and painting attached, a 24-bit DIB-section surface to paint
// into, and pictures placed into the current-picture record by hand.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "image/qv_DibHolder.h"

// Colours as COLORREF (0x00BBGGRR).
struct PaintSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint8_t *bits = nullptr;
    int32_t width = 0, height = 0;
    PaintSurface(int32_t w, int32_t h);
    ~PaintSurface();
    PaintSurface(const PaintSurface &) = delete;
    PaintSurface &operator=(const PaintSurface &) = delete;
    void Fill(COLORREF c);
    COLORREF At(int32_t x, int32_t y) const;
};

class ViewFixture {
public:
    ViewFixture(int32_t clientW, int32_t clientH);
    ~ViewFixture();
    ViewFixture(const ViewFixture &) = delete;
    ViewFixture &operator=(const ViewFixture &) = delete;
    HWND frame() const { return frame_; }
    HWND view() const { return view_; }
    // Commands the frame received (WM_COMMAND ids).
    static std::vector<UINT> &Commands();
    // Runs what was posted; returns the commands the frame received
    // meanwhile and forgets them.
    static std::vector<UINT> Pump();
    // Sends a command through the program's dispatcher as a menu would.
    static LRESULT Command(HWND frame, UINT id);
    // Scrolls the view to (h, v).
    static void ScrollTo(int32_t h, int32_t v);

private:
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};

// A 24-bit picture whose pixel (x, y) is PictureColour(x, y, seed).
COLORREF PictureColour(int32_t x, int32_t y, int seed);
bool MakePicture(DibHolder &h, int32_t width, int32_t height, int seed);
// A 24-bit picture whose pixel (x, y) is colour(x, y).
bool MakePictureFrom(DibHolder &h, int32_t width, int32_t height, const std::function<COLORREF(int32_t, int32_t)> &colour);
// Clears the current-picture record (both pictures freed).
void ClearImgData();
