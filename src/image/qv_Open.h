// Every way of naming a file from outside the list (the command line, a
// hand-over, a drop, the open dialog, a recent folder) ends here: a path
// becomes the current file list and a picture to load.
#pragma once

#include <windows.h>

#include <cstdint>

// Opens a picture file, a folder, an archive, a member inside an archive or
// a shortcut to any of these. `name` (null or empty: none) selects a file of
// the folder or a member of the archive; with walkUp a missing path is
// shortened to its existing file, the rest naming the member. 1 opened,
// 0 failed (no message: the caller tries the next path or reports).
int Open_Path(const TCHAR *path, const TCHAR *name, int walkUp);

// Rebuilds the current list keeping the current file. Without force an
// archive list is re-read only when the archive changed.
void Open_RefreshList(int force);

// Tries each path of the pending list in order until one opens, then clears
// the list. 1 when one opened.
int Open_PendingList();

// At the first start: fills the pending list from the program's own command
// line (relative paths against the start folder) and opens it; else, with
// option OpenLast, the remembered last file. 1 when something opened.
int Open_CommandLineAtStart();

// Gives the frame and the hand-over receiver the opening functions.
void Open_InstallHooks();

// The picture loading that Open_Path drives; tests replace it to see what
// is asked for. Defaults: ImgData_Load and ImgData_SetListIndex.
struct OpenSeams {
    int (*load)(int32_t step, int32_t how);
    int (*setListIndex)(int32_t index, int refresh);
};
extern OpenSeams g_openSeams;

// Modules that are not part of the program yet: the slide show and the
// recent-folder list. Each null entry does nothing.
struct OpenHooks {
    void (*stopSlideShow)();
    void (*pauseSlideShow)(int pause);       // 1 pause, 0 resume
    void (*commitRecentFolder)(int force);   // the pending recent folder enters the list
    void (*clearFolderMarks)();              // the recent list's folder-navigation marks
    void (*refreshToolbar)();
};
extern OpenHooks g_openHooks;
