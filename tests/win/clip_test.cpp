// Pictures and texts on the real clipboard with the build's own dibcore.dll:
// a selection copied as CF_DIB is the exact crop (top-down 8-bit, bottom-up
// 32-bit bit fields), the copy limit, pasting into a picture of the same or
// another layout, a lying clipboard DIB refused, and the file-name texts.
// Tests that use the clipboard take turns (a ctest resource lock), since
// the Unicode and ANSI programs would otherwise share it at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/qv_Clip.h"
#include "image/qv_ClipDibCore.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuProc.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_SysSeams.h"
#include "support/capture_boxes.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "util/qv_Str.h"

namespace {

// ---------------------------------------------------------------- pixels

uint32_t Stride(const DibInfoHeader &h) { return (uint32_t(h.biWidth) * h.biBitCount + 31) / 32 * 4; }

// Raw value of pixel (x, y), y from the top, read from the header's own
// numbers.
uint32_t RawPixel(const DibInfoHeader &h, const uint8_t *bits, int32_t x, int32_t y) {
    const int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const uint8_t *row = bits + uint64_t(Stride(h)) * uint32_t(h.biHeight < 0 ? y : rows - 1 - y);
    switch (h.biBitCount) {
        case 8: return row[x];
        case 24: return row[3 * x] | row[3 * x + 1] << 8 | uint32_t(row[3 * x + 2]) << 16;
        default: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
    }
}

void SetRawPixel(const DibInfoHeader &h, uint8_t *bits, int32_t x, int32_t y, uint32_t v) {
    const int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    uint8_t *row = bits + uint64_t(Stride(h)) * uint32_t(h.biHeight < 0 ? y : rows - 1 - y);
    switch (h.biBitCount) {
        case 8: row[x] = uint8_t(v); break;
        case 24: row[3 * x] = uint8_t(v); row[3 * x + 1] = uint8_t(v >> 8); row[3 * x + 2] = uint8_t(v >> 16); break;
        default: std::memcpy(row + 4 * x, &v, 4); break;
    }
}

int32_t Rows(const DibInfoHeader &h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

// Every pixel different from its neighbours, so a crop shifted by one shows.
uint32_t Pattern(int depth, int32_t x, int32_t y) {
    if (depth == 8) return uint32_t(x * 17 + y * 5) & 0xFF;
    return uint32_t(x * 0x010203 + y * 0x300507) & 0xFFFFFF;
}

// A palette whose every entry differs.
std::vector<DibRgbQuad> Palette(uint8_t salt) {
    std::vector<DibRgbQuad> p(256);
    for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3 + salt), 0};
    return p;
}

const uint32_t kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

void MakePicture(DibHolder &h, int32_t width, int32_t signedHeight, int depth, uint8_t salt = 0) {
    const std::vector<DibRgbQuad> palette = Palette(salt);
    const void *table = depth == 8 ? static_cast<const void *>(palette.data())
                                   : depth == 32 ? static_cast<const void *>(kMasks888) : nullptr;
    ASSERT_TRUE(DibHolder_Create(h, width, signedHeight, depth, depth == 8 ? 256 : 0, 1, table));
    const DibInfoHeader &hd = *h.data->header;
    for (int32_t y = 0; y < Rows(hd); ++y)
        for (int32_t x = 0; x < hd.biWidth; ++x) {
            uint32_t v = Pattern(depth, x, y);
            if (depth == 32) v |= 0x5A000000u;  // outside every mask: cleared on the way out
            SetRawPixel(hd, h.data->bits, x, y, v);
        }
}

// The colour of a pixel as COLORREF-like 0xRRGGBB.
uint32_t Colour(const DibInfoHeader &h, const uint8_t *bits, int32_t x, int32_t y) {
    const uint32_t v = RawPixel(h, bits, x, y);
    if (h.biBitCount != 8) return v & 0xFFFFFF;
    const auto *table = reinterpret_cast<const DibRgbQuad *>(reinterpret_cast<const uint8_t *>(&h) + h.biSize);
    return uint32_t(table[v].red) << 16 | uint32_t(table[v].green) << 8 | table[v].blue;
}

// ---------------------------------------------------------------- clipboard

std::vector<uint8_t> ClipboardBytes(UINT format) {
    std::vector<uint8_t> out;
    if (!OpenClipboard(nullptr)) return out;
    HANDLE data = GetClipboardData(format);
    if (data != nullptr) {
        const SIZE_T size = GlobalSize(data);
        const void *p = GlobalLock(data);
        if (p != nullptr) {
            out.assign(static_cast<const uint8_t *>(p), static_cast<const uint8_t *>(p) + size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return out;
}

// Puts a block of these bytes on the clipboard as `format`, as another
// program would.
void PutBytes(HWND window, UINT format, const std::vector<uint8_t> &bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    ASSERT_NE(block, nullptr);
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    ASSERT_NE(Clip_SetData(window, format, block), nullptr);
}

tstring ClipboardText() {
    std::vector<uint8_t> b = ClipboardBytes(sizeof(TCHAR) == 2 ? CF_UNICODETEXT : CF_TEXT);
    if (b.size() < sizeof(TCHAR)) return tstring();
    return tstring(reinterpret_cast<const TCHAR *>(b.data()));
}

class ClipboardTest : public RealDibcoreSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        Settings_InitBoth(61);
        window_ = CreateWindow(TEXT("STATIC"), TEXT("clip"), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(Clip_Empty(window_), 1);
    }
    void TearDown() override {
        g_clipPhysicalMemory = Sys_GetTotalPhysMemory;
        SysSeams_Reset();
        if (window_ != nullptr) {
            Clip_Empty(window_);
            DestroyWindow(window_);
        }
    }

    HWND window_ = nullptr;
};


// ---------------------------------------------------------------- copy

TEST_F(ClipboardTest, CopyingASelectionGivesTheExactCrop) {
    struct Case {
        const char *name;
        int32_t width, signedHeight;
        int depth;
        SelRect rect;
        SelRect crop;  // what the rectangle means on the picture
    };
    const Case cases[] = {
        {"top-down 8-bit", 13, -9, 8, {3, 2, 10, 7}, {3, 2, 10, 7}},
        {"bottom-up 32-bit bit fields", 11, 7, 32, {2, 1, 9, 6}, {2, 1, 9, 6}},
        {"corners given the other way round", 11, 7, 32, {9, 6, 2, 1}, {2, 1, 9, 6}},
        {"past the right and bottom edges", 13, -9, 8, {8, 5, 40, 40}, {8, 5, 13, 9}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DibHolder source;
        MakePicture(source, c.width, c.signedHeight, c.depth);
        ASSERT_EQ(Clip_CopyImage(source, window_, &c.rect), kClipCopied);

        std::vector<uint8_t> block = ClipboardBytes(CF_DIB);
        ClipDibLayout layout;
        ASSERT_EQ(ClipDib_Check(block.data(), block.size(), &layout), kClipDibOk);
        const auto &h = *reinterpret_cast<const DibInfoHeader *>(block.data());
        const uint8_t *bits = block.data() + layout.bitsOffset;
        const int32_t w = c.crop.right - c.crop.left, rows = c.crop.bottom - c.crop.top;
        ASSERT_GE(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, w);
        EXPECT_EQ(Rows(h), rows);
        EXPECT_EQ(h.biBitCount, c.depth);
        EXPECT_EQ(h.biCompression, c.depth == 32 ? uint32_t(kDibBitFields) : uint32_t(kDibRgb));
        const DibInfoHeader &sh = *source.data->header;
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t want = RawPixel(sh, source.data->bits, c.crop.left + x, c.crop.top + y);
                const uint32_t got = RawPixel(h, bits, x, y);
                ASSERT_EQ(got, c.depth == 32 ? want & 0xFFFFFF : want) << x << "," << y;
                ASSERT_EQ(Colour(h, bits, x, y), Colour(sh, source.data->bits, c.crop.left + x, c.crop.top + y));
            }
        // The picture itself keeps what the copy cleaned.
        EXPECT_EQ(RawPixel(sh, source.data->bits, 0, 0) >> 24, c.depth == 32 ? 0x5Au : 0u);

        // Back from the clipboard into a picture: the same crop.
        DibHolder back;
        ASSERT_EQ(Clip_GetImage(back, window_), 1);
        ASSERT_EQ(DibHolder_GetWidth(back), w);
        ASSERT_EQ(DibHolder_GetHeight(back), rows);
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(Colour(*back.data->header, back.data->bits, x, y), Colour(h, bits, x, y));
    }
}

TEST_F(ClipboardTest, WholePictureAndRectanglesOffThePicture) {
    DibHolder source;
    MakePicture(source, 6, 4, 24);
    ASSERT_EQ(Clip_CopyImage(source, window_, nullptr), kClipCopied);
    std::vector<uint8_t> block = ClipboardBytes(CF_DIB);
    ASSERT_EQ(block.size(), 40u + 4 * 20);  // header and bits, no slack
    const SelRect outside = {6, 0, 9, 4};
    EXPECT_EQ(Clip_CopyImage(source, window_, &outside), kClipCopyFailed);
    DibHolder empty;
    EXPECT_EQ(Clip_CopyImage(empty, window_, nullptr), kClipCopyFailed);
}

uint32_t s_fakePhysical = 0;
uint32_t FakePhysical() { return s_fakePhysical; }

TEST_F(ClipboardTest, CopyOverTheMemoryLimitGivesOneAndCopiesNothing) {
    // 8 x 8 x 24 bits: a packed DIB of 40 + 192 = 232 bytes; the limit is a
    // quarter of the physical memory.
    DibHolder source;
    MakePicture(source, 8, 8, 24);
    g_clipPhysicalMemory = FakePhysical;
    struct Case {
        uint32_t physical;
        int result;
    };
    const Case cases[] = {{0, kClipTooLarge}, {3, kClipTooLarge}, {924, kClipTooLarge}, {928, kClipCopied}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.physical);
        ASSERT_EQ(Clip_SetText(4, window_, TEXT("keep")), 1);
        s_fakePhysical = c.physical;
        EXPECT_EQ(Clip_CopyImage(source, window_, nullptr), c.result);
        EXPECT_EQ(IsClipboardFormatAvailable(CF_DIB) != 0, c.result == kClipCopied);
        if (c.result != kClipCopied) {
            EXPECT_EQ(ClipboardText(), TEXT("keep"));
        }
    }
    // A selection is measured by its own size.
    s_fakePhysical = 924;
    const SelRect part = {0, 0, 8, 7};
    EXPECT_EQ(Clip_CopyImage(source, window_, &part), kClipCopied);
}

// ---------------------------------------------------------------- paste

TEST_F(ClipboardTest, PastingA24BitPictureIntoAn8BitOneMakesIt24Bits) {
    DibHolder clip;
    MakePicture(clip, 4, 3, 24);
    ASSERT_EQ(Clip_CopyImage(clip, window_, nullptr), kClipCopied);
    DibHolder target;
    MakePicture(target, 10, -8, 8, 40);
    DibHolder before;
    ASSERT_TRUE(DibHolder_CopyFrom(before, target));

    // The rectangle is larger than the clipboard picture: only 4 x 3 land.
    ASSERT_EQ(Clip_PasteIntoImage(window_, target, 2, 3, 8, 8), 1);
    ASSERT_EQ(DibHolder_GetBitCount(target), 24);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 6;
            const uint32_t want = inside ? Colour(*clip.data->header, clip.data->bits, x - 2, y - 3)
                                         : Colour(*before.data->header, before.data->bits, x, y);
            ASSERT_EQ(Colour(*target.data->header, target.data->bits, x, y), want) << x << "," << y;
        }
}

TEST_F(ClipboardTest, PastingTheSameLayoutCopiesStraightAndClips) {
    DibHolder clip;
    MakePicture(clip, 5, 5, 8, 9);
    ASSERT_EQ(Clip_CopyImage(clip, window_, nullptr), kClipCopied);
    DibHolder target;
    MakePicture(target, 10, -10, 8, 9);  // same palette, other row order
    DibHolder before;
    ASSERT_TRUE(DibHolder_CopyFrom(before, target));

    ASSERT_EQ(Clip_PasteIntoImage(window_, target, 8, 7, 20, 20), 1);
    ASSERT_EQ(DibHolder_GetBitCount(target), 8);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            const bool inside = x >= 8 && y >= 7;
            const uint32_t want = inside ? RawPixel(*clip.data->header, clip.data->bits, x - 8, y - 7)
                                         : RawPixel(*before.data->header, before.data->bits, x, y);
            ASSERT_EQ(RawPixel(*target.data->header, target.data->bits, x, y), want) << x << "," << y;
        }

    // A rectangle off the picture changes nothing, not even the depth of a
    // picture of another layout.
    DibHolder other;
    MakePicture(other, 4, 4, 24);
    EXPECT_EQ(Clip_PasteIntoImage(window_, other, 4, 0, 9, 4), 0);
    EXPECT_EQ(Clip_PasteIntoImage(window_, target, 3, 3, 3, 9), 0);
    ASSERT_EQ(Clip_Empty(window_), 1);
    EXPECT_EQ(Clip_PasteIntoImage(window_, target, 0, 0, 4, 4), 0);
}

TEST_F(ClipboardTest, ALyingClipboardDibIsRefused) {
    // A 40-byte header that claims 100 x 100000 pixels of 24 bits in a block
    // of 4 KB, as a broken or hostile program could leave it.
    std::vector<uint8_t> lying(4096, 0x77);
    DibInfoHeader h{};
    h.biSize = 40;
    h.biWidth = 100;
    h.biHeight = 100000;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::memcpy(lying.data(), &h, sizeof h);
    PutBytes(window_, CF_DIB, lying);

    DibHolder got;
    EXPECT_EQ(Clip_GetImage(got, window_), kClipDamaged);
    EXPECT_TRUE(got.empty());

    DibHolder target;
    MakePicture(target, 6, 6, 8);
    DibHolder before;
    ASSERT_TRUE(DibHolder_CopyFrom(before, target));
    EXPECT_EQ(Clip_PasteIntoImage(window_, target, 0, 0, 6, 6), kClipDamaged);
    ASSERT_EQ(DibHolder_GetBitCount(target), 8);
    EXPECT_EQ(std::memcmp(target.data->bits, before.data->bits, target.data->bitsSize), 0);

    // A run-length DIB whose stored size runs past the block.
    h.biWidth = 16;
    h.biHeight = 16;
    h.biBitCount = 8;
    h.biCompression = kDibRle8;
    h.biSizeImage = 100000;
    std::memcpy(lying.data(), &h, sizeof h);
    PutBytes(window_, CF_DIB, lying);
    EXPECT_EQ(Clip_GetImage(got, window_), kClipDamaged);
    EXPECT_EQ(Clip_PasteIntoImage(window_, target, 0, 0, 6, 6), kClipDamaged);

    CaptureBoxes boxes;
    Clip_ReportDamaged(window_);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find(TEXT("damaged")), tstring::npos);
    EXPECT_NE(boxes.boxes()[0].type & MB_ICONEXCLAMATION, 0u);
}

// ---------------------------------------------------------------- texts

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) { return nullptr; }

TEST_F(ClipboardTest, TextUsesTheBuildsTextFormat) {
    ASSERT_EQ(Clip_SetText(5, window_, TEXT("ab\\cdXYZ")), 1);
    EXPECT_EQ(ClipboardText(), TEXT("ab\\cd"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    const UINT first = EnumClipboardFormats(0);
    CloseClipboard();
    EXPECT_EQ(first, UINT(sizeof(TCHAR) == 2 ? CF_UNICODETEXT : CF_TEXT));

    // A failed allocation leaves an empty clipboard rather than old data.
    g_sys.globalAlloc = FailingGlobalAlloc;
    EXPECT_EQ(Clip_SetText(3, window_, TEXT("new")), 0);
    EXPECT_EQ(CountClipboardFormats(), 0);
}

class ClipboardPathText : public ClipboardTest {
protected:
    void SetUp() override {
        ClipboardTest::SetUp();
        ASSERT_TRUE(Format_RegisterBuiltins());
        g_imgDataHooks = ImgDataHooks{};
        g_imgDataHooks.area = FakeArea;
        ImgData_Construct();
    }
    void TearDown() override {
        ImgData_Shutdown();
        FileList_FreeCurrent();
        g_imgDataHooks = ImgDataHooks{};
        Format_DestroyRegistry();
        ClipboardTest::TearDown();
    }
    static int FakeArea(int32_t *width, int32_t *height, int32_t *vBar, int32_t *hBar) {
        *width = 100;
        *height = 80;
        *vBar = *hBar = 0;
        return 1;
    }
    // Sends the command through the dispatcher, as the menu does.
    tstring Command(UINT id) {
        CommandMessage m{window_, WM_COMMAND, WPARAM(id), 0};
        EXPECT_EQ(MenuProc_OnCommand(m), 0);
        return ClipboardText();
    }
    TempFolder folder_{TEXT("clip folder")};
};

TEST_F(ClipboardPathText, NamesOfAFileInAFolder) {
    ASSERT_TRUE(WriteFileBytes(folder_.Join(TEXT("a long picture name.bmp")), std::string("BM")));
    FileListSettings settings;
    uint32_t seed = 1;
    ASSERT_NE(FileList_MakeCurrent(0, folder_.path().c_str(), nullptr, settings, &seed), 0);
    ASSERT_EQ(ImgData_SetPathParts(0), 1);
    g_imgData.state = kImgStill;

    const tstring full = folder_.Join(TEXT("a long picture name.bmp"));
    const tstring folderName = folder_.path().substr(folder_.path().find_last_of(TEXT('\\')) + 1);
    EXPECT_EQ(Command(40421), TEXT("a long picture name.bmp"));
    EXPECT_EQ(Command(40422), full);
    EXPECT_EQ(Command(40423), folderName);
    EXPECT_EQ(Command(40424), folder_.path());

    const tstring shortPath = Command(40425);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_EQ(shortPath.find(TEXT(' ')), tstring::npos);
    TCHAR longPath[MAX_PATH];
    ASSERT_NE(GetLongPathName(shortPath.c_str(), longPath, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpi(longPath, full.c_str()), 0);
}

TEST_F(ClipboardPathText, ANewUnsavedPictureHasNoShortPath) {
    DibHolder picture;
    MakePicture(picture, 2, 2, 24);
    ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("Untitled 3")), 1);
    ASSERT_EQ(Clip_SetText(3, window_, TEXT("old")), 1);
    CommandMessage m{window_, WM_COMMAND, WPARAM(40425), 0};
    EXPECT_EQ(MenuProc_OnCommand(m), 0);
    EXPECT_EQ(CountClipboardFormats(), 0);
    // The name is there to copy; the folder texts are not (no list).
    EXPECT_EQ(Command(40421), TEXT("Untitled 3"));
    ASSERT_EQ(Clip_SetText(3, window_, TEXT("old")), 1);
    EXPECT_EQ(Clip_CopyPathText(40423, window_), 0);
    EXPECT_EQ(CountClipboardFormats(), 0);
}

}  // namespace
