// The undo record with the build's own dibcore.dll: snapshots of a region or
// the whole picture come back exactly (8 bits with the colour table, 24 bits,
// both row orders), which depths save the rectangle and which the whole
// picture, a disabled record taking nothing, a dialog's record handed over or
// discarded, a restore into a picture of another format refused, the
// parametric records and their readers, UndoMax 0, and a failed allocation.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_Undo.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"
#include "support/real_dibcore.h"

namespace {

constexpr uint32_t kMask101010[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};
constexpr uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// A picture of random pixels; depth <= 8 gets a full table of distinct
// colours, masks make a bit-field picture; signedHeight < 0 is top-down.
DibHandle MakePicture(int depth, int32_t width, int32_t signedHeight, uint32_t seed,
                      const uint32_t *masks = nullptr) {
    DibInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = signedHeight;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    h.biCompression = masks ? kDibBitFields : kDibRgb;
    std::vector<uint8_t> packed(reinterpret_cast<uint8_t *>(&h), reinterpret_cast<uint8_t *>(&h) + 40);
    if (masks) packed.insert(packed.end(), reinterpret_cast<const uint8_t *>(masks),
                             reinterpret_cast<const uint8_t *>(masks) + 12);
    if (depth <= 8)
        for (uint32_t i = 0; i < (1u << depth); ++i)
            packed.insert(packed.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
    const uint32_t stride = ((uint32_t(width) * depth + 31) / 32) * 4;
    std::vector<uint8_t> bits(size_t(stride) * size_t(signedHeight < 0 ? -signedHeight : signedHeight));
    std::mt19937 rng(seed);
    for (uint8_t &b : bits) b = uint8_t(rng());
    return Dibcore_CreateDIB(packed.data(), bits.data());
}

int32_t HeightOf(const DibData *d) { return d->header->biHeight < 0 ? -d->header->biHeight : d->header->biHeight; }

// Every raw pixel value, rows from the top, read from the header's own
// numbers (24 bits: B | G << 8 | R << 16; 8 bits: the index).
std::vector<uint32_t> Pixels(const DibHolder &h) {
    const DibInfoHeader &hd = *h.data->header;
    const int32_t height = HeightOf(h.data), depth = hd.biBitCount;
    const uint32_t stride = ((uint32_t(hd.biWidth) * depth + 31) / 32) * 4;
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *row = h.data->bits + uint64_t(hd.biHeight < 0 ? y : height - 1 - y) * stride;
        for (int32_t x = 0; x < hd.biWidth; ++x) {
            uint32_t p = 0;
            std::memcpy(&p, row + x * (depth / 8), size_t(depth / 8));
            v.push_back(p);
        }
    }
    return v;
}

std::vector<uint8_t> Table(const DibHolder &h) {
    const uint8_t *b = reinterpret_cast<const uint8_t *>(h.data->header);
    return std::vector<uint8_t>(b + h.data->header->biSize, b + h.data->headerSize);
}

// Every pixel byte and every colour table byte inverted.
void Scramble(DibHolder &h) {
    for (uint32_t i = 0; i < h.data->bitsSize; ++i) h.data->bits[i] = uint8_t(~h.data->bits[i]);
    uint8_t *b = reinterpret_cast<uint8_t *>(h.data->header);
    for (uint32_t i = h.data->header->biSize; i < h.data->headerSize; ++i) b[i] = uint8_t(~b[i]);
}

bool InRect(const SelRect &r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class UndoTest : public RealDibcoreSuite {
protected:
    void SetUp() override {
        if (!lib_->ok()) GTEST_SKIP() << lib_->problem();
        Settings_InitBoth(61);
        Undo_InstallHooks();
        Undo_Clear(&g_undo);
        g_undoHooks.alloc = GMem_Alloc;
    }
    void TearDown() override {
        Undo_Clear(&g_undo);
        g_undoHooks.alloc = GMem_Alloc;
        g_menuStateHooks.toolbarEnable = nullptr;
    }
};

// Snapshot, change everything, restore: the saved area is exact, the rest
// keeps the change, and a whole restore brings the colour table back.
TEST_F(UndoTest, SnapshotChangeRestoreGivesThePixelsBack) {
    const SelRect part{2, 1, 9, 5};
    for (int depth : {8, 24})
        for (int32_t signedHeight : {6, -6})
            for (bool whole : {false, true}) {
                SCOPED_TRACE(std::to_string(depth) + (signedHeight < 0 ? " top-down" : " bottom-up") +
                             (whole ? " whole" : " part"));
                DibHolder pic;
                ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(depth, 11, signedHeight, 7)));
                const std::vector<uint32_t> before = Pixels(pic);
                const std::vector<uint8_t> table = Table(pic);
                ASSERT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoCut, whole ? nullptr : &part), 1);
                EXPECT_EQ(g_undo.kind, kUndoCut);
                EXPECT_EQ(g_undo.left, whole ? -1 : part.left);

                Scramble(pic);
                const std::vector<uint32_t> changed = Pixels(pic);
                ASSERT_EQ(Undo_RestoreInto(&g_undo, pic), 1);
                const std::vector<uint32_t> after = Pixels(pic);
                ASSERT_EQ(after.size(), before.size());
                for (int32_t y = 0; y < 6; ++y)
                    for (int32_t x = 0; x < 11; ++x) {
                        const size_t i = size_t(y) * 11 + x;
                        ASSERT_EQ(after[i], whole || InRect(part, x, y) ? before[i] : changed[i]) << x << "," << y;
                    }
                EXPECT_EQ(pic.data->header->biHeight, signedHeight);
                if (whole) EXPECT_EQ(Table(pic), table);
            }
}

// Palette pictures are saved whole by Undo_Snapshot, so a selection's change
// that also touched the table is undone completely.
TEST_F(UndoTest, SnapshotOfPaletteSelectionRestoresTableToo) {
    DibHolder pic;
    ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(8, 10, 4, 3)));
    const std::vector<uint32_t> before = Pixels(pic);
    const std::vector<uint8_t> table = Table(pic);
    const SelRect part{1, 1, 3, 3};
    ASSERT_EQ(Undo_Snapshot(&g_undo, pic.handle, kUndoNegative, &part), 1);
    EXPECT_EQ(g_undo.left, -1);
    Scramble(pic);
    ASSERT_EQ(Undo_RestoreInto(&g_undo, pic), 1);
    EXPECT_EQ(Pixels(pic), before);
    EXPECT_EQ(Table(pic), table);
}

// Which variants keep the rectangle for which pictures.
TEST_F(UndoTest, VariantsSaveRectangleOnlyForTheirDepths) {
    enum Variant { kPlain, kIf24, kHsl };
    struct Case {
        const char *name;
        Variant variant;
        int depth;
        const uint32_t *masks;
        bool keepsRect;
    };
    const Case cases[] = {
        {"snapshot 4", kPlain, 4, nullptr, false},   {"snapshot 8", kPlain, 8, nullptr, false},
        {"snapshot 16", kPlain, 16, nullptr, true},  {"snapshot 24", kPlain, 24, nullptr, true},
        {"if24 16", kIf24, 16, nullptr, false},      {"if24 24", kIf24, 24, nullptr, true},
        {"if24 32", kIf24, 32, nullptr, false},      {"hsl 24", kHsl, 24, nullptr, true},
        {"hsl 32 plain", kHsl, 32, nullptr, true},   {"hsl 32 8-8-8", kHsl, 32, kMask888, true},
        {"hsl 32 10-10-10", kHsl, 32, kMask101010, false}, {"hsl 16", kHsl, 16, nullptr, false},
        {"hsl 8", kHsl, 8, nullptr, false},
    };
    const SelRect part{1, 0, 4, 2};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DibHolder pic;
        ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(c.depth, 6, 3, 5, c.masks)));
        int ok = 0;
        switch (c.variant) {
            case kPlain: ok = Undo_Snapshot(&g_undo, pic.handle, kUndoLevels, &part); break;
            case kIf24: ok = Undo_SnapshotIf24(&g_undo, pic.handle, kUndoChannelSwap, &part); break;
            case kHsl: ok = Undo_SnapshotHsl(&g_undo, pic.handle, &part); break;
        }
        ASSERT_EQ(ok, 1);
        EXPECT_EQ(g_undo.kind, c.variant == kHsl ? kUndoHsl : c.variant == kIf24 ? kUndoChannelSwap : kUndoLevels);
        EXPECT_EQ(g_undo.left, c.keepsRect ? part.left : -1);
    }
}

TEST_F(UndoTest, DisabledRecordTakesNothing) {
    DibHolder pic;
    ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(24, 5, 5, 1)));
    ASSERT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoCut, nullptr), 1);
    g_settings.undoMax = 0;
    EXPECT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoCut, nullptr), 0);
    EXPECT_EQ(g_undo.kind, kUndoNone);  // the older snapshot went too
    EXPECT_EQ(g_undo.pixels.handle, nullptr);
    const uint8_t colours[8] = {};
    EXPECT_EQ(Undo_RecordTurn(nullptr, 1), 0);
    EXPECT_EQ(Undo_RecordGlass(nullptr, 4, 1, 0), 0);
    EXPECT_EQ(Undo_RecordWin(nullptr), 0);
    EXPECT_EQ(Undo_RecordResolution(1, 2), 0);
    EXPECT_EQ(Undo_RecordCanvasGrow(0, 0, 2, 2), 0);
    EXPECT_EQ(Undo_RecordPalette(2, colours), 0);
    EXPECT_EQ(g_undo.kind, kUndoNone);

    UndoRecord priv;
    Undo_Init(&priv);
    priv.enabled = 0;
    EXPECT_EQ(Undo_SaveRegion(&priv, pic.handle, kUndoBright, nullptr), 0);
    EXPECT_EQ(priv.pixels.handle, nullptr);
    Undo_Destroy(&priv);
}

TEST_F(UndoTest, PrivateRecordCommitMovesOrDiscardsItsBlock) {
    DibHolder pic;
    ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(24, 8, 8, 4)));
    const std::vector<uint32_t> before = Pixels(pic);
    const SelRect part{2, 2, 6, 7};
    for (bool globalEnabled : {true, false}) {
        SCOPED_TRACE(globalEnabled ? "enabled" : "disabled");
        g_settings.undoMax = globalEnabled ? 1 : 0;
        ASSERT_EQ(Undo_RecordTurn(nullptr, 2), globalEnabled ? 1 : 0);  // an older record to replace
        UndoRecord priv;
        Undo_Init(&priv);
        ASSERT_EQ(Undo_SnapshotIf24(&priv, pic.handle, kUndoBright, &part), 1);
        std::memset(priv.params, 0x5A, sizeof priv.params);
        const HGLOBAL block = priv.pixels.handle;
        Undo_CommitPrivate(&priv);
        EXPECT_EQ(priv.kind, kUndoNone);
        EXPECT_EQ(priv.pixels.handle, nullptr);
        if (globalEnabled) {
            EXPECT_EQ(g_undo.kind, kUndoBright);
            EXPECT_EQ(g_undo.pixels.handle, block);
            EXPECT_EQ(g_undo.left, part.left);
            EXPECT_EQ(g_undo.bottom, part.bottom);
            EXPECT_EQ(Undo_Param(g_undo, 19), 0x5A5A5A5A);
            Scramble(pic);
            ASSERT_EQ(Undo_RestoreInto(&g_undo, pic), 1);
            const std::vector<uint32_t> after = Pixels(pic);
            for (int32_t y = part.top; y < part.bottom; ++y)
                for (int32_t x = part.left; x < part.right; ++x) EXPECT_EQ(after[y * 8 + x], before[y * 8 + x]);
        } else {
            EXPECT_EQ(g_undo.kind, kUndoNone);
            EXPECT_EQ(g_undo.pixels.handle, nullptr);
        }
        Undo_Destroy(&priv);
    }
}

TEST_F(UndoTest, RestoreIntoAnotherFormatIsRefused) {
    const SelRect part{0, 0, 3, 3};
    struct Case {
        const char *name;
        int depth;
        const uint32_t *masks;
    };
    const Case others[] = {{"8-bit", 8, nullptr}, {"32-bit", 32, nullptr}, {"32-bit 10-10-10", 32, kMask101010}};
    for (const Case &c : others) {
        SCOPED_TRACE(c.name);
        DibHolder saved;
        ASSERT_TRUE(DibHolder_AttachNew(saved, MakePicture(c.masks ? 32 : 24, 6, 6, 2)));
        ASSERT_EQ(Undo_SnapshotAny(&g_undo, saved.handle, kUndoCut, &part), 1);
        DibHolder other;
        ASSERT_TRUE(DibHolder_AttachNew(other, MakePicture(c.depth, 6, 6, 9, c.masks)));
        const std::vector<uint32_t> before = Pixels(other);
        EXPECT_EQ(Undo_RestoreInto(&g_undo, other), 0);
        EXPECT_EQ(Pixels(other), before);
    }
}

TEST_F(UndoTest, PaletteRecordInsideParamsOrInTheBlock) {
    const uint32_t bad[] = {0, 65536};
    uint8_t colours[256 * 4];
    for (int i = 0; i < 1024; ++i) colours[i] = uint8_t(i * 13);
    for (uint32_t count : {16u, kUndoInlineColours, kUndoInlineColours + 1, 256u}) {
        SCOPED_TRACE(count);
        ASSERT_EQ(Undo_RecordPalette(count, colours), 1);
        EXPECT_EQ(g_undo.kind, kUndoPalette);
        EXPECT_EQ(Undo_Param(g_undo, 0), int32_t(count));
        EXPECT_EQ(g_undo.pixels.handle != nullptr, count > kUndoInlineColours);
        if (count <= kUndoInlineColours) EXPECT_EQ(std::memcmp(g_undo.params + 4, colours, count * 4), 0);
        std::vector<uint8_t> out(1024, 0);
        ASSERT_EQ(Undo_PaletteColours(&g_undo, out.data(), 256), count);
        EXPECT_EQ(std::memcmp(out.data(), colours, count * 4), 0);
        EXPECT_EQ(Undo_PaletteColours(&g_undo, out.data(), 3), 3u);  // never more than asked
        DibHolder pic;
        EXPECT_EQ(Undo_RestoreInto(&g_undo, pic), 0);  // colours are no picture
    }
    for (uint32_t count : bad) {
        ASSERT_EQ(Undo_RecordPalette(16, colours), 1);
        EXPECT_EQ(Undo_RecordPalette(count, colours), 0);
        EXPECT_EQ(g_undo.kind, kUndoNone);
    }
    EXPECT_EQ(Undo_RecordPalette(4, nullptr), 0);
}

TEST_F(UndoTest, ParametricRecordsStoreWhatTheInverseNeeds) {
    const SelRect r{3, 4, 10, 12};
    SelRect got{};
    ASSERT_EQ(Undo_RecordTurn(&r, 3), 1);
    EXPECT_EQ(g_undo.kind, kUndoTurn);
    EXPECT_EQ(Undo_Param(g_undo, 0), 3);
    ASSERT_TRUE(Undo_Region(g_undo, &got));
    EXPECT_EQ(got.right, 10);
    ASSERT_EQ(Undo_RecordTurn(nullptr, 2), 1);
    EXPECT_FALSE(Undo_Region(g_undo, &got));

    ASSERT_EQ(Undo_RecordGlass(&r, 12, 1, 1), 1);
    EXPECT_EQ(g_undo.kind, kUndoGlass);
    EXPECT_EQ(Undo_Param(g_undo, 0), 12);
    EXPECT_EQ(Undo_Param(g_undo, 1), 1);
    EXPECT_EQ(Undo_Param(g_undo, 2), 1);

    ASSERT_EQ(Undo_RecordWin(&r), 1);
    EXPECT_EQ(g_undo.kind, kUndoWin);
    ASSERT_TRUE(Undo_Region(g_undo, &got));
    EXPECT_EQ(got.bottom, 12);

    ASSERT_EQ(Undo_RecordResolution(3780, 2835), 1);
    EXPECT_EQ(g_undo.kind, kUndoResolution);
    EXPECT_EQ(Undo_Param(g_undo, 0), 3780);
    EXPECT_EQ(Undo_Param(g_undo, 1), 2835);

    ASSERT_EQ(Undo_RecordCanvasGrow(5, 7, 20, 30), 1);  // top, left, width, height
    EXPECT_EQ(g_undo.kind, kUndoCanvasGrow);
    ASSERT_TRUE(Undo_Region(g_undo, &got));
    EXPECT_EQ(got.left, 7);
    EXPECT_EQ(got.top, 5);
    EXPECT_EQ(got.right, 27);
    EXPECT_EQ(got.bottom, 35);
    EXPECT_EQ(Undo_RecordCanvasGrow(0, INT32_MAX - 1, 5, 5), 0);  // would overflow
    EXPECT_EQ(g_undo.kind, kUndoNone);
    EXPECT_EQ(Undo_Param(g_undo, -1), 0);
    EXPECT_EQ(Undo_Param(g_undo, kUndoParamCount), 0);
}

// Switching undo off clears the record and tells the tool bar; switching it
// on again lets snapshots be taken.
TEST_F(UndoTest, UndoMaxZeroClearsTheRecordAndTheButton) {
    static std::vector<std::pair<UINT, bool>> s_calls;
    s_calls.clear();
    g_menuStateHooks.toolbarEnable = [](UINT id, bool on) { s_calls.emplace_back(id, on); };
    DibHolder pic;
    ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(24, 4, 4, 6)));
    ASSERT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoGrey, nullptr), 1);
    ASSERT_TRUE(g_menuStateHooks.hasUndo());
    Opt_SetUndoMax(0);
    EXPECT_EQ(g_undo.kind, kUndoNone);
    EXPECT_EQ(g_undo.enabled, 0);
    EXPECT_FALSE(g_menuStateHooks.hasUndo());
    bool undoButtonOff = false;
    for (const auto &c : s_calls) undoButtonOff = undoButtonOff || (c.first == 40021 && !c.second);
    EXPECT_TRUE(undoButtonOff);
    Opt_SetUndoMax(3);
    ASSERT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoGrey, nullptr), 1);
    EXPECT_EQ(g_undo.enabled, 1);
}

// A failed allocation leaves the record empty and the picture as it was, and
// the operation can still run on it.
TEST_F(UndoTest, FailedAllocationLeavesRecordEmpty) {
    DibHolder pic;
    ASSERT_TRUE(DibHolder_AttachNew(pic, MakePicture(24, 7, 5, 8)));
    ASSERT_EQ(Undo_RecordTurn(nullptr, 1), 1);
    const std::vector<uint32_t> before = Pixels(pic);
    g_undoHooks.alloc = [](uint32_t, GMemBlock *) -> HGLOBAL { return nullptr; };
    EXPECT_EQ(Undo_SnapshotAny(&g_undo, pic.handle, kUndoCut, nullptr), 0);
    EXPECT_EQ(g_undo.kind, kUndoNone);
    EXPECT_EQ(g_undo.pixels.handle, nullptr);
    uint8_t colours[256 * 4] = {};
    EXPECT_EQ(Undo_RecordPalette(256, colours), 0);
    EXPECT_EQ(g_undo.kind, kUndoNone);
    EXPECT_EQ(Pixels(pic), before);
    EXPECT_EQ(DibHolder_Turn(pic, 90), 1);
    EXPECT_EQ(pic.data->header->biWidth, 5);
}

}  // namespace
