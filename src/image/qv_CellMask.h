// The cell masks: they scramble a rectangle of the picture in square cells
// so that it can be shown and hidden again. FL moves 8 x 8 cells along a
// spiral, Meko permutes 16 x 16 cells by an outside table, CP pairs 8 x 8
// cells by a keyword. Each works on the rectangle clipped to the picture
// (none = the whole picture) with its size rounded down to whole cells; the
// pixels right and below the last whole cell stay as they are.
//
// All three work on copies and write into the picture only when every
// library call has succeeded, so a failure leaves the pixels as they were
// (the in-place conversion of a palette picture to 24 bits, where one is
// needed, comes first and keeps the colours).
//
// FL and CP undo themselves: applied twice they restore the picture. Meko is
// undone by its reverse.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_MekoTable.h"

constexpr int32_t kFlCellSize = 8;
constexpr int32_t kCpCellSize = 8;
constexpr int kCpMaxKeyword = 16;

// Spiral walk over an across x down grid of cells numbered row by row from
// the top-left: order[i] is the cell at spiral position i. It starts at the
// bottom-left cell, runs right along the bottom row, up the right column,
// left along the top row, down the left column, then the next ring inwards.
// `order` has across * down slots. False for an empty grid.
bool Fl_SpiralOrder(int32_t across, int32_t down, int32_t *order);

// The cell at spiral position i receives the cell at position cells - 1 - i;
// with `withNegative` the moved cells are also inverted in all three
// channels (a palette picture becomes 24 bits first). A cell that is its own
// source is left alone, so applying the mask twice restores the picture.
// Needs at least 8 x 8. 1 done, 0 failed.
int Mask_Fl(DibHandle picture, const SelRect *rect, int withNegative);

// 1 when the keyword (ANSI; at most its first 16 characters are taken) is 1
// to 16 letters A..Z in either case, else 0.
int CpMask_CheckKeyword(const char *keyword);

// The order the keyword gives to `cells` cells: order[k] is the cell placed
// at slot k. False for a refused keyword or no cells.
bool CpMask_Order(const char *keyword, int32_t cells, int32_t *order);

// Inverts all three channels and exchanges red and green, then exchanges the
// 8 x 8 cells in the pairs the keyword's order gives; a pair whose cell
// numbers differ in parity is also transposed. Needs at least 8 x 8. 1 done,
// 0 failed.
int CpMask_Apply(const char *keyword, DibHandle picture, const SelRect *rect);

// Where the Meko table comes from: fills `out` with a view that stays valid
// for the run, or returns false. The program installs a loader
// (Meko_InstallTableSource); tests install a table of their own.
using MekoTableSource = bool (*)(MekoTable *out);
extern MekoTableSource g_mekoTableSource;

// The working grid of the Meko mask: kMekoReady with the rounded rectangle
// and the cells across and down, else kMekoNoPicture (no picture or no
// library), kMekoNoTable (no source or it failed), kMekoTooSmall (clipped
// rectangle under 16 x 16) or kMekoTooManyCells. Outputs may be null.
int Meko_Check(DibHandle picture, const SelRect *rect, int32_t *left, int32_t *top, int32_t *width, int32_t *height,
               int32_t *across, int32_t *down);

// Forward: cell s receives the cell the table's order puts at s; reverse
// moves them back. The cells are inverted in all three channels (for a
// palette picture worked on whole, its colour table), so forward then
// reverse restores the picture. A palette picture worked on in part becomes
// 24 bits. kMekoReady (0) done; a check code; kMekoNoPicture when a library
// call fails on the way.
int Meko_Apply(DibHandle picture, const SelRect *rect, int reverse);
