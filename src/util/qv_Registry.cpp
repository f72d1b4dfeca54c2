#include "util/qv_Registry.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "other/qv_Mem.h"
#include "other/qv_SysSeams.h"
#include "util/qv_Text.h"

RegKey::~RegKey() { RegKey_Release(this); }

namespace {

LONG Store(RegKey *slot, HKEY key) {
    const LONG closed = RegKey_Close(slot);
    if (closed != ERROR_SUCCESS) {
        RegCloseKey(key);
        return closed;
    }
    slot->key = key;
    return ERROR_SUCCESS;
}

LONG DeleteSubtree(HKEY key) {
    OwnedBuffer name;
    for (;;) {
        DWORD subkeys = 0, longest = 0;
        LONG r = RegQueryInfoKey(key, nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS) return r;
        if (subkeys == 0) return ERROR_SUCCESS;
        const uint32_t bytes = (longest + 1) * sizeof(TCHAR);
        if (name.size < bytes && Buf_Alloc(&name, bytes) == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
        TCHAR *text = reinterpret_cast<TCHAR *>(name.data);
        DWORD length = longest + 1;
        // Index 0 each time: every deletion shifts the rest down.
        r = RegEnumKeyEx(key, 0, text, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (r != ERROR_SUCCESS) return r;
        HKEY child = nullptr;
        r = RegOpenKeyEx(key, text, 0, KEY_READ, &child);
        if (r != ERROR_SUCCESS) return r;
        r = DeleteSubtree(child);
        RegCloseKey(child);
        if (r != ERROR_SUCCESS) return r;
        r = RegDeleteKey(key, text);
        if (r != ERROR_SUCCESS) return r;
    }
}

COLORREF s_customColors[16];
bool s_customSeeded = false;

COLORREF WINAPI SysColorSource(int index) { return GetSysColor(index); }

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) SendMessage(window, BFFM_SETSELECTION, 1, data);
    return 0;
}

}  // namespace

LONG RegKey_Open(RegKey *slot, HKEY parent, const TCHAR *subkey, REGSAM access) {
    if (slot == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    const LONG r = RegOpenKeyEx(parent, subkey, 0, access, &key);
    if (r != ERROR_SUCCESS) return r;
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    return Store(slot, key);
}

LONG RegKey_Create(const RegKeyTarget &target, RegKey *slot) {
    if (slot == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    const LONG r = RegCreateKeyEx(target.parent, target.subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, target.access, nullptr,
                                  &key, nullptr);
    if (r != ERROR_SUCCESS) return r;
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    return Store(slot, key);
}

int RegKey_TryOpen(RegKey *slot, HKEY parent, const TCHAR *subkey, REGSAM access) {
    const LONG r = RegKey_Open(slot, parent, subkey, access);
    if (r == ERROR_SUCCESS) return 1;
    return r == ERROR_FILE_NOT_FOUND || r == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

LONG RegKey_Close(RegKey *slot) {
    if (slot == nullptr || slot->key == nullptr) return ERROR_SUCCESS;
    const LONG r = RegCloseKey(slot->key);
    slot->key = nullptr;
    return r;
}

LONG RegKey_Release(RegKey *slot) { return RegKey_Close(slot); }

LONG RegKey_SetStringBytes(const TCHAR *text, RegKey *slot, const TCHAR *valueName, DWORD bytes) {
    if (slot == nullptr || slot->key == nullptr) return ERROR_INVALID_HANDLE;
    return RegSetValueEx(slot->key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), bytes);
}

LONG RegKey_SetString(const TCHAR *text, RegKey *slot, const TCHAR *valueName) {
    if (text == nullptr) text = TEXT("");
    const uint64_t bytes = (uint64_t(qvtext::Length(text)) + 1) * sizeof(TCHAR);
    if (bytes > 0xFFFFFFFFull) return ERROR_INVALID_PARAMETER;
    return RegKey_SetStringBytes(text, slot, valueName, DWORD(bytes));
}

LONG RegKey_DeleteTree(RegKey *parent, const TCHAR *subkey) {
    if (parent == nullptr || parent->key == nullptr) return ERROR_BADKEY;  // 1010
    if (subkey == nullptr || subkey[0] == 0) return ERROR_CANTOPEN;  // 1011
    HKEY key = nullptr;
    LONG r = RegOpenKeyEx(parent->key, subkey, 0, KEY_READ, &key);
    if (r != ERROR_SUCCESS) return r;
    r = DeleteSubtree(key);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return r;
    return RegDeleteKey(parent->key, subkey);
}

void Reg_NotifyAssocChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

int Shell_ReadShortcutTarget(const TCHAR *shortcut, TCHAR *out, int capacity) {
    if (shortcut == nullptr || out == nullptr || capacity <= 0) return 0;
    out[0] = 0;
    const HRESULT init = CoInitialize(nullptr);
    int ok = 0;
    {
#if defined(QV_ANSI)
        IShellLinkA *link = nullptr;
        const IID &linkId = IID_IShellLinkA;
#else
        IShellLinkW *link = nullptr;
        const IID &linkId = IID_IShellLinkW;
#endif
        IPersistFile *file = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, linkId,
                                       reinterpret_cast<void **>(&link)))) {
            if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
#if defined(QV_ANSI)
                WCHAR wide[MAX_PATH * 4];
                const bool converted = MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, MAX_PATH * 4) > 0;
#else
                const WCHAR *wide = shortcut;
                const bool converted = true;
#endif
                if (converted && SUCCEEDED(file->Load(wide, 0)) &&
                    SUCCEEDED(link->GetPath(out, capacity, nullptr, SLGP_UNCPRIORITY)))
                    ok = 1;
                file->Release();
            }
            link->Release();
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    out[capacity - 1] = 0;
    return ok;
}

// Far beyond any path the program takes: a target that reaches 1024
// characters here did not fit the caller's buffer.
constexpr int kShortcutProbeChars = 32768;

int Util_ResolveShortcut(const TCHAR *shortcut, TCHAR *out1024) {
    if (shortcut == nullptr || out1024 == nullptr) return 0;
    out1024[0] = 0;
    // The target is read into a much larger buffer first: the shell cuts a
    // target to the room it is given without saying so, and a cut path
    // would open the wrong file or folder.
    OwnedBuffer room;
    auto *target = reinterpret_cast<TCHAR *>(Buf_Alloc(&room, kShortcutProbeChars * sizeof(TCHAR)));
    if (target == nullptr || g_sys.readShortcutTarget == nullptr ||
        !g_sys.readShortcutTarget(shortcut, target, kShortcutProbeChars))
        return 0;
    target[kShortcutProbeChars - 1] = 0;
    const size_t n = qvtext::Length(target);
    if (n == 0 || n >= 1024) return 0;
    qvtext::CopyInto(out1024, 1024, target);
    return 1;
}

int Ui_BrowseForFolder(const TCHAR *initial, HWND owner, TCHAR *outPath, const TCHAR *title) {
    if (outPath == nullptr) return 0;
    BROWSEINFO info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (initial != nullptr) {
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(initial);
    }
    LPITEMIDLIST item = SHBrowseForFolder(&info);
    if (item == nullptr) return 0;
    const int ok = SHGetPathFromIDList(item, outPath) ? 1 : 0;
    IMalloc *malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc))) {
        malloc->Free(item);
        malloc->Release();
    }
    return ok;
}

void Color_SeedFrom(COLORREF (*sysColor)(int index), COLORREF *out16) {
    int found = 0;
    for (int i = 0; i < 16; ++i) out16[i] = 0;
    for (int index = 0; index < 256 && found < 16; ++index) {
        const COLORREF c = sysColor(index);
        if (c == 0 || c == 0xFFFFFF) continue;
        bool seen = false;
        for (int k = 0; k < found; ++k) seen = seen || out16[k] == c;
        if (!seen) out16[found++] = c;
    }
}

void Color_SeedCustomColors() {
    Color_SeedFrom([](int index) -> COLORREF { return SysColorSource(index); }, s_customColors);
    s_customSeeded = true;
}

const COLORREF *Color_CustomColors() { return s_customColors; }

int Color_Choose(COLORREF *colour, HWND owner) {
    if (colour == nullptr) return 0;
    if (!s_customSeeded) Color_SeedCustomColors();
    CHOOSECOLOR cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *colour;
    cc.lpCustColors = s_customColors;
    cc.Flags = CC_RGBINIT;
    if (!g_sys.chooseColor(&cc)) return 0;
    *colour = cc.rgbResult;
    return 1;
}
