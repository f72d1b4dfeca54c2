// The list of files waiting to be opened: filled from a drop on the frame or
// from a command line (the program's own, or one handed over by a later
// start), opened by the frame's deferred message and then cleared. Every
// name is read only within the block it came in (qv_DropListCore.h).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

struct DropList {
    HDROP drop;            // the drop the list was filled from (null for a command line)
    TCHAR *names;          // all names, each with its zero (owned, QV_Alloc)
    uint32_t namesLength;  // in characters
    TCHAR **items;         // count + 1 pointers into names; the last is an empty name (owned)
    int32_t count;
    int32_t dropX, dropY;  // drop point in client coordinates (0 for a command line)
    int32_t filled;        // a filled list refuses a second fill until cleared
};

// The frame's pending list.
extern DropList g_pendingDrops;

void DropList_Init(DropList *list);
// Frees the names and the pointers, then as DropList_Init.
void DropList_Clear(DropList *list);
void DropList_Free(DropList *list);

// Fills the list from a drop; the caller finishes the drop. A drop block
// whose names do not all end inside it is refused. 1 filled, 0 not.
int DropList_FromHdrop(DropList *list, HDROP drop);

// Fills the pending list from a command line: the arguments after the
// program path, one after another from argv[0] within `bytesAvailable`
// bytes; switches become empty items, relative paths are resolved against
// `senderDir`. Nothing is stored unless one argument names a file. 1/0.
int Instance_ReceiveCommandLine(int32_t argc, const TCHAR *const *argv, uint64_t bytesAvailable,
                                const TCHAR *senderDir);
