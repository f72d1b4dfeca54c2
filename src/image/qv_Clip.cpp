#include "image/qv_Clip.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "../../res/resource.h"
#include "image/qv_ClipDibCore.h"
#include "image/qv_DibApi.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "other/qv_Dlg.h"
#include "other/qv_MenuState.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_SysSeams.h"
#include "util/qv_Str.h"

uint32_t (*g_clipPhysicalMemory)() = Sys_GetTotalPhysMemory;

namespace {

// Option byte: the largest clipboard copy in percent of physical memory. It
// has no configuration key, so it keeps its default.
constexpr int kOptClipboardPercent = 56;

constexpr UINT kCmdCopyFileName = 40421;
constexpr UINT kCmdCopyFullPath = 40422;
constexpr UINT kCmdCopyFolderName = 40423;
constexpr UINT kCmdCopyFolderPath = 40424;
constexpr UINT kCmdCopyShortPath = 40425;

// A short path longer than this is not offered.
constexpr DWORD kShortPathMaxChars = 261;

#ifdef UNICODE
constexpr UINT kTextFormat = CF_UNICODETEXT;
#else
constexpr UINT kTextFormat = CF_TEXT;
#endif

// Another program (a clipboard viewer) may hold the clipboard open for a
// moment after every change, so opening is tried a few times.
bool OpenClipboardRetrying(HWND window) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(window)) return true;
        Sleep(10);
    }
    return false;
}

class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND window) : open_(OpenClipboardRetrying(window)) {}
    ~ClipboardOpen() {
        if (open_) CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen &) = delete;
    ClipboardOpen &operator=(const ClipboardOpen &) = delete;
    bool ok() const { return open_; }
    // Closes early, so the clipboard is free while long work runs.
    void Close() {
        if (open_) CloseClipboard();
        open_ = false;
    }

private:
    bool open_;
};

class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    GlobalLockGuard(const GlobalLockGuard &) = delete;
    GlobalLockGuard &operator=(const GlobalLockGuard &) = delete;
    uint8_t *data() const { return static_cast<uint8_t *>(data_); }

private:
    HGLOBAL block_;
    void *data_;
};

// The clipboard's DIB, opened, locked and checked against its block:
// result() is 1 when data() and layout() may be used, else what the caller
// answers (0 nothing usable, kClipDamaged a DIB that claims more than its
// block holds). Everything is released in reverse order on every path.
class ClipboardDib {
public:
    explicit ClipboardDib(HWND window)
        : open_(window),
          handle_(open_.ok() ? static_cast<HGLOBAL>(GetClipboardData(CF_DIB)) : nullptr),
          lock_(handle_) {
        if (lock_.data() == nullptr) return;
        const ClipDibVerdict verdict = ClipDib_Check(lock_.data(), GlobalSize(handle_), &layout_);
        result_ = verdict == kClipDibOk ? 1 : verdict == kClipDibDamaged ? kClipDamaged : 0;
    }
    ClipboardDib(const ClipboardDib &) = delete;
    ClipboardDib &operator=(const ClipboardDib &) = delete;
    int result() const { return result_; }
    const uint8_t *data() const { return lock_.data(); }
    const uint8_t *bits() const { return lock_.data() + layout_.bitsOffset; }

private:
    ClipboardOpen open_;
    HGLOBAL handle_;
    GlobalLockGuard lock_;
    ClipDibLayout layout_{};
    int result_ = 0;
};

bool IsUncompressed(const void *packed) {
    DibFields f;
    if (Dib_GetHeaderFields(packed, &f) == 0) return false;
    return f.compression == kDibRgb || f.compression == kDibBitFields;
}

// A text, its length in characters and a block that owns it when it was
// made here.
struct PathText {
    const TCHAR *text = nullptr;
    int32_t length = 0;
    TCHAR *owned = nullptr;
    PathText() = default;
    ~PathText() { std::free(owned); }
    PathText(const PathText &) = delete;
    PathText &operator=(const PathText &) = delete;
};

int32_t Length(const TCHAR *s) { return s == nullptr ? 0 : int32_t(lstrlen(s)); }

bool IsSeparator(TCHAR c) { return c == TEXT('\\') || c == TEXT('/'); }

// The last component of a path; trailing separators are not part of it. A
// root ("C:\") has none, and the whole path stands in for it. Steps by
// characters so that a double-byte character's trail byte is never taken
// for a separator.
void LastComponent(const TCHAR *path, PathText *out) {
    const TCHAR *segmentStart = nullptr, *segmentEnd = nullptr;
    bool inSegment = false;
    for (const TCHAR *p = path; *p != 0; p = Str_NextChar(p)) {
        if (IsSeparator(*p)) {
            inSegment = false;
            continue;
        }
        if (!inSegment) segmentStart = p;
        inSegment = true;
        segmentEnd = Str_NextChar(p);
    }
    const bool driveOnly = segmentStart == path && segmentEnd - segmentStart == 2 && path[1] == TEXT(':');
    if (segmentStart == nullptr || driveOnly) {
        out->text = path;
        out->length = Length(path);
        return;
    }
    out->text = segmentStart;
    out->length = int32_t(segmentEnd - segmentStart);
}

// The current file as one path: a member of an archive is the archive's
// path and the member's inner path joined by a backslash.
bool FullPath(PathText *out) {
    if (g_imgData.pathText == nullptr || g_imgData.pathText[0] == 0) return false;
    if ((g_imgData.state & kImgArchiveMember) && g_imgData.memberPart != nullptr) {
        const int32_t a = Length(g_imgData.pathText), m = Length(g_imgData.memberPart);
        TCHAR *joined = static_cast<TCHAR *>(std::malloc((size_t(a) + 1 + size_t(m) + 1) * sizeof(TCHAR)));
        if (joined == nullptr) return false;
        std::memcpy(joined, g_imgData.pathText, size_t(a) * sizeof(TCHAR));
        joined[a] = TEXT('\\');
        std::memcpy(joined + a + 1, g_imgData.memberPart, (size_t(m) + 1) * sizeof(TCHAR));
        out->owned = joined;
        out->text = joined;
        out->length = a + 1 + m;
        return true;
    }
    out->text = g_imgData.pathText;
    out->length = Length(g_imgData.pathText);
    return true;
}

const TCHAR *ListPathText() {
    const FileList *list = FileList_Current();
    if (list == nullptr || list->path == nullptr || list->path[0] == 0) return nullptr;
    return list->path;  // an archive list: the archive, up to its first NUL
}

bool ShortPath(PathText *out) {
    // Only a picture that has a file; for an archive member the record's
    // path starts with the archive's.
    if ((g_imgData.state & kImgNoFile) || g_imgData.pathText == nullptr || g_imgData.pathText[0] == 0) return false;
    TCHAR *buffer = static_cast<TCHAR *>(std::malloc((kShortPathMaxChars + 1) * sizeof(TCHAR)));
    if (buffer == nullptr) return false;
    out->owned = buffer;
    const DWORD n = GetShortPathName(g_imgData.pathText, buffer, kShortPathMaxChars + 1);
    // A result above the buffer is the size it would need.
    if (n == 0 || n > kShortPathMaxChars) return false;
    out->text = buffer;
    out->length = int32_t(n);
    return true;
}

bool PathTextOf(UINT command, PathText *out) {
    switch (command) {
        case kCmdCopyFileName:
            if (g_imgData.fileName != nullptr && g_imgData.fileName[0] != 0) {
                out->text = g_imgData.fileName;
                out->length = Length(g_imgData.fileName);
                return true;
            }
            return FullPath(out);
        case kCmdCopyFullPath:
            return FullPath(out);
        case kCmdCopyFolderName: {
            const TCHAR *path = ListPathText();
            if (path == nullptr) return false;
            LastComponent(path, out);
            return true;
        }
        case kCmdCopyFolderPath: {
            const TCHAR *path = ListPathText();
            if (path == nullptr) return false;
            out->text = path;
            out->length = Length(path);
            return true;
        }
        case kCmdCopyShortPath:
            return ShortPath(out);
        default:
            return false;
    }
}

}  // namespace

int Clip_Empty(HWND window) {
    ClipboardOpen open(window);
    if (!open.ok()) return 0;
    return EmptyClipboard() ? 1 : 0;
}

HANDLE Clip_SetData(HWND window, UINT format, HANDLE data) {
    if (data == nullptr) return nullptr;
    ClipboardOpen open(window);
    if (!open.ok() || !EmptyClipboard()) return nullptr;
    return SetClipboardData(format, data);
}

int Clip_SetText(int32_t length, HWND window, const TCHAR *text) {
    HGLOBAL block = nullptr;
    if (text != nullptr && length >= 0) block = g_sys.globalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE,
                                                                   (SIZE_T(length) + 1) * sizeof(TCHAR));
    bool filled = false;
    if (block != nullptr) {
        GlobalLockGuard lock(block);
        if (lock.data() != nullptr) {
            TCHAR *to = reinterpret_cast<TCHAR *>(lock.data());
            std::memcpy(to, text, size_t(length) * sizeof(TCHAR));
            to[length] = 0;
            filled = true;
        }
    }
    if (filled && Clip_SetData(window, kTextFormat, block) != nullptr) return 1;
    if (block != nullptr) GlobalFree(block);
    Clip_Empty(window);
    return 0;
}

int Clip_CopyImage(const DibHolder &picture, HWND window, const SelRect *rect) {
    if (picture.empty() || picture.data == nullptr || picture.data->header == nullptr) return kClipCopyFailed;
    const uint32_t limit =
        ClipDib_CopyLimit(g_clipPhysicalMemory != nullptr ? g_clipPhysicalMemory() : 0,
                          g_settings.option[kOptClipboardPercent]);
    if (limit == 0) return kClipTooLarge;

    const DibInfoHeader *header = picture.data->header;
    const int32_t width = DibHolder_GetWidth(picture), height = DibHolder_GetHeight(picture);
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return kClipCopyFailed;
    const int32_t w = r.right - r.left, h = r.bottom - r.top;

    // The size is known before anything is cut or allocated, so a picture
    // over the limit costs no memory at all.
    const uint32_t tableEnd = Dib_HeaderAndPaletteSize(header);
    uint32_t high = 0;
    const uint32_t low = Dib_CalcImageSizeWH(w, h, header->biBitCount, &high);
    if (tableEnd == 0 || (low == 0 && high == 0)) return kClipCopyFailed;
    const uint64_t estimate = uint64_t(tableEnd) + (uint64_t(high) << 32 | low);
    if (estimate > limit) return kClipTooLarge;

    // A part is cut out; so is a run-length picture, whose cut comes out
    // uncompressed (other programs seldom read run-length DIBs).
    DibHolder cut;
    const DibHolder *source = &picture;
    const bool whole = r.left == 0 && r.top == 0 && w == width && h == height;
    if (!whole || Dib_IsRleCompressed(header)) {
        if (!DibHolder_AttachNew(cut, Dibcore_CutDIB(picture.handle, r.left, r.top, w, h))) return kClipCopyFailed;
        source = &cut;
    }
    const DibData &s = *source->data;
    if (s.header == nullptr || s.bits == nullptr || s.header->biSize < sizeof(DibInfoHeader)) return kClipCopyFailed;
    const uint32_t sourceTable = Dib_HeaderAndPaletteSize(s.header);
    uint32_t bitsHigh = 0;
    const uint32_t bits = Dib_CalcSize(s.header, 0, 0, &bitsHigh);
    if (sourceTable == 0 || sourceTable > s.headerSize || bitsHigh != 0 || bits > s.bitsSize)
        return kClipCopyFailed;
    const uint64_t total = uint64_t(sourceTable) + bits;
    if (total > limit) return kClipTooLarge;

    HGLOBAL block = g_sys.globalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, SIZE_T(total));
    if (block == nullptr) return kClipCopyFailed;
    {
        GlobalLockGuard lock(block);
        if (lock.data() == nullptr) {
            GlobalFree(block);
            return kClipCopyFailed;
        }
        std::memcpy(lock.data(), s.header, sourceTable);
        std::memcpy(lock.data() + sourceTable, s.bits, bits);
        DibInfoHeader info;
        std::memcpy(&info, lock.data(), sizeof info);
        info.biSizeImage = bits;
        std::memcpy(lock.data(), &info, sizeof info);
        // The copy, not the picture, is cleaned for export.
        Dib_NormalizeBits(lock.data(), lock.data() + sourceTable);
    }
    if (Clip_SetData(window, CF_DIB, block) == nullptr) {
        GlobalFree(block);
        return kClipCopyFailed;
    }
    return kClipCopied;
}

int Clip_GetImage(DibHolder &holder, HWND window) {
    if (!holder.empty() || !IsClipboardFormatAvailable(CF_DIB)) return 0;
    const ClipboardDib dib(window);
    if (dib.result() != 1) return dib.result();
    // CreateDIB copies the picture; a picture that cannot be locked is
    // deleted by the holder.
    return DibHolder_CreateDIB(holder, dib.data(), dib.bits()) ? 1 : 0;
}

int Clip_PasteIntoImage(HWND window, DibHolder &target, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (target.empty() || target.data == nullptr || target.data->header == nullptr) return 0;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    // A rectangle that misses the picture changes nothing, not even the
    // depth.
    if (right <= 0 || bottom <= 0 || left >= DibHolder_GetWidth(target) || top >= DibHolder_GetHeight(target) ||
        left == right || top == bottom)
        return 0;
    if (!IsClipboardFormatAvailable(CF_DIB)) return 0;
    const int64_t w64 = int64_t(right) - left, h64 = int64_t(bottom) - top;
    const int32_t w = w64 > INT32_MAX ? INT32_MAX : int32_t(w64), h = h64 > INT32_MAX ? INT32_MAX : int32_t(h64);

    DibHolder pasted;
    {
        const ClipboardDib dib(window);
        if (dib.result() != 1) return dib.result();
        if (IsUncompressed(target.data->header) && IsUncompressed(dib.data()) &&
            Dib_SameFormat(target.data->header, dib.data(), true)) {
            return Dib_CopyRect(target.data->header, target.data->bits, left, top, w, h, dib.data(), dib.bits(), 0, 0)
                       ? 1
                       : 0;
        }
        if (!DibHolder_CreateDIB(pasted, dib.data(), dib.bits())) return 0;
    }
    // The clipboard is free again; both pictures meet at 24 bits.
    if (!DibHolder_To24Bit(target, 0) || !DibHolder_To24Bit(pasted, 0)) return 0;
    return DibHolder_PasteRect(target, pasted, left, top, w, h, 0, 0) ? 1 : 0;
}

void Clip_ReportDamaged(HWND owner) {
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_MB_PASTECLIP"))) return;
    Msg_BoxById(owner, IDS_CLIP_DAMAGED, MB_OK | MB_ICONEXCLAMATION, 0);
    DlgGuard_Release(&guard);
}

int Clip_CopyPathText(UINT command, HWND window) {
    PathText text;
    if (!PathTextOf(command, &text) || text.text == nullptr) {
        Clip_Empty(window);
        return 0;
    }
    return Clip_SetText(text.length, window, text.text);
}

int Clip_OnCopyNameText(HWND frame, UINT id) {
    if (id < kCmdCopyFileName || id > kCmdCopyShortPath) return 1;
    Clip_CopyPathText(id, frame);
    Menu_UpdatePasteState(1);
    return 0;
}
