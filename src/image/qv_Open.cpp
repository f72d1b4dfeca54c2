#include "image/qv_Open.h"

#include "image/qv_DropList.h"
#include "image/qv_FileList.h"
#include "image/qv_FileListOptions.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "util/qv_FileStream.h"
#include "util/qv_Path.h"
#include "util/qv_Registry.h"
#include "util/qv_Str.h"
#include "util/qv_StrBuf.h"
#include "util/qv_Text.h"

OpenSeams g_openSeams = {ImgData_Load, ImgData_SetListIndex};
OpenHooks g_openHooks;

namespace {

constexpr int kOptComicMode = 48;
constexpr int kOptSpiPrior = 88;
// A shortcut's target is read into this many characters; a longer target is
// refused rather than opened cut.
constexpr int kShortcutChars = 1024;

using PathBuf = StrBufN<kShortcutChars>;

bool HasRoot(const TCHAR *path) {
    const TCHAR *afterRoot = nullptr;
    return Path_Split(path, &afterRoot, nullptr, nullptr, nullptr) && afterRoot != path;
}

// Copies text into the buffer; null when it cannot grow.
TCHAR *CopyTo(PathBuf *buffer, const TCHAR *text) {
    const size_t n = qvtext::Length(text);
    if (n + 1 > size_t(INT32_MAX / sizeof(TCHAR))) return nullptr;
    TCHAR *p = buffer->Reserve(int(n + 1));
    if (p != nullptr) qvtext::CopyInto(p, n + 1, text);
    return p;
}

// Trailing separators removed, but never the root's.
void TrimSeparators(TCHAR *path) {
    while (Path_RemoveTrailingSep(path)) {
    }
}

bool IsShortcut(const TCHAR *path) {
    const TCHAR *extension = nullptr;
    return Path_Split(path, nullptr, nullptr, nullptr, &extension) && extension != nullptr &&
           lstrcmpi(extension, TEXT(".lnk")) == 0;
}

// Shortens a missing path one component at a time until a prefix exists.
// A file prefix ends the walk: `path` is cut there and *remainder points at
// what followed it in `full` (null when nothing did). A folder prefix, or a
// path that cannot be shortened, fails.
bool WalkUpToFile(TCHAR *path, const TCHAR *full, const TCHAR **remainder, DWORD *attributes) {
    for (;;) {
        const TCHAR *afterRoot = nullptr;
        if (!Path_Split(path, &afterRoot, nullptr, nullptr, nullptr)) return false;
        TCHAR *cut = nullptr;
        for (const TCHAR *q = afterRoot; *q != 0; q = Str_NextChar(q))
            if (Path_IsSeparator(*q)) cut = const_cast<TCHAR *>(q);
        if (cut == nullptr || cut == path) return false;
        const size_t at = size_t(cut - path);
        *cut = 0;
        TrimSeparators(path);
        if (path[0] == 0) return false;
        if (!File_GetAttributes(attributes, path)) continue;
        if (*attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
        const TCHAR *rest = full + at;
        while (Path_IsSeparator(*rest)) ++rest;
        *remainder = rest[0] != 0 ? rest : nullptr;
        return HasRoot(path);
    }
}

int32_t FindFile(const TCHAR *name) {
    FileList *list = FileList_Current();
    int32_t index = -1;
    if (list == nullptr || name == nullptr || !FileList_Find(*list, 1, name, &index)) return -1;
    return index;
}

int BuildList(int namedOnly, const TCHAR *listPath, const TCHAR *name) {
    if (g_openHooks.stopSlideShow != nullptr) g_openHooks.stopSlideShow();
    FileListSettings settings;
    FileList_SettingsFromOptions(&settings);
    return FileList_MakeCurrent(namedOnly, listPath, name, settings, &g_process.shuffleSeed);
}

void LoadSelected(int32_t index) {
    if (index >= 0)
        g_openSeams.load(index, kLoadIndex);
    else
        g_openSeams.load(0, kLoadFirst);
}

void RepaintFrameNow() {
    HWND frame = g_process.frameWindow;
    if (frame == nullptr || g_settings.option[kOptFullScreen]) return;
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The full listing after the named file was shown alone.
void CompleteNamedOnlyList(const TCHAR *listPath, const TCHAR *name) {
    RepaintFrameNow();
    FileListSettings settings;
    FileList_SettingsFromOptions(&settings);
    if (FileList_MakeCurrent(0, listPath, name, settings, &g_process.shuffleSeed)) {
        const int32_t index = FindFile(name);
        if (index >= 0) {
            g_openSeams.setListIndex(index, 1);
        } else {
            g_imgData.state |= kImgNoFile | kImgNotInList;
            ImgData_UpdateTitleStatus();
        }
    }
    if (g_openHooks.refreshToolbar != nullptr) g_openHooks.refreshToolbar();
}

// The name the record's picture has in the current list.
const TCHAR *CurrentListName() {
    if ((g_imgData.state & kImgArchiveMember) && g_imgData.memberPart != nullptr) return g_imgData.memberPart;
    return g_imgData.fileName;
}

int ReceiveHandOver(const TCHAR *dir, const TCHAR *const *args, int count, size_t bytes) {
    DropList_Clear(&g_pendingDrops);
    return Instance_ReceiveCommandLine(count, args, bytes, dir) ? g_pendingDrops.count : 0;
}

int FillFromDrop(HDROP drop) {
    DropList_Clear(&g_pendingDrops);
    return DropList_FromHdrop(&g_pendingDrops, drop) ? g_pendingDrops.count : 0;
}

int OpenExisting(const TCHAR *path, const TCHAR *member) { return Open_Path(path, member, 0); }
bool HaveFileList() { return FileList_Current() != nullptr; }
void RefreshKeepingCurrent() { Open_RefreshList(0); }

}  // namespace

int Open_Path(const TCHAR *path, const TCHAR *name, int walkUp) {
    if (path == nullptr || path[0] == 0) return 0;
    if (name != nullptr && name[0] == 0) name = nullptr;
    PathBuf work;
    TCHAR *p = CopyTo(&work, path);
    if (p == nullptr) return 0;
    TrimSeparators(p);
    if (!HasRoot(p)) return 0;

    if (IsShortcut(p)) {
        TCHAR target[kShortcutChars];
        // A shortcut that does not resolve is opened as the file it is.
        if (Util_ResolveShortcut(p, target)) {
            p = CopyTo(&work, target);
            if (p == nullptr) return 0;
            TrimSeparators(p);
            if (!HasRoot(p)) return 0;
        }
    }

    DWORD attributes = 0;
    PathBuf full;  // the path before the walk, for the remainder
    if (!File_GetAttributes(&attributes, p)) {
        if (!walkUp || name != nullptr) return 0;
        const TCHAR *whole = CopyTo(&full, p);
        if (whole == nullptr || !WalkUpToFile(p, whole, &name, &attributes)) return 0;
    }

    // The list path (p, cut to the folder for a plain file) and the name to select.
    TCHAR fileName[kFileNameUnits];
    const TCHAR *select = name;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const TCHAR *namePart = nullptr;
        if (!Path_Split(p, nullptr, nullptr, &namePart, nullptr) || namePart == nullptr) return 0;
        if (Format_IdFromPath(p, g_settings.option[kOptSpiPrior] != 0) < kFirstArchiveType) {
            if (namePart - p < 1 || qvtext::Length(namePart) >= size_t(kFileNameUnits)) return 0;
            qvtext::CopyInto(fileName, kFileNameUnits, namePart);
            select = fileName;  // a name given for a plain file is dropped
            p[namePart - p] = 0;
            TrimSeparators(p);
            if (p[0] == 0) return 0;
        }
    }

    bool namedOnly = g_settings.option[kOptComicMode] == 0 && select != nullptr;
    FileList *current = FileList_Current();
    const bool reuse = current != nullptr && select != nullptr && Path_IsSame(1, current->path, p);
    bool namedPending = false;
    if (!reuse) {
        const int scan = BuildList(namedOnly, p, select);
        if (scan == 0) return 0;
        namedPending = namedOnly && scan == 2;
    }

    if (g_openHooks.commitRecentFolder != nullptr) g_openHooks.commitRecentFolder(1);
    if (g_openHooks.clearFolderMarks != nullptr) g_openHooks.clearFolderMarks();

    int32_t index = FindFile(select);
    if (select != nullptr && index < 0 && reuse) {
        // The folder changed since it was listed.
        const int scan = BuildList(namedOnly, p, select);
        if (scan == 0) return 0;
        namedPending = namedOnly && scan == 2;
        index = FindFile(select);
    }
    LoadSelected(index);
    if (namedPending) CompleteNamedOnlyList(p, select);

    if (g_openHooks.commitRecentFolder != nullptr) g_openHooks.commitRecentFolder(0);
    return 1;
}

void Open_RefreshList(int force) {
    FileList *list = FileList_Current();
    if (list == nullptr) return;
    if ((g_imgData.state & (kImgMovedAway | kImgDeleted)) && g_imgData.pathText != nullptr &&
        g_imgData.pathText[0] != 0 && !Path_Exists(g_imgData.pathText))
        return;
    if (!force && list->isArchive && FileList_ArchiveChanged(*list) == 0) return;

    // The name is copied: the old list and the record's texts may change.
    TCHAR name[kFileNameUnits];
    const TCHAR *remembered = nullptr;
    const TCHAR *current = CurrentListName();
    if (!(g_imgData.state & kImgNew) && current != nullptr && current[0] != 0 &&
        qvtext::Length(current) < size_t(kFileNameUnits)) {
        qvtext::CopyInto(name, kFileNameUnits, current);
        remembered = name;
    }
    PathBuf listPath;
    if (CopyTo(&listPath, list->path) == nullptr) return;
    FileListSettings settings;
    FileList_SettingsFromOptions(&settings);
    const bool rebuilt = FileList_MakeCurrent(0, listPath.Data(), remembered, settings, &g_process.shuffleSeed) != 0;
    if (rebuilt && (g_imgData.state & (kImgMovedAway | kImgDeleted))) {
        g_imgData.state &= ~uint32_t(kImgMovedAway | kImgDeleted);
        if (!(g_imgData.state & (kImgNew | kImgNotInList))) g_imgData.state &= ~uint32_t(kImgNoFile);
    }
    if (!rebuilt) list->loaderId = 0;  // the old list stays; its members can no longer be extracted
    if (remembered != nullptr) {
        const int32_t index = rebuilt ? FindFile(remembered) : -1;
        if (index >= 0) {
            g_imgData.state &= ~uint32_t(kImgNotInList);
            g_openSeams.setListIndex(index, 1);
        } else {
            g_imgData.state |= kImgNoFile | kImgNotInList;
            ImgData_UpdateTitleStatus();
        }
    }
    if (g_openHooks.refreshToolbar != nullptr) g_openHooks.refreshToolbar();
}

int Open_PendingList() {
    // The list is taken out first, so a drop handled while a picture loads
    // fills a fresh list instead of freeing this one.
    DropList pending = g_pendingDrops;
    DropList_Init(&g_pendingDrops);
    if (!pending.filled) return 0;
    if (g_openHooks.pauseSlideShow != nullptr) g_openHooks.pauseSlideShow(1);
    int opened = 0;
    for (int32_t i = 0; i < pending.count && !opened; ++i)
        if (pending.items[i][0] != 0) opened = Open_Path(pending.items[i], nullptr, 1);
    if (g_openHooks.pauseSlideShow != nullptr) g_openHooks.pauseSlideShow(0);
    DropList_Clear(&pending);
    return opened;
}

int Open_CommandLineAtStart() {
    if (g_cmdLine.blank) return 0;
    if (g_cmdLine.getClip) {
        if (g_process.frameWindow != nullptr) PostMessage(g_process.frameWindow, WM_COMMAND, kCmdPasteAsNew, 0);
        return 0;
    }
    DropList_Clear(&g_pendingDrops);
    if (Instance_ReceiveCommandLine(g_cmdLine.argc, g_cmdLine.argv, uint64_t(g_cmdLine.argBufferBytes > 0
                                                                              ? g_cmdLine.argBufferBytes
                                                                              : 0),
                                    CmdLine_StartDirectory())) {
        Frame_OpenPending();
        DropList_Clear(&g_pendingDrops);  // also when the frame was too busy to open it
        return 1;
    }
    const auto *last = static_cast<const TCHAR *>(g_settings.lastFile);
    if (g_settings.option[kOptOpenLast] && last != nullptr && Path_Exists(last))
        return Frame_OpenLast(last, static_cast<const TCHAR *>(g_settings.lastMember));
    return 0;
}

void Open_InstallHooks() {
    g_frameHooks.fillDropList = FillFromDrop;
    g_frameHooks.openPending = Open_PendingList;
    g_frameHooks.openPath = OpenExisting;
    g_frameHooks.haveFileList = HaveFileList;
    g_frameHooks.refreshList = RefreshKeepingCurrent;
    g_handOverHooks.receiveFiles = ReceiveHandOver;
}
