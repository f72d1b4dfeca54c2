#include "other/qv_Cfg.h"

#include <type_traits>

#include "../../res/resource.h"
#include "dlg/qv_CpyMvDlg.h"
#include "dlg/qv_SaveFileDlg.h"
#include "image/qv_SaveOptions.h"
#include "other/qv_CfgLock.h"
#include "other/qv_CfgValue.h"
#include "other/qv_CmdLine.h"
#include "other/qv_DlgValues.h"
#include "other/qv_Mem.h"
#include "other/qv_Mru.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "util/qv_FileStream.h"
#include "util/qv_MathUtil.h"
#include "util/qv_Path.h"
#include "util/qv_Text.h"

namespace {

constexpr int kValueChars = 256;
constexpr int kNameChars = 64;

struct CfgState {
    TCHAR *path = nullptr;      // owned (QV_Alloc)
    int prefixLength = 0;       // up to and including the folder "user"
    int userFolderLength = 0;   // the folder that holds the file
    int foldersOutcome = -1;    // -1 not tried, 0 ok, else the failing step
    bool dlgRead = false, saveRead = false, cpmvRead = false;
    // Window state of the last exit, written by the next save.
    bool remembered = false;
    int32_t rect[4] = {};
    int32_t show = 0;
    int32_t full = 0;
    int32_t lastFull = 0;       // Full as read at start-up
    int rejected = 0;
};
CfgState s_cfg;

// Raw copies of every section, taken before a file is converted: keys that
// this program does not know (or that a dialog not opened in this run
// owns) stay in the file.
struct RawSection {
    TCHAR *name;  // owned
    TCHAR *text;  // "key=value\0...\0\0" (owned)
};
constexpr int kMaxRawSections = 64;
RawSection s_raw[kMaxRawSections];
int s_rawCount = 0;

// Texts of the store: the last opened file and member in one block.
TCHAR *s_lastFile = nullptr;
TCHAR *s_lastMember = nullptr;

TCHAR *Dup(const TCHAR *text) {
    if (text == nullptr) return nullptr;
    const size_t n = qvtext::Length(text);
    TCHAR *copy = static_cast<TCHAR *>(QV_Alloc(uint32_t((n + 1) * sizeof(TCHAR))));
    if (copy != nullptr) qvtext::CopyInto(copy, n + 1, text);
    return copy;
}

// Keys and section names are ASCII in the table.
void Widen(const char *ascii, TCHAR *out, int capacity) {
    int i = 0;
    for (; ascii != nullptr && ascii[i] != 0 && i + 1 < capacity; ++i) out[i] = TCHAR(ascii[i]);
    out[i] = 0;
}

struct Names {
    TCHAR section[kNameChars];
    TCHAR key[kNameChars];
    Names(const OptRow *row) {
        Widen(Cfg_SectionName(row->section), section, kNameChars);
        Widen(row->key, key, kNameChars);
    }
    Names(CfgSection s, const char *k) {
        Widen(Cfg_SectionName(s), section, kNameChars);
        Widen(k, key, kNameChars);
    }
};

const OptRow *FindKey(CfgSection section, const char *key) {
    size_t n = 0;
    const OptRow *t = Opt_Table(&n);
    for (size_t i = 0; i < n; ++i)
        if (t[i].section == section && t[i].key != nullptr && lstrcmpA(t[i].key, key) == 0) return &t[i];
    return nullptr;
}

template <class Fn>
void ForEachKey(CfgSection section, Fn fn) {
    size_t n = 0;
    const OptRow *t = Opt_Table(&n);
    const OptRow *end = t + n;
    for (const OptRow *r = t; r < end;) {
        const size_t rows = Opt_KeyRowCount(r, end);
        if (rows == 0) {
            ++r;
            continue;
        }
        if (r->section == section) fn(r, rows);
        r += rows;
    }
}

bool IsStoreKey(const OptRow *r) {
    return r->kind == OptKind::Byte || r->kind == OptKind::BitOfByte || r->kind == OptKind::Int ||
           r->kind == OptKind::Field || r->kind == OptKind::ZoomQ || r->kind == OptKind::SelGrid;
}

// Reads a key's text; false when it is missing or empty.
bool ReadText(const Names &names, TCHAR *buffer, int size) {
    if (s_cfg.path == nullptr) return false;
    buffer[0] = 0;
    GetPrivateProfileString(names.section, names.key, TEXT(""), buffer, DWORD(size), s_cfg.path);
    return buffer[0] != 0;
}

bool WriteText(const Names &names, const TCHAR *value) {
    if (s_cfg.path == nullptr) return false;
    return WritePrivateProfileString(names.section, names.key, value, s_cfg.path) != 0;
}

// A key whose text the reader refused: counted, and left out.
void RejectKey() {
    ++s_cfg.rejected;
    OutputDebugString(TEXT("Quivelta.cfg: a key was ignored\n"));
}

// Every store key of a section through the table and its rules.
void LoadStoreKeys(CfgSection section) {
    ForEachKey(section, [](const OptRow *r, size_t rows) {
        if (!IsStoreKey(r)) return;
        TCHAR value[kValueChars];
        const bool present = ReadText(Names(r), value, kValueChars);
        const CfgKeyResult result = Cfg_ApplyKey<TCHAR>(&g_settings, r, rows, present ? value : nullptr, &g_defaultSettings);
        if (result == kCfgKeyNotNumber || result == kCfgKeyIncomplete) RejectKey();
    });
}

bool SaveStoreKeys(CfgSection section) {
    bool ok = true;
    ForEachKey(section, [&ok](const OptRow *r, size_t rows) {
        if (!IsStoreKey(r)) return;
        TCHAR value[64];
        if (Cfg_FormatKey<TCHAR>(&g_settings, r, rows, value, 64) == 0) return;
        ok = WriteText(Names(r), value) && ok;
    });
    return ok;
}

// Runs a section function under the lock; writers make sure the folders
// exist first.
template <class Fn>
int Locked(bool writer, Fn fn) {
    if (s_cfg.path == nullptr) return 0;
    CfgLockGuard lock;
    if (!lock.Acquire()) return 0;
    if (writer && Cfg_EnsureFolders() != 0) return 0;
    return fn() ? 1 : 0;
}

void FreeRaw() {
    for (int i = 0; i < s_rawCount; ++i) {
        QV_Free(s_raw[i].name);
        QV_Free(s_raw[i].text);
        s_raw[i] = RawSection{};
    }
    s_rawCount = 0;
}

// The whole section as "key=value" texts; null when absent or empty.
TCHAR *ReadRawSection(const TCHAR *name) {
    for (DWORD size = 4096; size <= 1u << 20; size *= 4) {
        TCHAR *text = static_cast<TCHAR *>(QV_Alloc(size * sizeof(TCHAR)));
        if (text == nullptr) return nullptr;
        const DWORD n = name != nullptr ? GetPrivateProfileSection(name, text, size, s_cfg.path)
                                        : GetPrivateProfileSectionNames(text, size, s_cfg.path);
        if (n == 0) {
            QV_Free(text);
            return nullptr;
        }
        if (n < size - 2) return text;
        QV_Free(text);
    }
    return nullptr;
}

void RememberFromFile() {
    if (s_cfg.remembered) return;
    TCHAR value[kValueChars];
    int32_t v[4];
    if (ReadText(Names(CfgSection::Wnd, "Rect"), value, kValueChars) && Cfg_ParseValues<TCHAR>(value, v, 4, false) == 4) {
        for (int i = 0; i < 4; ++i) s_cfg.rect[i] = v[i];
        s_cfg.remembered = true;
        if (ReadText(Names(CfgSection::Wnd, "Show"), value, kValueChars) && Cfg_ParseValues<TCHAR>(value, v, 1, false) == 1)
            s_cfg.show = v[0];
        if (ReadText(Names(CfgSection::Wnd, "Full"), value, kValueChars) && Cfg_ParseValues<TCHAR>(value, v, 1, false) == 1)
            s_cfg.full = v[0] != 0;
    }
}

}  // namespace

// ---------------------------------------------------------------- path

int Cfg_BuildPath() {
    if (s_cfg.path != nullptr) return 0;
    if (g_cmdLine.dataDir == nullptr) return 1;
    if (g_cmdLine.dataDir[0] == 0) return 2;
    const size_t capacity = qvtext::Length(g_cmdLine.dataDir) + kUserPartUnits + 32;
    TCHAR *path = static_cast<TCHAR *>(QV_Alloc(uint32_t(capacity * sizeof(TCHAR))));
    if (path == nullptr) return 3;
    qvtext::CopyInto(path, capacity, static_cast<const TCHAR *>(g_cmdLine.dataDir));
    int step = 0;
    if (Path_Append(int(capacity), path, TEXT("user"), 0) == nullptr) step = 4;
    const int prefix = int(qvtext::Length(path));
    if (step == 0 && g_cmdLine.userPart[0] != 0 && Path_Append(int(capacity), path, g_cmdLine.userPart, 0) == nullptr)
        step = 5;
    const int userFolder = int(qvtext::Length(path));
    if (step == 0 && Path_Append(int(capacity), path, TEXT("Quivelta.cfg"), 0) == nullptr) step = 6;
    if (step != 0) {
        QV_Free(path);
        return step;
    }
    s_cfg.path = path;
    s_cfg.prefixLength = prefix;
    s_cfg.userFolderLength = userFolder;
    return 0;
}

const TCHAR *Cfg_Path() { return s_cfg.path; }

int Cfg_GetUserFolder(TCHAR *out, int size) {
    if (s_cfg.path == nullptr) return 0;
    const int n = s_cfg.userFolderLength;
    if (out == nullptr || size <= n) return n + 1;
    for (int i = 0; i < n; ++i) out[i] = s_cfg.path[i];
    out[n] = 0;
    return n;
}

int Cfg_EnsureFolders() {
    if (s_cfg.foldersOutcome >= 0) return s_cfg.foldersOutcome == 0 ? 0 : 2;
    if (s_cfg.path == nullptr) return 2;
    int outcome = 0;
    if (g_cmdLine.dataDir == g_cmdLine.appDataDir && g_cmdLine.appDataDir != nullptr) {
        if (g_cmdLine.appDataDir[0] == 0)
            outcome = 6;
        else if (File_CreateFolder(g_cmdLine.appDataDir) != 0)
            outcome = 7;
    }
    TCHAR folder[kPathChars * 2];
    const int prefix = s_cfg.prefixLength;
    if (outcome == 0 && prefix < kPathChars * 2) {
        for (int i = 0; i < prefix; ++i) folder[i] = s_cfg.path[i];
        folder[prefix] = 0;
        if (File_CreateFolder(folder) != 0) outcome = 9;
    } else if (outcome == 0) {
        outcome = 8;
    }
    if (outcome == 0 && g_cmdLine.userPart[0] != 0) {
        if (Cfg_GetUserFolder(folder, kPathChars * 2) >= kPathChars * 2 || File_CreateFolder(folder) != 0) outcome = 10;
    }
    s_cfg.foldersOutcome = outcome;
    return outcome;
}

// ---------------------------------------------------------------- primitives

int Cfg_WriteString(const TCHAR *section, const TCHAR *key, const TCHAR *value) {
    if (s_cfg.path == nullptr) return 0;
    return WritePrivateProfileString(section, key, value, s_cfg.path) ? 1 : 0;
}

int Cfg_WriteInt(int32_t value, const TCHAR *section, const TCHAR *key) {
    TCHAR text[16];
    qvtext::FormatUInt(uint32_t(value), text);
    return Cfg_WriteString(section, key, text);
}

int Cfg_ReadString(const TCHAR *defaultText, TCHAR *buffer, const TCHAR *section, const TCHAR *key, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    if (s_cfg.path == nullptr) return int(qvtext::CopyInto(buffer, size_t(size), defaultText ? defaultText : TEXT("")));
    return int(GetPrivateProfileString(section, key, defaultText ? defaultText : TEXT(""), buffer, DWORD(size), s_cfg.path));
}

int Cfg_ReadInt(const CfgIntKey &item, int32_t *out) {
    if (out == nullptr) return 6;
    if (s_cfg.path == nullptr) {
        *out = item.defaultValue;
        return 6;
    }
    TCHAR text[kValueChars];
    GetPrivateProfileString(item.section, item.key, TEXT(""), text, kValueChars, s_cfg.path);
    *out = item.defaultValue;
    if (text[0] == 0) return 4;
    int32_t v = 0;
    if (Cfg_ParseValues<TCHAR>(text, &v, 1, true) != 1) return 5;
    *out = v;
    return 0;
}

int Cfg_WriteIntList(const TCHAR *section, const TCHAR *key, const int32_t *values, int count) {
    if (values == nullptr || count <= 0 || count > 64) return 0;
    TCHAR text[64 * 13];
    size_t n = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text[n++] = '|';
        n += qvtext::FormatInt(values[i], text + n);
    }
    text[n] = 0;
    return Cfg_WriteString(section, key, text);
}

namespace {
int WriteTable(const CfgKeyValue *table, const TCHAR *section, bool isSigned) {
    if (table == nullptr) return 0;
    int ok = 1;
    for (int i = 0; i < 32512 && table[i].key != nullptr; ++i) {
        TCHAR text[16];
        if (isSigned)
            qvtext::FormatInt(table[i].value, text);
        else
            qvtext::FormatUInt(uint32_t(table[i].value), text);
        ok &= Cfg_WriteString(section, table[i].key, text);
    }
    return ok;
}
}  // namespace

int Cfg_WriteUIntTable(const CfgKeyValue *table, const TCHAR *section) { return WriteTable(table, section, false); }
int Cfg_WriteIntTable(const CfgKeyValue *table, const TCHAR *section) { return WriteTable(table, section, true); }

// ---------------------------------------------------------------- encoding

int Cfg_IsUtf16File() {
    if (s_cfg.path == nullptr) return 0;
    const DWORD a = GetFileAttributes(s_cfg.path);
    if (a == INVALID_FILE_ATTRIBUTES) return 0;
    if (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return -1;
    FileStream f;
    if (!File_SetPath(s_cfg.path, &f) ||
        !File_Open(&f, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0))
        return -1;
    uint8_t head[4] = {};
    uint32_t got = 0;
    File_Read(head, &got, 4, &f);
    uint32_t sizeLow = 0, sizeHigh = 0;
    File_GetSize(&f, &sizeLow, &sizeHigh);
    const uint64_t size = (uint64_t(sizeHigh) << 32) | sizeLow;
    if (got < 2 || head[0] != 0xFF || head[1] != 0xFE) return 0;
#if defined(QV_ANSI)
    return size > 1 ? 1 : 0;
#else
    if (size == 2) return 1;
    return size > 3 && (head[2] != 0 || head[3] != 0) ? 1 : 0;
#endif
}

int Cfg_CreateUnicodeFile(const TCHAR *firstText) {
    if (s_cfg.path == nullptr) return 0;
    FileStream f;
    if (!File_SetPath(s_cfg.path, &f) || !File_Open(&f, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL)) return 0;
    static const uint8_t kBom[2] = {0xFF, 0xFE};
    uint32_t written = 0;
    bool ok = File_Write(kBom, 2, &f, &written) && written == 2;
    const size_t n = qvtext::Length(firstText);
    if (ok && n >= 1 && n <= 32767) {
#if defined(QV_ANSI)
        WCHAR wide[32768];
        const int units = MultiByteToWideChar(CP_ACP, 0, firstText, int(n), wide, 32767);
        ok = units > 0 && File_Write(wide, uint32_t(units * 2), &f, &written) && written == uint32_t(units * 2);
#else
        ok = File_Write(firstText, uint32_t(n * 2), &f, &written) && written == uint32_t(n * 2);
#endif
    }
    if (!ok) {
        File_Delete(&f);
        return 0;
    }
    return 1;
}

int Cfg_PrepareFile() {
    const int kind = Cfg_IsUtf16File();
#if defined(QV_ANSI)
    // Quivelta98 keeps the file in the ANSI code page: a UTF-16 file left by
    // the other build is emptied (after keeping what only it holds).
    if (kind == -1) return 0;
    if (kind == 0) return 1;
#else
    if (kind == 1) return 1;
    if (kind == -1) return 0;
#endif
    RememberFromFile();
    FreeRaw();
    if (GetFileAttributes(s_cfg.path) != INVALID_FILE_ATTRIBUTES) {
        TCHAR *names = ReadRawSection(nullptr);
        for (const TCHAR *n = names; n != nullptr && *n != 0 && s_rawCount < kMaxRawSections;
             n += qvtext::Length(n) + 1) {
            TCHAR *text = ReadRawSection(n);
            if (text == nullptr) continue;
            s_raw[s_rawCount].name = Dup(n);
            s_raw[s_rawCount].text = text;
            if (s_raw[s_rawCount].name == nullptr) {
                QV_Free(text);
                continue;
            }
            ++s_rawCount;
        }
        QV_Free(names);
    }
#if defined(QV_ANSI)
    // Emptied and given its first section line in the code page: a profile
    // cache may keep the old encoding for a file left empty.
    FileStream f;
    if (!File_SetPath(s_cfg.path, &f) || !File_Open(&f, GENERIC_WRITE, 0, TRUNCATE_EXISTING, 0)) return 0;
    static const char kFirstLine[] = "[Boot]\r\n";
    uint32_t written = 0;
    const bool ok = File_Write(kFirstLine, sizeof kFirstLine - 1, &f, &written) && written == sizeof kFirstLine - 1;
    File_Close(&f);
    if (!ok) return 0;
#else
    if (!Cfg_CreateUnicodeFile(TEXT("[Boot]\r\n"))) return 0;
#endif
    // Every section goes back as it was; the writers that follow put the
    // current values over their keys.
    for (int i = 0; i < s_rawCount; ++i) WritePrivateProfileSection(s_raw[i].name, s_raw[i].text, s_cfg.path);
    FreeRaw();
    return 1;
}

// ---------------------------------------------------------------- sections

int Cfg_LoadBoot() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::Boot);
        return true;
    });
}

int Cfg_SaveBoot() { return Locked(true, [] { return SaveStoreKeys(CfgSection::Boot); }); }

int Cfg_LoadWnd(RECT *outRect, int *inOutShowCmd, DWORD *inOutExStyle) {
    int32_t rect[4] = {};
    bool haveRect = false;
    int32_t show = 0;
    const int ok = Locked(false, [&] {
        LoadStoreKeys(CfgSection::Wnd);
        TCHAR value[kValueChars];
        int32_t v[4];
        if (g_settings.option[22] == 0) {
            if (ReadText(Names(CfgSection::Wnd, "Rect"), value, kValueChars) &&
                Cfg_ParseValues<TCHAR>(value, v, 4, false) == 4) {
                for (int i = 0; i < 4; ++i) rect[i] = v[i];
                haveRect = true;
            }
        } else if (ReadText(Names(CfgSection::Wnd, "UserRect"), value, kValueChars)) {
            for (int i = 0; i < 4; ++i) rect[i] = g_settings.optInt[kIntUserRect + i];
            haveRect = true;
        }
        if (ReadText(Names(CfgSection::Wnd, "Show"), value, kValueChars) && Cfg_ParseValues<TCHAR>(value, v, 1, false) == 1)
            show = v[0];
        if (ReadText(Names(CfgSection::Wnd, "Full"), value, kValueChars) && Cfg_ParseValues<TCHAR>(value, v, 1, false) == 1)
            s_cfg.lastFull = v[0] != 0;
        return true;
    });
    Rect r{rect[0], rect[1], rect[2], rect[3]};
    Math_NormalizeRect(&r);
    if (!haveRect || Rect_IsEmpty(&r)) {
        TCHAR size[32];
        int32_t wh[2] = {480, 360};
        if (Res_LoadText(size, IDS_DEFAULT_WINDOW_SIZE, 32) > 0) Cfg_ParseValues<TCHAR>(size, wh, 2, false);
        r = Rect{0, 0, wh[0], wh[1]};
    }
    if (outRect) *outRect = RECT{r.left, r.top, r.right, r.bottom};
    if (inOutShowCmd) {
        const int cmd = *inOutShowCmd;
        if (cmd == SW_SHOWNORMAL || cmd == SW_SHOW || cmd == SW_RESTORE || cmd == SW_SHOWDEFAULT) {
            const int iniShow = g_settings.option[38];
            if (iniShow == 1 || (g_settings.option[39] && (show & 1))) *inOutShowCmd = SW_SHOWMAXIMIZED;
        }
    }
    if (inOutExStyle && g_settings.option[105]) *inOutExStyle |= WS_EX_TOPMOST;
    return ok;
}

int Cfg_LoadShowMode() {
    const int iniShow = g_settings.option[38];
    if (iniShow == 2) return 1;
    if (iniShow == 1) return 0;
    return g_settings.option[40] && s_cfg.lastFull ? 1 : 0;
}

void Cfg_RememberWindowState(int maximised, int minimised, int fullScreenOnlyForSlideShow) {
    for (int i = 0; i < 4; ++i) s_cfg.rect[i] = g_settings.optInt[kIntRectLeft + i];
    const bool full = g_settings.option[kOptFullScreen] != 0;
    s_cfg.show = ((full ? g_settings.option[kOptMaxBeforeFull] : maximised) ? 1 : 0) + (minimised ? 2 : 0);
    s_cfg.full = full && !fullScreenOnlyForSlideShow ? 1 : 0;
    s_cfg.remembered = true;
}

int Cfg_SaveWnd() {
    return Locked(true, [] {
        bool ok = SaveStoreKeys(CfgSection::Wnd);
        if (s_cfg.remembered) {
            ok = Cfg_WriteIntList(Names(CfgSection::Wnd, "Rect").section, Names(CfgSection::Wnd, "Rect").key, s_cfg.rect, 4) && ok;
            ok = Cfg_WriteInt(s_cfg.show, Names(CfgSection::Wnd, "Show").section, Names(CfgSection::Wnd, "Show").key) && ok;
            ok = Cfg_WriteInt(s_cfg.full, Names(CfgSection::Wnd, "Full").section, Names(CfgSection::Wnd, "Full").key) && ok;
            s_cfg.remembered = false;
        }
        return ok;
    });
}

int Cfg_LoadOther() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::Other);
        LoadStoreKeys(CfgSection::Flag);
        TCHAR face[kValueChars], params[kValueChars];
        const bool haveFace = ReadText(Names(FindKey(CfgSection::Other, "FontName")), face, kValueChars);
        const bool haveParams = ReadText(Names(FindKey(CfgSection::Other, "FontPrm")), params, kValueChars);
        // The face is stored in double quotes so that blanks survive.
        TCHAR *f = face;
        size_t n = qvtext::Length(f);
        if (n >= 2 && f[0] == '"' && f[n - 1] == '"') {
            f[n - 1] = 0;
            ++f;
        }
        if (!(haveFace && haveParams && f[0] != 0 && Opt_ParseFont(&g_settings, params, f, 0)))
            Opt_DefaultFont(&g_settings, 0);
        return true;
    });
}

int Cfg_SaveOther() {
    return Locked(true, [] {
        bool ok = SaveStoreKeys(CfgSection::Other);
        TCHAR params[kValueChars];
        if (g_settings.hasFont && Opt_FormatFontT<TCHAR>(&g_settings, params, kValueChars) > 0) {
            TCHAR face[kFontFaceUnits + 3];
            size_t n = 0;
            face[n++] = '"';
            for (int i = 0; i < kFontFaceUnits - 1 && g_settings.font.face[i] != 0; ++i)
                face[n++] = TCHAR(g_settings.font.face[i]);
            face[n++] = '"';
            face[n] = 0;
            ok = WriteText(Names(FindKey(CfgSection::Other, "FontName")), face) && ok;
            ok = WriteText(Names(FindKey(CfgSection::Other, "FontPrm")), params) && ok;
        }
        return SaveStoreKeys(CfgSection::Flag) && ok;
    });
}

int Cfg_LoadChildWnd() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::ChildWnd);
        return true;
    });
}
int Cfg_SaveChildWnd() { return Locked(true, [] { return SaveStoreKeys(CfgSection::ChildWnd); }); }
int Cfg_LoadMask() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::Mask);
        return true;
    });
}
int Cfg_SaveMask() { return Locked(true, [] { return SaveStoreKeys(CfgSection::Mask); }); }
int Cfg_LoadLoad() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::Load);
        return true;
    });
}
int Cfg_SaveLoad() { return Locked(true, [] { return SaveStoreKeys(CfgSection::Load); }); }

// The [Save] keys of the panels' options.
struct SaveCfgKey {
    const char *key;
    SaveOpt option;
};
const SaveCfgKey kSaveCfgKeys[] = {
    {"BmpTop", SaveOpt::BmpTop},     {"BmpRLE", SaveOpt::BmpRle},       {"GifLace", SaveOpt::GifLace},
    {"GifNoCmp", SaveOpt::GifNoCmp}, {"GifTrans", SaveOpt::GifTrans},   {"GifTraCol", SaveOpt::GifTraCol},
    {"JpgProg", SaveOpt::JpgProg},   {"JpgQual", SaveOpt::JpgQual},     {"PngLace", SaveOpt::PngLace},
    {"PngCmpLv", SaveOpt::PngCmpLv}, {"PngFilt", SaveOpt::PngFilt},     {"PngTrans", SaveOpt::PngTrans},
};

// The options and positions the dialogs remember, each key through its
// table's rule. The section counts as read only once it was: a read that
// could not take the lock must not let the next save put the built-in
// values over the user's.
int Cfg_LoadDlg() {
    if (s_cfg.dlgRead) return 1;
    return Locked(false, [] {
        for (size_t i = 0; i < DlgValues_KeyCount(); ++i) {
            TCHAR value[kValueChars];
            const bool present = ReadText(Names(CfgSection::Dlg, DlgValues_KeyName(i)), value, kValueChars);
            const CfgKeyResult result = DlgValues_ApplyText(&g_dlgValues, i, present ? value : nullptr);
            if (result == kCfgKeyNotNumber || result == kCfgKeyIncomplete) RejectKey();
        }
        s_cfg.dlgRead = true;
        return true;
    });
}
// The save dialog's options: the panels' values and what the dialog
// remembers, each through its table row's rule.
int Cfg_LoadSave() {
    if (s_cfg.saveRead) return 1;
    s_cfg.saveRead = true;
    return Locked(false, [] {
        auto read = [](const char *key, int32_t *out) {
            const OptRow *row = FindKey(CfgSection::Save, key);
            TCHAR value[kValueChars];
            if (row == nullptr || !ReadText(Names(row), value, kValueChars)) return false;
            int32_t v = 0;
            if (Cfg_ParseValues<TCHAR>(value, &v, 1, false) != 1) {
                RejectKey();
                return false;
            }
            return SaveCfg_Admit(row, v, out) != 0;
        };
        int32_t v = 0;
        for (const SaveCfgKey &k : kSaveCfgKeys)
            if (read(k.key, &v)) SaveOptions_Set(g_saveOptions, k.option, v);
        if (read("Filter", &v)) g_saveDlgRemembered.filter = v;
        if (read("OrigTime", &v)) g_saveDlgRemembered.origTime = v;
        if (read("ExtenUp", &v)) g_saveDlgRemembered.extenUp = v;
        // Read with room to spare: a folder too long to keep is refused
        // whole, never cut to a different folder.
        TCHAR path[4 * MAX_PATH];
        if (ReadText(Names(FindKey(CfgSection::Save, "Path")), path, 4 * MAX_PATH)) {
            if (lstrlen(path) < MAX_PATH)
                SaveFileDlg_SetSavePath(0, path);
            else
                RejectKey();
        }
        return true;
    });
}
// The copy and move dialogs keep their forms and registered folders: each
// slot is set from the file, so a key that is missing leaves its slot empty.
int Cfg_LoadCpMv() {
    if (s_cfg.cpmvRead) return 1;
    s_cfg.cpmvRead = true;
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::CpMv);
        for (int move = 0; move < 2; ++move) {
            TCHAR value[kValueChars];
            int32_t v = 0;
            if (ReadText(Names(CfgSection::CpMv, move ? "MvEx" : "CpEx"), value, kValueChars)) {
                if (Cfg_ParseValues<TCHAR>(value, &v, 1, true) == 1)
                    CpyMvDlg_SetExtended(move, v != 0);
                else
                    RejectKey();
            }
            const OptRow *folderKey = FindKey(CfgSection::CpMv, move ? "MvD%02d" : "CpD%02d");
            for (int i = 0; i < kCpyMvSlots; ++i) {
                char key[16];
                wsprintfA(key, folderKey->key, i);
                // Read with room to spare: a folder too long for a slot is
                // refused whole, never cut to a different folder.
                TCHAR folder[4 * kPathChars];
                if (!ReadText(Names(CfgSection::CpMv, key), folder, 4 * kPathChars)) folder[0] = 0;
                if (!CpyMvDlg_SetSlotPath(i, folder, move)) {
                    CpyMvDlg_SetSlotPath(i, nullptr, move);
                    RejectKey();
                }
            }
        }
        return true;
    });
}
// A position not known and an empty keyword remove their keys.
int Cfg_SaveDlg() {
    if (!s_cfg.dlgRead) return 1;
    return Locked(true, [] {
        bool ok = true;
        for (size_t i = 0; i < DlgValues_KeyCount(); ++i) {
            TCHAR text[64];
            const size_t n = DlgValues_FormatText(&g_dlgValues, i, text, 64);
            ok = WriteText(Names(CfgSection::Dlg, DlgValues_KeyName(i)), n > 0 ? text : nullptr) && ok;
        }
        return ok;
    });
}
int Cfg_SaveSave() {
    if (!s_cfg.saveRead) return 1;
    return Locked(true, [] {
        bool ok = true;
        auto write = [&ok](const char *key, int32_t value) {
            TCHAR text[16];
            qvtext::FormatInt(value, text);
            ok = WriteText(Names(CfgSection::Save, key), text) && ok;
        };
        write("Filter", g_saveDlgRemembered.filter);
        write("OrigTime", g_saveDlgRemembered.origTime);
        write("ExtenUp", g_saveDlgRemembered.extenUp);
        for (const SaveCfgKey &k : kSaveCfgKeys) write(k.key, SaveOptions_Get(g_saveOptions, k.option));
        const TCHAR *path = g_saveDlgRemembered.path;
        return WriteText(Names(CfgSection::Save, "Path"), path[0] != 0 ? path : nullptr) && ok;
    });
}
int Cfg_SaveCpMv() {
    if (!s_cfg.cpmvRead) return 1;
    return Locked(true, [] {
        bool ok = SaveStoreKeys(CfgSection::CpMv);
        for (int move = 0; move < 2; ++move) {
            const Names form(CfgSection::CpMv, move ? "MvEx" : "CpEx");
            ok = Cfg_WriteInt(CpyMvDlg_GetExtended(move), form.section, form.key) && ok;
            const OptRow *folderKey = FindKey(CfgSection::CpMv, move ? "MvD%02d" : "CpD%02d");
            for (int i = 0; i < kCpyMvSlots; ++i) {
                char key[16];
                wsprintfA(key, folderKey->key, i);
                // An empty slot removes its key.
                ok = WriteText(Names(CfgSection::CpMv, key), CpyMvDlg_GetSlotPath(i, move)) && ok;
            }
        }
        return ok;
    });
}

int Cfg_LoadMruf() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::MRUF);
        TCHAR file[kPathChars], member[400];
        if (ReadText(Names(FindKey(CfgSection::MRUF, "LastF")), file, kPathChars)) {
            const bool haveMember = ReadText(Names(FindKey(CfgSection::MRUF, "LastA")), member, 400);
            Opt_SetLastOpened(file, haveMember ? member : nullptr);
        }
        return true;
    });
}

int Cfg_SaveMruf() {
    return Locked(true, [] {
        bool ok = SaveStoreKeys(CfgSection::MRUF);
        const bool keep = g_settings.option[kOptOpenLast] != 0 && s_lastFile != nullptr;
        ok = WriteText(Names(FindKey(CfgSection::MRUF, "LastF")), keep ? s_lastFile : nullptr) && ok;
        ok = WriteText(Names(FindKey(CfgSection::MRUF, "LastA")), keep ? s_lastMember : nullptr) && ok;
        WriteText(Names(FindKey(CfgSection::MRUF, "F00")), nullptr);  // obsolete keys
        WriteText(Names(FindKey(CfgSection::MRUF, "A00")), nullptr);
        return ok;
    });
}

int Cfg_LoadMrud() {
    return Locked(false, [] {
        LoadStoreKeys(CfgSection::MRUD);
        const OptRow *folderKey = FindKey(CfgSection::MRUD, "D%02d");
        const OptRow *fileKey = FindKey(CfgSection::MRUD, "F%02d");
        TCHAR folder[kPathChars], file[kPathChars];
        // A missing folder key reads as "*", which the list skips.
        auto read = [&](int32_t i, const TCHAR **outFolder, const TCHAR **outFile) {
            char key[16];
            wsprintfA(key, folderKey->key, int(i));
            const Names folderNames(CfgSection::MRUD, key);
            Cfg_ReadString(TEXT("*"), folder, folderNames.section, folderNames.key, kPathChars);
            wsprintfA(key, fileKey->key, int(i));
            if (!ReadText(Names(CfgSection::MRUD, key), file, kPathChars)) file[0] = 0;
            *outFolder = folder;
            *outFile = file;
            return true;
        };
        Mru_LoadStoredT(&g_recentFolders.entries, g_recentFolders.entries.count, read);
        return true;
    });
}

int Cfg_SaveMrud() {
    return Locked(true, [] {
        TCHAR section[kNameChars];
        Widen(Cfg_SectionName(CfgSection::MRUD), section, kNameChars);
        WritePrivateProfileString(section, nullptr, nullptr, s_cfg.path);  // the list is written anew
        bool ok = SaveStoreKeys(CfgSection::MRUD);
        if (g_settings.option[36]) {
            const OptRow *folderKey = FindKey(CfgSection::MRUD, "D%02d");
            const OptRow *fileKey = FindKey(CfgSection::MRUD, "F%02d");
            const TCHAR *file = nullptr;
            for (int i = 0; const TCHAR *folder = Mru_Get(i, &file); ++i) {
                char key[16];
                wsprintfA(key, folderKey->key, i);
                ok = WriteText(Names(CfgSection::MRUD, key), folder) && ok;
                if (file != nullptr && file[0] != 0) {
                    wsprintfA(key, fileKey->key, i);
                    ok = WriteText(Names(CfgSection::MRUD, key), file) && ok;
                }
            }
        }
        return ok;
    });
}

int Cfg_LoadAll() {
    CfgLockGuard lock;
    if (!lock.Acquire()) return 0;
    int ok = Cfg_LoadOther();
    ok &= Cfg_LoadChildWnd();
    ok &= Cfg_LoadMask();
    ok &= Cfg_LoadLoad();
    ok &= Cfg_LoadMruf();
    ok &= Cfg_LoadMrud();
    return ok;
}

int Cfg_SaveAll() {
    if (s_cfg.path == nullptr) return 0;
    CfgLockGuard lock;
    if (!lock.Acquire()) return 0;
    if (Cfg_EnsureFolders() != 0) return 0;
    if (!Cfg_PrepareFile()) return 0;
    int ok = Cfg_SaveBoot();
    ok &= Cfg_SaveWnd();
    ok &= Cfg_SaveOther();
    ok &= Cfg_SaveChildWnd();
    ok &= Cfg_SaveMask();
    ok &= Cfg_SaveDlg();
    ok &= Cfg_SaveSave();
    ok &= Cfg_SaveCpMv();
    ok &= Cfg_SaveLoad();
    ok &= Cfg_SaveMruf();
    ok &= Cfg_SaveMrud();
    // The profile functions cache files; flush so another process sees it.
    WritePrivateProfileString(nullptr, nullptr, nullptr, s_cfg.path);
    return ok;
}

int Cfg_RejectedKeyCount() { return s_cfg.rejected; }

void Cfg_ResetForTests() {
    QV_Free(s_cfg.path);
    s_cfg = CfgState{};
    FreeRaw();
    Mru_ResetForTests();
    Opt_SetLastOpened(nullptr, nullptr);
}

// ---------------------------------------------------------------- store texts

int Opt_ParseFont(Settings *settings, const TCHAR *params, const TCHAR *face, int force) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return Opt_ParseFontT<TCHAR>(settings, params, face, force, dpi);
}

int Opt_DefaultFont(Settings *settings, int force) {
    if (settings == nullptr || (settings->locked && !force)) return 0;
    TCHAR face[129], params[257];
    if (Res_LoadText(face, IDS_INFO_FONT_FACE, 129) <= 0 || Res_LoadText(params, IDS_INFO_FONT_PARAMS, 257) <= 0) return 0;
    return Opt_ParseFont(settings, params, face, force);
}

const LOGFONT *Opt_GetFont(const Settings *settings, LOGFONT *out) {
    if (settings == nullptr || out == nullptr || !settings->hasFont) return nullptr;
    *out = LOGFONT{};
    const int32_t *v = settings->font.values;
    out->lfHeight = v[0];
    out->lfWidth = v[1];
    out->lfEscapement = v[2];
    out->lfOrientation = v[3];
    out->lfWeight = v[4];
    out->lfItalic = BYTE(v[5]);
    out->lfUnderline = BYTE(v[6]);
    out->lfStrikeOut = BYTE(v[7]);
    out->lfCharSet = BYTE(v[8]);
    out->lfOutPrecision = BYTE(v[9]);
    out->lfClipPrecision = BYTE(v[10]);
    out->lfQuality = BYTE(v[11]);
    out->lfPitchAndFamily = BYTE(v[12]);
    for (int i = 0; i < LF_FACESIZE && i < kFontFaceUnits; ++i) out->lfFaceName[i] = TCHAR(settings->font.face[i]);
    out->lfFaceName[LF_FACESIZE - 1] = 0;
    return out;
}

void Opt_ApplyFont(const LOGFONT *font, int dpi) {
    if (font == nullptr) return;
    int32_t *v = g_settings.font.values;
    v[0] = font->lfHeight;
    v[1] = font->lfWidth;
    v[2] = font->lfEscapement;
    v[3] = font->lfOrientation;
    v[4] = font->lfWeight;
    v[5] = font->lfItalic;
    v[6] = font->lfUnderline;
    v[7] = font->lfStrikeOut;
    v[8] = font->lfCharSet;
    v[9] = font->lfOutPrecision;
    v[10] = font->lfClipPrecision;
    v[11] = font->lfQuality;
    v[12] = font->lfPitchAndFamily;
    for (int i = 0; i < kFontFaceUnits; ++i)
        g_settings.font.face[i] = i < LF_FACESIZE - 1 ? uint16_t(static_cast<std::make_unsigned_t<TCHAR>>(font->lfFaceName[i])) : 0;
    if (dpi <= 0) {
        HDC screen = GetDC(nullptr);
        dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
    }
    g_settings.fontDpi = dpi;
    g_settings.hasFont = 1;
}

int Opt_SetLastOpened(const TCHAR *file, const TCHAR *member) {
    QV_Free(s_lastFile);
    s_lastFile = s_lastMember = nullptr;
    g_settings.lastFile = g_settings.lastMember = nullptr;
    if (file == nullptr || file[0] == 0) return 1;
    const size_t nf = qvtext::Length(file), nm = qvtext::Length(member);
    TCHAR *block = static_cast<TCHAR *>(QV_Alloc(uint32_t((nf + nm + 2) * sizeof(TCHAR))));
    if (block == nullptr) return 0;
    qvtext::CopyInto(block, nf + 1, file);
    s_lastFile = block;
    if (member != nullptr && member[0] != 0) {
        s_lastMember = block + nf + 1;
        qvtext::CopyInto(s_lastMember, nm + 1, member);
    }
    g_settings.lastFile = s_lastFile;
    g_settings.lastMember = s_lastMember;
    return 1;
}

const TCHAR *Opt_LastFile() { return s_lastFile; }
const TCHAR *Opt_LastMember() { return s_lastMember; }

void Settings_Destroy(Settings *settings) {
    if (settings == &g_settings) Opt_SetLastOpened(nullptr, nullptr);
    if (settings != nullptr) {
        QV_Free(settings->slideFolder);
        settings->slideFolder = nullptr;
    }
}
