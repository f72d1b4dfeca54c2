#include "dlg/qv_SaveFileDlg.h"

#include <commdlg.h>

#include "../../res/resource.h"
#include "dlg/qv_SavePanels.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_MenuState.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"
#include "util/qv_FileStream.h"
#include "util/qv_Path.h"
#include "util/qv_SafeSave.h"

// The portable core maps loader ids by number.
static_assert(kLoaderBmp == 2 && kLoaderJpeg == 3 && kLoaderPng == 4 && kLoaderGif == 5,
              "qv_SaveNameCore's loader table follows the format registry's ids");

SaveDlgRemembered g_saveDlgRemembered;

namespace {

// Settings bytes OvWrAsk, OvWrDlg and SvSvPath.

constexpr int kFileChars = MAX_PATH + 1;  // the dialog's file buffer
constexpr int kErrSecondDialog = 261;
constexpr int kErrHookNeverRan = 269;
const TCHAR kSource[] = TEXT("qv_SaveFileDlg");

struct SaveDlgCtx {
    int confirm = 0;
    TCHAR sourceStem[MAX_PATH] = {};  // Save: the picture's path without extension
    TCHAR sourceExt[MAX_PATH] = {};   // without the dot
    int hookRan = 0;
    int sourceFormat = -1;
    int format = 0;
    int saveAs = 0;
    HWND owner = nullptr;
    HWND panels[kSaveFormatCount] = {};
    int panelFailed[kSaveFormatCount] = {};  // reported once; the dialog goes on without it
};

// The open dialog's context; also what refuses a second save dialog.
SaveDlgCtx *s_ctx = nullptr;

class ContextScope {
public:
    explicit ContextScope(SaveDlgCtx *ctx) { s_ctx = ctx; }
    ~ContextScope() { s_ctx = nullptr; }
    ContextScope(const ContextScope &) = delete;
    ContextScope &operator=(const ContextScope &) = delete;
};

int LimitFormat(int format) { return format < 0 ? 0 : format >= kSaveFormatCount ? kSaveFormatCount - 1 : format; }

// Where the picture lives and what it is called.
struct PictureSource {
    TCHAR folder[MAX_PATH] = {};  // the folder to offer (empty: none)
    TCHAR name[MAX_PATH] = {};    // the name to offer, extension included
    TCHAR path[MAX_PATH] = {};    // a plain file's full path (empty otherwise)
    SavePlanFacts facts{};
};

void CopyCut(TCHAR *out, const TCHAR *text, size_t length) {
    if (length >= MAX_PATH) length = MAX_PATH - 1;
    for (size_t i = 0; i < length; ++i) out[i] = text[i];
    out[length] = 0;
}

void DescribePicture(PictureSource *s) {
    const uint32_t state = g_imgData.state;
    const bool member = (state & kImgArchiveMember) != 0 && g_imgData.memberPart != nullptr;
    const bool isNew = (state & kImgNew) != 0 || g_imgData.pathText == nullptr;
    const TCHAR *text = g_imgData.pathText;
    if (!isNew && text != nullptr) {
        // A plain file: folder and name from the picture's own path, whatever
        // folder the current list shows. A member: the archive's folder.
        const TCHAR *container = text;
        CopyCut(s->folder, container, SaveName_NameStart(container));
        if (!member) lstrcpyn(s->path, text, MAX_PATH);
    } else if (const FileList *list = FileList_Current(); list != nullptr && list->folder != nullptr) {
        lstrcpyn(s->folder, list->folder, MAX_PATH);
    }
    if (g_imgData.fileName != nullptr) lstrcpyn(s->name, g_imgData.fileName, MAX_PATH);
    if (isNew || member) File_SanitizeName(s->name);
    s->facts.loaderId = isNew ? 0 : g_imgData.loaderId;
    s->facts.hasFile = !isNew && !member && (state & kImgNoFile) == 0 && s->path[0] != 0;
    s->facts.archiveMember = member;
    s->facts.spread = g_imgData.singlePage == 0 && (state & kImgStill) != 0 && !isNew;
    s->facts.rememberedFilter = g_saveDlgRemembered.filter;
}

// The filter: for each format its name (strings 338..341), then its
// patterns made from its extensions; a second terminator ends the list.
void BuildFilter(TCHAR *out, int capacity) {
    static const UINT kNames[kSaveFormatCount] = {IDS_SAVE_FILTER_BMP, IDS_SAVE_FILTER_GIF, IDS_SAVE_FILTER_JPEG,
                                                  IDS_SAVE_FILTER_PNG};
    int at = 0;
    for (int format = 0; format < kSaveFormatCount; ++format) {
        TCHAR name[128];
        if (Res_LoadText(name, kNames[format], 128) <= 0) lstrcpy(name, TEXT("*"));
        TCHAR patterns[128] = {};
        int count = 0;
        const char *const *list = SaveFormat_Extensions(format, &count);
        int p = 0;
        for (int i = 0; i < count; ++i) {
            if (i > 0) patterns[p++] = TEXT(';');
            patterns[p++] = TEXT('*');
            patterns[p++] = TEXT('.');
            for (const char *c = list[i]; *c != 0; ++c) patterns[p++] = TCHAR(*c);
        }
        patterns[p] = 0;
        for (const TCHAR *piece : {static_cast<const TCHAR *>(name), static_cast<const TCHAR *>(patterns)}) {
            const int n = lstrlen(piece);
            if (at + n + 2 >= capacity) break;
            lstrcpy(out + at, piece);
            at += n + 1;
        }
    }
    out[at] = 0;
}

// ---------------------------------------------------------------- panels

void ShowPanel(HWND hook, int format) {
    if (s_ctx == nullptr) return;
    for (int i = 0; i < kSaveFormatCount; ++i) {
        if (i != format) {
            SavePanel_Show(s_ctx->panels[i], 0, hook, IDC_SAVE_PANEL_AREA);
            continue;
        }
        if (s_ctx->panels[i] == nullptr && !s_ctx->panelFailed[i]) {
            s_ctx->panels[i] = SavePanel_Create(*SaveWriter_Slot(i)->panel, hook);
            s_ctx->panelFailed[i] = s_ctx->panels[i] == nullptr;
        }
        SavePanel_Show(s_ctx->panels[i], 1, hook, IDC_SAVE_PANEL_AREA);
    }
}

// ---------------------------------------------------------------- hook

void Cancel(HWND dialog) {
    if (dialog != nullptr) PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
}

void OnInitDialog(HWND hook, const OPENFILENAME *ofn) {
    HWND dialog = GetParent(hook);
    if (s_ctx == nullptr || ofn == nullptr || dialog == nullptr) {
        Cancel(dialog);
        return;
    }
    s_ctx->format = LimitFormat(int(ofn->nFilterIndex) - 1);
    HWND keepTime = GetDlgItem(hook, IDC_SAVE_CHECK1);
    HWND upper = GetDlgItem(hook, IDC_SAVE_CHECK2);
    if (keepTime == nullptr || upper == nullptr) {
        Cancel(dialog);
        return;
    }
    Button_SetCheck(keepTime, g_saveDlgRemembered.origTime ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(upper, g_saveDlgRemembered.extenUp ? BST_CHECKED : BST_UNCHECKED);
    TCHAR title[256];
    if (GetDlgItemText(hook, ofn->lCustData ? IDC_SAVE_TITLE_SAVE_AS : IDC_SAVE_TITLE_SAVE, title, 256) > 0) {
        SetWindowText(dialog, title);
        Wnd_ReplaceAppTitle(dialog);
    }
}

void OnInitDone(HWND hook) {
    HWND dialog = GetParent(hook);
    if (s_ctx == nullptr || dialog == nullptr) {
        Cancel(dialog);
        return;
    }
    ShowPanel(hook, s_ctx->format);
    Dlg_CenterOnOwner(dialog, s_ctx->owner);
    static const int kTitles[] = {IDC_SAVE_TITLE_SAVE, IDC_SAVE_TITLE_SAVE_AS, 0};
    Dlg_CloseItems(kTitles, hook);
    s_ctx->hookRan = 1;
}

// 1 keeps the dialog open.
int OnFileOk(HWND hook, OPENFILENAME *ofn) {
    if (s_ctx == nullptr || ofn == nullptr || ofn->lpstrFile == nullptr) return 1;
    HWND dialog = GetParent(hook);
    TCHAR name[kFileChars];
    lstrcpyn(name, ofn->lpstrFile, kFileChars);
    const int upper = Dlg_IsChecked(hook, IDC_SAVE_CHECK2);
    const SaveNameRules<TCHAR> rules{s_ctx->format, !s_ctx->saveAs && s_ctx->format == s_ctx->sourceFormat,
                                     s_ctx->sourceStem, s_ctx->sourceExt, upper};
    if (SaveFileDlg_FixExtension(name, MAX_PATH, rules) == kSaveNameRefused) {
        Msg_BoxWithInsert(dialog, IDS_SAVE_NAME_DOT, ofn->lpstrFile, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    if (s_ctx->confirm) {
        const TCHAR *pieces[] = {name, nullptr};
        TCHAR joined[kFileChars];
        if (!SaveFileDlg_ConfirmOverwrite(joined, pieces, dialog, MAX_PATH)) return 1;
    }
    lstrcpyn(ofn->lpstrFile, name, int(ofn->nMaxFile));
    g_saveDlgRemembered.origTime = Dlg_IsChecked(hook, IDC_SAVE_CHECK1);
    g_saveDlgRemembered.extenUp = upper;
    if (HWND panel = s_ctx->panels[s_ctx->format]) SavePanel_Commit(panel);
    return 0;
}

UINT_PTR CALLBACK SaveHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        // FALSE: the keyboard focus stays on the file name box, so a user
        // who types a name at once types it there (TRUE would move it to
        // the first control of the program's own part).
        case WM_INITDIALOG: OnInitDialog(hook, reinterpret_cast<const OPENFILENAME *>(lParam)); return FALSE;
        case WM_NOTIFY: {
            auto *notify = reinterpret_cast<OFNOTIFY *>(lParam);
            switch (notify->hdr.code) {
                case CDN_INITDONE: OnInitDone(hook); return 0;
                case CDN_TYPECHANGE:
                    if (s_ctx != nullptr && notify->lpOFN != nullptr) {
                        s_ctx->format = LimitFormat(int(notify->lpOFN->nFilterIndex) - 1);
                        ShowPanel(hook, s_ctx->format);
                    }
                    return 0;
                case CDN_FILEOK: {
                    const int keepOpen = OnFileOk(hook, notify->lpOFN);
                    SetWindowLongPtr(hook, DWLP_MSGRESULT, keepOpen);
                    return keepOpen;
                }
                default: return 0;
            }
        }
        case WM_HELP: Help_ShowTopic(hook, TEXT("d_save.htm")); return TRUE;
        default: return 0;
    }
}

// ---------------------------------------------------------------- steps

// Save without the dialog: the picture's own file.
int SaveInPlace(HWND owner, const PictureSource &source, int format) {
    if (source.path[0] == 0) return 0;
    TCHAR target[MAX_PATH];
    const TCHAR *pieces[] = {source.path, nullptr};
    if (g_settings.option[kOptOverwriteAsk]) {
        if (!SaveFileDlg_ConfirmOverwrite(target, pieces, owner, MAX_PATH)) return 0;
    } else {
        lstrcpyn(target, source.path, MAX_PATH);
    }
    return SaveFileDlg_Write(owner, target, format);
}

int RunDialog(HWND owner, const PictureSource &source, const SavePlan &plan) {
    SaveDlgCtx ctx;
    ctx.owner = owner;
    ctx.saveAs = plan.saveAs;
    ctx.format = plan.format;
    ctx.sourceFormat = SaveFormat_FromLoader(source.facts.loaderId);
    ctx.confirm = plan.saveAs || g_settings.option[kOptOverwriteAsk];
    // The name is offered without its extension, which the extension fixing
    // gives back when the user leaves the name as it is.
    TCHAR file[kFileChars] = {};
    lstrcpyn(file, source.name, kFileChars);
    const size_t dot = SaveName_ExtensionDot(file);
    if (file[dot] != 0) {
        lstrcpyn(ctx.sourceExt, file + dot + 1, MAX_PATH);
        file[dot] = 0;
    }
    if (!plan.saveAs && source.path[0] != 0) CopyCut(ctx.sourceStem, source.path, SaveName_ExtensionDot(source.path));

    const TCHAR *folder = source.folder;
    if (plan.saveAs && g_settings.option[kOptSaveAsLastFolder] && g_saveDlgRemembered.path[0] != 0)
        folder = g_saveDlgRemembered.path;
    TCHAR filter[1024];
    BuildFilter(filter, 1024);

    OPENFILENAME ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = g_process.instance ? g_process.instance : GetModuleHandle(nullptr);
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = DWORD(plan.format + 1);
    ofn.lpstrFile = file;
    ofn.nMaxFile = kFileChars;
    ofn.lpstrInitialDir = folder[0] != 0 ? folder : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_PATHMUSTEXIST |
                OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
    ofn.lCustData = LPARAM(plan.saveAs);
    ofn.lpfnHook = SaveHook;
    ofn.lpTemplateName = TEXT("DLG_SAVE");

    BOOL chosen;
    {
        ContextScope scope(&ctx);
        chosen = GetSaveFileName(&ofn);
    }
    if (!ctx.hookRan) {
        Msg_ReportError(kSource, owner, nullptr, kErrHookNeverRan, 0);
        return 0;
    }
    if (!chosen) return 0;
    const int format = LimitFormat(int(ofn.nFilterIndex) - 1);
    if (plan.saveAs) {
        g_saveDlgRemembered.filter = format + 1;
        size_t folderLength = SaveName_NameStart(file);
        // "C:\photos\a.png" keeps "C:\photos"; "C:\a.png" keeps "C:\".
        if (folderLength > 1 && Path_IsSeparator(file[folderLength - 1]) && file[folderLength - 2] != TEXT(':'))
            --folderLength;
        if (folderLength > 0) SaveFileDlg_SetSavePath(int(folderLength), file);
    }
    return SaveFileDlg_Write(owner, file, format);
}

// The times to give the new file with OrigTime: an archive member's time
// from the listing, a plain file's creation and write times. Read before
// writing, since the file written may be the source itself.
bool SourceTimes(SafeSaveTimes *times) {
    *times = SafeSaveTimes{};
    if (g_imgData.pathText == nullptr || (g_imgData.state & kImgNew)) return false;
    if (g_imgData.state & kImgArchiveMember) {
        const FileList *list = FileList_Current();
        const int32_t index = g_imgData.listIndex;
        FileTime32 time{};
        if (list == nullptr || index < 0 || index >= list->files.count ||
            !FileEntry_GetTime(list->files.items[index], &time))
            return false;
        times->write.dwLowDateTime = time.low;
        times->write.dwHighDateTime = time.high;
        times->hasWrite = 1;
        return true;
    }
    FileStream source;
    if (!File_SetPath(g_imgData.pathText, &source) ||
        !File_Open(&source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, 0))
        return false;
    if (!File_GetTimes(&source, &times->creation, nullptr, &times->write)) return false;
    times->hasCreation = times->hasWrite = 1;
    return true;
}

struct WriterCall {
    int (*write)(const TCHAR *path, DibHolder &picture);
    DibHolder *picture;
};

int WriteTemporary(void *context, const TCHAR *tempPath) {
    auto *call = static_cast<WriterCall *>(context);
    return call->write(tempPath, *call->picture);
}

// A list showing the folder the file was written to lists it again, keeping
// its current picture. Called directly: a command posted to the frame would
// arrive while a guarded dialog may still be open, and be dropped.
void RefreshListFor(const TCHAR *path) {
    if (g_imgData.state & (kImgMovedAway | kImgDeleted)) return;
    const FileList *list = FileList_Current();
    if (list == nullptr || list->isArchive || list->folder == nullptr || g_frameHooks.refreshList == nullptr) return;
    TCHAR folder[MAX_PATH], listFolder[MAX_PATH];
    CopyCut(folder, path, SaveName_NameStart(path));
    lstrcpyn(listFolder, list->folder, MAX_PATH);
    Path_RemoveTrailingSep(folder);
    Path_RemoveTrailingSep(listFolder);
    if (Path_IsSame(1, folder, listFolder)) g_frameHooks.refreshList();
}

}  // namespace

int SaveFileDlg_Show(HWND owner, int saveAs) {
    if (owner == nullptr) owner = g_process.frameWindow;
    if (s_ctx != nullptr) {
        Msg_ReportError(kSource, owner, nullptr, kErrSecondDialog, 0);
        return 0;
    }
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_SAVE"))) return 0;
    if (!ImgData_HasImage() || g_imgData.image.empty()) return 0;
    Cfg_LoadSave();
    PictureSource source;
    DescribePicture(&source);
    source.facts.saveAsAsked = saveAs;
    const SavePlan plan = SaveFileDlg_PlanSave(source.facts);
    if (!plan.saveAs && !g_settings.option[kOptOverwriteDialog]) return SaveInPlace(owner, source, plan.format);
    return RunDialog(owner, source, plan);
}

int SaveFileDlg_Write(HWND owner, const TCHAR *path, int format) {
    const SaveWriterSlot *slot = SaveWriter_Slot(format);
    if (path == nullptr || path[0] == 0 || slot == nullptr || g_imgData.image.empty()) return 0;
    if (SaveFileDlg_CheckReadOnly(path, owner)) return 0;
    WaitCursorGuard wait(&g_frameRecord);
    WaitCursor_Begin(&wait);
    SafeSaveTimes times;
    const bool keepTimes = g_saveDlgRemembered.origTime && SourceTimes(&times);
    WriterCall call{slot->write, &g_imgData.image};
    const int written = SafeSave_Write(path, WriteTemporary, &call, keepTimes ? &times : nullptr);
    if (written)
        RefreshListFor(path);
    else
        SaveFileDlg_ReportWriteFailed(path, owner);
    Menu_UpdateToolbar();
    return written;
}

void SaveFileDlg_SetSavePath(int length, const TCHAR *path) {
    if (path == nullptr) return;
    const int whole = lstrlen(path);
    if (length < 1 || length > whole) length = whole;
    CopyCut(g_saveDlgRemembered.path, path, size_t(length));
}
