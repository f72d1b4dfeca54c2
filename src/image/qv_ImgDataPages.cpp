// The two-page view of comic mode and the automatic rotation of the current
// picture. The layout arithmetic lives in qv_ZoomCore.
#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "image/qv_ImgLoad.h"
#include "image/qv_ResizeHandle.h"
#include "image/qv_ZoomCore.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"

namespace {

constexpr int kOptComicLeftToRight = 49;
constexpr int kOptComicAuto = 50;
constexpr int kOptComicPreRotate = 51;
constexpr int kOptComicMargin = 52;
constexpr int kOptRotate = 86;
constexpr int kIntComicMarginColour = 6;
constexpr int kComicViewMode = 4;  // the zoom-quality slot of comic pages

int32_t TurnFor(const DibHolder &h) {
    return AutoRotate_Degrees(g_settings.option[kOptRotate], DibHolder_GetWidth(h), DibHolder_GetHeight(h));
}

bool Portrait(const DibHolder &h) { return DibHolder_GetHeight(h) >= DibHolder_GetWidth(h); }

// Fills a 24-bit picture with a COLORREF (red in the low byte).
void Fill24(DibHolder &h, uint32_t colour) {
    const DibData *d = h.data;
    if (d == nullptr || d->bits == nullptr) return;
    const int64_t width = DibHolder_GetWidth(h), height = DibHolder_GetHeight(h);
    const uint64_t stride = (uint64_t(width) * 24 + 31) / 32 * 4;
    const uint8_t b = uint8_t(colour >> 16), g = uint8_t(colour >> 8), r = uint8_t(colour);
    for (int64_t y = 0; y < height; ++y) {
        uint8_t *row = d->bits + uint64_t(y) * stride;
        for (int64_t x = 0; x < width; ++x) {
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
}

// A page resized to its matched size with the comic resampling methods.
bool Resize(DibHolder &page, int32_t width, int32_t height) {
    DibHolder resized;
    if (!DibHolder_CreateResized(page, resized, width, height, Zoom_MethodForMode(kComicViewMode, 1),
                                 Zoom_MethodForMode(kComicViewMode, 0)))
        return false;
    DibHolder_Free(page);
    return DibHolder_AttachNew(page, DibHolder_Take(resized)) != 0;
}

bool CanvasAllowed(int32_t width, int32_t height) {
    const uint64_t bytes = (uint64_t(width) * 24 + 31) / 32 * 4 * uint64_t(height);
    uint64_t memory = Sys_GetTotalPhysMemory();
    if (memory == 0 || memory == 0xFFFFFFFFu) memory = uint64_t{1} << 32;
    if (bytes <= memory / 2) return true;
    return g_imgDataHooks.confirmLargeSize != nullptr && g_imgDataHooks.confirmLargeSize(width, height) == 1;
}

}  // namespace

int ImgData_AutoRotate() {
    if (!(g_imgData.state & kImgStill) || g_imgData.image.empty()) return 0;
    const int32_t degrees = TurnFor(g_imgData.image);
    if (degrees == 0) return 0;
    ImgData_FreeImage(1);
    return DibHolder_Turn(g_imgData.image, degrees) ? 1 : 0;
}

int ImgData_ComposeTwoPages(int32_t direction) {
    const bool automatic = g_settings.option[kOptComicAuto] != 0;
    FileList *list = FileList_Current();
    if (list == nullptr || g_imgData.image.empty()) return 0;
    if (automatic && !Portrait(g_imgData.image)) return 0;
    // Archive members would need extracting; the two-page view takes
    // pages from folders.
    if (list->isArchive) return 0;
    const int dir = direction < 0 ? -1 : 1;
    const int32_t neighbour = FileList_NextListed(*list, int64_t(g_imgData.listIndex) + dir, dir);
    if (neighbour < 0) return 0;

    const TCHAR *base = list->path != nullptr ? list->path : TEXT("");
    const FileListEntry &entry = list->files.items[neighbour];
    size_t baseLength = 0, nameLength = 0;
    while (base[baseLength] != 0) ++baseLength;
    while (entry.find.name[nameLength] != 0) ++nameLength;
    TCHAR *path = static_cast<TCHAR *>(std::malloc((baseLength + nameLength + 2) * sizeof(TCHAR)));
    if (path == nullptr) return 0;
    std::memcpy(path, base, baseLength * sizeof(TCHAR));
    size_t at = baseLength;
    if (baseLength > 0 && base[baseLength - 1] != TEXT('\\') && base[baseLength - 1] != TEXT('/'))
        path[at++] = TEXT('\\');
    std::memcpy(path + at, entry.find.name, (nameLength + 1) * sizeof(TCHAR));

    LoadOptions options;
    ImgData_FillLoadOptions(&options);
    LoadedImage other;
    const int decoded = ImgLoad_FromSource(&other, path, nullptr, nullptr, 0, entry.type, 1, 0, options);
    std::free(path);
    if (decoded != 0 || !(other.flags & kLoadedStill) || other.image.empty()) return 0;
    if (g_settings.option[kOptComicPreRotate]) {
        const int32_t degrees = TurnFor(other.image);
        if (degrees != 0 && !DibHolder_Turn(other.image, degrees)) return 0;
    }
    if (automatic && !Portrait(other.image)) return 0;

    TwoPageLayout layout{};
    if (!TwoPage_Layout(DibHolder_GetWidth(g_imgData.image), DibHolder_GetHeight(g_imgData.image),
                        DibHolder_GetWidth(other.image), DibHolder_GetHeight(other.image),
                        g_settings.option[kOptComicMargin], dir, g_settings.option[kOptComicLeftToRight] != 0,
                        &layout))
        return 0;
    if (!CanvasAllowed(layout.canvasWidth, layout.canvasHeight)) return 0;

    // The current page is resized in a copy, so a failure leaves it as it was.
    DibHolder current;
    if (!DibHolder_CopyFrom(current, g_imgData.image)) return 0;
    if (layout.resized == 1 && !Resize(current, layout.currentWidth, layout.currentHeight)) return 0;
    if (layout.resized == 2 && !Resize(other.image, layout.neighbourWidth, layout.neighbourHeight)) return 0;
    if (!DibHolder_To24Bit(current, 0) || !DibHolder_To24Bit(other.image, 0)) return 0;

    DibHolder canvas;
    if (!DibHolder_Create(canvas, layout.canvasWidth, layout.canvasHeight, 24, 0, 0, nullptr)) return 0;
    Fill24(canvas, uint32_t(g_settings.optInt[kIntComicMarginColour]));
    if (!DibHolder_PasteRect(canvas, current, layout.currentX, layout.currentY, layout.currentWidth,
                             layout.currentHeight, 0, 0) ||
        !DibHolder_PasteRect(canvas, other.image, layout.neighbourX, layout.neighbourY, layout.neighbourWidth,
                             layout.neighbourHeight, 0, 0))
        return 0;

    // The spread replaces the page; a failure puts the page back.
    DibHolder page;
    DibHolder_AttachNew(page, DibHolder_Take(g_imgData.image));
    ImgData_FreeImage(1);
    if (!DibHolder_AttachNew(g_imgData.image, DibHolder_Take(canvas))) {
        DibHolder_AttachNew(g_imgData.image, DibHolder_Take(page));
        return 0;
    }
    // Moving back, the spread is named by its earlier page.
    if (dir < 0 && ImgData_SetPathParts(neighbour)) {
        g_imgData.listIndex = neighbour;
        g_imgData.loaderId = other.loaderId;
        g_imgData.colourKind = other.colourKind;
        g_imgData.transparency = other.transparency;
        g_imgData.width = other.width;
        g_imgData.height = other.height;
        g_imgData.bitsPerPixel = other.bitsPerPixel;
    }
    g_imgData.loadMs += int32_t(other.loadMs);
    return 1;
}
