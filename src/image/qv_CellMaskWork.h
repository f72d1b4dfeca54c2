// What the cell masks share: the working area (the clipped rectangle rounded
// down to whole cells), moving one cell between pictures in memory, and the
// last step that writes a finished copy into the picture.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

struct CellArea {
    int32_t left, top, width, height;  // rounded to whole cells
    int32_t across, down, cellSize;
    int32_t depth;
    bool whole;  // the rounded area is the whole picture
};

enum CellAreaResult { kCellAreaOk = 0, kCellAreaNoPicture = 1, kCellAreaTooSmall = 2 };

// Uncompresses the picture when it is run-length coded, then clips `rect`
// (null = whole) and rounds it down to cells of `cellSize`.
CellAreaResult CellArea_Make(DibHandle picture, const SelRect *rect, int32_t cellSize, CellArea *area);

// Converts the picture to 24 bits in place and measures the area again.
bool CellArea_MakeTrueColour(DibHandle picture, CellArea *area);

// Cell `to` of `dst` receives cell `from` of `src`, cells numbered row by row
// across `across`; both pictures are of the area's size and format.
bool Cell_Copy(DibData *dst, int32_t to, const DibData *src, int32_t from, const CellArea &area);

// Copies the area's pixels of `work` (a picture of the area's size and the
// picture's format) into the picture, and with `withTable` its colour table
// too. Everything is fetched before the first byte is written, so a failure
// leaves the picture as it was.
bool CellArea_Commit(DibHandle picture, const CellArea &area, DibHandle work, bool withTable);

// Cells of the area, or 0 when their count does not fit an int32_t.
int32_t CellArea_Count(const CellArea &area);
