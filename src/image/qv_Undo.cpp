#include "image/qv_Undo.h"

#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_UndoCore.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"

// Constant-initialised, so it is valid before any start-up step runs.
UndoRecord g_undo = {1, kUndoNone, -1, 0, 0, 0, GMemBlock{}, {}};
UndoHooks g_undoHooks = {GMem_Alloc};

namespace {

void PutParam(UndoRecord *r, int index, int32_t value) { std::memcpy(r->params + index * 4, &value, 4); }

void SetRegion(UndoRecord *r, const SelRect *rect) {
    if (rect == nullptr) {
        r->left = -1;
        r->top = r->right = r->bottom = 0;
        return;
    }
    r->left = rect->left;
    r->top = rect->top;
    r->right = rect->right;
    r->bottom = rect->bottom;
}

// The start of every parametric record: cleared whatever happens next, so an
// operation that fails part-way never leaves an older record behind.
bool BeginParametric() {
    Undo_SyncEnabled();
    Undo_Clear(&g_undo);
    return g_undo.enabled != 0;
}

// Keeps the block locked for the lifetime of the guard.
class BlockLock {
public:
    explicit BlockLock(GMemBlock *block) : block_(block), data_(static_cast<uint8_t *>(GMem_Lock(block))) {}
    ~BlockLock() {
        if (data_ != nullptr) GMem_Unlock(block_);
    }
    BlockLock(const BlockLock &) = delete;
    BlockLock &operator=(const BlockLock &) = delete;
    uint8_t *data() const { return data_; }

private:
    GMemBlock *block_;
    uint8_t *data_;
};

int32_t DepthOf(DibHandle picture) { return Dib_GetInfo(picture, nullptr, nullptr, nullptr, 0); }

void OnUndoOff() {
    g_undo.enabled = 0;
    Undo_Clear(&g_undo);
    Menu_UpdateToolbar();
}

}  // namespace

void Undo_Init(UndoRecord *r) {
    if (r == nullptr) return;
    r->enabled = 1;
    r->kind = kUndoNone;
    r->left = -1;
    r->top = r->right = r->bottom = 0;
    r->pixels = GMemBlock{};
    std::memset(r->params, 0, sizeof r->params);
}

int Undo_Clear(UndoRecord *r) {
    if (r == nullptr) return 1;
    GMem_Free(&r->pixels);
    r->kind = kUndoNone;
    r->left = -1;
    return 1;
}

void Undo_Destroy(UndoRecord *r) { Undo_Clear(r); }

void Undo_SyncEnabled() { g_undo.enabled = g_settings.undoMax > 0 ? 1 : 0; }

int Undo_SaveRegion(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect) {
    if (r == nullptr) return 0;
    if (r == &g_undo) Undo_SyncEnabled();
    Undo_Clear(r);
    if (!r->enabled || picture == 0 || kind == kUndoNone) return 0;

    DibData *data = Dibcore_DataDIB(picture);
    if (data == nullptr) return 0;
    if (Dib_IsRleCompressed(data->header)) {
        if (!Dibcore_RLEtoDIB(picture)) return 0;
        data = Dibcore_DataDIB(picture);  // the conversion moved the storage
        if (data == nullptr) return 0;
    }
    DibFields f;
    if (Dib_GetHeaderFields(data->header, &f) == 0) return 0;
    SelRect region{0, 0, f.width, f.height};
    if (rect != nullptr && !Rect_ClipToImage(rect, f.width, f.height, &region)) return 0;

    UndoRegionSize size;
    if (!UndoCore_RegionSize(data, region.right - region.left, region.bottom - region.top, &size)) return 0;
    if (g_undoHooks.alloc(uint32_t(size.total), &r->pixels) == nullptr) {
        r->pixels = GMemBlock{};
        return 0;
    }
    bool packed;
    {
        BlockLock lock(&r->pixels);
        packed = lock.data() != nullptr &&
                 UndoCore_PackRegion(data, rect != nullptr ? &region : nullptr, lock.data(), size.total);
    }
    if (!packed) {
        Undo_Clear(r);
        return 0;
    }
    SetRegion(r, rect != nullptr ? &region : nullptr);
    r->kind = kind;
    return 1;
}

int Undo_SnapshotAny(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect) {
    return Undo_SaveRegion(r, picture, kind, rect);
}

int Undo_Snapshot(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect) {
    return Undo_SaveRegion(r, picture, kind, DepthOf(picture) > 8 ? rect : nullptr);
}

int Undo_SnapshotIf24(UndoRecord *r, DibHandle picture, int32_t kind, const SelRect *rect) {
    return Undo_SaveRegion(r, picture, kind, DepthOf(picture) == 24 ? rect : nullptr);
}

int Undo_SnapshotHsl(UndoRecord *r, DibHandle picture, const SelRect *rect) {
    DibData *data = nullptr;
    const int32_t depth = Dib_GetInfo(picture, nullptr, &data, nullptr, 0);
    bool partOnly = depth == 24;
    if (depth == 32) {
        uint32_t masks[3];
        if (data == nullptr || !Dib_EffectiveMasks(data->header, masks)) {
            // Nothing may stay behind that a later undo would apply to the
            // changed picture.
            if (r != nullptr) Undo_Clear(r);
            return 0;
        }
        partOnly = Dib_IsStandardMasks(2, masks);
    }
    return Undo_SaveRegion(r, picture, kUndoHsl, partOnly ? rect : nullptr);
}

int Undo_RecordTurn(const SelRect *rect, int32_t type) {
    if (!BeginParametric()) return 0;
    PutParam(&g_undo, 0, type);
    SetRegion(&g_undo, rect);
    g_undo.kind = kUndoTurn;
    return 1;
}

int Undo_RecordGlass(const SelRect *rect, int32_t strip, int32_t vertical, int32_t option) {
    if (!BeginParametric()) return 0;
    PutParam(&g_undo, 0, strip);
    PutParam(&g_undo, 1, vertical);
    PutParam(&g_undo, 2, option);
    SetRegion(&g_undo, rect);
    g_undo.kind = kUndoGlass;
    return 1;
}

int Undo_RecordWin(const SelRect *rect) {
    if (!BeginParametric()) return 0;
    SetRegion(&g_undo, rect);
    g_undo.kind = kUndoWin;
    return 1;
}

int Undo_RecordResolution(int32_t xppm, int32_t yppm) {
    if (!BeginParametric()) return 0;
    PutParam(&g_undo, 0, xppm);
    PutParam(&g_undo, 1, yppm);
    SetRegion(&g_undo, nullptr);
    g_undo.kind = kUndoResolution;
    return 1;
}

int Undo_RecordCanvasGrow(int32_t top, int32_t left, int32_t width, int32_t height) {
    if (!BeginParametric()) return 0;
    const int64_t right = int64_t{left} + width, bottom = int64_t{top} + height;
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || right > INT32_MAX || bottom > INT32_MAX) return 0;
    const SelRect place{left, top, int32_t(right), int32_t(bottom)};
    SetRegion(&g_undo, &place);
    g_undo.kind = kUndoCanvasGrow;
    return 1;
}

int Undo_RecordPalette(uint32_t count, const uint8_t *colours) {
    if (!BeginParametric() || colours == nullptr || count == 0 || count > kUndoMaxColours) return 0;
    PutParam(&g_undo, 0, int32_t(count));
    if (count <= kUndoInlineColours) {
        std::memcpy(g_undo.params + 4, colours, size_t(count) * 4);
    } else {
        if (g_undoHooks.alloc(count * 4, &g_undo.pixels) == nullptr) {
            g_undo.pixels = GMemBlock{};
            return 0;
        }
        BlockLock lock(&g_undo.pixels);
        if (lock.data() == nullptr) {
            Undo_Clear(&g_undo);
            return 0;
        }
        std::memcpy(lock.data(), colours, size_t(count) * 4);
    }
    SetRegion(&g_undo, nullptr);
    g_undo.kind = kUndoPalette;
    return 1;
}

int32_t Undo_Param(const UndoRecord &r, int index) {
    if (index < 0 || index >= kUndoParamCount) return 0;
    int32_t v;
    std::memcpy(&v, r.params + index * 4, 4);
    return v;
}

bool Undo_Region(const UndoRecord &r, SelRect *out) {
    if (r.left < 0) return false;
    if (out) *out = SelRect{r.left, r.top, r.right, r.bottom};
    return true;
}

uint32_t Undo_PaletteCount(const UndoRecord &r) {
    if (r.kind != kUndoPalette) return 0;
    const int32_t n = Undo_Param(r, 0);
    return n > 0 && uint32_t(n) <= kUndoMaxColours ? uint32_t(n) : 0;
}

uint32_t Undo_PaletteColours(UndoRecord *r, uint8_t *out, uint32_t maxCount) {
    if (r == nullptr || out == nullptr) return 0;
    const uint32_t count = Undo_PaletteCount(*r);
    const uint32_t n = count < maxCount ? count : maxCount;
    if (n == 0) return 0;
    if (count <= kUndoInlineColours) {
        std::memcpy(out, r->params + 4, size_t(n) * 4);
        return n;
    }
    if (r->pixels.size < uint64_t(count) * 4) return 0;
    BlockLock lock(&r->pixels);
    if (lock.data() == nullptr) return 0;
    std::memcpy(out, lock.data(), size_t(n) * 4);
    return n;
}

int Undo_RestoreInto(UndoRecord *r, DibHolder &holder) {
    // A palette record's block holds colours, not a picture.
    if (r == nullptr || r->kind == kUndoNone || r->kind == kUndoPalette || r->pixels.handle == nullptr) return 0;
    BlockLock lock(&r->pixels);
    if (lock.data() == nullptr) return 0;
    if (r->left < 0 || holder.empty()) return UndoCore_RestoreWhole(holder, lock.data(), r->pixels.size);
    return UndoCore_RestorePart(holder, lock.data(), r->pixels.size, r->left, r->top);
}

UndoStash::UndoStash(bool take) {
    if (!take) return;
    saved_ = g_undo;
    held_ = true;
    g_undo.pixels = GMemBlock{};  // the block moves into the stash
    Undo_Clear(&g_undo);
}

UndoStash::~UndoStash() {
    if (held_) Undo_Clear(&saved_);
}

void UndoStash::Restore() {
    if (!held_) return;
    const int32_t enabled = g_undo.enabled;
    Undo_Clear(&g_undo);
    g_undo = saved_;
    g_undo.enabled = enabled;
    saved_.pixels = GMemBlock{};
    held_ = false;
}

void Undo_CommitPrivate(UndoRecord *priv) {
    if (priv == nullptr || priv == &g_undo) return;
    Undo_SyncEnabled();
    Undo_Clear(&g_undo);
    if (g_undo.enabled && priv->kind != kUndoNone) {
        g_undo.kind = priv->kind;
        g_undo.left = priv->left;
        g_undo.top = priv->top;
        g_undo.right = priv->right;
        g_undo.bottom = priv->bottom;
        g_undo.pixels = priv->pixels;  // the block moves; it is freed once
        priv->pixels = GMemBlock{};
        std::memcpy(g_undo.params, priv->params, sizeof g_undo.params);
    }
    Undo_Clear(priv);
}

void Undo_InstallHooks() {
    g_optEffects.undoOff = OnUndoOff;
    g_menuStateHooks.hasUndo = [] { return g_undo.kind != kUndoNone; };
}
