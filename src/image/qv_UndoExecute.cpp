// Undoing the last edit: a saved region is written back, a parametric record
// runs the inverse operation; then the view is refreshed by the kind.
#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_EditCommands.h"
#include "image/qv_EditCore.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_Selection.h"
#include "image/qv_Undo.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_MenuState.h"

namespace {

bool ChangesGeometry(int32_t kind) {
    return kind == kUndoCrop || kind == kUndoResize || kind == kUndoCanvas || kind == kUndoCanvasGrow ||
           kind == kUndoRotate;
}

bool KeepsGeometry(int32_t kind) {
    return kind == kUndoCut || kind == kUndoPaste || (kind >= kUndoGrey && kind <= kUndoRainbow) ||
           (kind >= kUndoDepth && kind <= kUndoAutoContrast);
}

// The record's region, or none for a whole-picture record.
const SelRect *RegionOf(const UndoRecord &r, SelRect *out) { return Undo_Region(r, out) ? out : nullptr; }

// Writes the recorded colours back into the picture's colour table (no more
// than the table holds).
bool RestorePalette(UndoRecord *r, DibHandle picture) {
    DibData *data = Dibcore_DataDIB(picture);
    if (data == nullptr || data->header == nullptr) return false;
    DibFields f;
    if (!Dib_GetHeaderFields(data->header, &f) || f.headerSize < 40 || f.depth > 8) return false;
    const uint32_t tableBytes = data->headerSize > f.headerSize ? data->headerSize - f.headerSize : 0;
    const uint32_t entries = tableBytes / 4;
    if (entries == 0) return false;
    uint8_t *table = reinterpret_cast<uint8_t *>(data->header) + f.headerSize;
    return Undo_PaletteColours(r, table, entries) > 0;
}

int UndoResolution(const UndoRecord &r) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr || !Dib_SetResolution(image->handle, Undo_Param(r, 0), Undo_Param(r, 1))) return 0;
    DibHolder_Lock(*image);
    ImgData_UpdateTitleStatus();
    Menu_UpdateToolbar();
    return 1;
}

int UndoPalette(UndoRecord &r) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr || !RestorePalette(&r, image->handle)) return 0;
    DibHolder_Lock(*image);
    ImgData_RefreshAfterEdit();
    Menu_UpdateToolbar();
    return 1;
}

int RunInverse(UndoRecord &r) {
    SelRect region;
    const SelRect *rect = RegionOf(r, &region);
    switch (r.kind) {
        case kUndoTurn: return Edit_RotateFlip(0, 1, rect, EditCore_InverseTurn(Undo_Param(r, 0)));
        case kUndoGlass: return Edit_MaskGlass(Undo_Param(r, 2) != 0, 0, 1, rect, Undo_Param(r, 0), Undo_Param(r, 1));
        case kUndoWin: return Edit_MaskWin(0, rect);
        case kUndoResolution: return UndoResolution(r);
        case kUndoCanvasGrow:
            if (!Edit_Crop(0, 0, rect)) return 0;
            Edit_RefreshGeometry();
            Menu_UpdateToolbar();
            return 1;
        case kUndoPalette: return UndoPalette(r);
        default: return -1;  // not parametric
    }
}

}  // namespace

int Undo_FinishEdit(ImgData *record, int32_t kind) {
    if (record == nullptr) return 0;
    if (kind == 1) return 1;
    if (ChangesGeometry(kind)) {
        Sel_Clear();
        Edit_RefreshGeometry();
    } else if (KeepsGeometry(kind)) {
        ImgData_RefreshAfterEdit();
    } else {
        return 0;
    }
    Menu_UpdateToolbar();
    return 1;
}

int Edit_RefreshByKind(int32_t kind) { return Undo_FinishEdit(&g_imgData, kind); }

int Undo_Execute() {
    const int32_t kind = g_undo.kind;
    // A whole-picture record can bring back a picture that a failed library
    // call took from the record, so only the record itself must be there.
    if (kind == 0 || (g_imgData.state & (kImgStill | kImgAnimation)) == 0) return 0;
    // The inverse runs without undo, so it leaves the record alone. A failed
    // inverse or restore leaves the picture as it was, and the record stays
    // so that nothing is lost: the user may try again.
    const int inverse = RunInverse(g_undo);
    if (inverse >= 0) {
        if (inverse) Undo_Clear(&g_undo);
        Menu_UpdateToolbar();
        return inverse ? kind : 0;
    }
    // A part needs the picture it came from.
    if (g_imgData.image.empty() && g_undo.left >= 0) return 0;
    if (!Undo_RestoreInto(&g_undo, g_imgData.image)) return 0;
    Undo_Clear(&g_undo);
    Undo_FinishEdit(&g_imgData, kind);
    return kind;
}

int Edit_Undo() {
    EditWork wait;
    return Undo_Execute() != 0 ? 1 : 0;
}
