#include "dlg/qv_SaveChecks.h"

#include "../../res/resource.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "util/qv_Path.h"

int SaveFileDlg_ConfirmOverwrite(TCHAR *out, const TCHAR *const *pieces, HWND owner, int outChars) {
    if (pieces == nullptr || outChars <= 1 || outChars > 32768) return 0;
    TCHAR joined[MAX_PATH + 1];
    TCHAR *path = joined;
    TCHAR *heap = nullptr;
    if (outChars > int(sizeof joined / sizeof joined[0])) {
        heap = static_cast<TCHAR *>(HeapAlloc(GetProcessHeap(), 0, size_t(outChars) * sizeof(TCHAR)));
        if (heap == nullptr) return 0;
        path = heap;
    }
    path[0] = 0;
    bool fits = true;
    for (const TCHAR *const *piece = pieces; *piece != nullptr && fits; ++piece)
        fits = Path_Append(outChars, path, *piece, 0) != nullptr;
    // The joined path must leave room in the caller's buffer.
    fits = fits && path[0] != 0 && lstrlen(path) < outChars;
    int go = fits ? 1 : 0;
    if (go && GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES)
        go = Msg_BoxWithInsert(owner, IDS_ASK_OVERWRITE, path, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    if (go && out != nullptr) lstrcpyn(out, path, outChars);
    if (heap != nullptr) HeapFree(GetProcessHeap(), 0, heap);
    return go;
}

int SaveFileDlg_CheckReadOnly(const TCHAR *path, HWND owner) {
    if (path == nullptr || path[0] == 0) return 0;
    const DWORD attributes = GetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return 0;
    Msg_BoxWithInsert(owner, IDS_SAVE_READ_ONLY, path, MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

void SaveFileDlg_ReportWriteFailed(const TCHAR *path, HWND owner) {
    TCHAR format[256];
    if (Res_LoadText(format, IDS_SAVE_WRITE_FAILED, 256) <= 0) return;
    TCHAR text[1100];
    wsprintf(text, format, path != nullptr ? path : TEXT(""));
    Msg_ReportError(nullptr, owner, text, -1, 0);
}
