// One level of undo: a saved region of the picture (movable global memory
// holding a packed DIB of the picture's own format) or the parameters of an
// operation that can be inverted cheaply. One global record for the program;
// operation dialogs keep private ones for their previews and hand them over
// on OK. Running the record (Undo_Execute) and the refresh after an edit
// (Undo_FinishEdit) sit with the edit commands.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibHolder.h"
#include "other/qv_Mem.h"

enum UndoKind : int32_t {
    kUndoNone = 0,
    kUndoRefreshOnly = 1,  // accepted by the refresh step; nothing records it
    kUndoCut = 2,
    kUndoPaste = 3,
    kUndoCrop = 4,
    kUndoTurn = 5,
    kUndoGrey = 7,
    kUndoNegative = 8,
    kUndoChannelSwap = 9,
    kUndoGlass = 10,
    kUndoMaskNegative = 11,
    kUndoMaskXor = 12,
    kUndoWin = 13,
    kUndoMeko = 14,
    kUndoFl = 15,
    kUndoQ0 = 16,
    kUndoCp = 17,
    kUndoRainbow = 18,
    kUndoResize = 19,
    kUndoResolution = 20,
    kUndoCanvas = 21,
    kUndoCanvasGrow = 22,
    kUndoRotate = 23,
    kUndoDepth = 24,
    kUndoPalette = 25,
    kUndoBright = 26,
    kUndoHsl = 27,
    kUndoSharpenFirst = 28,  // commands 40681..40688 record 28..35 in order
    kUndoSharpenLast = 35,
    kUndoLevels = 36,
    kUndoAutoLevel = 37,
    kUndoAutoContrast = 38,
};

constexpr int kUndoParamBytes = 80;
constexpr int kUndoParamCount = kUndoParamBytes / 4;
// Palette records keep up to this many colours (4 bytes each) in the
// parameters after the count; more go to the memory block.
constexpr uint32_t kUndoInlineColours = (kUndoParamBytes - 4) / 4;
constexpr uint32_t kUndoMaxColours = 65535;

struct UndoRecord {
    int32_t enabled;  // snapshots are taken; the global record follows UndoMax > 0
    int32_t kind;     // UndoKind; 0 = empty
    int32_t left, top, right, bottom;  // left -1: the whole picture
    GMemBlock pixels;                  // saved region, or a long colour list
    uint8_t params[kUndoParamBytes];   // i32 param0, param1, then 72 bytes
};
static_assert(offsetof(UndoRecord, pixels) == 24, "the region precedes the block");
static_assert(sizeof(((UndoRecord *)nullptr)->params) == 80, "80 parameter bytes");

extern UndoRecord g_undo;

// Seams for tests: the block allocation of snapshots and palette records.
struct UndoHooks {
    HGLOBAL (*alloc)(uint32_t size, GMemBlock *block);
};
extern UndoHooks g_undoHooks;

void Undo_Init(UndoRecord *r);
// Frees the saved pixels, kind 0, left -1; the parameters stay. Always 1.
int Undo_Clear(UndoRecord *r);
void Undo_Destroy(UndoRecord *r);

// Saves `rect` (clipped to the picture; null = the whole picture) of
// `picture` under `kind`. Any failure, a disabled record or a missing picture
// or kind leaves the record empty and returns 0; the operation may still run.
int Undo_SaveRegion(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect);
// The rectangle for every depth.
int Undo_SnapshotAny(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect);
// The rectangle only above 8 bits per pixel: palette operations may change
// the colour table, so palette pictures are saved whole.
int Undo_Snapshot(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect);
// The rectangle only for 24-bit pictures.
int Undo_SnapshotIf24(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect);
// Kind 27: the rectangle for 24 bits and for 32 bits without masks or with
// 8-8-8 masks, else whole. Unreadable 32-bit masks: no snapshot, 0.
int Undo_SnapshotHsl(UndoRecord *r, DibHandle picture, const SelRect *rect);

// Parametric records on the global record. Each clears it first and records
// nothing (0) while it is disabled. Null rectangles mean the whole picture.
int Undo_RecordTurn(const SelRect *rect, int32_t type);
int Undo_RecordGlass(const SelRect *rect, int32_t strip, int32_t vertical, int32_t option);
int Undo_RecordWin(const SelRect *rect);
int Undo_RecordResolution(int32_t xppm, int32_t yppm);
// Region = the old picture's place in the grown canvas.
int Undo_RecordCanvasGrow(int32_t top, int32_t left, int32_t width, int32_t height);
// count 1..65535 colours of 4 bytes (blue, green, red, reserved).
int Undo_RecordPalette(uint32_t count, const uint8_t *colours);

// Readers for running a record. Param index 0..19 (param2 is the first word
// after param0 and param1); 0 outside.
int32_t Undo_Param(const UndoRecord &r, int index);
// The region when the record has one (left >= 0).
bool Undo_Region(const UndoRecord &r, SelRect *out);
// The stored colour count of a palette record (0 for other kinds), and up to
// `maxCount` colours copied to `out`; the number copied.
uint32_t Undo_PaletteCount(const UndoRecord &r);
uint32_t Undo_PaletteColours(UndoRecord *r, uint8_t *out, uint32_t maxCount);

// Writes the saved region back: whole-picture records (or an empty holder)
// replace the picture, created before the old one is released; a part is
// copied in only when the picture has the same format. 1/0; the record is
// left as it is.
int Undo_RestoreInto(UndoRecord *r, DibHolder &holder);

// Hands a dialog's private record to the global one: the global record is
// cleared and, when enabled, takes kind, region, block and parameters; the
// private record ends empty either way.
void Undo_CommitPrivate(UndoRecord *priv);

// Holds the global record aside while an operation runs. Meanwhile the
// global record is empty, so nothing can apply the old record to a picture
// the operation changed half-way; Restore puts it back when the operation
// failed and left the picture as it was. What is not restored is freed.
// An operation run without undo (by undo itself or inside another edit)
// passes false: the record then belongs to its caller and stays.
class UndoStash {
public:
    explicit UndoStash(bool take);
    ~UndoStash();
    UndoStash(const UndoStash &) = delete;
    UndoStash &operator=(const UndoStash &) = delete;
    void Restore();

private:
    UndoRecord saved_{};
    bool held_ = false;
};

// The global record follows UndoMax: called by every entry that uses it, and
// by the setter's effect when undo is switched off (record cleared, tool bar
// updated).
void Undo_SyncEnabled();
// Installs the effect of UndoMax 0 and the menu and tool bar's question
// whether there is something to undo.
void Undo_InstallHooks();
