#include "other/qv_RecentCommands.h"

#include "../../res/resource.h"
#include "image/qv_Open.h"
#include "other/qv_Dlg.h"
#include "other/qv_Mru.h"
#include "other/qv_Msg.h"
#include "util/qv_Path.h"
#include "util/qv_Text.h"

namespace {

// A running slide show waits while the folder is opened.
class SlideShowPause {
public:
    SlideShowPause() {
        if (g_openHooks.pauseSlideShow != nullptr) g_openHooks.pauseSlideShow(1);
    }
    ~SlideShowPause() {
        if (g_openHooks.pauseSlideShow != nullptr) g_openHooks.pauseSlideShow(0);
    }
    SlideShowPause(const SlideShowPause &) = delete;
    SlideShowPause &operator=(const SlideShowPause &) = delete;
};

void ReportFolderNotOpened(HWND frame) {
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_MB_DIROPENERR"))) return;
    Msg_ErrorFromString(frame, IDS_DIR_OPEN_FAILED, 0);
    DlgGuard_Release(&guard);
}

}  // namespace

int RecentCommands_OnCommand(HWND frame, UINT id) {
    if (id < kFirstRecentCommand) return 1;
    const int32_t index = int32_t(id - kFirstRecentCommand);
    if (index >= g_recentFolders.entries.count) return 1;
    SlideShowPause pause;
    const TCHAR *file = nullptr;
    const TCHAR *folder = Mru_Get(index, &file);
    if (folder == nullptr) return 1;
    // Opening commits the folder being left, which may be this very entry
    // and replaces its texts: work on copies.
    StrBuf128 folderCopy;
    const size_t folderLength = qvtext::Length(folder);
    TCHAR *path = folderLength < 0x7FFFFFFE ? folderCopy.Reserve(int(folderLength + 1)) : nullptr;
    if (path == nullptr) return 0;
    qvtext::CopyInto(path, folderLength + 1, folder);
    TCHAR name[kMruPendingFileChars];
    const bool haveName = file != nullptr && file[0] != 0 && qvtext::Length(file) < size_t(kMruPendingFileChars);
    if (haveName) qvtext::CopyInto(name, size_t(kMruPendingFileChars), file);

    if (!Path_Exists(path) || !Open_Path(path, haveName ? name : nullptr, 0)) ReportFolderNotOpened(frame);
    return 0;
}
